// Firmware images: decoding the text and walking the records, per image size.
#include "core/link/FirmwareImage.h"
#include "core/link/UpgradeStream.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace sorvane::link;

namespace {

// Hex text of an image made of records of 256 data bytes.
std::string imageText(std::size_t bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes * 2);
    std::size_t made = 0;
    while (made + 258 <= bytes) {
        text += "0100";
        for (int i = 0; i < 256; ++i) {
            text += digits[(i >> 4) & 15];
            text += digits[i & 15];
        }
        made += 258;
    }
    return text;
}

void DecodeText(benchmark::State& state)
{
    const std::string text = imageText(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> out(text.size() / 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            DecodeFirmwareText(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), out.data()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(DecodeText)->Arg(64 << 10)->Arg(1 << 20);

// The stream over a channel that accepts at once: the cost of the loop itself.
class AcceptAll : public UpgradeChannel {
public:
    int open(CoreCallBack) override { return 0; }
    bool send(const std::uint8_t*, std::size_t size, bool) override
    {
        m_bytes += size;
        return true;
    }
    StreamAnswer answer() override { return {StreamAnswerKind::Byte, kStreamAccept}; }
    void close() override {}
    std::size_t m_bytes = 0;
};

void StreamRecords(benchmark::State& state)
{
    const std::string text = imageText(static_cast<std::size_t>(state.range(0)));
    const std::vector<std::uint8_t> image =
        DecodeFirmwareText(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    for (auto _ : state) {
        AcceptAll channel;
        benchmark::DoNotOptimize(RunUpgradeStream(channel, SerialStreamRules(), image.data(), image.size(), nullptr));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(image.size()));
}
BENCHMARK(StreamRecords)->Arg(64 << 10)->Arg(1 << 20);

} // namespace

// The reply reader of serial and TCP links, fed a byte stream. The first byte
// picks the work buffer's size, the second how many bytes one read gives and
// whether the stream ends in silence or a closed link. The reader gives one
// of its results (a lost link only when the stream closed); an accepted
// reply is the data that ends the frame, as many bytes as its header says,
// and never more than the buffer holds.
#include "core/api/Callbacks.h"
#include "core/link/Frame.h"
#include "fuzz/FuzzCheck.h"
#include "platform/ByteIO.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace sorvane::link;

namespace {

class StreamSource : public ByteSource {
public:
    StreamSource(const std::uint8_t* data, std::size_t size, int perRead, bool closes)
        : m_data(data), m_size(size), m_perRead(perRead), m_closes(closes)
    {
    }
    int read(std::uint8_t* buffer, int n, const platform::Deadline&) override
    {
        if (m_pos == m_size)
            return m_closes ? -1 : 0;
        const std::size_t k = std::min({std::size_t(n), std::size_t(m_perRead), m_size - m_pos});
        std::memcpy(buffer, m_data + m_pos, k);
        m_pos += k;
        return int(k);
    }
    std::size_t consumed() const { return m_pos; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    int m_perRead;
    bool m_closes;
};

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    static const std::size_t kCapacities[] = {1, 7, 64, 512, kWorkBufferSize};
    const std::size_t capacity = kCapacities[data[0] % 5];
    const int perRead = 1 + (data[1] & 0x7F);
    const bool closes = data[1] & 0x80;
    const std::vector<std::uint8_t> stream(data + 2, data + size);

    StreamSource source(stream.data(), stream.size(), perRead, closes);
    std::vector<std::uint8_t> work(capacity);
    ReplyFrame reply;
    const int r = ReadReplyFrame(source, platform::Deadline::after(1000), work.data(), work.size(), reply);
    FUZZ_CHECK(r == COMM_OK || r == COMM_E_NO_REPLY || r == COMM_E_REFUSED || r == COMM_E_LINK_LOST,
               "the reader gives one of its results");
    FUZZ_CHECK(r != COMM_E_LINK_LOST || closes, "only a closed link is lost");
    FUZZ_CHECK(r != COMM_E_NO_REPLY || !closes, "a closed link is not taken for silence");
    FUZZ_CHECK(source.consumed() <= stream.size(), "the reader reads what the stream has");
    if (r != COMM_OK) {
        FUZZ_CHECK(!reply.received, "a failed read receives nothing");
        return 0;
    }
    FUZZ_CHECK(reply.received, "an accepted reply is received");
    FUZZ_CHECK(reply.length > 0 && reply.length <= capacity, "a reply fits the work buffer");
    FUZZ_CHECK(bytes::get32(reply.header, 12) == reply.length, "a reply is as long as its header says");
    // At least the magic, the two first header bytes and one more before the data.
    FUZZ_CHECK(source.consumed() >= reply.length + 7, "a reply follows its header");
    FUZZ_CHECK(std::equal(work.begin(), work.begin() + reply.length,
                          stream.begin() + std::ptrdiff_t(source.consumed() - reply.length)),
               "a reply is the data that ends its frame");
    return 0;
}

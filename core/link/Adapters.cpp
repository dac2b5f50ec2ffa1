#include "core/link/Adapters.h"

#include "core/api/Core.h"
#include "core/link/LinkBase.h"
#include "platform/ByteIO.h"
#include "platform/Clock.h"

#include <QNetworkInterface>
#include <QString>

#include <pcap/pcap.h>
#include <poll.h>

#include <algorithm>
#include <cstring>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

// "aa:bb:cc:dd:ee:ff" as Qt reports it; false unless exactly six bytes.
bool parseHardwareAddress(const QString& text, std::uint8_t out[6])
{
    const QStringList parts = text.split(u':');
    if (parts.size() != 6)
        return false;
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        const uint v = parts[i].toUInt(&ok, 16);
        if (!ok || parts[i].size() != 2)
            return false;
        out[i] = static_cast<std::uint8_t>(v);
    }
    return true;
}

void copyText(char* dst, std::size_t size, const char* src)
{
    std::memset(dst, 0, size);
    if (src)
        std::strncpy(dst, src, size - 1);
}

int systemEnumerate(CUniqueArray<pcapdevinfo>& list)
{
    list.RemoveAll();
    char err[PCAP_ERRBUF_SIZE] = {};
    pcap_if_t* all = nullptr;
    if (pcap_findalldevs(&all, err) != 0)
        return 0;
    // pcap also lists pseudo devices ("any", netlink, bus monitors) and the
    // loopback: only interfaces with an Ethernet hardware address can reach a
    // controller.
    for (pcap_if_t* dev = all; dev; dev = dev->next) {
        if (!dev->name || (dev->flags & PCAP_IF_LOOPBACK))
            continue;
        const QNetworkInterface iface = QNetworkInterface::interfaceFromName(QString::fromLocal8Bit(dev->name));
        if (!iface.isValid())
            continue;
        if (iface.type() != QNetworkInterface::Ethernet && iface.type() != QNetworkInterface::Wifi)
            continue;
        pcapdevinfo info;
        std::memset(&info, 0, sizeof info);
        if (!parseHardwareAddress(iface.hardwareAddress(), info.address))
            continue;
        info.index = static_cast<std::uint32_t>(list.GetSize());
        copyText(info.name, sizeof info.name, dev->name);
        const QByteArray human = iface.humanReadableName().toLocal8Bit();
        copyText(info.description, sizeof info.description,
                 dev->description && *dev->description ? dev->description : human.constData());
        list.Add(info);
    }
    pcap_freealldevs(all);
    return list.GetSize();
}

AdapterEnumerator g_enumerator = nullptr;

}  // namespace

namespace sorvane::link {

QByteArray WritePcapDevInfo(const pcapdevinfo& info)
{
    QByteArray out(kPcapDevInfoSize, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(out.data());
    bytes::put32(p, 0, info.index);
    bytes::put32(p, 4, info.reserved0);
    std::memcpy(p + 8, info.name, 260);
    std::memcpy(p + 268, info.description, 260);
    std::memcpy(p + 528, info.address, 8);
    std::memcpy(p + 536, info.reserved1, 64);
    return out;
}

bool ReadPcapDevInfo(const QByteArray& image, pcapdevinfo& info)
{
    if (image.size() != kPcapDevInfoSize)
        return false;
    const auto* p = reinterpret_cast<const std::uint8_t*>(image.constData());
    info.index = bytes::get32(p, 0);
    info.reserved0 = bytes::get32(p, 4);
    std::memcpy(info.name, p + 8, 260);
    std::memcpy(info.description, p + 268, 260);
    std::memcpy(info.address, p + 528, 8);
    std::memcpy(info.reserved1, p + 536, 64);
    return true;
}

void SetAdapterEnumerator(AdapterEnumerator fn)
{
    g_enumerator = fn;
}

int EnumNetworkAdapters(CUniqueArray<pcapdevinfo>& list)
{
    try {
        list.RemoveAll();
        return g_enumerator ? g_enumerator(list) : systemEnumerate(list);
    } catch (...) {
        list.RemoveAll();
        return 0;
    }
}

QByteArray CaptureDeviceName(const char* captureName)
{
    if (!captureName)
        return {};
    QByteArray name(captureName);
    if (name.startsWith(kNoAdapterName))
        name.remove(0, static_cast<int>(std::strlen(kNoAdapterName)));
    return name;
}

int QueryAdapterMac(const char* captureName, std::uint8_t mac8[8])
{
    if (!mac8)
        return 0;
    std::memset(mac8, 0, 8);
    const QByteArray device = CaptureDeviceName(captureName);
    if (device.isEmpty())
        return 0;
    const QNetworkInterface iface = QNetworkInterface::interfaceFromName(QString::fromLocal8Bit(device));
    if (!iface.isValid())
        return 0;
    std::uint8_t mac[6];
    if (!parseHardwareAddress(iface.hardwareAddress(), mac))
        return 0;
    std::memcpy(mac8, mac, 6);
    return 1;
}

int OpenCapture(CapturePair& pair, const char* captureName, int snapshotLength, int timeout)
{
    CloseCapture(pair);
    pair.timeout = 1000;
    const QByteArray device = CaptureDeviceName(captureName);
    if (device.isEmpty())
        return 0;
    char err[PCAP_ERRBUF_SIZE] = {};
    pcap_t* p = pcap_create(device.constData(), err);
    if (!p)
        return 0;
    pcap_set_snaplen(p, snapshotLength);
    const auto bufferTimeout = platform::clock().realDuration(platform::Millis(timeout < 0 ? 0 : timeout));
    pcap_set_timeout(p, static_cast<int>(bufferTimeout.count()));
    pcap_set_immediate_mode(p, 1);
    // The default buffer (megabytes) is far beyond what a controller sends back.
    const int slot = (std::max(snapshotLength, 64) + 128 + 15) / 16 * 16;
    pcap_set_buffer_size(p, kCaptureFrames * slot);
    // Our own transmissions must never be read back as a controller's reply,
    // so a capture that cannot be limited to incoming frames is refused.
    if (pcap_activate(p) < 0 || pcap_setdirection(p, PCAP_D_IN) != 0) {
        pcap_close(p);
        return 0;
    }
    // Nor is one that would hand us every frame on the wire: the readers
    // judge frames by kind and sender only and take the EtherType as given.
    bpf_program program;
    if (pcap_compile(p, &program, "ether proto 0x0888", 1, 0xFFFFFF) != 0) {
        pcap_close(p);
        return 0;
    }
    const int filtered = pcap_setfilter(p, &program);
    pcap_freecode(&program);
    if (filtered != 0) {
        pcap_close(p);
        return 0;
    }
    // pcap_next_ex ignores the read time-out while nothing arrives: reads
    // poll with their own deadline instead.
    if (pcap_setnonblock(p, 1, err) != 0) {
        pcap_close(p);
        return 0;
    }
    pair.handle = p;
    pair.timeout = timeout;
    return 1;
}

void CloseCapture(CapturePair& pair)
{
    if (pair.handle) {
        pcap_close(pair.handle);
        pair.handle = nullptr;
    }
}

int NextCapturedFrame(CapturePair& pair, const std::uint8_t** data, int* length, int timeoutMs)
{
    return NextCapturedFrame(pair, data, length, platform::Deadline::after(timeoutMs));
}

int NextCapturedFrame(CapturePair& pair, const std::uint8_t** data, int* length, const platform::Deadline& deadline)
{
    if (!pair.handle || !data || !length)
        return -1;
    const int fd = pcap_get_selectable_fd(pair.handle);
    for (;;) {
        pcap_pkthdr* header = nullptr;
        const u_char* bytes = nullptr;
        const int r = pcap_next_ex(pair.handle, &header, &bytes);
        if (r == 1) {
            *data = bytes;
            *length = static_cast<int>(header->caplen);
            return 1;
        }
        if (r < 0)
            return -1;
        // Nothing came yet: a cancel of the transfer ends the wait as a time-out.
        if (CancelPending() || deadline.passed())
            return 0;
        const int left = CancelSliceMs(deadline);
        if (fd >= 0) {
            pollfd pfd{fd, POLLIN, 0};
            ::poll(&pfd, 1, left);
        } else {
            pollfd none{-1, 0, 0};
            ::poll(&none, 0, 1);
        }
    }
}

void FormatMacText(const std::uint8_t mac6[6], char16_t* text)
{
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < 6; ++i) {
        text[2 * i] = static_cast<char16_t>(digits[mac6[i] >> 4]);
        text[2 * i + 1] = static_cast<char16_t>(digits[mac6[i] & 0x0F]);
    }
    text[12] = u'\0';
}

int ParseMacText(const char16_t* text, std::uint8_t mac6[6])
{
    if (!text || !mac6 || text[0] == u'\0')
        return 0;
    std::size_t len = 0;
    while (text[len] != u'\0' && len <= 12)
        ++len;
    if (len > 12)
        return 0;   // a text this long is no bare MAC; refuse it whole
    int digit = 0;
    for (std::size_t i = 0; i < len && digit < 12; ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'F')
            c = static_cast<char16_t>(c - u'A' + u'a');
        int v;
        if (c >= u'0' && c <= u'9')
            v = c - u'0';
        else if (c >= u'a' && c <= u'f')
            v = c - u'a' + 10;
        else
            continue;
        std::uint8_t& byte = mac6[digit / 2];
        if (digit % 2 == 0)
            byte = static_cast<std::uint8_t>(v << 4);
        else
            byte = static_cast<std::uint8_t>(byte | v);
        ++digit;
    }
    return 1;
}

} // namespace sorvane::link

// ---- CCore exports ----

void CCore::EnumAdapterList()
{
    if (m_adapters)
        EnumNetworkAdapters(*m_adapters);
}

int CCore::ConvertStrToMAC(const char16_t* text, unsigned char* out)
{
    if (!out || !text)
        return 0;
    if (text[0] == u'\0')
        return 1;   // nothing to read; the address stays as it was
    return ParseMacText(text, out) ? 1 : 0;
}

int CCore::ConvertMACToStr(const unsigned char* mac, char16_t* out)
{
    if (!out || !mac)
        return 0;
    FormatMacText(mac, out);
    return 1;
}

int CCore::ExtractNpf(const char16_t* path)
{
    // Raw Ethernet on this system needs no capture driver, so there is no
    // image to write; the program checks its capture rights instead.
    (void)path;
    return 0;
}

#include "core/link/SearchRecords.h"

#include "core/api/Callbacks.h"
#include "platform/ByteIO.h"

#include <algorithm>
#include <cstring>

using namespace sorvane::link;
using namespace sorvane::model;


namespace sorvane::link {

CCore::SerialInfo MakeSerialInfo(const QString& portName, std::uint32_t baudRate)
{
    CCore::SerialInfo info;
    std::memset(&info, 0, sizeof info);
    info.BaudRate = baudRate;
    const auto units = std::min<qsizetype>(portName.size(), kSerialInfoNameUnits);
    for (qsizetype i = 0; i < units; ++i)
        info.PortName[i] = portName.at(i).unicode();
    return info;
}

QString SerialInfoPortName(const CCore::SerialInfo& info)
{
    qsizetype n = 0;
    while (n < 32 && info.PortName[n])
        ++n;
    return QString::fromUtf16(info.PortName, n);
}

CCore::AdapterInfo MakeAdapterInfo(std::uint32_t adapterIndex, const std::uint8_t mac[6], std::uint16_t extra)
{
    CCore::AdapterInfo info;
    std::memset(&info, 0, sizeof info);
    info.AdapterIndex = adapterIndex;
    std::memcpy(info.Mac, mac, 6);
    info.Extra[0] = static_cast<std::uint8_t>(extra);
    info.Extra[1] = static_cast<std::uint8_t>(extra >> 8);
    return info;
}

CCore::WanInfo MakeWanInfo(std::uint8_t address, std::uint32_t ipNetworkOrder, std::uint16_t port)
{
    CCore::WanInfo info;
    std::memset(&info, 0, sizeof info);
    info.Address = address;
    info.Ip = ipNetworkOrder;
    info.Port = port;
    return info;
}

void WriteSerialInfo(const CCore::SerialInfo& info, std::uint8_t* out)
{
    bytes::put32(out, 0, info.BaudRate);
    bytes::putWide(out, 4, info.PortName, 32);
}

void WriteAdapterInfo(const CCore::AdapterInfo& info, std::uint8_t* out)
{
    bytes::put32(out, 0, info.AdapterIndex);
    std::memcpy(out + 4, info.Mac, 6);
    std::memcpy(out + 10, info.Extra, 2);
}

// The address is kept in network order: its first byte on the wire is the
// first byte of the dotted form.
void WriteWanInfo(const CCore::WanInfo& info, std::uint8_t* out)
{
    std::memset(out, 0, kWanInfoSize);
    out[0] = info.Address;
    bytes::put32(out, 4, info.Ip);
    bytes::put16(out, 8, info.Port);
}

bool ReadSerialInfo(const std::uint8_t* in, std::size_t length, CCore::SerialInfo& info)
{
    if (!in || length != kSerialInfoSize)
        return false;
    info.BaudRate = bytes::get32(in, 0);
    bytes::getWide(in, 4, info.PortName, 32);
    return true;
}

bool ReadAdapterInfo(const std::uint8_t* in, std::size_t length, CCore::AdapterInfo& info)
{
    if (!in || length != kAdapterInfoSize)
        return false;
    info.AdapterIndex = bytes::get32(in, 0);
    std::memcpy(info.Mac, in + 4, 6);
    std::memcpy(info.Extra, in + 10, 2);
    return true;
}

bool ReadWanInfo(const std::uint8_t* in, std::size_t length, CCore::WanInfo& info)
{
    if (!in || length != kWanInfoSize)
        return false;
    CCore::WanInfo read;
    std::memset(&read, 0, sizeof read);
    read.Address = in[0];
    read.Ip = bytes::get32(in, 4);
    read.Port = bytes::get16(in, 8);
    info = read;
    return true;
}

int ReportSearchCandidate(CoreCallBack callback, const SearchCandidate* candidate, int result)
{
    unsigned event;
    if (result >= 0)
        event = CBE_DONE;
    else if (result == COMM_E_RESEND)
        event = CBE_RESEND_FAILED;
    else if (result == COMM_E_NO_REPLY || result == COMM_E_LINK_LOST)
        event = CBE_NO_REPLY;   // a candidate that dropped the link did not answer either
    else if (result == COMM_E_REFUSED)
        event = CBE_REFUSED;
    else if (result == COMM_E_OPEN)
        event = CBE_OPEN_FAILED;
    else if (result == COMM_E_CANCELLED)
        event = CBE_CANCELLED;
    else
        return result;
    if (callback)
        callback(CBC_SEARCH_CANDIDATE, event, result == COMM_E_CANCELLED ? 0 : reinterpret_cast<std::uintptr_t>(candidate));
    return result;
}

} // namespace sorvane::link

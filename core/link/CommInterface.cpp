#include "core/link/CommSession.h"
#include "core/link/FirmwareImage.h"
#include "core/model/Core.h"
#include "core/model/ItemData.h"

#include <cstring>

void CCore::SetCommInterface(tagItemData* screen, CommSession* session)
{
    if (!screen || !session)
        return;
    const tagGlobalInfo& g = screen->Global;
    switch (g.CommType) {
    case COMM_SERIAL:
        SetCommSessionSerial(*session, GetSerialPortName(static_cast<int>(g.SerialPort)), g.BaudRate);
        break;
    case COMM_ETHERNET:
        SetCommSessionEthernet(*session, GetAdapterName(static_cast<int>(g.AdapterIndex)), g.DstMAC);
        break;
    case COMM_NETWORK:
        SetCommSessionNetwork(*session, QByteArray(g.Host, static_cast<int>(strnlen(g.Host, sizeof g.Host))),
                              g.HostPort, g.HostKind);
        break;
    default:
        break;
    }
}

int CCore::SetFirmwareImageFile(const char16_t* path)
{
    SetChosenFirmwareFile(path ? QString::fromUtf16(path) : QString());
    return 1;
}

#include "core/link/CommSession.h"
#include "core/link/FirmwareImage.h"
#include "core/model/Core.h"
#include "core/model/ItemData.h"

#include <cstring>

int CCore::SetFirmwareImageFile(const char16_t* path)
{
    SetChosenFirmwareFile(path ? QString::fromUtf16(path) : QString());
    return 1;
}

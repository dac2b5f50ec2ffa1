#pragma once
// The core's calendar time and Qt's, both ways (local time, to the millisecond).
#include "core/api/Records.h"

#include <QDateTime>
#include <cstdint>

namespace spine {

inline SYSTEMTIME toSystemTime(const QDateTime& t)
{
    SYSTEMTIME s;
    s.wYear = std::uint16_t(t.date().year());
    s.wMonth = std::uint16_t(t.date().month());
    s.wDayOfWeek = std::uint16_t(t.date().dayOfWeek() % 7);
    s.wDay = std::uint16_t(t.date().day());
    s.wHour = std::uint16_t(t.time().hour());
    s.wMinute = std::uint16_t(t.time().minute());
    s.wSecond = std::uint16_t(t.time().second());
    s.wMilliseconds = std::uint16_t(t.time().msec());
    return s;
}

inline QDateTime fromSystemTime(const SYSTEMTIME& s)
{
    return QDateTime(QDate(s.wYear, s.wMonth, s.wDay), QTime(s.wHour, s.wMinute, s.wSecond, s.wMilliseconds));
}

} // namespace spine

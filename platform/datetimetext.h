#pragma once

#include "forms/seam.h"

#include <QString>
#include <ctime>

// The current date and time and their text in the user's regional settings: the short date
// format and the long time format of the C library's LC_TIME locale (what strftime's %x and %X
// give), read afresh each time so the settings in force at that moment count.
namespace DateTimeText {

// The current local date and time, broken down.
std::tm now();

// The clock that now() reads: the system's local time, or in tests a clock of their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::tm now() = 0;
};

class SystemClock : public Clock {
public:
    std::tm now() override;
};

using Current = Seam<Clock, SystemClock>;

// The date of the moment in the user's short date format (%x).
QString shortDate(const std::tm& moment);
// The time of day of the moment in the user's long time format (%X).
QString longTime(const std::tm& moment);

} // namespace DateTimeText

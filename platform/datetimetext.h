#pragma once

#include <QString>
#include <ctime>
#include <functional>

// The current date and time and their text in the user's regional settings: the short date
// format and the long time format of the C library's LC_TIME locale (what strftime's %x and %X
// give), read afresh each time so the settings in force at that moment count.
namespace DateTimeText {

// The current local date and time, broken down.
std::tm now();

// The clock that now() reads. Tests put in a clock of their own; an empty one brings back the
// system clock.
using Clock = std::function<std::tm()>;
void setClock(Clock clock);

// The date of the moment in the user's short date format (%x).
QString shortDate(const std::tm& moment);
// The time of day of the moment in the user's long time format (%X).
QString longTime(const std::tm& moment);

} // namespace DateTimeText

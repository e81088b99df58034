#include "platform/datetimetext.h"

#include "forms/apperror.h"

#include <clocale>
#include <cwchar>
#include <vector>

namespace DateTimeText {

namespace {

    // Takes up the user's LC_TIME setting as it stands now (LC_ALL, LC_TIME, LANG). A setting
    // that names a locale this system does not have falls back to the C library's own "C".
    void useUserTimeLocale()
    {
        if (!std::setlocale(LC_TIME, ""))
            std::setlocale(LC_TIME, "C");
    }

    // strftime in wide characters: the C library hands over the locale's names without going
    // through the character set of LC_CTYPE.
    QString format(const wchar_t* pattern, const std::tm& moment)
    {
        useUserTimeLocale();
        // A zero result means "too small" or "empty"; no pattern of a real locale comes near
        // the last size, so an empty text then is what the locale gives.
        for (std::size_t size = 64; size <= 4096; size *= 4) {
            std::vector<wchar_t> buffer(size);
            const std::size_t length
                = std::wcsftime(buffer.data(), buffer.size(), pattern, &moment);
            if (length > 0)
                return QString::fromWCharArray(buffer.data(), qsizetype(length));
        }
        return QString();
    }

} // namespace

std::tm now() { return Current::current().now(); }

std::tm SystemClock::now()
{
    const std::time_t seconds = std::time(nullptr);
    std::tm local {};
    if (seconds == std::time_t(-1) || !localtime_r(&seconds, &local))
        throw AppError(AppError::InvalidProcedureCall,
            QStringLiteral("The current date and time cannot be read"));
    return local;
}

QString shortDate(const std::tm& moment) { return format(L"%x", moment); }

QString longTime(const std::tm& moment) { return format(L"%X", moment); }

} // namespace DateTimeText

#include "forms/apperror.h"

#include <limits>

AppError::AppError(int number, QString description)
    : m_number(number)
    , m_description(std::move(description))
    , m_what(QStringLiteral("Error %1: %2").arg(number).arg(m_description).toUtf8())
{
}

[[noreturn]] static void overflowed()
{
    throw AppError(AppError::Overflow, QStringLiteral("Overflow"));
}

std::int32_t checkedAdd(std::int32_t a, std::int32_t b)
{
    std::int32_t result;
    if (__builtin_add_overflow(a, b, &result))
        overflowed();
    return result;
}

std::int32_t checkedInt32(std::int64_t value)
{
    if (value < std::numeric_limits<std::int32_t>::min()
        || value > std::numeric_limits<std::int32_t>::max())
        overflowed();
    return static_cast<std::int32_t>(value);
}

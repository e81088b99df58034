#include "about/colorcycle.h"

#include "forms/apperror.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace ColorCycle {

float Generator::next()
{
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    const std::uint64_t bits = (m_state * 0x2545F4914F6CDD1Dull) >> 40; // 24 bits
    return float(bits) * 0x1p-24f;
}

Generator& generator()
{
    static Generator instance;
    return instance;
}

double roundHalfEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below; // exact for every value a colour can take
    if (fraction > 0.5)
        return below + 1.0;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::int32_t scale(float fraction, std::int32_t packed)
{
    std::feclearexcept(FE_ALL_EXCEPT);
    const double product = double(fraction) * double(packed);
    const bool failed = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW) != 0;
    const double rounded = roundHalfEven(product);
    if (failed || !std::isfinite(rounded) || rounded < std::numeric_limits<std::int32_t>::min()
        || rounded > std::numeric_limits<std::int32_t>::max())
        throw AppError(AppError::FloatingPointError, QStringLiteral("Floating-point error"));
    return std::int32_t(rounded);
}

} // namespace ColorCycle

#pragma once

#include <cstdint>

// The link colours of the About box: each tick scales a packed colour number by a random
// fraction.
namespace ColorCycle {

inline constexpr std::int32_t WebColor = 10526820; // RGB(100, 160, 160)
inline constexpr std::int32_t MailColor = 2654800; // RGB(80, 130, 40)

// Uniform single-precision numbers in [0, 1): xorshift64* from a fixed start, its top 24 bits
// spread over the float's 24-bit mantissa, so 1.0 can never come out.
class Generator {
public:
    float next();

private:
    std::uint64_t m_state = 0x9E3779B97F4A7C15ull;
};

// The program's one generator: never reseeded, so every run draws the same sequence and
// reopening the About box goes on where it left off.
Generator& generator();

// Nearest integer, a tie going to the even one (2.5 gives 2, 3.5 gives 4).
double roundHalfEven(double value);

// fraction × packed in double precision, rounded half to even. Raises the floating-point error
// when the product is not a finite number within 32 bits.
std::int32_t scale(float fraction, std::int32_t packed);

} // namespace ColorCycle

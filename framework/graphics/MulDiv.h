#pragma once

// MulDiv: the rounding multiply-then-divide that all scaling goes through.

#include <cstdint>
#include <limits>

namespace sx {

// a * b / c with a 64-bit product, rounded to the nearest integer, halves away from zero.
// A zero divisor or a result beyond 32 bits gives -1, as the system's own routine does, so
// that scaling arithmetic never traps on a bad pixels-per-inch value.
constexpr std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t divisor = c;
  std::int64_t quotient = product / divisor;
  const std::int64_t remainder = product % divisor;
  const std::int64_t absRemainder = remainder < 0 ? -remainder : remainder;
  const std::int64_t absDivisor = divisor < 0 ? -divisor : divisor;
  if (2 * absRemainder >= absDivisor) quotient += (product < 0) != (divisor < 0) ? -1 : 1;
  if (quotient < std::numeric_limits<std::int32_t>::min() ||
      quotient > std::numeric_limits<std::int32_t>::max())
    return -1;
  return static_cast<std::int32_t>(quotient);
}

}  // namespace sx

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "framework/streaming/ValueReader.h"

namespace sx {
namespace {

Extended80 Make(std::uint64_t mantissa, std::uint16_t signAndExponent) {
  Extended80 value;
  for (int i = 0; i < 8; ++i)
    value.bytes[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
  value.bytes[8] = static_cast<std::uint8_t>(signAndExponent);
  value.bytes[9] = static_cast<std::uint8_t>(signAndExponent >> 8);
  return value;
}

std::uint64_t Bits(double d) {
  return std::bit_cast<std::uint64_t>(d);
}

constexpr std::uint64_t kOne = 0x8000000000000000ULL;  // the explicit integer bit

TEST(Extended80Test, TypicalValuesDecode) {
  EXPECT_EQ(Make(0xC000000000000000ULL, 0x3FFF).ToDouble(), 1.5);
  EXPECT_EQ(Make(kOne, 0xC000).ToDouble(), -2.0);
  EXPECT_EQ(Make(kOne, 0x3FFF).ToDouble(), 1.0);
  EXPECT_EQ(Make(0xCCCCCCCCCCCCCCCDULL, 0x3FFB).ToDouble(), 0.1);
  EXPECT_EQ(Make(0xC90FDAA22168C235ULL, 0x4000).ToDouble(), 3.14159265358979323846);
}

TEST(Extended80Test, ZerosKeepTheirSign) {
  EXPECT_EQ(Bits(Make(0, 0x0000).ToDouble()), Bits(0.0));
  EXPECT_EQ(Bits(Make(0, 0x8000).ToDouble()), Bits(-0.0));
}

TEST(Extended80Test, ExtendedDenormalsAreTooSmallForADouble) {
  EXPECT_EQ(Bits(Make(0x0000000000000001ULL, 0x0000).ToDouble()), Bits(0.0));
  EXPECT_EQ(Bits(Make(0x7FFFFFFFFFFFFFFFULL, 0x8000).ToDouble()), Bits(-0.0));
}

TEST(Extended80Test, SmallValuesBecomeDoubleDenormals) {
  const double smallest = std::numeric_limits<double>::denorm_min();  // 2^-1074
  EXPECT_EQ(Make(kOne, 16383 - 1074).ToDouble(), smallest);
  EXPECT_EQ(Make(kOne, 16383 - 1023).ToDouble(), std::ldexp(1.0, -1023));
  EXPECT_EQ(Make(0xC000000000000000ULL, 16383 - 1060).ToDouble(), std::ldexp(1.5, -1060));
}

TEST(Extended80Test, DenormalResultsRoundToNearestEven) {
  // Exactly half of the smallest denormal rounds to zero (even), anything above to it.
  EXPECT_EQ(Bits(Make(kOne, 16383 - 1075).ToDouble()), Bits(0.0));
  EXPECT_EQ(Make(kOne | 1, 16383 - 1075).ToDouble(), std::numeric_limits<double>::denorm_min());
  // 1.5 times the smallest denormal is a tie between 1 and 2 units and goes to 2.
  EXPECT_EQ(Make(0xC000000000000000ULL, 16383 - 1074).ToDouble(),
            2 * std::numeric_limits<double>::denorm_min());
  // Just below the smallest normal rounds up into it.
  EXPECT_EQ(Make(0xFFFFFFFFFFFFFFFFULL, 16383 - 1023).ToDouble(),
            std::numeric_limits<double>::min());
}

TEST(Extended80Test, NormalResultsRoundToNearestEven) {
  // 1 + 2^-53 is a tie and stays at 1; 1 + 3 * 2^-53 rounds up to 1 + 2^-51; a pattern with all
  // fraction bits set rounds up to 2.
  EXPECT_EQ(Make(kOne | (1ULL << 10), 0x3FFF).ToDouble(), 1.0);
  EXPECT_EQ(Make(kOne | (3ULL << 10), 0x3FFF).ToDouble(), 1.0 + std::ldexp(1.0, -51));
  EXPECT_EQ(Make(0xFFFFFFFFFFFFFFFFULL, 0x3FFF).ToDouble(), 2.0);
}

TEST(Extended80Test, ValuesBeyondTheDoubleRangeAreInfinite) {
  EXPECT_EQ(Make(kOne, 16383 + 1024).ToDouble(), std::numeric_limits<double>::infinity());
  EXPECT_EQ(Make(kOne, 0x8000 | (16383 + 5000)).ToDouble(),
            -std::numeric_limits<double>::infinity());
  EXPECT_EQ(Make(0xFFFFFFFFFFFFFFFFULL, 16383 + 1023).ToDouble(),
            std::numeric_limits<double>::infinity());
  EXPECT_EQ(Make(0xFFFFFFFFFFFFF800ULL, 16383 + 1023).ToDouble(),
            std::numeric_limits<double>::max());
}

TEST(Extended80Test, InfinitiesDecode) {
  EXPECT_EQ(Make(kOne, 0x7FFF).ToDouble(), std::numeric_limits<double>::infinity());
  EXPECT_EQ(Make(kOne, 0xFFFF).ToDouble(), -std::numeric_limits<double>::infinity());
}

TEST(Extended80Test, NaNsAndInvalidEncodingsDecodeAsNaN) {
  EXPECT_TRUE(std::isnan(Make(0xC000000000000000ULL, 0x7FFF).ToDouble()));
  EXPECT_TRUE(std::isnan(Make(kOne | 1, 0xFFFF).ToDouble()));  // signalling, low payload
  EXPECT_TRUE(std::isnan(Make(0, 0x7FFF).ToDouble()));         // pseudo-infinity
  EXPECT_TRUE(std::isnan(Make(0x4000000000000000ULL, 0x3FFF).ToDouble()));  // unnormal
  EXPECT_TRUE(std::signbit(Make(0xC000000000000000ULL, 0xFFFF).ToDouble()));
}

std::uint32_t Bits(float f) {
  return std::bit_cast<std::uint32_t>(f);
}

// A single is rounded from the stored value at once; through a double, values just above a
// tie would land on the tie and then round to even, and values just above the largest
// single would be taken for an overflow.
TEST(Extended80Test, SingleIsRoundedOnceToNearestEven) {
  const float maxSingle = std::numeric_limits<float>::max();
  const float minNormal = std::numeric_limits<float>::min();
  const float minDenormal = std::numeric_limits<float>::denorm_min();
  const float infinity = std::numeric_limits<float>::infinity();
  constexpr std::uint64_t kMaxMantissa = 0xFFFFFF0000000000ULL;  // 24 ones
  constexpr std::uint64_t kHalfStep = 1ULL << 39;  // half of the last place of a single
  const struct {
    const char* what;
    std::uint64_t mantissa;
    std::uint16_t signAndExponent;
    float expected;
  } cases[] = {
      {"one", kOne, 0x3FFF, 1.0f},
      {"tie rounds to even (down)", kOne | kHalfStep, 0x3FFF, 1.0f},
      {"tie rounds to even (up)", kOne | (3 * kHalfStep), 0x3FFF, 1.0f + std::ldexp(1.0f, -22)},
      {"just above a tie, below a double's last place", kOne | kHalfStep | 8, 0x3FFF,
       1.0f + std::ldexp(1.0f, -23)},
      {"negative just above a tie", kOne | kHalfStep | 1, 0xBFFF, -(1.0f + std::ldexp(1.0f, -23))},
      {"largest times 1 + 2^-30", kMaxMantissa + (kMaxMantissa >> 30), 16383 + 127, maxSingle},
      {"just below the overflow boundary", kMaxMantissa | (kHalfStep - 1), 16383 + 127, maxSingle},
      {"overflow boundary rounds to infinity", kMaxMantissa | kHalfStep, 16383 + 127, infinity},
      {"beyond the range", kOne, 16383 + 128, infinity},
      {"negative beyond the range", kOne, 0x8000 | (16383 + 200), -infinity},
      {"just below the smallest normal", 0xFFFFFFFFFFFFFFFFULL, 16383 - 127, minNormal},
      {"smallest denormal", kOne, 16383 - 149, minDenormal},
      {"half the smallest denormal is a tie to zero", kOne, 16383 - 150, 0.0f},
      {"just above half the smallest denormal", kOne | 8, 16383 - 150, minDenormal},
      {"denormal tie rounds to even", 0xC000000000000000ULL, 16383 - 149, 2 * minDenormal},
      {"far below the denormals", kOne, 16383 - 1000, 0.0f},
      {"negative zero", 0, 0x8000, -0.0f},
      {"extended denormal", 0x7FFFFFFFFFFFFFFFULL, 0x0000, 0.0f},
      {"infinity", kOne, 0x7FFF, infinity},
      {"negative infinity", kOne, 0xFFFF, -infinity},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Bits(Make(c.mantissa, c.signAndExponent).ToSingle()), Bits(c.expected));
  }
  for (const std::uint16_t top : {0x7FFF, 0xFFFF}) {
    EXPECT_TRUE(std::isnan(Make(0xC000000000000000ULL, top).ToSingle()));  // quiet NaN
    EXPECT_TRUE(std::isnan(Make(kOne | 1, top).ToSingle()));  // signalling, low payload
    EXPECT_EQ(std::signbit(Make(0xC000000000000000ULL, top).ToSingle()), top == 0xFFFF);
  }
  EXPECT_TRUE(std::isnan(Make(0x4000000000000000ULL, 0x3FFF).ToSingle()));  // unnormal
}

TEST(Extended80Test, IntegersConvertExactly) {
  for (std::int32_t v :
       {0, 1, -1, 2, -2, 96, -11, 65535, 0x7FFFFFFF, std::numeric_limits<std::int32_t>::min()}) {
    SCOPED_TRACE(v);
    EXPECT_EQ(Extended80::FromInt(v).ToDouble(), static_cast<double>(v));
  }
}

TEST(Extended80Test, IntegerEncodingIsNormalised) {
  const Extended80 two = Extended80::FromInt(-2);
  const Extended80 expected = Make(kOne, 0xC000);
  EXPECT_EQ(std::memcmp(two.bytes, expected.bytes, 10), 0);
  const Extended80 zero = Extended80::FromInt(0);
  EXPECT_EQ(std::memcmp(zero.bytes, Make(0, 0).bytes, 10), 0);
}

#if (defined(__x86_64__) || defined(__i386__)) && !defined(_MSC_VER)
// Where the compiler's long double is the coprocessor's format, its conversions are the
// reference for every finite pattern.
TEST(Extended80Test, DecodingAgreesWithTheCoprocessorOnRandomPatterns) {
  if (std::numeric_limits<long double>::digits != 64)
    GTEST_SKIP() << "long double is not 80-bit here";
  std::mt19937_64 random(20240601);
  for (int i = 0; i < 200000; ++i) {
    std::uint64_t mantissa = random() | kOne;
    // Every fifth pattern lies just above a tie of the single's last place, with the excess
    // below a double's.
    if (i % 5 == 0)
      mantissa = (mantissa & ~((1ULL << 40) - 1)) | (1ULL << 39) | (random() & 0x3FF) | 1;
    // Exponents spread over the whole range, with most near the range edges of both.
    const struct {
      int lowest, count;
    } ranges[] = {
        {0, 0x7FFF},              // anywhere
        {16383 - 1022 - 59, 60},  // the double's denormals
        {16383 + 1020, 8},        // the double's largest
        {16383 - 30, 60},         // ordinary values
        {16383 - 126 - 29, 30},   // the single's denormals
        {16383 + 124, 6},         // the single's largest
    };
    const auto& range = ranges[i % std::size(ranges)];
    const auto exponent = static_cast<std::uint16_t>(
        range.lowest + static_cast<int>(random() % static_cast<unsigned>(range.count)));
    if (exponent == 0) continue;
    const auto top = static_cast<std::uint16_t>(exponent | ((random() & 1) ? 0x8000 : 0));
    const Extended80 value = Make(mantissa, top);
    long double reference = 0;
    std::memcpy(&reference, value.bytes, 10);
    ASSERT_EQ(Bits(value.ToDouble()), Bits(static_cast<double>(reference)))
        << std::hex << mantissa << " " << top;
    ASSERT_EQ(Bits(value.ToSingle()), Bits(static_cast<float>(reference)))
        << std::hex << mantissa << " " << top;
  }
}
#endif

}  // namespace
}  // namespace sx

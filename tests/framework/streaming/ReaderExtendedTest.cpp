#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "framework/streaming/Reader.h"

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
// Where the compiler's long double is the coprocessor's format, its conversion is the
// reference for every finite pattern.
TEST(Extended80Test, DecodingAgreesWithTheCoprocessorOnRandomPatterns) {
  if (std::numeric_limits<long double>::digits != 64)
    GTEST_SKIP() << "long double is not 80-bit here";
  std::mt19937_64 random(20240601);
  for (int i = 0; i < 200000; ++i) {
    const std::uint64_t mantissa = random() | kOne;
    // Exponents spread over the whole range, with most near the double's range edges.
    std::uint16_t exponent;
    switch (i % 4) {
      case 0:
        exponent = static_cast<std::uint16_t>(random() % 0x7FFF);
        break;
      case 1:
        exponent = static_cast<std::uint16_t>(16383 - 1022 - static_cast<int>(random() % 60));
        break;
      case 2:
        exponent = static_cast<std::uint16_t>(16383 + 1020 + static_cast<int>(random() % 8));
        break;
      default:
        exponent = static_cast<std::uint16_t>(16383 - 30 + static_cast<int>(random() % 60));
        break;
    }
    if (exponent == 0) continue;
    const auto top = static_cast<std::uint16_t>(exponent | ((random() & 1) ? 0x8000 : 0));
    const Extended80 value = Make(mantissa, top);
    long double reference = 0;
    std::memcpy(&reference, value.bytes, 10);
    ASSERT_EQ(Bits(value.ToDouble()), Bits(static_cast<double>(reference)))
        << std::hex << mantissa << " " << top;
  }
}
#endif

}  // namespace
}  // namespace sx

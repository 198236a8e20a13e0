#include <gtest/gtest.h>

#include <clocale>
#include <limits>

#include "model/number_text.h"

using namespace velkor;

// Regression: a typed "1e400" was stored as 1.8e308 and turned the solver's sums infinite.
TEST(ReadReal, TooLargeOrNotANumberReadsAsZero) {
    EXPECT_EQ(readReal("1e400"), 0);
    EXPECT_EQ(readReal("-1e400"), 0);
    EXPECT_EQ(readReal("inf"), 0);
    EXPECT_EQ(readReal("nan"), 0);
    EXPECT_EQ(readReal("1e308"), 1e308);
}

TEST(ReadReal, StandardDecimalConversion) {
    EXPECT_EQ(readReal("  12.5"), 12.5);
    EXPECT_EQ(readReal("12.5 m"), 12.5);
    EXPECT_EQ(readReal("-3e2x"), -300);
    EXPECT_EQ(readReal("+.25"), 0.25);
    EXPECT_EQ(readReal("7."), 7);
    EXPECT_EQ(readReal("1e"), 1); // an exponent without digits is not part of the number
    EXPECT_EQ(readReal("abc"), 0);
    EXPECT_EQ(readReal(""), 0);
    EXPECT_EQ(readReal("-"), 0);
    EXPECT_EQ(readReal("."), 0);
}

TEST(ReadReal, OnlyDecimalFormsCount) {
    EXPECT_FALSE(scanReal("nan").found);
    EXPECT_FALSE(scanReal("inf").found);
    EXPECT_FALSE(scanReal("-Infinity").found);
    const ScannedNumber hex = scanReal("0x1p3");
    EXPECT_TRUE(hex.found);
    EXPECT_EQ(hex.value, 0); // "0", then stops at the x
    EXPECT_EQ(hex.length, 1u);
}

TEST(ReadReal, OverflowIsFlaggedAndUnderflowReadsAsZero) {
    const ScannedNumber big = scanReal("1e400");
    EXPECT_TRUE(big.found);
    EXPECT_TRUE(big.overflow);
    EXPECT_EQ(big.value, std::numeric_limits<double>::max());
    const ScannedNumber tiny = scanReal("1e-400");
    EXPECT_TRUE(tiny.found);
    EXPECT_FALSE(tiny.overflow);
    EXPECT_EQ(tiny.value, 0);
    EXPECT_EQ(scanReal("1e308").value, 1e308);
}

TEST(ReadReal, IgnoresACommaLocale) {
    // The program sets the C locale for numbers, but the conversion must not depend on it.
    const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(readReal("1.5"), 1.5);
    if (previous) std::setlocale(LC_NUMERIC, "C");
}

TEST(ReadInteger, LeadingIntegerOfTheText) {
    EXPECT_EQ(readInteger(" 42"), 42);
    EXPECT_EQ(readInteger("12.7"), 12);
    EXPECT_EQ(readInteger("-5abc"), -5);
    EXPECT_EQ(readInteger("x5"), 0);
    EXPECT_EQ(readInteger("+19"), 19);
}

TEST(ReadInteger, OverflowClampsToTheInt32Range) {
    const ScannedNumber big = scanInteger("99999999999");
    EXPECT_TRUE(big.overflow);
    EXPECT_EQ(static_cast<int32_t>(big.value), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(readInteger("-99999999999"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(scanInteger("-2147483648").overflow, false);
    EXPECT_EQ(scanInteger("99999999999").length, 11u);
}

TEST(Format, PrintfPatternsOfAnyLength) {
    EXPECT_EQ(format("%12d", 42), "          42");
    EXPECT_EQ(format("%15.3f", 100.0), "        100.000");
    const std::string wide = format("%300.1f", 1.0);
    EXPECT_EQ(wide.size(), 300u);
    EXPECT_EQ(wide.substr(297), "1.0");
}

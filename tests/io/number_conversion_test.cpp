// The number conversions of the datafile: fixed decimals written byte for byte as printf writes
// them, and decimals read to the double strtod gives, on the short cuts the datafile takes and on
// the values around them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "model/number_text.h"

using namespace velkor;

namespace {

std::string fixed(double value, int decimals) {
    char text[400];
    return std::string(text, writeFixed(text, value, decimals));
}

std::string printed(double value, int decimals) {
    char text[400];
    const int length = std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return std::string(text, static_cast<std::size_t>(length));
}

} // namespace

TEST(FixedDecimals, HalvesRoundToTheEvenNeighbourAsPrintfDoes) {
    // 0.0625 and 2.5 are exact binary values: true ties, which go to the even digit.
    EXPECT_EQ(fixed(0.0625, 3), "0.062");
    EXPECT_EQ(fixed(0.0375, 3), printed(0.0375, 3)); // not a tie in binary
    EXPECT_EQ(fixed(2.5, 0), "2");
    EXPECT_EQ(fixed(3.5, 0), "4");
    EXPECT_EQ(fixed(1.0005, 3), printed(1.0005, 3)); // just below the half in binary: 1.000
    EXPECT_EQ(fixed(1.0005, 3), "1.000");
    EXPECT_EQ(fixed(1.0015, 3), "1.002"); // just above it
    EXPECT_EQ(fixed(-0.0, 3), "-0.000");
    EXPECT_EQ(fixed(-0.0004, 3), "-0.000");
    EXPECT_EQ(fixed(999999.9996, 3), "1000000.000");
    EXPECT_EQ(fixed(123.456, 0), "123");
    EXPECT_EQ(fixed(1e15, 3), "1000000000000000.000"); // the general conversion
}

TEST(FixedDecimals, SameBytesAsPrintfForEveryMagnitudeAndDecimalCount) {
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_int_distribution<int> power(-12, 14);
    int compared = 0;
    for (int k = 0; k < 200000; ++k) {
        const double value = unit(random) * std::pow(10.0, power(random));
        const int decimals = k % 10;
        ASSERT_EQ(fixed(value, decimals), printed(value, decimals)) << value << " with " << decimals;
        ++compared;
    }
    // Values a few units of the last place away from the halves of the last decimal.
    for (int units = 0; units < 20000; ++units) {
        const double half = (units + 0.5) / 1000;
        for (double value = std::nextafter(half, 0), n = 0; n < 5; ++n, value = std::nextafter(value, 1))
            ASSERT_EQ(fixed(value, 3), printed(value, 3)) << value;
    }
    EXPECT_EQ(compared, 200000);
}

TEST(DecimalReading, PlainDecimalsReadAsStrtodReadsThem) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> digitCount(1, 18), pointAt(0, 18), digit(0, 9);
    for (int k = 0; k < 200000; ++k) {
        std::string text = k % 3 == 0 ? "-" : "";
        const int count = digitCount(random), point = pointAt(random);
        for (int d = 0; d < count; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + digit(random));
        }
        const ScannedNumber number = scanReal(text);
        ASSERT_TRUE(number.found) << text;
        ASSERT_EQ(number.length, text.size()) << text;
        ASSERT_EQ(number.value, std::strtod(text.c_str(), nullptr)) << text;
    }
    // The field ends at the comma; forms with an exponent take the full conversion.
    EXPECT_EQ(scanReal("  12.500,").value, 12.5);
    EXPECT_EQ(scanReal("  12.500,").length, 8u);
    EXPECT_EQ(scanReal("1.25e2").value, 125);
    EXPECT_EQ(scanReal("0.1").value, 0.1);
    EXPECT_TRUE(std::signbit(scanReal("-0.000").value));
}

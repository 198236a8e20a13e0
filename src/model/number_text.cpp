#include "model/number_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <vector>

namespace velkor {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t skipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return i;
}

} // namespace

ScannedNumber scanReal(std::string_view text) {
    ScannedNumber result;
    std::size_t i = skipBlanks(text);
    const std::size_t start = i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    // The digits are gathered as a whole number on the way (significant ones: from the first that
    // is not 0), for the exact quotient below.
    std::size_t digits = 0;
    uint64_t whole = 0;
    int significant = 0;
    int decimals = 0;
    auto gather = [&](char c) {
        whole = whole * 10 + static_cast<uint64_t>(c - '0');
        if (whole != 0) ++significant;
    };
    while (i < text.size() && isDigit(text[i])) {
        if (significant < 16) gather(text[i]);
        ++i, ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            if (significant < 16) gather(text[i]);
            ++i, ++digits, ++decimals;
        }
    }
    if (digits == 0) return result;
    // The numbers of a datafile are plain decimals with a few digits after the point ("123.456").
    // While the digits and the power of ten are exact doubles (at most 15 significant digits, 22
    // decimals), the one division rounds the exact quotient correctly, which is the value the full
    // conversion gives, in a fraction of its time.
    const bool scaled = i < text.size() && (text[i] == 'e' || text[i] == 'E');
    if (!scaled && significant <= 15 && decimals <= 22) {
        static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        const double magnitude = static_cast<double>(whole) / kPowers[decimals];
        result.value = negative ? -magnitude : magnitude;
        result.length = i;
        result.found = true;
        return result;
    }
    // An exponent counts only when at least one digit follows it.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    double magnitude = 0;
    const char* first = text.data() + mantissaStart;
    const char* last = text.data() + i;
    const auto [ptr, error] = std::from_chars(first, last, magnitude, std::chars_format::general);
    (void)start;
    if (error == std::errc::result_out_of_range) {
        // Either far too large or a denormal underflow; from_chars leaves the value unset.
        // Decide by the decimal exponent: a huge number overflows, a tiny one reads as 0.
        std::size_t e = mantissaStart;
        while (e < i && text[e] != 'e' && text[e] != 'E')
            ++e;
        long exponent = 0;
        if (e < i) {
            std::string_view exponentText = text.substr(e + 1, i - e - 1);
            long value = 0;
            bool expNegative = false;
            std::size_t k = 0;
            if (k < exponentText.size() && (exponentText[k] == '+' || exponentText[k] == '-'))
                expNegative = exponentText[k++] == '-';
            for (; k < exponentText.size(); ++k) {
                if (value < 100000) value = value * 10 + (exponentText[k] - '0');
            }
            exponent = expNegative ? -value : value;
        }
        if (exponent < 0) {
            magnitude = 0;
        } else {
            magnitude = std::numeric_limits<double>::max();
            result.overflow = true;
        }
    } else if (ptr != last) {
        // from_chars took less than we scanned (cannot happen for the forms above).
        return result;
    }
    result.value = negative ? -magnitude : magnitude;
    result.length = i;
    result.found = true;
    return result;
}

ScannedNumber scanInteger(std::string_view text) {
    ScannedNumber result;
    std::size_t i = skipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || !isDigit(text[i])) return result;
    int64_t value = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    while (i < text.size() && isDigit(text[i])) {
        if (!result.overflow) {
            value = value * 10 + (text[i] - '0');
            if (value > limit) {
                value = limit;
                result.overflow = true;
            }
        }
        ++i;
    }
    result.value = static_cast<double>(negative ? -value : value);
    result.length = i;
    result.found = true;
    return result;
}

char* writeFixed(char* out, double value, int decimals) {
    static constexpr double kScale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const double magnitude = std::fabs(value);
    // Below 1e6 every scaled value stays under 2^52, where the whole and fractional parts of a
    // double are exact; the exact product is the rounded one plus fma's remainder. Larger values,
    // and values that are not finite, take the general conversion.
    if (decimals < 0 || decimals > 9 || !(magnitude < 1e6)) {
        const auto result = std::to_chars(out, out + 330, value, std::chars_format::fixed, decimals);
        if (result.ec == std::errc{}) return result.ptr;
        const int length = std::snprintf(out, 330, "%.*f", decimals, value);
        return out + std::clamp(length, 0, 329);
    }
    const double scaled = magnitude * kScale[decimals];
    const double remainder = std::fma(magnitude, kScale[decimals], -scaled);
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    auto units = static_cast<uint64_t>(whole);
    // printf rounds the exact binary value to nearest, a tie to the even neighbour. The fraction and
    // one half are both whole multiples of the last place of scaled, which the remainder is less
    // than half of: only an exact half can be tipped by it.
    if (fraction > 0.5 || (fraction == 0.5 && (remainder > 0 || (remainder == 0 && (units & 1) != 0))))
        ++units;
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + units % 10);
        units /= 10;
    } while (units != 0);
    while (count <= decimals)
        digits[count++] = '0';
    if (std::signbit(value)) *out++ = '-';
    while (count > decimals)
        *out++ = digits[--count];
    if (decimals > 0) {
        *out++ = '.';
        while (count > 0)
            *out++ = digits[--count];
    }
    return out;
}

double readReal(std::string_view text) {
    // A number too large for a double is no number: the grid's rule for unreadable text applies,
    // and nothing infinite (or held at the largest double) reaches the model.
    const ScannedNumber number = scanReal(text);
    return number.overflow ? 0 : number.value;
}

int32_t readInteger(std::string_view text) {
    return static_cast<int32_t>(scanInteger(text).value);
}

bool isNumberText(std::string_view text, bool whole) {
    const ScannedNumber number = whole ? scanInteger(text) : scanReal(text);
    if (!number.found || number.overflow) return false;
    return text.find_first_not_of(" \t", number.length) == std::string_view::npos;
}

std::string format(const char* pattern, ...) {
    char small[256];
    va_list args;
    va_start(args, pattern);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(small, sizeof small, pattern, args);
    va_end(args);
    if (needed < 0) {
        va_end(copy);
        return {};
    }
    const auto length = static_cast<std::size_t>(needed);
    if (length < sizeof small) {
        va_end(copy);
        return std::string(small, length);
    }
    std::string big(length + 1, '\0');
    std::vsnprintf(big.data(), big.size(), pattern, copy);
    va_end(copy);
    big.resize(length);
    return big;
}

std::string cutTo(std::string_view text, std::size_t count) {
    return std::string(text.substr(0, std::min(count, text.size())));
}

} // namespace velkor

// The one conversion of typed or read text into numbers, and printf-style formatting.
//
// Conversion follows the standard decimal rules: leading blanks are skipped, the number ends at
// the first character that does not fit, text that does not begin with a number reads as 0.
// Only decimal forms are accepted ("nan", "inf" and hexadecimal read as no number), and the
// conversion never depends on the locale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velkor {

struct ScannedNumber {
    double value = 0;       // 0 when no number was found
    std::size_t length = 0; // characters used, leading blanks included; 0 when no number
    bool found = false;     // a number began the text
    bool overflow = false;  // the number does not fit (value clamped to the nearest finite limit)
};

// Leading decimal real: [blanks][sign]digits[.digits][e[sign]digits], or .digits.
ScannedNumber scanReal(std::string_view text);
// Leading decimal integer: [blanks][sign]digits; overflow clamps to the int32 range.
ScannedNumber scanInteger(std::string_view text);

// Convenience forms used by the grids and boxes: no number gives 0, and so does a real too large
// for a double ("1e400").
double readReal(std::string_view text);
int32_t readInteger(std::string_view text);

// True when the text is one number and nothing else (blanks around it allowed): a real that fits
// a double, or with `whole` an integer that fits 32 bits. Letters, a decimal comma ("1,5"),
// "1e400", "nan" and empty text are no number.
bool isNumberText(std::string_view text, bool whole);

// Writes value with the given decimals (0 to 9) as printf("%.*f") does in the C locale, byte for
// byte, without a terminating zero; returns the end. out must hold 330 characters.
char* writeFixed(char* out, double value, int decimals);

// printf-style formatting into a std::string (numbers always with a decimal point).
std::string format(const char* pattern, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// First count bytes of text (texts are single-byte Windows-1252).
std::string cutTo(std::string_view text, std::size_t count);

} // namespace velkor

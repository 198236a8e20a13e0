#include "paint/text_codec.h"

namespace velkor {

namespace {

// Code points of the bytes 0x80..0x9F; 0 where Windows-1252 has no character.
constexpr char16_t kHighControls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QString fromWindows1252(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80] != 0)
            result.append(QChar(kHighControls[byte - 0x80]));
        else
            result.append(QChar(static_cast<char16_t>(byte)));
    }
    return result;
}

std::string toWindows1252(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x80 || (code >= 0xA0 && code < 0x100)) {
            result.push_back(static_cast<char>(code));
            continue;
        }
        char byte = '?';
        if (code >= 0x80 && code < 0xA0 && kHighControls[code - 0x80] == 0) byte = static_cast<char>(code);
        for (int k = 0; k < 32; ++k)
            if (kHighControls[k] == code) byte = static_cast<char>(0x80 + k);
        result.push_back(byte);
    }
    return result;
}

} // namespace velkor

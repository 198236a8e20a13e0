#include "paint/font_table.h"

#include <array>
#include <string_view>

#include "paint/text_codec.h"

namespace velkor {

namespace {

struct FaceTwin {
    std::string_view named;
    const char* installed;
};

constexpr std::array kTwins{
    FaceTwin{"Courier New", "Liberation Mono"},
    FaceTwin{"Arial", "Liberation Sans"},
    FaceTwin{"MS Sans Serif", "Liberation Sans"},
};

} // namespace

QString installedFace(const std::string& face) {
    for (const FaceTwin& twin : kTwins)
        if (twin.named == face) return QString::fromLatin1(twin.installed);
    return fromWindows1252(face);
}

QFont qtFont(const Font& font) {
    QFont result(installedFace(font.face));
    if (font.pixels)
        result.setPixelSize(font.size > 0 ? font.size : 1);
    else
        result.setPointSize(font.size > 0 ? font.size : 1);
    result.setBold(font.bold);
    result.setItalic(font.italic);
    result.setStyleHint(font.face == "Courier New" ? QFont::TypeWriter : QFont::SansSerif);
    result.setKerning(false);
    return result;
}

} // namespace velkor

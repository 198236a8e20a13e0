// The program's texts are single-byte Windows-1252 (the datafile's "m³/d" holds the byte 0xB3);
// Qt's are Unicode. Every text crosses between the two here and nowhere else.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace velkor {

QString fromWindows1252(std::string_view text);
// Characters without a Windows-1252 byte become '?'.
std::string toWindows1252(const QString& text);

} // namespace velkor

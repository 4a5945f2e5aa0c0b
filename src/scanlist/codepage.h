// Conversions between the program's GBK texts (code page 936) and Unicode.
// The core keeps every text as GBK bytes; these routines are the only place
// where text changes encoding. Native builds convert with iconv, Windows
// builds with MultiByteToWideChar/WideCharToMultiByte on code page 936.
#pragma once

#include <string>
#include <string_view>

namespace scanlist {

// GBK bytes to UTF-16. Bytes that are not valid GBK become U+FFFD; never fails.
std::u16string GbkToUtf16(std::string_view gbk);

// UTF-16 to GBK. Characters that GBK lacks become '?'; never fails.
std::string Utf16ToGbk(std::u16string_view utf16);

// Convenience forms through UTF-8 (tests, command-line tools, CSV output).
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace scanlist

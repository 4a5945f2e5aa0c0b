// GBK <-> UTF-16 through the Win32 code page 936 conversions (Windows builds).
#include <windows.h>

#include "codepage.h"

namespace scanlist {

constexpr UINT kCodePageGbk = 936;

std::u16string GbkToUtf16(std::string_view gbk) {
  if (gbk.empty()) {
    return {};
  }
  const int n = MultiByteToWideChar(kCodePageGbk, 0, gbk.data(), static_cast<int>(gbk.size()),
                                    nullptr, 0);
  if (n <= 0) {
    return {};
  }
  std::u16string out(static_cast<size_t>(n), u'\0');
  const int m = MultiByteToWideChar(kCodePageGbk, 0, gbk.data(), static_cast<int>(gbk.size()),
                                    reinterpret_cast<wchar_t*>(out.data()), n);
  out.resize(m > 0 ? static_cast<size_t>(m) : 0);
  return out;
}

std::string Utf16ToGbk(std::u16string_view utf16) {
  if (utf16.empty()) {
    return {};
  }
  const auto* w = reinterpret_cast<const wchar_t*>(utf16.data());
  const int len = static_cast<int>(utf16.size());
  const int n = WideCharToMultiByte(kCodePageGbk, 0, w, len, nullptr, 0, "?", nullptr);
  if (n <= 0) {
    return {};
  }
  std::string out(static_cast<size_t>(n), '\0');
  const int m = WideCharToMultiByte(kCodePageGbk, 0, w, len, out.data(), n, "?", nullptr);
  out.resize(m > 0 ? static_cast<size_t>(m) : 0);
  return out;
}

}  // namespace scanlist

// Currency text in the user's locale, as Windows formats it.
#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "database/value_text.h"
#include "scanlist/codepage.h"

namespace database {

std::string CurrencyText(int64_t scaled) {
  // GetCurrencyFormatW wants the number as plain text: "-1234.5678".
  const bool negative = scaled < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  wchar_t number[40];
  std::swprintf(number, 40, L"%ls%" PRIu64 L".%04" PRIu64, negative ? L"-" : L"", magnitude / 10000,
                magnitude % 10000);
  const int size = GetCurrencyFormatW(LOCALE_USER_DEFAULT, 0, number, nullptr, nullptr, 0);
  if (size <= 0) return std::string();
  std::wstring out(static_cast<size_t>(size), L'\0');
  if (GetCurrencyFormatW(LOCALE_USER_DEFAULT, 0, number, nullptr, out.data(), size) <= 0) {
    return std::string();
  }
  out.resize(static_cast<size_t>(size - 1));
  return scanlist::Utf16ToGbk(std::u16string(out.begin(), out.end()));
}

}  // namespace database

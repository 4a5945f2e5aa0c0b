// Currency text where no system locale is asked: the Chinese (PRC) form,
// full-width yuan sign, thousands separators, two decimals, rounded half away
// from zero; negative values "￥-1.50".
#include <cinttypes>
#include <cstdio>
#include <string>

#include "database/value_text.h"

namespace database {

std::string CurrencyText(int64_t scaled) {
  const bool negative = scaled < 0;
  // |scaled| / 100 rounded: cents.
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  const uint64_t cents = (magnitude + 50) / 100;
  const std::string digits = std::to_string(cents / 100);
  std::string whole;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) whole.push_back(',');
    whole.push_back(digits[i]);
  }
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%02" PRIu64, cents % 100);
  return std::string("\xA3\xA4") + (negative ? "-" : "") + whole + fraction;  // GBK "￥"
}

}  // namespace database

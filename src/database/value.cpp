#include "database/value.h"

#include <cmath>
#include <cstdio>

namespace database {

void DecodeText(std::string_view stored, std::u16string* out) {
  out->clear();
  const auto* p = reinterpret_cast<const uint8_t*>(stored.data());
  const size_t n = stored.size();
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    // Compressed: one byte per character; a zero byte at a character boundary
    // switches between that and two bytes per character.
    out->resize(n - 2);  // at most one character per byte
    char16_t* w = out->data();
    bool compressed = true;
    size_t i = 2;
    while (i < n) {
      if (p[i] == 0) {
        compressed = !compressed;
        ++i;
      } else if (compressed) {
        *w++ = p[i++];
      } else if (i + 1 < n) {
        *w++ = static_cast<char16_t>(p[i] | (p[i + 1] << 8));
        i += 2;
      } else {
        break;
      }
    }
    out->resize(static_cast<size_t>(w - out->data()));
    return;
  }
  out->resize(n / 2);
  for (size_t i = 0; i < n / 2; ++i) {
    (*out)[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
  }
}

std::string GuidText(std::string_view bytes) {
  if (bytes.size() != 16) return std::string();
  const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                b[3], b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return buf;
}

double Decimal::ToDouble() const {
  const double magnitude = static_cast<double>(high) * 18446744073709551616.0 + static_cast<double>(low);
  const double v = magnitude / std::pow(10.0, scale);
  return negative ? -v : v;
}

std::string Decimal::ToString() const {
  // Repeated division of the 128-bit magnitude by 10.
  uint32_t words[4] = {static_cast<uint32_t>(high >> 32), static_cast<uint32_t>(high),
                       static_cast<uint32_t>(low >> 32), static_cast<uint32_t>(low)};
  std::string digits;
  bool nonZero = true;
  while (nonZero) {
    uint64_t rem = 0;
    nonZero = false;
    for (uint32_t& w : words) {
      const uint64_t cur = (rem << 32) | w;
      w = static_cast<uint32_t>(cur / 10);
      rem = cur % 10;
      nonZero = nonZero || w != 0;
    }
    digits.insert(digits.begin(), static_cast<char>('0' + rem));
  }
  while (digits.size() <= scale) digits.insert(digits.begin(), '0');
  if (scale > 0) digits.insert(digits.end() - scale, '.');
  const bool zero = high == 0 && low == 0;
  return (negative && !zero) ? "-" + digits : digits;
}

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's algorithm).
void CivilFromDays(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2 ? 1 : 0));
}

}  // namespace

bool AccessDateToParts(double date, DateParts* parts) {
  *parts = DateParts{};
  if (!std::isfinite(date) || std::fabs(date) > 3.0e6) return false;  // beyond year 10000
  // The integer part counts days (towards zero); the fraction is the time of
  // day even for negative dates.
  const double dayPart = std::trunc(date);
  int64_t seconds = std::llround(std::fabs(date - dayPart) * 86400.0);
  int64_t days = static_cast<int64_t>(dayPart);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += 1;  // the time wraps into the next calendar day
  }
  // 1899-12-30 is day -25569 from 1970-01-01.
  CivilFromDays(days - 25569, &parts->year, &parts->month, &parts->day);
  parts->hour = static_cast<int>(seconds / 3600);
  parts->minute = static_cast<int>(seconds / 60 % 60);
  parts->second = static_cast<int>(seconds % 60);
  return true;
}

}  // namespace database

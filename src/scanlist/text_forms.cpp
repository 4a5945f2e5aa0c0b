#include "scanlist/text_forms.h"

#include <cstdio>
#include <ctime>


namespace scanlist {
namespace {

// GBK bytes of the unit characters, so the source does not depend on the
// compiler's execution character set.
constexpr char kYear[] = "\xC4\xEA";    // 年
constexpr char kMonth[] = "\xD4\xC2";   // 月
constexpr char kDay[] = "\xC8\xD5";     // 日
constexpr char kHour[] = "\xCA\xB1";    // 时
constexpr char kMinute[] = "\xB7\xD6";  // 分
constexpr char kSecond[] = "\xC3\xEB";  // 秒
constexpr char kCountPrefix[] = "\xB9\xB2\xBC\xC6";            // 共计
constexpr char kCountSuffix[] = "\xCC\xF5\xBC\xC7\xC2\xBC";    // 条记录

}  // namespace

std::string NumberText(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.13g", value);
  return buf;
}

std::string TimeText(const DateTime& t) {
  std::string s = std::to_string(t.year) + kYear + std::to_string(t.month) + kMonth +
                  std::to_string(t.day) + kDay;
  if (t.second != 0) {
    s += std::to_string(t.hour) + kHour + std::to_string(t.minute) + kMinute +
         std::to_string(t.second) + kSecond;
  } else if (t.minute != 0) {
    s += std::to_string(t.hour) + kHour + std::to_string(t.minute) + kMinute;
  } else if (t.hour != 0) {
    s += std::to_string(t.hour) + kHour;
  }
  return s;
}

DateTime LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
#if defined(_WIN32)
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string BytesToText(std::string_view bytes) {
  const size_t zero = bytes.find('\0');
  return std::string(zero == std::string_view::npos ? bytes : bytes.substr(0, zero));
}

std::vector<std::string> SplitText(std::string_view text, std::string_view delimiter) {
  std::vector<std::string> fields;
  if (text.empty()) {
    return fields;
  }
  if (delimiter.empty()) {
    fields.emplace_back(text);
    return fields;
  }
  const size_t len = delimiter.size();
  size_t fieldStart = 0;
  size_t pos = 0;
  while (text.size() - pos >= len) {
    if (text.compare(pos, len, delimiter) == 0) {
      fields.emplace_back(text.substr(fieldStart, pos - fieldStart));
      pos += len;
      fieldStart = pos;
    } else if (static_cast<unsigned char>(text[pos]) & 0x80) {
      pos += 2;  // lead byte and its trail byte are one character
      if (pos > text.size()) {
        break;
      }
    } else {
      ++pos;
    }
  }
  if (fieldStart < text.size()) {
    fields.emplace_back(text.substr(fieldStart));
  }
  return fields;
}

std::string CountCaption(double count) { return kCountPrefix + NumberText(count) + kCountSuffix; }

}  // namespace scanlist

// The text forms in which the receiver shows and stores numbers, times and
// received bytes, and the double-byte aware text splitter. All texts are GBK
// byte strings; an empty text and a missing text are the same.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scanlist {

// A local wall-clock time with whole seconds.
struct DateTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;  // 0..23
  int minute = 0;
  int second = 0;
};

// A number by the C conversion "%.13g": whole numbers below 10^13 as plain digits.
std::string NumberText(double value);

// "%d年%d月%d日" and then the hour, minute and second parts with trailing zero
// units dropped: 9时7分4秒, 9时7分, 9时, or nothing at exactly midnight.
std::string TimeText(const DateTime& t);

// The current local time, to whole seconds.
DateTime LocalNow();

// The bytes up to, not including, the first zero byte.
std::string BytesToText(std::string_view bytes);

// Cuts text at every occurrence of delimiter. Empty inner fields are kept, an
// empty last field is not; a delimiter only matches where a GBK character
// begins, so the trail byte of a double-byte character never takes part.
std::vector<std::string> SplitText(std::string_view text, std::string_view delimiter);

// "共计" + NumberText(count) + "条记录".
std::string CountCaption(double count);

}  // namespace scanlist

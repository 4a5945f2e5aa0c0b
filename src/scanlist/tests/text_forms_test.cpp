#include "scanlist/text_forms.h"

#include <gtest/gtest.h>

#include "scanlist/codepage.h"

namespace scanlist {
namespace {

// Test texts are written in UTF-8 and compared as the GBK bytes the program uses.
std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

TEST(TimeText, DropsTrailingZeroUnitsOnly) {
  struct Case {
    DateTime t;
    const char* utf8;
  } cases[] = {
      {{2024, 3, 5, 9, 7, 4}, "2024年3月5日9时7分4秒"},
      {{2024, 3, 5, 9, 7, 0}, "2024年3月5日9时7分"},
      {{2024, 3, 5, 9, 0, 0}, "2024年3月5日9时"},
      {{2024, 3, 5, 0, 0, 0}, "2024年3月5日"},
      {{2024, 3, 5, 0, 0, 30}, "2024年3月5日0时0分30秒"},
      {{2024, 3, 5, 0, 5, 0}, "2024年3月5日0时5分"},
      {{2024, 3, 5, 9, 0, 4}, "2024年3月5日9时0分4秒"},
      {{2023, 12, 31, 23, 59, 59}, "2023年12月31日23时59分59秒"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(TimeText(c.t), G(c.utf8));
  }
}

TEST(NumberText, WholeNumbersArePlainDigits) {
  EXPECT_EQ(NumberText(12), "12");
  EXPECT_EQ(NumberText(0), "0");
  EXPECT_EQ(NumberText(-3), "-3");
  EXPECT_EQ(NumberText(1000000), "1000000");
  EXPECT_EQ(NumberText(9999999999999.0), "9999999999999");
  EXPECT_EQ(NumberText(0.5), "0.5");
  EXPECT_EQ(CountCaption(12), G("共计12条记录"));
}

TEST(BytesToText, StopsAtFirstZeroByte) {
  EXPECT_EQ(BytesToText(std::string("6901||x\0more", 12)), "6901||x");
  EXPECT_EQ(BytesToText("abc"), "abc");
  EXPECT_EQ(BytesToText(std::string("\0abc", 4)), "");
  EXPECT_EQ(BytesToText(""), "");
}

TEST(SplitText, FieldsAtDoubleBar) {
  using V = std::vector<std::string>;
  struct Case {
    const char* text;
    V fields;
  } cases[] = {
      {"690||A区", {"690", "A区"}},
      {"abc", {"abc"}},
      {"abc||", {"abc"}},
      {"||abc", {"", "abc"}},
      {"a||||b", {"a", "", "b"}},
      {"a|||b", {"a", "|b"}},
      {"a||b||c", {"a", "b", "c"}},
      {"||", {""}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    V expected;
    for (const auto& f : c.fields) expected.push_back(G(f));
    EXPECT_EQ(SplitText(G(c.text), "||"), expected);
  }
}

TEST(SplitText, DelimiterNeverMatchesATrailByte) {
  // 81 7C is one double-byte character whose trail byte is '|'.
  const std::string text("\x81\x7C\x7Cx", 4);
  EXPECT_EQ(SplitText(text, "||"), std::vector<std::string>{text});
  // A lone lead byte at the end is kept in the last field.
  const std::string tail("a||b\x81", 5);
  EXPECT_EQ(SplitText(tail, "||"), (std::vector<std::string>{"a", "b\x81"}));
  EXPECT_EQ(SplitText("abc", ""), std::vector<std::string>{"abc"});
}

}  // namespace
}  // namespace scanlist

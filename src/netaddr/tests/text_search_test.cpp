#include "netaddr/text_search.h"

#include <gtest/gtest.h>

#include "scanlist/codepage.h"

namespace netaddr {
namespace {

std::string G(const char* utf8) { return scanlist::Utf8ToGbk(utf8); }

TEST(FindText, PositionsAndCharacterBoundaries) {
  struct Case {
    std::string text, pattern;
    int start;
    bool ignoreCase;
    int want;
  };
  const Case cases[] = {
      {"abcabc", "bc", 1, false, 2},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "bc", -4, false, 2},  // below 1 counts as 1
      {"abcabc", "BC", 1, false, -1},
      {"abcabc", "BC", 1, true, 2},
      {"abc", "", 1, false, -1},
      {"abc", "abcd", 1, false, -1},
      {"abc", "c", 99, false, -1},
      // 81 7C is one character; its second byte is never the start of a match.
      {std::string("\x81|x|", 4), "|", 1, false, 4},
      {std::string("\x81" "ax", 3), "a", 1, true, -1},
      {std::string("\x81" "ax", 3), "A", 1, true, -1},
      // The trail byte of a double-byte pattern is compared exactly.
      {std::string("\x81" "a", 2), std::string("\x81" "A", 2), 1, true, -1},
      {G("您的IP是：[1.2.3.4]"), G("ip是："), 1, true, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(scanlist::GbkToUtf8(c.text) + " / " + scanlist::GbkToUtf8(c.pattern));
    EXPECT_EQ(FindText(c.text, c.pattern, c.start, c.ignoreCase), c.want);
  }
}

TEST(FindText, LastOccurrence) {
  EXPECT_EQ(FindLastText("a:b:c", ":"), 4);
  EXPECT_EQ(FindLastText("abc", ":"), -1);
  EXPECT_EQ(FindLastText(std::string("x:\x81:", 4), ":"), 2);  // 81 3A is one character
}

TEST(Blanks, TrimAndRemoveKnowAsciiAndFullWidthSpaces) {
  const std::string fw = "\xA1\xA1";
  EXPECT_EQ(TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(TrimBlanks(fw + " x" + fw + fw), "x");
  EXPECT_EQ(TrimBlanks("\ta\r\n"), "\ta\r\n");  // tabs, CR and LF are not blanks
  EXPECT_EQ(TrimBlanks(fw), "");
  EXPECT_EQ(RemoveBlanks("a = 1 ;" + fw + "b=2"), "a=1;b=2");
  // A1 A1 inside a character pair is no blank: B0 A1 A1 A1 is 啊 then a full-width space.
  EXPECT_EQ(RemoveBlanks(std::string("\xB0\xA1\xA1\xA1")), std::string("\xB0\xA1"));
}

TEST(SplitAt, KeepsInnerEmptyPiecesOnly) {
  struct Case {
    std::string text;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"a;b", {"a", "b"}},     {"a;;b", {"a", "", "b"}}, {";a", {"", "a"}},
      {"a;", {"a"}},           {";", {""}},              {"", {}},
      {std::string("\x81;x", 3), {std::string("\x81;x", 3)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitAt(c.text, ";"), c.want);
  }
  EXPECT_EQ(SplitAt("a\r\nb\r\n", "\r\n"), (std::vector<std::string>{"a", "b"}));
}

TEST(TextBetween, Cases) {
  struct Case {
    std::string text, start, end;
    std::optional<int> from;
    std::optional<bool> ignoreCase;
    std::string want;
  };
  const std::string quoteMark = G("#引号");
  const Case cases[] = {
      {"<a>x</a>", "<a>", "</a>", {}, {}, "x"},
      {"<a></a>", "<a>", "</a>", {}, {}, ""},
      {"<a>x", "<a>", "</a>", {}, {}, ""},
      {"x</a>", "<a>", "</a>", {}, {}, ""},
      {"<A>x</A>", "<a>", "</a>", {}, {}, ""},
      {"<A>x</A>", "<a>", "</a>", {}, true, "x"},
      {"[1][2]", "[", "]", 2, {}, "2"},
      {"[1][2]", "[", "]", 0, {}, "1"},
      {"href=\"u\" x", "href=" + quoteMark, quoteMark, {}, {}, "u"},
      {"id=\"7\"", "id=" + quoteMark, quoteMark + "#x", {}, {}, ""},
      {G("您的IP是：[1.2.3.4] 来自"), G("您的IP是：["), "]", {}, {}, "1.2.3.4"},
      {G("标签：值；"), G("："), G("；"), {}, {}, G("值")},
      // The end marker "|" inside the double-byte character 81 7C is not found.
      {std::string("[\x81|]|", 5), "[", "|", {}, {}, std::string("\x81|]", 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(scanlist::GbkToUtf8(c.text));
    EXPECT_EQ(TextBetween(c.text, c.start, c.end, c.from, c.ignoreCase), c.want);
  }
}

TEST(Text, LowerKeepsDoubleByteCharacters) {
  // C1 41 is no valid GBK pair but shows the rule: a trail byte is never folded.
  EXPECT_EQ(LowerText(std::string("AB\xC1\x41Z", 5)), std::string("ab\xC1\x41z", 5));
  EXPECT_EQ(ReplaceText("set-cookie: a\r\nSET-COOKIE: b", "Set-Cookie", "Set-Cookie", true),
            "Set-Cookie: a\r\nSet-Cookie: b");
  EXPECT_EQ(LeftBytes("abc", -1), "");
  EXPECT_EQ(LeftBytes("abc", 9), "abc");
  EXPECT_EQ(RightBytes("abc", 2), "bc");
}

}  // namespace
}  // namespace netaddr

#include "scanlist/codepage.h"

#include <gtest/gtest.h>

namespace scanlist {
namespace {

TEST(Codepage, GbkRoundTrip) {
  const std::string gbk("\xBC\xC7\xC2\xBC\xB3\xC9\xB9\xA6", 8);  // 记录成功
  EXPECT_EQ(GbkToUtf8(gbk), "记录成功");
  EXPECT_EQ(Utf8ToGbk("记录成功"), gbk);
  EXPECT_EQ(GbkToUtf16(gbk), u"记录成功");
  EXPECT_EQ(Utf16ToGbk(u"A区"), std::string("A\xC7\xF8"));
}

TEST(Codepage, BadInputIsReplacedNotDropped) {
  EXPECT_EQ(Utf16ToGbk(u"a\u0E01b"), "a?b");  // Thai letter: not in GBK
  const std::u16string lone = GbkToUtf16(std::string("a\x81", 2));  // lead byte without trail
  ASSERT_EQ(lone.size(), 2u);
  EXPECT_EQ(lone[0], u'a');
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
}

}  // namespace
}  // namespace scanlist

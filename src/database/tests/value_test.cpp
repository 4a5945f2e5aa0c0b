// Value decoding and the texts ReadField gives.
#include <gtest/gtest.h>

#include "database/value.h"
#include "database/value_text.h"
#include "scanlist/codepage.h"

namespace database {
namespace {

TEST(DecodeText, PlainAndCompressedUnicode) {
  struct Case {
    std::string stored;
    std::u16string text;
  } cases[] = {
      {std::string("a\0b\0", 4), u"ab"},
      {"\xFF\xFE" "abc", u"abc"},
      {"\xFF\xFE", u""},
      // a zero byte switches to two bytes per character and back
      {std::string("\xFF\xFE" "a\0\x2D\x4E\0b", 8), u"a\u4E2Db"},
      {std::string("\xFF\xFE\0\x2D\x4E", 5), u"\u4E2D"},
      {std::string("a\0b", 3), u"a"},  // an odd last byte is no character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    std::u16string out;
    DecodeText(c.stored, &out);
    EXPECT_EQ(out, c.text);
  }
}

TEST(AccessDate, CalendarParts) {
  struct Case {
    double date;
    const char* text;
  } cases[] = {
      {0.0, "1899-12-30 00:00:00"},
      {29932.0, "1981-12-12 00:00:00"},
      {45292.5, "2024-01-01 12:00:00"},
      {-1.25, "1899-12-29 06:00:00"},  // the fraction is a time of day, also before 1899-12-30
      {-115858.0, "1582-10-15 00:00:00"},
      {2.0 - 0.4 / 86400, "1900-01-01 00:00:00"},      // rounds to the second ...
      {1.0 + 86399.6 / 86400, "1900-01-01 00:00:00"},  // ... across midnight
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    Value v;
    v.kind = ValueKind::kDateTime;
    v.real = c.date;
    EXPECT_EQ(ValueToText(v), c.text);
  }
}

TEST(ValueToText, EveryKind) {
  auto make = [](ValueKind kind, int64_t i, double r = 0) {
    Value v;
    v.kind = kind;
    v.integer = i;
    v.real = r;
    return v;
  };
  Value text = make(ValueKind::kText, 0);
  text.text = u"\u4E2D\u6587";
  Value guid = make(ValueKind::kGuid, 0);
  guid.bytes = std::string("\x33\x22\x11\x00\x55\x44\x77\x66\x88\x99\xAA\xBB\xCC\xDD\xEE\xFF", 16);
  Value decimal = make(ValueKind::kDecimal, 0);
  decimal.decimal = Decimal{true, 0, 12345, 2};
  struct Case {
    const char* what;
    Value value;
    std::string text;
  } cases[] = {
      {"null", make(ValueKind::kNull, 0), ""},
      {"text as GBK", text, "\xD6\xD0\xCE\xC4"},
      {"byte", make(ValueKind::kByte, 255), "255"},
      {"integer", make(ValueKind::kInteger, -32768), "-32768"},
      {"long", make(ValueKind::kLong, 2147483647), "2147483647"},
      {"single", make(ValueKind::kSingle, 0, 1.5), "1.5000"},
      {"double", make(ValueKind::kDouble, 0, 444.555), "444.55500000"},
      {"decimal", decimal, "-123.45000000"},
      {"boolean true", make(ValueKind::kBoolean, 1), "TRUE"},
      {"boolean false", make(ValueKind::kBoolean, 0), "FALSE"},
      {"ole", make(ValueKind::kOle, 0), "[BLOB]"},
      {"binary", make(ValueKind::kBinary, 0), "[BLOB]"},
      {"guid", guid, "{00112233-4455-6677-8899-AABBCCDDEEFF}"},
      {"complex", make(ValueKind::kComplex, 3), "UN_KNOW"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ValueToText(c.value), c.text);
  }
}

#ifndef _WIN32  // on Windows the form is the user's locale's
TEST(CurrencyText, ChineseLocaleForm) {
  EXPECT_EQ(scanlist::GbkToUtf8(CurrencyText(35000)), "\xEF\xBF\xA5" "3.50");
  EXPECT_EQ(scanlist::GbkToUtf8(CurrencyText(-12345678900)), "\xEF\xBF\xA5" "-1,234,567.89");
  EXPECT_EQ(scanlist::GbkToUtf8(CurrencyText(0)), "\xEF\xBF\xA5" "0.00");
}
#endif

TEST(DecimalText, ExactDigits) {
  EXPECT_EQ((Decimal{false, 0, 1, 0}).ToString(), "1");
  EXPECT_EQ((Decimal{true, 0, 5, 3}).ToString(), "-0.005");
  EXPECT_EQ((Decimal{false, 1, 0, 0}).ToString(), "18446744073709551616");
}

}  // namespace
}  // namespace database

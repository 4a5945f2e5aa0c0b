#include "netaddr/addresses.h"

#include <gtest/gtest.h>

#include "scanlist/codepage.h"

namespace netaddr {
namespace {

std::string G(const char* utf8) { return scanlist::Utf8ToGbk(utf8); }

TEST(PublicAddress, FromEchoPage) {
  struct Case {
    std::string page, want;
  };
  const Case cases[] = {
      {G("<center>您的IP是：[1.2.3.4] 来自：某地</center>"), "1.2.3.4"},
      {G("您的IP是：[1.2.3.4"), ""},  // no closing bracket
      {G("您的IP：[1.2.3.4]"), ""},
      {"", ""},
      {G("您的IP是：[]"), ""},
      {G("x") + std::string(1, '\0') + G("您的IP是：[1.2.3.4]"), ""},  // NUL ends the text
      {G("您的IP是：[5.6.7.8]") + std::string(1, '\0') + "junk", "5.6.7.8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(scanlist::GbkToUtf8(c.page));
    EXPECT_EQ(ExtractPublicAddress(c.page), c.want);
  }
  EXPECT_EQ(PublicAddressCaption("1.2.3.4"), G("外网IP：1.2.3.4"));
  EXPECT_EQ(PublicAddressCaption(""), G("外网IP："));
}

TEST(PublicAddress, EchoHostOverride) {
  struct Case {
    std::optional<std::string> value;
    std::string want;
  };
  const Case cases[] = {
      {std::nullopt, std::string("http://") + kDefaultEchoHost + "/ic.asp"},
      {std::string(""), std::string("http://") + kDefaultEchoHost + "/ic.asp"},
      {std::string("  "), std::string("http://") + kDefaultEchoHost + "/ic.asp"},
      {std::string("127.0.0.1:8080"), "http://127.0.0.1:8080/ic.asp"},
      {std::string(" echo.lan "), "http://echo.lan/ic.asp"},
      {std::string("localhost:0"), ""},
      {std::string("localhost:65536"), ""},
      {std::string("localhost:"), ""},
      {std::string("http://x"), ""},
      {std::string("a/b"), ""},
      {std::string("a b"), ""},
      {std::string(":80"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value.value_or("(unset)"));
    EXPECT_EQ(EchoPageUrl(c.value), c.want);
  }
}

TEST(LocalAddresses, EachLineEndsWithCrLf) {
  EXPECT_EQ(LocalAddressText({}), "");
  EXPECT_EQ(LocalAddressText({"10.0.0.2"}), "10.0.0.2\r\n");
  EXPECT_EQ(LocalAddressText({"10.0.0.2", "192.168.1.5"}), "10.0.0.2\r\n192.168.1.5\r\n");
}

}  // namespace
}  // namespace netaddr

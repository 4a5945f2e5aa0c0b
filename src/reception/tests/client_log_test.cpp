#include "reception/client_log.h"

#include <gtest/gtest.h>

#include "scanlist/codepage.h"

namespace reception {
namespace {

TEST(ClientLog, LinesAndAddresses) {
  const uint8_t a[4] = {192, 168, 1, 20};
  const std::string c = FormatClientAddress(a, 888);
  EXPECT_EQ(c, "192.168.1.20:888");
  const uint8_t z[4] = {10, 0, 0, 1};
  EXPECT_EQ(FormatClientAddress(z, 65535), "10.0.0.1:65535");
  // Arrival ends its line; departure does not, so the next arrival continues it.
  EXPECT_EQ(scanlist::GbkToUtf8(ArrivalLine(c) + DepartureLine(c) + ArrivalLine("1.2.3.4:9")),
            "192.168.1.20:888登录成功\r\n192.168.1.20:888退出登录1.2.3.4:9登录成功\r\n");
  EXPECT_EQ(scanlist::GbkToUtf8(PortInUseLine(50410)), "端口50410已被占用，无法接收扫描数据\r\n");
}

}  // namespace
}  // namespace reception

// The event-log lines of the scan server, as GBK texts, and the name by which
// a connected client is known everywhere (ClientAddress).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace reception {

// Dotted-decimal IPv4 address, ':' and the decimal port: "192.168.1.20:888".
// `address` holds the four octets in network order (first octet first).
std::string FormatClientAddress(const uint8_t (&address)[4], uint16_t port);

// client + "登录成功" + CR LF
std::string ArrivalLine(std::string_view client);
// client + "退出登录", no line break: the next log text continues on the line.
std::string DepartureLine(std::string_view client);
// "端口" + port + "已被占用，无法接收扫描数据" + CR LF
std::string PortInUseLine(uint16_t port);
// "端口" + port + "监听失败，无法接收扫描数据" + CR LF (any other listening failure)
std::string ListenFailedLine(uint16_t port);

}  // namespace reception

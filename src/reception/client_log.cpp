#include "reception/client_log.h"

namespace reception {

std::string FormatClientAddress(const uint8_t (&address)[4], uint16_t port) {
  std::string s;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) s += '.';
    s += std::to_string(address[i]);
  }
  s += ':';
  s += std::to_string(port);
  return s;
}

std::string ArrivalLine(std::string_view client) {
  return std::string(client) + "\xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6\r\n";  // 登录成功
}

std::string DepartureLine(std::string_view client) {
  return std::string(client) + "\xCD\xCB\xB3\xF6\xB5\xC7\xC2\xBC";  // 退出登录
}

std::string PortInUseLine(uint16_t port) {
  // 端口 … 已被占用，无法接收扫描数据
  return "\xB6\xCB\xBF\xDA" + std::to_string(port) +
         "\xD2\xD1\xB1\xBB\xD5\xBC\xD3\xC3\xA3\xAC\xCE\xDE\xB7\xA8\xBD\xD3\xCA\xD5\xC9\xA8\xC3\xE8"
         "\xCA\xFD\xBE\xDD\r\n";
}

std::string ListenFailedLine(uint16_t port) {
  // 端口 … 监听失败，无法接收扫描数据
  return "\xB6\xCB\xBF\xDA" + std::to_string(port) +
         "\xBC\xE0\xCC\xFD\xCA\xA7\xB0\xDC\xA3\xAC\xCE\xDE\xB7\xA8\xBD\xD3\xCA\xD5\xC9\xA8\xC3\xE8"
         "\xCA\xFD\xBE\xDD\r\n";
}

}  // namespace reception

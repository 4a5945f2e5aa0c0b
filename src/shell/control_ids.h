// Control and command identifiers of the receiver's windows. The end-to-end
// test driver finds controls by these numbers, so they are part of the
// program's test surface: change them only together with tests/e2e.
#pragma once

namespace shell {

enum ControlId : int {
  kIdLabel4 = 1001,   // 标签4  "当前条码："
  kIdLabel5 = 1002,   // 标签5  current barcode
  kIdGroup1 = 1003,   // 分组框1
  kIdLabel1 = 1004,   // 标签1  "内网IP："
  kIdEdit1 = 1005,    // 编辑框1 local addresses
  kIdLabel3 = 1006,   // 标签3  "扫描记录"
  kIdList1 = 1007,    // 超级列表框1 the scan list
  kIdLabel2 = 1008,   // 标签2  count caption
  kIdButton2 = 1009,  // 按钮2  "导出"
  kIdButton4 = 1010,  // 按钮4  "导入数据库"
  kIdEdit3 = 1011,    // 编辑框3
  kIdButton1 = 1012,  // 按钮1  "查数据库"
  kIdLabel6 = 1013,   // 标签6  "登陆记录："
  kIdEdit2 = 1014,    // 编辑框2 the event log
  kIdLabel7 = 1015,   // 标签7  "服务器域名："
  kIdLabel8 = 1016,   // 标签8  public address
  kIdMenuAbout = 2001,  // menu 帮助 > 关于

  // About window
  kIdAboutLabel2 = 3001,     // 标签2 feedback line
  kIdAboutLabel1 = 3002,     // 标签1 contact line
  kIdAboutHypertext = 3003,  // 简单超文本框1
};

// Window class names registered by the program.
inline constexpr wchar_t kReceiverWindowClass[] = L"ReceiverWindow";
inline constexpr wchar_t kAboutWindowClass[] = L"AboutWindow";

}  // namespace shell

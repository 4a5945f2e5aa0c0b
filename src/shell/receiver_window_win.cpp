#include "shell/receiver_window_win.h"

#include <commctrl.h>

#include "reception/client_log.h"
#include "scanlist/codepage.h"
#include "shell/control_ids.h"

namespace shell {
namespace {

std::wstring Wide(std::string_view gbk) {
  const std::u16string w = scanlist::GbkToUtf16(gbk);
  return std::wstring(w.begin(), w.end());
}

// "数据库写入失败\r\n": the outcome of a scan while no database is open.
constexpr char kWriteFailedLine[] = "\xCA\xFD\xBE\xDD\xBF\xE2\xD0\xB4\xC8\xEB\xCA\xA7\xB0\xDC\r\n";

enum class Parent { kWindow, kGroup };

struct UnitSpec {
  int id;
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
  Parent parent;
  int x, y, widthPx, heightPx;
  const wchar_t* caption;
};

constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD kLogEdit = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE |
                           ES_READONLY | ES_AUTOVSCROLL;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

// Every unit of the main window with its place (in its parent's client area).
// The list view is created apart (ListViewScanList) at (0, 49), 496 x 280 in the group.
const UnitSpec kUnits[] = {
    {kIdLabel4, L"STATIC", kLabel | WS_BORDER, 0, Parent::kWindow, 0, 0, 256, 80, L"当前条码："},
    {kIdLabel5, L"STATIC", kLabel | WS_BORDER, 0, Parent::kWindow, 256, 0, 581, 80, L""},
    {kIdGroup1, L"BUTTON", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | BS_GROUPBOX, 0, Parent::kWindow, 0, 74, 840,
     377, L""},
    {kIdLabel1, L"STATIC", kLabel, 0, Parent::kWindow, 594, 402, 63, 20, L"内网IP："},
    {kIdEdit1, L"EDIT", kLogEdit, 0, Parent::kWindow, 647, 406, 168, 43, L""},
    {kIdLabel3, L"STATIC", kLabel, 0, Parent::kGroup, 6, 9, 200, 48, L"扫描记录"},
    {kIdLabel2, L"STATIC", kLabel, 0, Parent::kGroup, 13, 331, 64, 32, L"共计"},
    {kIdButton2, L"BUTTON", kButton, 0, Parent::kGroup, 503, 87, 64, 40, L"导出"},
    {kIdButton4, L"BUTTON", kButton, 0, Parent::kGroup, 503, 211, 64, 40, L"导入数据库"},
    {kIdEdit3, L"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
     Parent::kGroup, 584, 89, 172, 32, L""},
    {kIdButton1, L"BUTTON", kButton, 0, Parent::kGroup, 760, 87, 56, 33, L"查数据库"},
    {kIdLabel6, L"STATIC", kLabel, 0, Parent::kGroup, 588, 121, 224, 32, L"登陆记录："},
    {kIdEdit2, L"EDIT", kLogEdit, 0, Parent::kGroup, 584, 150, 247, 83, L""},
    {kIdLabel7, L"STATIC", kLabel, 0, Parent::kGroup, 592, 272, 224, 24, L"服务器域名："},
    {kIdLabel8, L"STATIC", kLabel, 0, Parent::kGroup, 593, 304, 224, 24, L"外网IP："},
};

HFONT FontOfHeight(HFONT base, int heightPx) {
  LOGFONTW lf{};
  GetObjectW(base, sizeof lf, &lf);
  lf.lfHeight = -heightPx;  // character height, not cell height
  lf.lfWidth = 0;
  lf.lfWeight = FW_NORMAL;
  return CreateFontIndirectW(&lf);
}

}  // namespace

ReceiverWindow::ReceiverWindow() = default;

ReceiverWindow::~ReceiverWindow() {
  handler_.reset();
  server_.reset();
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(barcodeFont_), static_cast<HGDIOBJ>(captionFont_),
                    static_cast<HGDIOBJ>(blackBrush_), static_cast<HGDIOBJ>(whiteBrush_)}) {
    if (o != nullptr) DeleteObject(o);
  }
}

bool ReceiverWindow::Create(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, L"DEFAULT_ICON");
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kReceiverWindowClass;
  if (RegisterClassExW(&wc) == 0) {
    return false;
  }
  HMENU menu = CreateMenu();
  HMENU help = CreatePopupMenu();
  AppendMenuW(help, MF_STRING, kIdMenuAbout, L"关于");
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"帮助");

  const int left = (GetSystemMetrics(SM_CXSCREEN) - kReceiverWidthPx) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kReceiverHeightPx) / 2;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  hwnd_ = CreateWindowExW(0, kReceiverWindowClass, L"条形码接收端", style, left, top,
                          kReceiverWidthPx, kReceiverHeightPx, nullptr, menu, instance, this);
  return hwnd_ != nullptr;
}

void ReceiverWindow::Show(int showCommand) {
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
}

LRESULT CALLBACK ReceiverWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ReceiverWindow* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<ReceiverWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<ReceiverWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  return self != nullptr ? self->OnMessage(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

// The group box is the parent of its units, so their notifications reach it
// first; it hands them to the main window, which owns every handler.
LRESULT CALLBACK ReceiverWindow::GroupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                           DWORD_PTR ref) {
  switch (msg) {
    case WM_ERASEBKGND: {
      // A group box draws only its frame; as a parent it fills its own area.
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(reinterpret_cast<HDC>(wp), &rc, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<ReceiverWindow*>(ref)->OnMessage(msg, wp, lp);
    default:
      return DefSubclassProc(hwnd, msg, wp, lp);
  }
}

LRESULT ReceiverWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      if (!CreateUnits()) return -1;
      OnReceiverCreated();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (list_.OnNotify(reinterpret_cast<const NMHDR*>(lp), &result)) return result;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      return reinterpret_cast<LRESULT>(
          OnControlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
    case WM_DESTROY:
      OnReceiverDestroyed();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool ReceiverWindow::CreateUnits() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  guiFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  barcodeFont_ = FontOfHeight(guiFont_, 48);
  captionFont_ = FontOfHeight(guiFont_, 56);
  blackBrush_ = CreateSolidBrush(RGB(0, 0, 0));
  whiteBrush_ = CreateSolidBrush(RGB(255, 255, 255));
  for (const UnitSpec& u : kUnits) {
    HWND parent = u.parent == Parent::kGroup ? group_ : hwnd_;
    HWND h = CreateWindowExW(u.exStyle, u.className, u.caption, u.style, u.x, u.y, u.widthPx,
                             u.heightPx, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(u.id)),
                             instance, nullptr);
    if (h == nullptr) {
      return false;
    }
    HFONT font = u.id == kIdLabel5 ? barcodeFont_ : u.id == kIdLabel4 ? captionFont_ : guiFont_;
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (u.id == kIdGroup1) {
      group_ = h;
      SetWindowSubclass(group_, GroupProc, 1, reinterpret_cast<DWORD_PTR>(this));
      if (!list_.Create(group_, kIdList1, 0, 49, 496, 280, guiFont_)) {
        return false;
      }
    }
    if (u.id == kIdLabel3) {
      // The heading overlaps the list's top edge; the list's header stays visible.
      SetWindowPos(h, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (u.className[0] == L'E') {
      SendMessageW(h, EM_SETLIMITTEXT, 0, 0);  // no text limit
    }
  }
  // The server listens from the moment it exists, before the creation handler.
  reception::TcpServer::Options options;
  options.port = kScanPort;
  server_ = std::make_unique<reception::TcpServer>(*this, options);
  handler_ = std::make_unique<reception::ScanHandler>(*server_, list_, *this, *this, *this);
  if (!server_->Listening()) {
    AppendLog(server_->ListenError() == WSAEADDRINUSE || server_->ListenError() == WSAEACCES
                  ? reception::PortInUseLine(kScanPort)
                  : reception::ListenFailedLine(kScanPort));
  }
  return true;
}

HWND ReceiverWindow::Unit(int id) const {
  HWND h = GetDlgItem(hwnd_, id);
  return h != nullptr ? h : GetDlgItem(group_, id);
}

HBRUSH ReceiverWindow::OnControlColor(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  if (id == kIdLabel5) {
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkColor(dc, RGB(0, 0, 0));
    return blackBrush_;
  }
  if (id == kIdEdit1 || id == kIdEdit2 || id == kIdEdit3) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    return whiteBrush_;
  }
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

void ReceiverWindow::OnReceiverCreated() {
  // The database file step and the address display join here.
}

void ReceiverWindow::OnReceiverDestroyed() {
  // Nothing is pending: every record is written while its scan is handled.
  server_.reset();
  PostQuitMessage(0);
}

void ReceiverWindow::OnAboutSelected() {}

void ReceiverWindow::OnCommand(int id, int code) {
  if (id == kIdMenuAbout && code == 0) {
    OnAboutSelected();
  }
  // 按钮1 "查数据库" and 编辑框3 have no handler.
}

void ReceiverWindow::OnDataArrived() { handler_->OnScanDataArrived(); }

void ReceiverWindow::OnClientEntered() {
  AppendLog(reception::ArrivalLine(server_->CurrentClient()));
}

void ReceiverWindow::OnClientLeft() { AppendLog(reception::DepartureLine(server_->CurrentClient())); }

void ReceiverWindow::SetBarcodeCaption(std::string_view text) {
  SetWindowTextW(Unit(kIdLabel5), Wide(text).c_str());
}

void ReceiverWindow::SetCountCaption(std::string_view text) {
  SetWindowTextW(Unit(kIdLabel2), Wide(text).c_str());
}

void ReceiverWindow::AppendLog(std::string_view text) {
  HWND log = Unit(kIdEdit2);
  const LRESULT len = SendMessageW(log, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(log, EM_SETSEL, static_cast<WPARAM>(len), len);
  SendMessageW(log, EM_SCROLLCARET, 0, 0);
  SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

void ReceiverWindow::AppendScanRecord(int, const std::string&, const std::string&,
                                      const std::string&) {
  // No database is open until the operator imports one.
  AppendLog(kWriteFailedLine);
}

}  // namespace shell

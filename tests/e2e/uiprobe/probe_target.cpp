// probe_target: a throwaway window with the kinds of controls uiprobe must
// handle (owner-data report list inside a group box, labels, a read-only log,
// buttons, a menu, a file dialog, a message box). The driver's self-test runs
// uiprobe against it, so the driver is known to work before it is pointed at
// receiver.exe. Everything the operator does is written to the log edit.

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <string>

namespace {

constexpr int kIdLabel = 101;
constexpr int kIdGroup = 102;
constexpr int kIdList = 103;
constexpr int kIdLog = 104;
constexpr int kIdButton = 105;
constexpr int kIdDisabled = 106;
constexpr int kIdOpenFile = 107;
constexpr int kIdMessage = 108;
constexpr int kIdMenuFirst = 201;
constexpr int kIdMenuSecond = 202;
constexpr int kIdMenuOther = 203;

HWND g_log = nullptr;
HWND g_list = nullptr;
std::wstring g_long_cell;

void Log(const std::wstring& text) {
  int len = GetWindowTextLengthW(g_log);
  SendMessageW(g_log, EM_SETSEL, len, len);
  SendMessageW(g_log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

// Rows of the owner-data list: row 1 carries a long cell and a tab.
std::wstring Cell(int row, int column) {
  if (row == 1 && column == 2) return g_long_cell;
  if (row == 1 && column == 4) return L"甲\t乙";
  return L"行" + std::to_wstring(row) + L"列" + std::to_wstring(column);
}

void OpenFile(HWND owner) {
  wchar_t path[MAX_PATH] = L"";
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = L"数据库 (*.accdb)\0*.accdb\0所有文件\0*.*\0";
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = L"打开数据库";
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (GetOpenFileNameW(&ofn)) {
    Log(std::wstring(L"file ") + path + L"\r\n");
  } else {
    Log(L"file cancelled\r\n");
  }
}

WNDPROC g_group_proc = nullptr;

// The list view notifies its parent, the group box; pass that on to the window.
LRESULT CALLBACK GroupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY || msg == WM_COMMAND) return SendMessageW(GetParent(hwnd), msg, wp, lp);
  return CallWindowProcW(g_group_proc, hwnd, msg, wp, lp);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      HINSTANCE inst = reinterpret_cast<LPCREATESTRUCTW>(lp)->hInstance;
      auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                      int h, HWND parent, int id) {
        HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     TRUE);
        return c;
      };
      make(L"Static", L"当前条码：", SS_LEFT, 10, 10, 200, 24, hwnd, kIdLabel);
      HWND group = make(L"Button", L"", BS_GROUPBOX, 0, 40, 600, 300, hwnd, kIdGroup);
      g_group_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
          group, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GroupProc)));
      g_list = make(WC_LISTVIEWW, L"", LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | WS_BORDER, 5,
                    20, 400, 200, group, kIdList);
      const wchar_t* heads[] = {L"序号", L"客户端", L"识别条码", L"加入时间", L"备注"};
      for (int i = 0; i < 5; ++i) {
        LVCOLUMNW col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.fmt = LVCFMT_LEFT;
        col.cx = 50 + 10 * i;
        col.pszText = const_cast<wchar_t*>(heads[i]);
        SendMessageW(g_list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
      }
      SendMessageW(g_list, LVM_SETITEMCOUNT, 3, 0);
      g_log = make(L"Edit", L"", ES_MULTILINE | ES_READONLY | WS_VSCROLL, 410, 20, 180, 200, group,
                   kIdLog);
      make(L"Button", L"按一下", BS_PUSHBUTTON, 610, 50, 80, 30, hwnd, kIdButton);
      HWND off = make(L"Button", L"不可用", BS_PUSHBUTTON, 610, 90, 80, 30, hwnd, kIdDisabled);
      EnableWindow(off, FALSE);
      make(L"Button", L"打开", BS_PUSHBUTTON, 610, 130, 80, 30, hwnd, kIdOpenFile);
      make(L"Button", L"消息", BS_PUSHBUTTON, 610, 170, 80, 30, hwnd, kIdMessage);
      return 0;
    }
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (hdr->hwndFrom == g_list && hdr->code == LVN_GETDISPINFOW) {
        auto* di = reinterpret_cast<NMLVDISPINFOW*>(lp);
        if ((di->item.mask & LVIF_TEXT) && di->item.pszText && di->item.cchTextMax > 0) {
          std::wstring t = Cell(di->item.iItem, di->item.iSubItem);
          size_t n = t.size() < static_cast<size_t>(di->item.cchTextMax - 1)
                         ? t.size()
                         : static_cast<size_t>(di->item.cchTextMax - 1);
          t.copy(di->item.pszText, n);
          di->item.pszText[n] = L'\0';
        }
        return 0;
      }
      break;
    }
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kIdButton: Log(L"button\r\n"); return 0;
        case kIdDisabled: Log(L"disabled button\r\n"); return 0;
        case kIdOpenFile: OpenFile(hwnd); return 0;
        case kIdMessage: {
          int r = MessageBoxW(nullptr, L"继续吗？", L"提示", MB_YESNO);
          Log(r == IDYES ? L"message yes\r\n" : L"message no\r\n");
          return 0;
        }
        case kIdMenuFirst: Log(L"menu 201\r\n"); return 0;
        case kIdMenuSecond: Log(L"menu 202\r\n"); return 0;
        case kIdMenuOther: Log(L"menu 203\r\n"); return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(7);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  g_long_cell.assign(3000, L'长');
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"ProbeTarget";
  RegisterClassExW(&wc);
  HMENU bar = CreateMenu();
  HMENU first = CreatePopupMenu();
  AppendMenuW(first, MF_STRING, kIdMenuFirst, L"第一项");
  AppendMenuW(first, MF_STRING, kIdMenuSecond, L"第二项");
  HMENU other = CreatePopupMenu();
  AppendMenuW(other, MF_STRING, kIdMenuOther, L"关于");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(first), L"文件");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(other), L"帮助");
  HWND hwnd = CreateWindowExW(0, L"ProbeTarget", L"探针测试窗口",
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 100, 100,
                              720, 420, nullptr, bar, inst, nullptr);
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return static_cast<int>(m.wParam);
}

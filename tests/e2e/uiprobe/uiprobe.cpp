// uiprobe: a small console driver that reads what another program's windows
// show and operates them as a person would (mouse clicks, typing, menus).
// The end-to-end harness runs it under the same Wine server as receiver.exe.
//
//   uiprobe windows
//   uiprobe wait TITLE TIMEOUT_MS          wait until a visible window exists
//   uiprobe gone TITLE TIMEOUT_MS          wait until no such window exists
//   uiprobe children TITLE                 all child windows (id, class, text)
//   uiprobe text TITLE [ID]                caption / content (WM_GETTEXT)
//   uiprobe list TITLE ID                  rows of a report list view
//   uiprobe columns TITLE ID               headings and widths of its columns
//   uiprobe rect TITLE [ID]                place relative to the parent's client area
//   uiprobe window-rect TITLE              outer and client rectangle
//   uiprobe style TITLE [ID]               style bits, enabled, visible
//   uiprobe point TITLE ID                 screen coordinates of the centre
//   uiprobe click TITLE ID                 mouse click at the control's centre
//   uiprobe type TITLE ID TEXT             click into the control, then type TEXT
//   uiprobe menu TITLE ITEM_ID [BAR ITEM]  choose a menu item: click the menu bar,
//                                          arrow keys to the item, Enter. BAR and
//                                          ITEM (0-based) give its place when the
//                                          menu cannot be read (Wine)
//   uiprobe command TITLE ID               post WM_COMMAND ID (no mouse)
//   uiprobe dialog-file TITLE PATH         type PATH into a file dialog, press OK
//   uiprobe dialog-button TITLE TEXT       press the button captioned TEXT ("是|Yes": either)
//   uiprobe close TITLE                    close as the close button does
//
// TITLE is an exact window caption, or "class:NAME" for a window class. When
// the environment variable UIPROBE_PROCESS_DIR is set, only windows of
// programs started from that folder (Windows path, e.g. Z:\run\) count.
// Output is UTF-8. Exit codes: 0 done, 1 window or control not found (or a
// wait timed out), 2 usage error, 3 the operation failed.
// `list` prints one line per row, cells separated by a tab; a backslash, tab,
// CR or LF inside a cell is written as \\, \t, \r, \n.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kSendTimeoutMs = 5000;

// ---------------------------------------------------------------- output

void WriteBytes(const std::string& bytes) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    DWORD chunk = left > 65536 ? 65536 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(out, p, chunk, &written, nullptr) || written == 0) return;
    p += written;
    left -= written;
  }
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

void Print(const std::wstring& text) { WriteBytes(ToUtf8(text)); }

void Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Printf(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  int n = vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n > 0) WriteBytes(std::string(buffer, static_cast<size_t>(n) < sizeof buffer
                                                ? static_cast<size_t>(n)
                                                : sizeof buffer - 1));
}

void Error(const std::wstring& text) {
  std::string bytes = "uiprobe: " + ToUtf8(text) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

std::wstring Escaped(const std::wstring& cell) {
  std::wstring out;
  for (wchar_t c : cell) {
    switch (c) {
      case L'\\': out += L"\\\\"; break;
      case L'\t': out += L"\\t"; break;
      case L'\r': out += L"\\r"; break;
      case L'\n': out += L"\\n"; break;
      default: out += c;
    }
  }
  return out;
}

// ---------------------------------------------------------------- windows

std::wstring WindowTextOf(HWND hwnd) {
  // Reads the caption the window manager keeps; for top-level windows of
  // another process this needs no message, so a hung target cannot stall us.
  std::vector<wchar_t> buf(512);
  for (;;) {
    int n = GetWindowTextW(hwnd, buf.data(), static_cast<int>(buf.size()));
    if (n < static_cast<int>(buf.size()) - 1) return std::wstring(buf.data(), n > 0 ? n : 0);
    if (buf.size() > (1u << 24)) return std::wstring(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

// The folder whose programs' windows count, from UIPROBE_PROCESS_DIR (a
// Windows path such as Z:\\work\\run\\). Several copies of one program can run
// on the same Wine server (other test runs, someone trying the program by
// hand); each test run starts its own copy from its own folder.
std::wstring ProcessDirFilter() {
  wchar_t buf[1024] = {};
  DWORD n = GetEnvironmentVariableW(L"UIPROBE_PROCESS_DIR", buf, 1024);
  if (n == 0 || n >= 1024) return {};
  return buf;
}

std::wstring ImagePathOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return {};
  wchar_t buf[1024] = {};
  DWORD size = 1024;
  std::wstring path;
  if (QueryFullProcessImageNameW(process, 0, buf, &size)) path.assign(buf, size);
  CloseHandle(process);
  return path;
}

bool InFilteredDir(HWND hwnd, const std::wstring& dir) {
  if (dir.empty()) return true;
  std::wstring path = ImagePathOf(hwnd);
  return path.size() >= dir.size() &&
         CompareStringOrdinal(path.c_str(), static_cast<int>(dir.size()), dir.c_str(),
                              static_cast<int>(dir.size()), TRUE) == CSTR_EQUAL;
}

struct FindTop {
  std::wstring dir = ProcessDirFilter();
  std::wstring title;
  bool by_class = false;
  HWND visible = nullptr;
  HWND hidden = nullptr;
};

BOOL CALLBACK FindTopProc(HWND hwnd, LPARAM param) {
  auto* f = reinterpret_cast<FindTop*>(param);
  std::wstring have = f->by_class ? ClassOf(hwnd) : WindowTextOf(hwnd);
  if (have == f->title && InFilteredDir(hwnd, f->dir)) {
    if (IsWindowVisible(hwnd)) {
      if (!f->visible) f->visible = hwnd;
    } else if (!f->hidden) {
      f->hidden = hwnd;
    }
  }
  return TRUE;
}

// A visible match is preferred; a hidden one is returned only when
// allow_hidden is set.
HWND FindTopLevel(const std::wstring& wanted, bool allow_hidden = true) {
  FindTop f;
  if (wanted.rfind(L"class:", 0) == 0) {
    f.by_class = true;
    f.title = wanted.substr(6);
  } else {
    f.title = wanted;
  }
  EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&f));
  if (f.visible) return f.visible;
  return allow_hidden ? f.hidden : nullptr;
}

struct FindChild {
  int id = 0;            // any id when below 0
  const wchar_t* cls = nullptr;  // any class when null
  HWND found = nullptr;
};

BOOL CALLBACK FindChildProc(HWND hwnd, LPARAM param) {
  auto* f = reinterpret_cast<FindChild*>(param);
  if ((f->id < 0 || GetDlgCtrlID(hwnd) == f->id) && (!f->cls || ClassOf(hwnd) == f->cls)) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// EnumChildWindows walks all descendants, so controls inside a group box
// (children of the group box window) are found too.
HWND FindControl(HWND top, int id, const wchar_t* cls = nullptr) {
  FindChild f;
  f.id = id;
  f.cls = cls;
  EnumChildWindows(top, FindChildProc, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

bool Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs, &r)) {
    Error(L"no answer to message " + std::to_wstring(msg));
    return false;
  }
  if (result) *result = static_cast<LRESULT>(r);
  return true;
}

bool ControlText(HWND hwnd, std::wstring* text) {
  LRESULT len = 0;
  if (!Send(hwnd, WM_GETTEXTLENGTH, 0, 0, &len)) return false;
  if (len < 0) len = 0;
  std::vector<wchar_t> buf(static_cast<size_t>(len) + 2);
  LRESULT got = 0;
  if (!Send(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), &got)) return false;
  if (got < 0) got = 0;
  if (static_cast<size_t>(got) > buf.size() - 1) got = static_cast<LRESULT>(buf.size() - 1);
  text->assign(buf.data(), static_cast<size_t>(got));
  return true;
}

// ---------------------------------------------------------------- memory in the target

// A block of memory inside another process, for messages whose parameters
// are pointers (the list view reads and writes them in its own process).
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, size_t size) : process_(process), size_(size) {
    address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBlock() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  bool ok() const { return address_ != nullptr; }
  void* address() const { return address_; }
  size_t size() const { return size_; }
  bool Write(const void* data, size_t n, size_t offset = 0) {
    SIZE_T done = 0;
    return n + offset <= size_ &&
           WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, n, &done) &&
           done == n;
  }
  bool Read(void* data, size_t n, size_t offset = 0) const {
    SIZE_T done = 0;
    return n + offset <= size_ &&
           ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, n, &done) &&
           done == n;
  }

 private:
  HANDLE process_;
  size_t size_;
  void* address_ = nullptr;
};

class ProcessHandle {
 public:
  explicit ProcessHandle(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    handle_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                              PROCESS_QUERY_INFORMATION,
                          FALSE, pid);
  }
  ~ProcessHandle() {
    if (handle_) CloseHandle(handle_);
  }
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

// The complete text of one list view cell, fetched through memory in the
// list view's process; the buffer grows until the text fits.
bool CellText(HWND list, HANDLE process, int row, int column, std::wstring* text) {
  size_t chars = 1024;
  for (;;) {
    RemoteBlock block(process, sizeof(LVITEMW) + chars * sizeof(wchar_t));
    if (!block.ok()) {
      Error(L"cannot allocate memory in the target process");
      return false;
    }
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.cchTextMax = static_cast<int>(chars);
    item.pszText = reinterpret_cast<LPWSTR>(static_cast<char*>(block.address()) + sizeof(LVITEMW));
    std::vector<wchar_t> zero(chars, L'\0');
    if (!block.Write(&item, sizeof item) ||
        !block.Write(zero.data(), chars * sizeof(wchar_t), sizeof(LVITEMW))) {
      Error(L"cannot write into the target process");
      return false;
    }
    LRESULT len = 0;
    if (!Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
              reinterpret_cast<LPARAM>(block.address()), &len))
      return false;
    std::vector<wchar_t> buf(chars);
    if (!block.Read(buf.data(), chars * sizeof(wchar_t), sizeof(LVITEMW))) {
      Error(L"cannot read from the target process");
      return false;
    }
    size_t n = wcsnlen(buf.data(), chars);
    if (n + 1 < chars || chars >= (1u << 26)) {
      text->assign(buf.data(), n);
      return true;
    }
    chars *= 4;
  }
}

int ColumnCount(HWND list) {
  LRESULT header = 0;
  if (!Send(list, LVM_GETHEADER, 0, 0, &header) || !header) return -1;
  LRESULT count = 0;
  if (!Send(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, &count)) return -1;
  return static_cast<int>(count);
}

// ---------------------------------------------------------------- input

void Pause(DWORD ms) { Sleep(ms); }

bool MouseClickAt(int x, int y) {
  SetCursorPos(x, y);
  Pause(50);
  INPUT in[3] = {};
  int vx = GetSystemMetrics(SM_XVIRTUALSCREEN), vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int vw = GetSystemMetrics(SM_CXVIRTUALSCREEN), vh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (vw <= 1 || vh <= 1) {
    vw = GetSystemMetrics(SM_CXSCREEN);
    vh = GetSystemMetrics(SM_CYSCREEN);
    vx = vy = 0;
  }
  LONG ax = static_cast<LONG>(((x - vx) * 65535LL + (vw - 1) / 2) / (vw - 1));
  LONG ay = static_cast<LONG>(((y - vy) * 65535LL + (vh - 1) / 2) / (vh - 1));
  for (auto& i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = ax;
    i.mi.dy = ay;
  }
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  if (SendInput(1, &in[0], sizeof(INPUT)) != 1) return false;
  Pause(50);
  if (SendInput(1, &in[1], sizeof(INPUT)) != 1) return false;
  Pause(50);
  if (SendInput(1, &in[2], sizeof(INPUT)) != 1) return false;
  Pause(150);
  return true;
}

bool TypeText(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT in[2] = {};
    for (auto& i : in) {
      i.type = INPUT_KEYBOARD;
      i.ki.wScan = c;
      i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    if (SendInput(2, in, sizeof(INPUT)) != 2) return false;
    Pause(10);
  }
  Pause(150);
  return true;
}

bool KeyPress(WORD vk, WORD modifier = 0) {
  std::vector<INPUT> in;
  auto key = [&in](WORD k, bool up) {
    INPUT i = {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  if (modifier) key(modifier, false);
  key(vk, false);
  key(vk, true);
  if (modifier) key(modifier, true);
  bool ok = SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) == in.size();
  Pause(100);
  return ok;
}

POINT CentreOf(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void BringToFront(HWND top) {
  if (GetForegroundWindow() != top) {
    SetForegroundWindow(top);
    Pause(100);
  }
}

// ---------------------------------------------------------------- commands

struct Args {
  std::vector<std::wstring> v;
  size_t size() const { return v.size(); }
  const std::wstring& operator[](size_t i) const { return v[i]; }
};

bool ParseInt(const std::wstring& s, long* out) {
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  long v = wcstol(s.c_str(), &end, 0);
  if (!end || *end != L'\0') return false;
  *out = v;
  return true;
}

// Resolves TITLE (args[1]) and the optional control id (args[2]).
int Resolve(const Args& a, bool want_control, bool control_optional, HWND* top, HWND* target) {
  if (a.size() < 2 || (want_control && !control_optional && a.size() < 3)) {
    Error(L"missing arguments");
    return 2;
  }
  *top = FindTopLevel(a[1]);
  if (!*top) {
    Error(L"no window \"" + a[1] + L"\"");
    return 1;
  }
  *target = *top;
  if (want_control && a.size() >= 3) {
    long id = 0;
    if (!ParseInt(a[2], &id)) {
      Error(L"bad control id " + a[2]);
      return 2;
    }
    if (id != 0) {
      *target = FindControl(*top, static_cast<int>(id));
      if (!*target) {
        Error(L"no control " + a[2] + L" in \"" + a[1] + L"\"");
        return 1;
      }
    }
  }
  return 0;
}

BOOL CALLBACK PrintTopProc(HWND hwnd, LPARAM) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  RECT r = {};
  GetWindowRect(hwnd, &r);
  Printf("%p\tpid=%lu\tvisible=%d\trect=%ld,%ld,%ld,%ld\tclass=", static_cast<void*>(hwnd),
         static_cast<unsigned long>(pid), IsWindowVisible(hwnd) ? 1 : 0, r.left, r.top, r.right,
         r.bottom);
  Print(ClassOf(hwnd));
  Printf("\ttitle=");
  Print(Escaped(WindowTextOf(hwnd)));
  Printf("\timage=");
  Print(ImagePathOf(hwnd));
  Printf("\n");
  return TRUE;
}

BOOL CALLBACK PrintChildProc(HWND hwnd, LPARAM) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  Printf("%p\tid=%d\tvisible=%d\tenabled=%d\trect=%ld,%ld,%ld,%ld\tclass=",
         static_cast<void*>(hwnd), GetDlgCtrlID(hwnd), IsWindowVisible(hwnd) ? 1 : 0,
         IsWindowEnabled(hwnd) ? 1 : 0, r.left, r.top, r.right, r.bottom);
  Print(ClassOf(hwnd));
  Printf("\ttitle=");
  Print(Escaped(WindowTextOf(hwnd)));
  Printf("\n");
  return TRUE;
}

int CmdChildren(const Args& a) {
  HWND top = FindTopLevel(a[1]);
  if (!top) {
    Error(L"no window \"" + a[1] + L"\"");
    return 1;
  }
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &gui);
  Printf("foreground=%p active=%p focus=%p\n", static_cast<void*>(GetForegroundWindow()),
         static_cast<void*>(gui.hwndActive), static_cast<void*>(gui.hwndFocus));
  EnumChildWindows(top, PrintChildProc, 0);
  return 0;
}

int CmdWindows(const Args&) {
  EnumWindows(PrintTopProc, 0);
  return 0;
}

int CmdWait(const Args& a, bool until_gone) {
  long timeout = 0;
  if (a.size() < 3 || !ParseInt(a[2], &timeout)) {
    Error(L"usage: wait|gone TITLE TIMEOUT_MS");
    return 2;
  }
  DWORD start = GetTickCount();
  for (;;) {
    HWND hwnd = FindTopLevel(a[1], until_gone);
    if (!until_gone && hwnd) {
      Printf("%p\n", static_cast<void*>(hwnd));
      return 0;
    }
    if (until_gone && !hwnd) return 0;
    if (static_cast<long>(GetTickCount() - start) >= timeout) {
      Error(L"timed out waiting for \"" + a[1] + L"\"");
      return 1;
    }
    Pause(50);
  }
}

int CmdText(const Args& a) {
  HWND top = nullptr, target = nullptr;
  if (int rc = Resolve(a, true, true, &top, &target)) return rc;
  std::wstring text;
  if (!ControlText(target, &text)) return 3;
  Print(text);
  Printf("\n");
  return 0;
}

int CmdList(const Args& a) {
  HWND top = nullptr, list = nullptr;
  if (int rc = Resolve(a, true, false, &top, &list)) return rc;
  LRESULT rows = 0;
  if (!Send(list, LVM_GETITEMCOUNT, 0, 0, &rows)) return 3;
  int columns = ColumnCount(list);
  if (columns < 1) columns = 1;
  ProcessHandle process(list);
  if (!process.get()) {
    Error(L"cannot open the list view's process");
    return 3;
  }
  for (int r = 0; r < static_cast<int>(rows); ++r) {
    std::wstring line;
    for (int c = 0; c < columns; ++c) {
      std::wstring cell;
      if (!CellText(list, process.get(), r, c, &cell)) return 3;
      if (c) line += L'\t';
      line += Escaped(cell);
    }
    line += L'\n';
    Print(line);
  }
  return 0;
}

int CmdColumns(const Args& a) {
  HWND top = nullptr, list = nullptr;
  if (int rc = Resolve(a, true, false, &top, &list)) return rc;
  int columns = ColumnCount(list);
  if (columns < 0) return 3;
  ProcessHandle process(list);
  if (!process.get()) return 3;
  for (int c = 0; c < columns; ++c) {
    constexpr size_t kChars = 512;
    RemoteBlock block(process.get(), sizeof(LVCOLUMNW) + kChars * sizeof(wchar_t));
    if (!block.ok()) return 3;
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.cchTextMax = kChars;
    col.pszText =
        reinterpret_cast<LPWSTR>(static_cast<char*>(block.address()) + sizeof(LVCOLUMNW));
    std::vector<wchar_t> zero(kChars, L'\0');
    if (!block.Write(&col, sizeof col) ||
        !block.Write(zero.data(), kChars * sizeof(wchar_t), sizeof(LVCOLUMNW)))
      return 3;
    LRESULT ok = 0;
    if (!Send(list, LVM_GETCOLUMNW, static_cast<WPARAM>(c),
              reinterpret_cast<LPARAM>(block.address()), &ok) || !ok)
      return 3;
    std::vector<wchar_t> text(kChars);
    LVCOLUMNW back = {};
    if (!block.Read(&back, sizeof back) ||
        !block.Read(text.data(), kChars * sizeof(wchar_t), sizeof(LVCOLUMNW)))
      return 3;
    const char* align = (back.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT    ? "right"
                        : (back.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER ? "center"
                                                                            : "left";
    Print(Escaped(std::wstring(text.data(), wcsnlen(text.data(), kChars))));
    Printf("\t%d\t%s\n", back.cx, align);
  }
  return 0;
}

int CmdRect(const Args& a) {
  HWND top = nullptr, target = nullptr;
  if (int rc = Resolve(a, true, true, &top, &target)) return rc;
  RECT r = {};
  if (!GetWindowRect(target, &r)) return 3;
  HWND parent = (GetWindowLongW(target, GWL_STYLE) & WS_CHILD) ? GetParent(target) : nullptr;
  POINT p = {r.left, r.top};
  if (parent) ScreenToClient(parent, &p);
  Printf("x=%ld y=%ld width=%ld height=%ld screen_left=%ld screen_top=%ld parent_id=%d\n", p.x,
         p.y, r.right - r.left, r.bottom - r.top, r.left, r.top,
         parent && parent != top ? GetDlgCtrlID(parent) : 0);
  return 0;
}

int CmdWindowRect(const Args& a) {
  HWND top = nullptr, target = nullptr;
  if (int rc = Resolve(a, false, false, &top, &target)) return rc;
  RECT r = {}, c = {};
  if (!GetWindowRect(top, &r) || !GetClientRect(top, &c)) return 3;
  POINT origin = {0, 0};
  ClientToScreen(top, &origin);
  Printf("left=%ld top=%ld width=%ld height=%ld client_left=%ld client_top=%ld "
         "client_width=%ld client_height=%ld screen_width=%d screen_height=%d\n",
         r.left, r.top, r.right - r.left, r.bottom - r.top, origin.x, origin.y, c.right,
         c.bottom, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return 0;
}

int CmdStyle(const Args& a) {
  HWND top = nullptr, target = nullptr;
  if (int rc = Resolve(a, true, true, &top, &target)) return rc;
  LONG style = GetWindowLongW(target, GWL_STYLE);
  LONG exstyle = GetWindowLongW(target, GWL_EXSTYLE);
  Printf("style=0x%08lx exstyle=0x%08lx enabled=%d visible=%d menu=%d class=",
         static_cast<unsigned long>(style), static_cast<unsigned long>(exstyle),
         IsWindowEnabled(target) ? 1 : 0, IsWindowVisible(target) ? 1 : 0,
         (!(style & WS_CHILD) && GetMenu(target)) ? 1 : 0);
  Print(ClassOf(target));
  Printf("\n");
  return 0;
}

int CmdPoint(const Args& a) {
  HWND top = nullptr, target = nullptr;
  if (int rc = Resolve(a, true, false, &top, &target)) return rc;
  POINT p = CentreOf(target);
  Printf("%ld %ld\n", p.x, p.y);
  return 0;
}

int CmdClick(const Args& a) {
  HWND top = nullptr, target = nullptr;
  if (int rc = Resolve(a, true, false, &top, &target)) return rc;
  POINT p = CentreOf(target);
  Printf("%ld %ld\n", p.x, p.y);
  return MouseClickAt(p.x, p.y) ? 0 : 3;
}

int CmdType(const Args& a) {
  if (a.size() < 4) {
    Error(L"usage: type TITLE ID TEXT");
    return 2;
  }
  HWND top = nullptr, target = nullptr;
  if (int rc = Resolve(a, true, false, &top, &target)) return rc;
  BringToFront(top);
  POINT p = CentreOf(target);
  if (!MouseClickAt(p.x, p.y)) return 3;
  KeyPress(VK_END, VK_CONTROL);
  return TypeText(a[3]) ? 0 : 3;
}

int CmdCommand(const Args& a) {
  long id = 0;
  if (a.size() < 3 || !ParseInt(a[2], &id)) {
    Error(L"usage: command TITLE ID");
    return 2;
  }
  HWND top = FindTopLevel(a[1]);
  if (!top) return 1;
  return PostMessageW(top, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0) ? 0 : 3;
}

struct FindPopup {
  DWORD pid;
  HWND found = nullptr;
};

BOOL CALLBACK FindPopupProc(HWND hwnd, LPARAM param) {
  auto* f = reinterpret_cast<FindPopup*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == f->pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32768") {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND WaitPopupMenu(HWND owner, DWORD ms) {
  FindPopup f;
  GetWindowThreadProcessId(owner, &f.pid);
  DWORD start = GetTickCount();
  do {
    f.found = nullptr;
    EnumWindows(FindPopupProc, reinterpret_cast<LPARAM>(&f));
    if (f.found) return f.found;
    Pause(50);
  } while (GetTickCount() - start < ms);
  return nullptr;
}

// Finds where ITEM_ID sits: the index of its menu-bar entry and its index in
// that drop-down. Menus of another process can be read on Windows; when the
// system does not allow it (Wine keeps menus per process), the first item of
// the first drop-down is assumed.
bool LocateMenuItem(HWND top, UINT id, int* bar_index, int* item_index, int* bar_count,
                    int* item_count) {
  HMENU bar = GetMenu(top);
  int n = bar ? GetMenuItemCount(bar) : -1;
  if (n <= 0) return false;
  *bar_count = n;
  for (int i = 0; i < n; ++i) {
    HMENU sub = GetSubMenu(bar, i);
    int m = sub ? GetMenuItemCount(sub) : 0;
    for (int j = 0; j < m; ++j) {
      if (GetMenuItemID(sub, j) == id) {
        *bar_index = i;
        *item_index = j;
        *item_count = m;
        return true;
      }
    }
  }
  return false;
}

int CmdMenu(const Args& a) {
  long id = 0, hint_bar = 0, hint_item = 0;
  if (a.size() < 3 || !ParseInt(a[2], &id) || (a.size() >= 4 && !ParseInt(a[3], &hint_bar)) ||
      (a.size() >= 5 && !ParseInt(a[4], &hint_item)) || hint_bar < 0 || hint_item < 0) {
    Error(L"usage: menu TITLE ITEM_ID [BAR_INDEX ITEM_INDEX]");
    return 2;
  }
  HWND top = FindTopLevel(a[1]);
  if (!top) {
    Error(L"no window \"" + a[1] + L"\"");
    return 1;
  }
  int bar_index = 0, item_index = 0, bar_count = 1, item_count = 1;
  bool located = LocateMenuItem(top, static_cast<UINT>(id), &bar_index, &item_index, &bar_count,
                                &item_count);
  if (!located) {
    // The menu cannot be read from here: take the place the caller gave.
    bar_index = static_cast<int>(hint_bar);
    item_index = static_cast<int>(hint_item);
  }
  BringToFront(top);
  // The menu bar lies between the caption and the client area; its first
  // entry starts at the client area's left edge.
  POINT client = {0, 0};
  ClientToScreen(top, &client);
  int menu_height = GetSystemMetrics(SM_CYMENU);
  int bar_x = client.x + 12;
  int bar_y = client.y - menu_height / 2 - 1;
  RECT item_rect = {};
  bool bar_known = located &&
                   GetMenuItemRect(top, GetMenu(top), static_cast<UINT>(bar_index), &item_rect) &&
                   item_rect.right > item_rect.left;
  if (bar_known) {
    bar_x = (item_rect.left + item_rect.right) / 2;
    bar_y = (item_rect.top + item_rect.bottom) / 2;
  }
  // Open the drop-down with a click on the menu bar ...
  if (!MouseClickAt(bar_x, bar_y)) return 3;
  if (!WaitPopupMenu(top, 3000)) {
    Error(L"the drop-down menu did not open");
    return 3;
  }
  // ... walk to the item with the arrow keys and choose it with Enter. A
  // click opens a drop-down with nothing highlighted; Right moves to the
  // next drop-down with its first item highlighted.
  int downs = item_index + 1;
  if (!bar_known && bar_index > 0) {
    for (int i = 0; i < bar_index; ++i) KeyPress(VK_RIGHT);
    downs = item_index;
  }
  for (int i = 0; i < downs; ++i) KeyPress(VK_DOWN);
  KeyPress(VK_RETURN);
  Printf("menu bar entry %d, item %d (%s)\n", bar_index, item_index,
         located ? "read from the menu" : "place given by the caller");
  return 0;
}

struct FindButton {
  std::wstring text;
  HWND found = nullptr;
};

std::wstring WithoutMnemonic(const std::wstring& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'&' && i + 1 < s.size()) {
      out += s[++i];
    } else {
      out += s[i];
    }
  }
  // "打开(&O)" shows as "打开(O)"; accept "打开" for it as well.
  return out;
}

BOOL CALLBACK FindButtonProc(HWND hwnd, LPARAM param) {
  auto* f = reinterpret_cast<FindButton*>(param);
  if (ClassOf(hwnd) != L"Button" || !IsWindowVisible(hwnd)) return TRUE;
  std::wstring t = WithoutMnemonic(WindowTextOf(hwnd));
  std::wstring plain = t;
  size_t paren = t.find(L'(');
  if (paren != std::wstring::npos && paren > 0) plain = t.substr(0, paren);
  if (t == f->text || plain == f->text) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

int CmdDialogButton(const Args& a) {
  if (a.size() < 3) {
    Error(L"usage: dialog-button TITLE BUTTON_TEXT");
    return 2;
  }
  HWND top = FindTopLevel(a[1], false);
  if (!top) {
    Error(L"no visible window \"" + a[1] + L"\"");
    return 1;
  }
  // "确定|OK": any of the texts (the captions of message box buttons follow
  // the system's language).
  FindButton f;
  std::wstring wanted = a[2];
  for (size_t start = 0; !f.found && start <= wanted.size();) {
    size_t bar = wanted.find(L'|', start);
    if (bar == std::wstring::npos) bar = wanted.size();
    f.text = WithoutMnemonic(wanted.substr(start, bar - start));
    if (!f.text.empty()) EnumChildWindows(top, FindButtonProc, reinterpret_cast<LPARAM>(&f));
    start = bar + 1;
  }
  if (!f.found) {
    Error(L"no button \"" + a[2] + L"\" in \"" + a[1] + L"\"");
    return 1;
  }
  BringToFront(top);
  POINT p = CentreOf(f.found);
  Printf("%ld %ld\n", p.x, p.y);
  return MouseClickAt(p.x, p.y) ? 0 : 3;
}

// The file name field of a common file dialog: the edit inside combo box
// cmb13 (0x47c) in the explorer-style dialog, else edt1 (0x480).
HWND FileNameEdit(HWND dialog) {
  HWND combo = FindControl(dialog, 0x47c);
  if (combo) {
    if (ClassOf(combo) == L"Edit") return combo;
    HWND edit = FindControl(combo, -1, L"Edit");
    if (edit) return edit;
  }
  return FindControl(dialog, 0x480, L"Edit");
}

int CmdDialogFile(const Args& a) {
  if (a.size() < 3) {
    Error(L"usage: dialog-file TITLE PATH");
    return 2;
  }
  HWND dialog = FindTopLevel(a[1], false);
  if (!dialog) {
    Error(L"no visible window \"" + a[1] + L"\"");
    return 1;
  }
  HWND edit = FileNameEdit(dialog);
  HWND ok = FindControl(dialog, IDOK, L"Button");
  if (!edit || !ok) {
    Error(L"not a file dialog: no file name field or OK button");
    return 1;
  }
  BringToFront(dialog);
  // Click into the field, empty it, type the path.
  POINT p = CentreOf(edit);
  MouseClickAt(p.x, p.y);
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), nullptr);
  TypeText(a[2]);
  std::wstring typed;
  ControlText(edit, &typed);
  bool fallback = typed != a[2];
  if (fallback) {
    // Typing did not reach the field (no keyboard focus): set it directly.
    Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[2].c_str()), nullptr);
  }
  POINT q = CentreOf(ok);
  Printf("%s\n", fallback ? "typed=no (set the field directly)" : "typed=yes");
  return MouseClickAt(q.x, q.y) ? 0 : 3;
}

int CmdClose(const Args& a) {
  HWND top = FindTopLevel(a[1]);
  if (!top) {
    Error(L"no window \"" + a[1] + L"\"");
    return 1;
  }
  // The close button sends SC_CLOSE, which the default handling turns into WM_CLOSE.
  return PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 3;
}

int Usage() {
  Error(L"usage: uiprobe windows | wait TITLE MS | gone TITLE MS | text TITLE [ID] | "
        L"children TITLE | list TITLE ID | columns TITLE ID | rect TITLE [ID] | window-rect TITLE | "
        L"style TITLE [ID] | point TITLE ID | click TITLE ID | type TITLE ID TEXT | "
        L"menu TITLE ITEM_ID [BAR ITEM] | command TITLE ID | dialog-file TITLE PATH | "
        L"dialog-button TITLE TEXT | close TITLE");
  return 2;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return Usage();
  Args a;
  for (int i = 1; i < argc; ++i) a.v.emplace_back(argv[i]);
  LocalFree(argv);
  const std::wstring cmd = a[0];  // a[1] is TITLE, a[2] the next argument
  const Args& rest = a;
  if (cmd == L"windows") return CmdWindows(rest);
  if (rest.size() < 2) return Usage();
  if (cmd == L"wait") return CmdWait(rest, false);
  if (cmd == L"gone") return CmdWait(rest, true);
  if (cmd == L"text") return CmdText(rest);
  if (cmd == L"children") return CmdChildren(rest);
  if (cmd == L"list") return CmdList(rest);
  if (cmd == L"columns") return CmdColumns(rest);
  if (cmd == L"rect") return CmdRect(rest);
  if (cmd == L"window-rect") return CmdWindowRect(rest);
  if (cmd == L"style") return CmdStyle(rest);
  if (cmd == L"point") return CmdPoint(rest);
  if (cmd == L"click") return CmdClick(rest);
  if (cmd == L"type") return CmdType(rest);
  if (cmd == L"menu") return CmdMenu(rest);
  if (cmd == L"command") return CmdCommand(rest);
  if (cmd == L"dialog-file") return CmdDialogFile(rest);
  if (cmd == L"dialog-button") return CmdDialogButton(rest);
  if (cmd == L"close") return CmdClose(rest);
  return Usage();
}

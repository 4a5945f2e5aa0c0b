#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "scanlist/codepage.h"
#include "scanlist/export/list_view_table.h"

namespace scanlist {
namespace {

// Doubling limit: 2^24 UTF-16 units is far beyond any cell.
constexpr int kMaxBuffer = 1 << 24;

}  // namespace

int ListViewTable::ColumnCount() const {
  const HWND header = reinterpret_cast<HWND>(SendMessageW(listView_, LVM_GETHEADER, 0, 0));
  if (header == nullptr) return 0;
  const LRESULT count = SendMessageW(header, HDM_GETITEMCOUNT, 0, 0);
  return count < 0 ? 0 : static_cast<int>(count);
}

int ListViewTable::RowCount() const {
  const LRESULT count = SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0);
  return count < 0 ? 0 : static_cast<int>(count);
}

bool ListViewTable::HeadingText(int column, std::string& text) const {
  for (int size = 260; size <= kMaxBuffer; size *= 2) {
    std::vector<wchar_t> buffer(static_cast<size_t>(size), L'\0');
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT;
    item.pszText = buffer.data();
    item.cchTextMax = size;
    if (!SendMessageW(listView_, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                      reinterpret_cast<LPARAM>(&item)))
      return false;
    const wchar_t* got = item.pszText != nullptr ? item.pszText : L"";
    const size_t length = wcsnlen(got, got == buffer.data() ? buffer.size() : kMaxBuffer);
    if (got != buffer.data() || length + 1 < buffer.size()) {
      text = Utf16ToGbk(std::u16string(reinterpret_cast<const char16_t*>(got), length));
      return true;
    }
  }
  return false;
}

bool ListViewTable::CellText(int row, int column, std::string& text) const {
  if (row < 0 || row >= RowCount()) return false;
  for (int size = 512; size <= kMaxBuffer; size *= 2) {
    std::vector<wchar_t> buffer(static_cast<size_t>(size), L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = size;
    const LRESULT copied = SendMessageW(listView_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                        reinterpret_cast<LPARAM>(&item));
    if (copied < size - 1) {
      const size_t length = wcsnlen(buffer.data(), buffer.size());
      text = Utf16ToGbk(std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), length));
      return true;
    }
  }
  return false;
}

}  // namespace scanlist

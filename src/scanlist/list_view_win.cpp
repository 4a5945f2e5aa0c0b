#include "scanlist/list_view_win.h"

#include <algorithm>

#include "scanlist/codepage.h"

namespace scanlist {

const ListColumn kScanColumns[RowStore::kColumns] = {
    {L"序号", 50}, {L"客户端", 150}, {L"识别条码", 140}, {L"加入时间", 130}, {L"备注", 130},
};

bool ListViewScanList::Create(HWND parent, int id, int x, int y, int widthPx, int heightPx,
                              HFONT font) {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_CLIPSIBLINGS | LVS_REPORT |
                      LVS_SINGLESEL | LVS_OWNERDATA | LVS_NOSORTHEADER;
  hwnd_ = CreateWindowExW(0, WC_LISTVIEWW, L"", style, x, y, widthPx, heightPx, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) {
    return false;
  }
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  ListView_SetTextColor(hwnd_, RGB(0, 0, 0));
  ListView_SetTextBkColor(hwnd_, RGB(255, 255, 255));
  ListView_SetBkColor(hwnd_, RGB(255, 255, 255));
  for (int i = 0; i < RowStore::kColumns; ++i) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = LVCFMT_LEFT;
    col.cx = kScanColumns[i].widthPx;
    col.pszText = const_cast<wchar_t*>(kScanColumns[i].heading);
    col.iSubItem = i;
    ListView_InsertColumn(hwnd_, i, &col);
  }
  return true;
}

int ListViewScanList::AppendRow() {
  const int row = store_.AppendRow();
  if (row < 0 || hwnd_ == nullptr) {
    return row;
  }
  // Tell the list view its new length without repainting what it shows.
  ListView_SetItemCountEx(hwnd_, store_.GetRowCount(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  return row;
}

void ListViewScanList::SetCellText(int row, int column, std::string_view text) {
  if (row < 0 || row >= store_.GetRowCount()) {
    return;
  }
  store_.SetCellText(row, column, text);
  if (hwnd_ == nullptr) {
    return;
  }
  const int top = ListView_GetTopIndex(hwnd_);
  const int perPage = ListView_GetCountPerPage(hwnd_);
  if (row >= top && row <= top + perPage) {
    ListView_RedrawItems(hwnd_, row, row);  // only rows on screen are repainted
  }
}

bool ListViewScanList::OnNotify(const NMHDR* header, LRESULT* result) {
  if (header->hwndFrom != hwnd_ || header->code != LVN_GETDISPINFOW) {
    return false;
  }
  auto* info = const_cast<NMLVDISPINFOW*>(reinterpret_cast<const NMLVDISPINFOW*>(header));
  LVITEMW& item = info->item;
  if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
    const std::u16string wide = GbkToUtf16(store_.CellView(item.iItem, item.iSubItem));
    const size_t n = std::min(wide.size(), static_cast<size_t>(item.cchTextMax - 1));
    std::copy_n(wide.data(), n, reinterpret_cast<char16_t*>(item.pszText));
    item.pszText[n] = L'\0';
  }
  *result = 0;
  return true;
}

}  // namespace scanlist

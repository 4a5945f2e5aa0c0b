// The scan list on screen: a report-style list view in owner-data (virtual)
// mode over the program's own RowStore. The list view keeps no texts; it asks
// for the cells it draws (LVN_GETDISPINFOW), so appending, reading and
// scrolling cost the same at row 1,000,000 as at row 10.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "scanlist/row_store.h"

namespace scanlist {

struct ListColumn {
  const wchar_t* heading;
  int widthPx;
};

// "序号", "客户端", "识别条码", "加入时间", "备注", all left-aligned.
extern const ListColumn kScanColumns[RowStore::kColumns];

class ListViewScanList final : public ScanListModel {
 public:
  // Creates the list view as a child of parent at the given place.
  bool Create(HWND parent, int id, int x, int y, int widthPx, int heightPx, HFONT font);
  HWND Handle() const { return hwnd_; }

  int AppendRow() override;
  void SetCellText(int row, int column, std::string_view text) override;
  int GetRowCount() const override { return store_.GetRowCount(); }
  std::string GetCellText(int row, int column) const override {
    return store_.GetCellText(row, column);
  }

  // Answers the list view's notifications; true when the message was ours.
  bool OnNotify(const NMHDR* header, LRESULT* result);

 private:
  RowStore store_;
  HWND hwnd_ = nullptr;
};

}  // namespace scanlist

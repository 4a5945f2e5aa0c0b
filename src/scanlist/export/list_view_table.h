// The report-style list view as a TableSource (Windows only). Texts are read
// as UTF-16 and converted to GBK with code page 936 whatever the system's
// ANSI code page, and every cell is read whole, however long.
#pragma once

#include "scanlist/export/html_table.h"

struct HWND__;

namespace scanlist {

class ListViewTable final : public TableSource {
 public:
  explicit ListViewTable(HWND__* listView) : listView_(listView) {}
  int ColumnCount() const override;  // items of the header control
  int RowCount() const override;
  bool HeadingText(int column, std::string& text) const override;
  bool CellText(int row, int column, std::string& text) const override;

 private:
  HWND__* listView_;
};

}  // namespace scanlist

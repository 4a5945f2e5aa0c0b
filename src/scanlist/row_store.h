// The rows of the scan list, held by the program itself so that the on-screen
// list view only draws what is visible (it asks for cell texts on demand).
// Cell texts live in one growing arena; a row costs a few dozen bytes beyond
// its texts, so a million rows stay cheap and appending stays constant time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scanlist {

// The list operations the scan handling, the import and the export use.
class ScanListModel {
 public:
  virtual ~ScanListModel() = default;
  // Adds an empty row after the last; returns its index, or -1 when refused.
  virtual int AppendRow() = 0;
  // Replaces one cell's text; a cell that does not exist changes nothing.
  virtual void SetCellText(int row, int column, std::string_view text) = 0;
  virtual int GetRowCount() const = 0;
  // The whole text of a cell; "" for a cell that does not exist.
  virtual std::string GetCellText(int row, int column) const = 0;
};

class RowStore final : public ScanListModel {
 public:
  static constexpr int kColumns = 5;
  // Rows beyond this are refused (AppendRow gives -1); the list view's item
  // count is an int and the arena offsets stay well inside 64 bits.
  static constexpr int kMaxRows = 100'000'000;

  int AppendRow() override;
  void SetCellText(int row, int column, std::string_view text) override;
  int GetRowCount() const override { return static_cast<int>(cells_.size() / kColumns); }
  std::string GetCellText(int row, int column) const override;
  // A view of the cell text, valid until the next change of the store.
  std::string_view CellView(int row, int column) const;

 private:
  struct Cell {
    uint64_t offset = 0;
    uint32_t length = 0;
  };
  bool Valid(int row, int column) const {
    return row >= 0 && column >= 0 && column < kColumns && row < GetRowCount();
  }
  std::vector<Cell> cells_;  // kColumns per row
  std::vector<char> arena_;
};

}  // namespace scanlist

#include "scanlist/row_store.h"

#include <limits>

namespace scanlist {

int RowStore::AppendRow() {
  const int row = GetRowCount();
  if (row >= kMaxRows) {
    return -1;
  }
  cells_.resize(cells_.size() + kColumns);
  return row;
}

void RowStore::SetCellText(int row, int column, std::string_view text) {
  if (!Valid(row, column) || text.size() > std::numeric_limits<uint32_t>::max()) {
    return;
  }
  // Cells are written once after their row is appended; a rewrite simply
  // leaves the old bytes unused.
  Cell& cell = cells_[static_cast<size_t>(row) * kColumns + static_cast<size_t>(column)];
  cell.offset = arena_.size();
  cell.length = static_cast<uint32_t>(text.size());
  arena_.insert(arena_.end(), text.begin(), text.end());
}

std::string_view RowStore::CellView(int row, int column) const {
  if (!Valid(row, column)) {
    return {};
  }
  const Cell& cell = cells_[static_cast<size_t>(row) * kColumns + static_cast<size_t>(column)];
  if (cell.length == 0) {
    return {};
  }
  return std::string_view(arena_.data() + cell.offset, cell.length);
}

std::string RowStore::GetCellText(int row, int column) const {
  return std::string(CellView(row, column));
}

}  // namespace scanlist

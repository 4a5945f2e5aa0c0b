#include "scanlist/row_store.h"

#include <gtest/gtest.h>

namespace scanlist {
namespace {

TEST(RowStore, AppendsAndKeepsWholeCells) {
  RowStore store;
  EXPECT_EQ(store.GetRowCount(), 0);
  EXPECT_EQ(store.AppendRow(), 0);
  EXPECT_EQ(store.AppendRow(), 1);
  const std::string long600(600, 'x');
  store.SetCellText(0, 4, long600);
  store.SetCellText(1, 0, "2");
  EXPECT_EQ(store.GetCellText(0, 4), long600);
  EXPECT_EQ(store.GetCellText(1, 0), "2");
  EXPECT_EQ(store.GetCellText(0, 0), "");
  store.SetCellText(1, 0, "22");  // a rewrite replaces the text
  EXPECT_EQ(store.GetCellText(1, 0), "22");
}

TEST(RowStore, CellsOutsideTheListChangeNothing) {
  RowStore store;
  store.AppendRow();
  store.SetCellText(-1, 0, "a");
  store.SetCellText(1, 0, "a");
  store.SetCellText(0, 5, "a");
  store.SetCellText(0, -1, "a");
  EXPECT_EQ(store.GetRowCount(), 1);
  for (int c = 0; c < RowStore::kColumns; ++c) EXPECT_EQ(store.GetCellText(0, c), "");
  EXPECT_EQ(store.GetCellText(7, 0), "");
  EXPECT_EQ(store.GetCellText(0, 9), "");
}

}  // namespace
}  // namespace scanlist

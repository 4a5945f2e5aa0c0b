// Streaming reader of a table's rows, in the order the file holds them: the
// table's data pages in page order, then row slots. Deleted rows are skipped
// and overflow rows are read from where they were relocated. Memory does not
// grow with the number of rows.
#pragma once

#include <vector>

#include "database/page_channel.h"
#include "database/table_def.h"
#include "database/value.h"

namespace database {

// Where a row lives: page and slot.
struct RowId {
  PageNumber page = kNoPage;
  uint16_t row = 0;
};

class TableCursor {
 public:
  // The cursor reads through `channel` and refers to `def`; both must outlive it.
  TableCursor(PageChannel& channel, const TableDef& def);

  // Reads the table's owned-pages map. Must succeed before Next.
  Status Open();

  // The next live row: values[i] belongs to def.columns[i]. kEnd after the
  // last row. A corrupt row stops the cursor with kCorrupt.
  Status Next(std::vector<Value>* values, RowId* where = nullptr);

 private:
  Status LoadPage(size_t index);
  Status DecodeRow(const uint8_t* page, size_t start, size_t end, std::vector<Value>* values);
  Status DecodeColumn(const Column& column, const uint8_t* data, size_t size, Value* value);
  Status ReadSlot(const uint8_t* page, size_t row, std::vector<Value>* values, bool* skipped);

  PageChannel& channel_;
  const TableDef& def_;
  std::vector<PageNumber> pages_;
  size_t pageIndex_ = 0;
  size_t rowIndex_ = 0;
  size_t rowsOnPage_ = 0;
  bool pageLoaded_ = false;
  bool failed_ = false;
  std::vector<uint8_t> page_;      // the current data page
  std::vector<uint8_t> overflow_;  // the page of a relocated row
};

// Reads a long value (Memo, OLE) from its 12-byte field and what follows it.
Status ReadLongValue(PageChannel& channel, const uint8_t* field, size_t size, std::string* out);

}  // namespace database

// Table definitions (TDEF): the header counters, column descriptors, real and
// logical indexes and the usage maps of long-value columns, read from the
// definition's chain of pages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "database/page_channel.h"
#include "database/result.h"

namespace database {

// A reference to a usage map: row `row` of data page `page`.
struct UsageMapRef {
  PageNumber page = kNoPage;
  uint8_t row = 0;
};

struct Column {
  std::u16string name;
  uint8_t type = 0;           // format::type code
  uint16_t number = 0;        // null-mask bit and index column id
  uint16_t varIndex = 0;      // slot in the var-offset table (variable columns)
  uint16_t fixedOffset = 0;   // offset in the fixed area (fixed columns)
  uint16_t length = 0;        // bytes (Text: 2 per character; 0 for Memo/OLE)
  uint8_t flags = 0;          // format::column::kFlag*
  uint8_t extraFlags = 0;     // format::column::kExtra*
  uint16_t sortLcid = 0;      // Text/Memo sort order
  uint8_t sortVersion = 0;
  uint8_t precision = 0;      // Decimal
  uint8_t scale = 0;          // Decimal
  uint32_t complexId = 0;     // Complex
  bool fixed() const;         // stored in the fixed area
  bool longValue() const;     // Memo or OLE
};

struct IndexColumn {
  uint16_t columnNumber = 0;
  bool ascending = true;
};

struct RealIndex {
  std::vector<IndexColumn> columns;
  UsageMapRef pages;          // the index's pages
  PageNumber rootPage = kNoPage;
  uint8_t flags = 0;          // format::real_index::kFlag*
  uint32_t uniqueEntryCount = 0;
};

struct LogicalIndex {
  std::u16string name;
  uint32_t number = 0;
  uint32_t realIndex = 0;
  uint8_t kind = 0;           // 0 normal, 1 primary key, 2 foreign key
  int32_t relatedIndex = -1;  // foreign key: the related logical index
  PageNumber relatedTable = kNoPage;
};

struct LongValueMaps {
  uint16_t columnNumber = 0;
  UsageMapRef owned;          // the column's long-value pages
  UsageMapRef free;           // those with room
};

struct TableDef {
  PageNumber page = kNoPage;  // first TDEF page (the table's id)
  std::vector<PageNumber> definitionPages;  // the whole chain, first page first
  uint32_t definitionLength = 0;
  uint32_t rowCount = 0;
  uint32_t lastAutoNumber = 0;
  uint32_t lastComplexAutoNumber = 0;
  uint8_t tableType = 0;      // 'N' user, 'S' system
  uint16_t maxColumns = 0;    // columns every row is written with
  uint16_t varColumns = 0;
  std::vector<Column> columns;  // in column-number order
  std::vector<RealIndex> realIndexes;
  std::vector<LogicalIndex> logicalIndexes;
  std::vector<LongValueMaps> longValueMaps;
  UsageMapRef ownedPages;     // the table's data pages
  UsageMapRef freePages;      // data pages with room

  // The column of that name (exact, case-insensitive as Access compares), or null.
  const Column* FindColumn(std::u16string_view name) const;
};

// Reads the definition that starts on TDEF page `page`.
Status ReadTableDef(PageChannel& channel, PageNumber page, TableDef* def);

// Access's comparison of names: equal when they differ only in letter case.
bool NamesEqual(std::u16string_view a, std::u16string_view b);

// The type's name as Access shows it ("Text", "Long Integer", ...).
const char* TypeName(uint8_t type);

}  // namespace database

#include "database/table_def.h"

#include <algorithm>

#include "database/bytes.h"
#include "database/format.h"

namespace database {
namespace {

namespace td = format::tdef;
namespace col = format::column;

UsageMapRef ReadRef(const uint8_t* p) { return UsageMapRef{Le24(p + 1), p[0]}; }

// Upper-case form of one UTF-16 unit for name comparison: ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic, the scripts whose letters have case.
char16_t FoldCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c < 0x80) return c;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
    // Pairs: even upper, odd lower, except 0x139-0x148 and 0x179-0x17E (odd upper).
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper) return (c % 2 == 0) ? static_cast<char16_t>(c - 1) : c;
    return (c % 2 == 1) ? static_cast<char16_t>(c - 1) : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);  // full-width a-z
  return c;
}

// Reads one `u16 byte length + UTF-16LE` name at *pos of buf.
bool ReadName(const std::vector<uint8_t>& buf, size_t* pos, std::u16string* name) {
  if (*pos + 2 > buf.size()) return false;
  const size_t len = Le16(buf.data() + *pos);
  *pos += 2;
  if (len % 2 != 0 || *pos + len > buf.size()) return false;
  name->resize(len / 2);
  for (size_t i = 0; i < len / 2; ++i) {
    (*name)[i] = static_cast<char16_t>(Le16(buf.data() + *pos + 2 * i));
  }
  *pos += len;
  return true;
}

// Joins the definition's pages: the first page whole, then each continuation
// page from its header on.
Status LoadDefinition(PageChannel& channel, PageNumber first, TableDef* def,
                      std::vector<uint8_t>* buf) {
  uint8_t page[format::kPageSize];
  if (first == kNoPage) return Status::kCorrupt;  // page 0 is the header
  PageNumber current = first;
  while (current != kNoPage) {
    if (def->definitionPages.size() >= td::kMaxPages ||
        std::find(def->definitionPages.begin(), def->definitionPages.end(), current) !=
            def->definitionPages.end()) {
      return Status::kCorrupt;  // too long, or a cycle
    }
    const Status s = channel.ReadPage(current, page);
    if (s != Status::kOk) return s;
    if (page[0] != format::page_type::kTableDef) return Status::kCorrupt;
    def->definitionPages.push_back(current);
    const size_t from = buf->empty() ? 0 : td::kPageHeaderSize;
    buf->insert(buf->end(), page + from, page + format::kPageSize);
    current = Le32(page + td::kNextPage);
  }
  return Status::kOk;
}

}  // namespace

bool Column::fixed() const { return (flags & col::kFlagFixed) != 0; }
bool Column::longValue() const {
  return type == format::type::kMemo || type == format::type::kOle;
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

const Column* TableDef::FindColumn(std::u16string_view name) const {
  for (const Column& c : columns) {
    if (NamesEqual(c.name, name)) return &c;
  }
  return nullptr;
}

Status ReadTableDef(PageChannel& channel, PageNumber page, TableDef* def) {
  *def = TableDef{};
  def->page = page;
  std::vector<uint8_t> buf;
  if (const Status s = LoadDefinition(channel, page, def, &buf); s != Status::kOk) {
    return s;
  }
  const uint8_t* b = buf.data();
  def->definitionLength = Le32(b + td::kLength);
  def->rowCount = Le32(b + td::kRowCount);
  def->lastAutoNumber = Le32(b + td::kAutoNumber);
  def->lastComplexAutoNumber = Le32(b + td::kComplexAutoNumber);
  def->tableType = b[td::kTableType];
  def->maxColumns = Le16(b + td::kMaxColumns);
  def->varColumns = Le16(b + td::kVarColumns);
  const size_t columnCount = Le16(b + td::kColumnCount);
  const uint64_t logicalCount = Le32(b + td::kLogicalIndexCount);
  const uint64_t realCount = Le32(b + td::kRealIndexCount);
  def->ownedPages = ReadRef(b + td::kOwnedPagesMap);
  def->freePages = ReadRef(b + td::kFreePagesMap);

  // The counts must fit the buffer before anything is allocated for them.
  const uint64_t fixedPart = td::kBody + realCount * (td::kRealIndexCounterSize +
                                                      format::real_index::kSize) +
                             columnCount * col::kSize + logicalCount * format::logical_index::kSize;
  if (fixedPart > buf.size() || columnCount > def->maxColumns) {
    return Status::kCorrupt;
  }

  size_t pos = td::kBody;
  std::vector<uint32_t> uniqueCounts(realCount);
  for (auto& u : uniqueCounts) {
    u = Le32(b + pos + 4);
    pos += td::kRealIndexCounterSize;
  }

  def->columns.resize(columnCount);
  for (Column& c : def->columns) {
    const uint8_t* d = b + pos;
    c.type = d[col::kType];
    c.number = Le16(d + col::kNumber);
    c.varIndex = Le16(d + col::kVarIndex);
    c.flags = d[col::kFlags];
    c.extraFlags = d[col::kExtraFlags];
    c.fixedOffset = Le16(d + col::kFixedOffset);
    c.length = Le16(d + col::kLength);
    if (c.type == format::type::kDecimal) {
      c.precision = d[col::kPrecision];
      c.scale = d[col::kScale];
    } else if (c.type == format::type::kComplex) {
      c.complexId = Le32(d + col::kComplexId);
    } else if (c.type == format::type::kText || c.type == format::type::kMemo) {
      c.sortLcid = Le16(d + col::kSortOrder);
      c.sortVersion = d[col::kSortOrder + 3];
    }
    if (c.number >= def->maxColumns) return Status::kCorrupt;
    pos += col::kSize;
  }
  for (Column& c : def->columns) {
    if (!ReadName(buf, &pos, &c.name)) return Status::kCorrupt;
  }

  def->realIndexes.resize(realCount);
  for (size_t i = 0; i < realCount; ++i) {
    namespace ri = format::real_index;
    if (pos + ri::kSize > buf.size()) return Status::kCorrupt;
    const uint8_t* d = b + pos;
    RealIndex& index = def->realIndexes[i];
    for (size_t k = 0; k < ri::kColumnSlots; ++k) {
      const uint8_t* slot = d + ri::kColumns + k * ri::kColumnSlotSize;
      const uint16_t number = Le16(slot);
      if (number == ri::kUnusedColumn) continue;
      index.columns.push_back(IndexColumn{number, (slot[2] & ri::kAscending) != 0});
    }
    index.pages = ReadRef(d + ri::kUsageMap);
    index.rootPage = Le32(d + ri::kRootPage);
    index.flags = d[ri::kFlags];
    index.uniqueEntryCount = uniqueCounts[i];
    pos += ri::kSize;
  }

  def->logicalIndexes.resize(logicalCount);
  for (LogicalIndex& index : def->logicalIndexes) {
    namespace li = format::logical_index;
    if (pos + li::kSize > buf.size()) return Status::kCorrupt;
    const uint8_t* d = b + pos;
    index.number = Le32(d + li::kNumber);
    index.realIndex = Le32(d + li::kRealIndex);
    index.relatedIndex = static_cast<int32_t>(Le32(d + li::kRelatedIndex));
    index.relatedTable = Le32(d + li::kRelatedTable);
    index.kind = d[li::kType];
    if (index.realIndex >= realCount) return Status::kCorrupt;
    pos += li::kSize;
  }
  for (LogicalIndex& index : def->logicalIndexes) {
    if (!ReadName(buf, &pos, &index.name)) return Status::kCorrupt;
  }

  // Long-value column maps, ended by column number 0xFFFF.
  for (size_t n = 0;; ++n) {
    if (pos + 2 > buf.size() || n > def->maxColumns) return Status::kCorrupt;
    const uint16_t number = Le16(b + pos);
    pos += 2;
    if (number == format::kColumnMapEnd) break;
    if (pos + 8 > buf.size()) return Status::kCorrupt;
    def->longValueMaps.push_back(LongValueMaps{number, ReadRef(b + pos), ReadRef(b + pos + 4)});
    pos += 8;
  }

  std::stable_sort(def->columns.begin(), def->columns.end(),
                   [](const Column& x, const Column& y) { return x.number < y.number; });
  return Status::kOk;
}

const char* TypeName(uint8_t type) {
  namespace t = format::type;
  switch (type) {
    case t::kBoolean: return "Yes/No";
    case t::kByte: return "Byte";
    case t::kInteger: return "Integer";
    case t::kLong: return "Long Integer";
    case t::kCurrency: return "Currency";
    case t::kSingle: return "Single";
    case t::kDouble: return "Double";
    case t::kDateTime: return "Date/Time";
    case t::kBinary: return "Binary";
    case t::kText: return "Text";
    case t::kOle: return "OLE Object";
    case t::kMemo: return "Memo";
    case t::kGuid: return "Replication ID";
    case t::kDecimal: return "Decimal";
    case t::kComplex: return "Complex";
    case t::kBigInt: return "Large Number";
    case t::kExtendedDate: return "Extended Date/Time";
    default: return "Unknown";
  }
}

}  // namespace database

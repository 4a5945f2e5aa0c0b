#include "database/checker.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <map>
#include <set>

#include "database/bytes.h"
#include "database/data_page.h"
#include "database/format.h"
#include "database/table_cursor.h"
#include "database/usage_map.h"
#include "scanlist/codepage.h"

namespace database {
namespace {

namespace ip = format::index_page;

struct Entry {
  std::string key;  // key bytes, without the row pointer
  RowId row;
};

// Index key bytes of one column value, for the types whose encoding is a
// plain transformation of the value (numbers and dates). False for the rest
// (text keys are sort keys of the column's sort order).
bool AppendKey(const Column& column, bool ascending, const Value& v, std::string* key) {
  namespace t = format::type;
  if (v.kind == ValueKind::kNull) {
    key->push_back(ascending ? '\x00' : '\xFF');
    return true;
  }
  uint8_t bytes[8];
  size_t size = 0;
  auto bigEndian = [&](uint64_t value, size_t n) {
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * (n - 1 - i)));
    size = n;
  };
  switch (column.type) {
    case t::kByte: bytes[0] = static_cast<uint8_t>(v.integer); size = 1; break;
    case t::kInteger: bigEndian(static_cast<uint64_t>(v.integer), 2); bytes[0] ^= 0x80; break;
    case t::kLong: case t::kComplex: bigEndian(static_cast<uint64_t>(v.integer), 4); bytes[0] ^= 0x80; break;
    case t::kCurrency: case t::kBigInt: bigEndian(static_cast<uint64_t>(v.integer), 8); bytes[0] ^= 0x80; break;
    case t::kSingle: case t::kDouble: case t::kDateTime: {
      uint64_t bits = 0;
      if (column.type == t::kSingle) {
        const float f = static_cast<float>(v.real);
        uint32_t b32;
        std::memcpy(&b32, &f, 4);
        bits = b32;
        bigEndian(bits, 4);
      } else {
        std::memcpy(&bits, &v.real, 8);
        bigEndian(bits, 8);
      }
      if (bytes[0] & 0x80) {
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(~bytes[i]);
      } else {
        bytes[0] ^= 0x80;
      }
      break;
    }
    default: return false;
  }
  key->push_back(ascending ? '\x7F' : '\x80');
  for (size_t i = 0; i < size; ++i) key->push_back(static_cast<char>(ascending ? bytes[i] : ~bytes[i]));
  return true;
}

using RowKeys = std::map<std::pair<PageNumber, uint16_t>, std::string>;

class Checker {
 public:
  Checker(Database& db, CheckReport* report) : db_(db), channel_(db.channel()), report_(report) {}

  void Run();

 private:
  void Problem(const std::string& where, const std::string& what) {
    report_->problems.push_back(where + ": " + what);
  }
  // Records that `page` belongs to `owner`; a page has one owner.
  void Own(PageNumber page, const std::string& owner) {
    auto [it, inserted] = owners_.emplace(page, owner);
    if (!inserted && it->second != owner) {
      Problem("page " + std::to_string(page), "belongs to both " + it->second + " and " + owner);
    }
  }
  void CheckTable(const CatalogEntry& entry);
  void CheckDataPages(const std::string& name, const TableDef& def, const std::vector<PageNumber>& pages,
                      std::set<std::pair<PageNumber, uint16_t>>* liveRows);
  void CheckIndex(const std::string& name, const TableDef& def, size_t index,
                  const std::set<std::pair<PageNumber, uint16_t>>& liveRows, uint32_t nullRows,
                  const RowKeys* keys);
  bool ReadIndexPage(PageNumber page, uint8_t* buf, std::vector<Entry>* entries,
                     std::vector<PageNumber>* children, const std::string& where);

  Database& db_;
  PageChannel& channel_;
  CheckReport* report_;
  std::map<PageNumber, std::string> owners_;
};

void Checker::Run() {
  if (channel_.HasPartialPage()) Problem("file", "length is not a whole number of pages");
  for (const CatalogEntry& e : db_.catalog()) {
    if (e.IsTable()) CheckTable(e);
  }
  // Every page but the header and the global map is free or has one owner.
  std::vector<PageNumber> freePages;
  if (ReadUsageMap(channel_, UsageMapRef{1, 0}, true, &freePages) != Status::kOk) {
    Problem("global usage map", "unreadable");
    return;
  }
  std::set<PageNumber> isFree(freePages.begin(), freePages.end());
  for (PageNumber p = 2; p < channel_.PageCount(); ++p) {
    const bool owned = owners_.count(p) != 0;
    if (owned && isFree.count(p) != 0) {
      Problem("page " + std::to_string(p), "marked free but belongs to " + owners_[p]);
    }
  }
  char line[128];
  std::snprintf(line, sizeof line, "%u pages, %zu free, %zu owned by tables", channel_.PageCount(),
                isFree.size(), owners_.size());
  report_->notes.push_back(line);
}

void Checker::CheckTable(const CatalogEntry& entry) {
  const std::string name = scanlist::Utf16ToUtf8(entry.name);
  TableDef def;
  if (const Status s = ReadTableDef(channel_, entry.TableDefPage(), &def); s != Status::kOk) {
    Problem(name, std::string("definition: ") + StatusName(s));
    return;
  }
  for (PageNumber p : def.definitionPages) Own(p, name + " definition");
  for (const UsageMapRef& ref : {def.ownedPages, def.freePages}) Own(ref.page, "usage maps");

  std::vector<PageNumber> pages;
  if (const Status s = ReadUsageMap(channel_, def.ownedPages, false, &pages); s != Status::kOk) {
    Problem(name, std::string("owned-pages map: ") + StatusName(s));
    return;
  }
  std::vector<PageNumber> freePages;
  if (ReadUsageMap(channel_, def.freePages, false, &freePages) != Status::kOk) {
    Problem(name, "free-space map unreadable");
  }
  for (PageNumber p : freePages) {
    if (!std::binary_search(pages.begin(), pages.end(), p)) {
      Problem(name, "free-space map names page " + std::to_string(p) + " that the table does not own");
    }
  }
  std::set<std::pair<PageNumber, uint16_t>> liveRows;
  CheckDataPages(name, def, pages, &liveRows);

  // Long-value pages, per Memo/OLE column.
  for (const LongValueMaps& maps : def.longValueMaps) {
    Own(maps.owned.page, "usage maps");
    std::vector<PageNumber> lvPages;
    if (ReadUsageMap(channel_, maps.owned, false, &lvPages) != Status::kOk) {
      Problem(name, "long-value map of column " + std::to_string(maps.columnNumber) + " unreadable");
      continue;
    }
    uint8_t buf[format::kPageSize];
    for (PageNumber p : lvPages) {
      Own(p, name + " long values");
      if (channel_.ReadPage(p, buf) != Status::kOk || buf[0] != format::page_type::kData ||
          Le32(buf + format::data_page::kOwner) != format::data_page::kLongValueOwner) {
        Problem(name, "long-value page " + std::to_string(p) + " is not an LVAL page");
      }
    }
  }

  // Row count and every value, through the same cursor readers use.
  TableCursor cursor(channel_, def);
  uint32_t rows = 0;
  std::vector<uint32_t> nullRows(def.realIndexes.size());
  // Expected keys per row, for the indexes whose keys can be recomputed.
  std::vector<RowKeys> keys(def.realIndexes.size());
  std::vector<bool> computable(def.realIndexes.size(), true);
  if (cursor.Open() == Status::kOk) {
    std::vector<Value> values;
    RowId where;
    Status s;
    while ((s = cursor.Next(&values, &where)) == Status::kOk) {
      ++rows;
      for (size_t i = 0; i < def.realIndexes.size(); ++i) {
        bool allNull = true;
        std::string key;
        for (const IndexColumn& ic : def.realIndexes[i].columns) {
          bool found = false;
          for (size_t c = 0; c < def.columns.size(); ++c) {
            if (def.columns[c].number != ic.columnNumber) continue;
            found = true;
            allNull = allNull && values[c].kind == ValueKind::kNull;
            if (computable[i] && !AppendKey(def.columns[c], ic.ascending, values[c], &key)) computable[i] = false;
          }
          if (!found) computable[i] = false;
        }
        if (allNull) ++nullRows[i];
        if (computable[i]) keys[i][{where.page, where.row}] = key;
      }
    }
    if (s != Status::kEnd) Problem(name, std::string("row ") + std::to_string(rows) + ": " + StatusName(s));
  }
  if (rows != def.rowCount) {
    Problem(name, "definition counts " + std::to_string(def.rowCount) + " rows, the pages hold " +
                      std::to_string(rows));
  }
  size_t recomputed = 0;
  for (size_t i = 0; i < def.realIndexes.size(); ++i) {
    CheckIndex(name, def, i, liveRows, nullRows[i], computable[i] ? &keys[i] : nullptr);
    recomputed += computable[i] ? 1 : 0;
  }
  report_->notes.push_back(name + ": " + std::to_string(rows) + " rows on " + std::to_string(pages.size()) +
                           " pages, " + std::to_string(def.realIndexes.size()) + " indexes (" + std::to_string(recomputed) +
                           " with every key recomputed)");
}

void Checker::CheckDataPages(const std::string& name, const TableDef& def,
                             const std::vector<PageNumber>& pages,
                             std::set<std::pair<PageNumber, uint16_t>>* liveRows) {
  uint8_t buf[format::kPageSize];
  for (PageNumber p : pages) {
    const std::string where = name + " page " + std::to_string(p);
    Own(p, name + " data");
    if (channel_.ReadPage(p, buf) != Status::kOk) {
      Problem(where, "unreadable");
      continue;
    }
    if (buf[0] != format::page_type::kData || Le32(buf + format::data_page::kOwner) != def.page) {
      Problem(where, "is not a data page of the table");
      continue;
    }
    size_t count = 0;
    if (DataPageRowCount(buf, &count) != Status::kOk) {
      Problem(where, "impossible row count");
      continue;
    }
    size_t lowest = format::kPageSize;
    for (size_t r = 0; r < count; ++r) {
      RowSlot slot;
      if (DataPageSlot(buf, r, &slot) != Status::kOk) {
        Problem(where, "row " + std::to_string(r) + " has impossible bounds");
        continue;
      }
      lowest = std::min(lowest, slot.start);
      if (!slot.deleted) liveRows->insert({p, static_cast<uint16_t>(r)});
    }
    const size_t expectFree = lowest - format::data_page::kRowOffsets - 2 * count;
    if (Le16(buf + format::data_page::kFreeSpace) != expectFree) {
      Problem(where, "free space field " + std::to_string(Le16(buf + format::data_page::kFreeSpace)) +
                         ", rows leave " + std::to_string(expectFree));
    }
  }
}

bool Checker::ReadIndexPage(PageNumber page, uint8_t* buf, std::vector<Entry>* entries,
                            std::vector<PageNumber>* children, const std::string& where) {
  entries->clear();
  children->clear();
  if (channel_.ReadPage(page, buf) != Status::kOk ||
      (buf[0] != format::page_type::kIndexLeaf && buf[0] != format::page_type::kIndexNode)) {
    Problem(where, "page " + std::to_string(page) + " is not an index page");
    return false;
  }
  const bool node = buf[0] == format::page_type::kIndexNode;
  const size_t pointerSize = node ? 8 : 4;
  const size_t prefixLength = Le16(buf + ip::kPrefixLength);
  std::string first;
  size_t start = ip::kEntries;
  for (size_t bit = 0; bit < ip::kEntryMaskSize * 8; ++bit) {
    if ((buf[ip::kEntryMask + bit / 8] & (1u << (bit % 8))) == 0) continue;
    const size_t end = ip::kEntries + bit;
    if (end > format::kPageSize || end <= start) {
      Problem(where, "entry bounds beyond page " + std::to_string(page));
      return false;
    }
    std::string bytes(reinterpret_cast<const char*>(buf + start), end - start);
    if (entries->empty()) {
      first = bytes;
    } else {
      if (prefixLength > first.size()) {
        Problem(where, "prefix longer than the first entry on page " + std::to_string(page));
        return false;
      }
      bytes.insert(0, first, 0, prefixLength);
    }
    if (bytes.size() < pointerSize) {
      Problem(where, "short entry on page " + std::to_string(page));
      return false;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data()) + bytes.size() - pointerSize;
    Entry e;
    e.key = bytes.substr(0, bytes.size() - pointerSize);
    e.row = RowId{Be24(p), p[3]};
    entries->push_back(std::move(e));
    if (node) children->push_back(Be32(p + 4));
    start = end;
  }
  if (node && Le32(buf + ip::kTailPage) != kNoPage) children->push_back(Le32(buf + ip::kTailPage));
  return true;
}

void Checker::CheckIndex(const std::string& name, const TableDef& def, size_t index,
                         const std::set<std::pair<PageNumber, uint16_t>>& liveRows, uint32_t nullRows,
                         const RowKeys* keys) {
  const RealIndex& ri = def.realIndexes[index];
  const std::string where = name + " index " + std::to_string(index);
  Own(ri.pages.page, "usage maps");
  std::vector<PageNumber> mapPages;
  if (ReadUsageMap(channel_, ri.pages, false, &mapPages) != Status::kOk) {
    Problem(where, "usage map unreadable");
    return;
  }
  for (PageNumber p : mapPages) Own(p, name + " index pages");
  // Depth-first walk from the root gives the leaves in key order.
  std::vector<Entry> leafEntries;
  std::vector<PageNumber> leaves;
  std::set<PageNumber> seen;
  std::vector<PageNumber> stack{ri.rootPage};
  uint8_t buf[format::kPageSize];
  std::vector<Entry> entries;
  std::vector<PageNumber> children;
  while (!stack.empty()) {
    const PageNumber page = stack.back();
    stack.pop_back();
    if (!seen.insert(page).second) {
      Problem(where, "page " + std::to_string(page) + " reached twice (a cycle)");
      return;
    }
    if (!std::binary_search(mapPages.begin(), mapPages.end(), page)) {
      Problem(where, "page " + std::to_string(page) + " is missing from the index's usage map");
    }
    if (!ReadIndexPage(page, buf, &entries, &children, where)) return;
    if (Le32(buf + ip::kTableDef) != def.page) Problem(where, "page " + std::to_string(page) + " names another table");
    if (buf[0] == format::page_type::kIndexLeaf) {
      leaves.push_back(page);
      leafEntries.insert(leafEntries.end(), entries.begin(), entries.end());
    } else {
      for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(*it);
    }
  }
  // The leaf level is one chain in key order.
  for (size_t i = 0; i < leaves.size(); ++i) {
    channel_.ReadPage(leaves[i], buf);
    const PageNumber prev = Le32(buf + ip::kPrevPage);
    const PageNumber next = Le32(buf + ip::kNextPage);
    if (prev != (i == 0 ? kNoPage : leaves[i - 1]) || next != (i + 1 == leaves.size() ? kNoPage : leaves[i + 1])) {
      Problem(where, "leaf " + std::to_string(leaves[i]) + " is linked out of order");
    }
  }
  std::set<std::pair<PageNumber, uint16_t>> indexed;
  for (size_t i = 0; i < leafEntries.size(); ++i) {
    const Entry& e = leafEntries[i];
    if (i > 0) {
      const Entry& before = leafEntries[i - 1];
      const int c = before.key.compare(e.key);  // std::string compares bytes as unsigned char
      if (c > 0 || (c == 0 && std::make_pair(before.row.page, before.row.row) >= std::make_pair(e.row.page, e.row.row))) {
        Problem(where, "entries out of order at entry " + std::to_string(i));
      }
      if (c == 0 && (ri.flags & format::real_index::kFlagUnique) != 0 && !e.key.empty() &&
          static_cast<uint8_t>(e.key[0]) != 0x00 && static_cast<uint8_t>(e.key[0]) != 0xFF) {
        Problem(where, "unique index holds a key twice");
      }
    }
    if (liveRows.count({e.row.page, e.row.row}) == 0) {
      Problem(where, "entry " + std::to_string(i) + " points at page " + std::to_string(e.row.page) + " row " +
                         std::to_string(e.row.row) + ", which is no live row of the table");
    }
    if (!indexed.insert({e.row.page, e.row.row}).second) Problem(where, "a row is indexed twice");
    if (keys != nullptr) {
      const auto it = keys->find({e.row.page, e.row.row});
      if (it != keys->end() && it->second != e.key) {
        Problem(where, "entry " + std::to_string(i) + " holds another key than its row's values give");
      }
    }
  }
  const bool ignoreNulls = (ri.flags & format::real_index::kFlagIgnoreNulls) != 0;
  const size_t expected = def.rowCount - (ignoreNulls ? nullRows : 0);
  if (leafEntries.size() != expected) {
    Problem(where, std::to_string(leafEntries.size()) + " entries for " + std::to_string(expected) + " rows");
  }
}

}  // namespace

Status CheckDatabase(Database& db, CheckReport* report) {
  *report = CheckReport{};
  Checker(db, report).Run();
  return Status::kOk;
}

}  // namespace database

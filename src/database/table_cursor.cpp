#include "database/table_cursor.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "database/bytes.h"
#include "database/data_page.h"
#include "database/format.h"
#include "database/usage_map.h"

namespace database {
namespace {

namespace t = format::type;
namespace lv = format::long_value;

constexpr size_t kMaxOverflowHops = 4;  // a relocated row is never relocated again

// Bytes of a fixed-size type in a row, 0 for variable ones.
size_t FixedSize(uint8_t type) {
  switch (type) {
    case t::kByte: return 1;
    case t::kInteger: return 2;
    case t::kLong: case t::kSingle: case t::kComplex: return 4;
    case t::kCurrency: case t::kDouble: case t::kDateTime: case t::kBigInt: return 8;
    case t::kGuid: return 16;
    case t::kDecimal: return 17;
    default: return 0;
  }
}

}  // namespace

Status ReadLongValue(PageChannel& channel, const uint8_t* field, size_t size, std::string* out) {
  out->clear();
  if (size < lv::kFieldSize) return Status::kCorrupt;
  const uint32_t head = Le32(field);
  const size_t length = head & lv::kLengthMask;
  const uint32_t kind = head & lv::kKindMask;
  if (kind == lv::kInline) {
    if (length > size - lv::kFieldSize) return Status::kCorrupt;
    out->assign(reinterpret_cast<const char*>(field + lv::kFieldSize), length);
    return Status::kOk;
  }
  // No value can be longer than the file that holds it.
  if (length > static_cast<uint64_t>(channel.PageCount()) * format::kPageSize) {
    return Status::kCorrupt;
  }
  uint8_t row = field[lv::kPointer];
  PageNumber page = Le24(field + lv::kPointer + 1);
  std::vector<uint8_t> bytes;
  if (kind == lv::kSingleRow) {
    if (const Status s = ReadRowBytes(channel, page, row, &bytes); s != Status::kOk) return s;
    if (bytes.size() < length) return Status::kCorrupt;
    out->assign(reinterpret_cast<const char*>(bytes.data()), length);
    return Status::kOk;
  }
  if (kind != lv::kChain) return Status::kCorrupt;
  out->reserve(length);
  // A row may appear once in a chain: a second visit is a cycle.
  std::unordered_set<uint32_t> visited;
  while (out->size() < length) {
    const uint32_t link = (page << 8) | row;
    if (page == kNoPage || !visited.insert(link).second) return Status::kCorrupt;
    if (const Status s = ReadRowBytes(channel, page, row, &bytes); s != Status::kOk) return s;
    if (bytes.size() < 4) return Status::kCorrupt;
    const size_t take = std::min(bytes.size() - 4, length - out->size());
    if (take == 0) return Status::kCorrupt;
    out->append(reinterpret_cast<const char*>(bytes.data() + 4), take);
    row = bytes[0];
    page = Le24(bytes.data() + 1);
  }
  return Status::kOk;
}

TableCursor::TableCursor(PageChannel& channel, const TableDef& def)
    : channel_(channel), def_(def), page_(format::kPageSize), overflow_(format::kPageSize) {}

Status TableCursor::Open() {
  pageIndex_ = rowIndex_ = rowsOnPage_ = 0;
  pageLoaded_ = failed_ = false;
  return ReadUsageMap(channel_, def_.ownedPages, false, &pages_);
}

Status TableCursor::LoadPage(size_t index) {
  if (const Status s = channel_.ReadPage(pages_[index], page_.data()); s != Status::kOk) return s;
  rowsOnPage_ = 0;
  // Pages of the map that hold no rows of this table are passed over.
  if (page_[0] != format::page_type::kData || Le32(page_.data() + format::data_page::kOwner) != def_.page) {
    return Status::kOk;
  }
  return DataPageRowCount(page_.data(), &rowsOnPage_);
}

Status TableCursor::Next(std::vector<Value>* values, RowId* where) {
  if (failed_) return Status::kCorrupt;
  while (pageIndex_ < pages_.size()) {
    if (!pageLoaded_) {
      if (const Status s = LoadPage(pageIndex_); s != Status::kOk) {
        failed_ = true;
        return s;
      }
      pageLoaded_ = true;
      rowIndex_ = 0;
    }
    while (rowIndex_ < rowsOnPage_) {
      const size_t row = rowIndex_++;
      bool skipped = false;
      if (const Status s = ReadSlot(page_.data(), row, values, &skipped); s != Status::kOk) {
        failed_ = true;
        return s;
      }
      if (!skipped) {
        if (where != nullptr) *where = RowId{pages_[pageIndex_], static_cast<uint16_t>(row)};
        return Status::kOk;
      }
    }
    ++pageIndex_;
    pageLoaded_ = false;
  }
  return Status::kEnd;
}

Status TableCursor::ReadSlot(const uint8_t* page, size_t row, std::vector<Value>* values,
                             bool* skipped) {
  RowSlot slot;
  if (const Status s = DataPageSlot(page, row, &slot); s != Status::kOk) return s;
  *skipped = slot.deleted;
  if (slot.deleted) return Status::kOk;
  const uint8_t* body = page;
  for (size_t hop = 0; slot.overflow; ++hop) {
    // The first 4 bytes name the relocated row: 1-byte row, 3-byte page.
    if (hop >= kMaxOverflowHops || slot.end - slot.start < 4) return Status::kCorrupt;
    const uint8_t targetRow = body[slot.start];
    const PageNumber target = Le24(body + slot.start + 1);
    if (const Status s = channel_.ReadPage(target, overflow_.data()); s != Status::kOk) return s;
    if (overflow_[0] != format::page_type::kData) return Status::kCorrupt;
    body = overflow_.data();
    if (const Status s = DataPageSlot(body, targetRow, &slot, true); s != Status::kOk) return s;
    slot.overflow = slot.overflow && !slot.deleted;
  }
  return DecodeRow(body, slot.start, slot.end, values);
}

Status TableCursor::DecodeRow(const uint8_t* page, size_t start, size_t end,
                              std::vector<Value>* values) {
  const uint8_t* row = page + start;
  const size_t size = end - start;
  if (size < 2) return Status::kCorrupt;
  const size_t columnCount = Le16(row);
  const size_t maskSize = (columnCount + 7) / 8;
  if (2 + maskSize > size) return Status::kCorrupt;
  const uint8_t* mask = row + size - maskSize;
  size_t varCount = 0;
  size_t varEnd = size - maskSize;  // end of the region values may occupy
  size_t trailer = varEnd;          // first byte of the var trailer
  if (def_.varColumns > 0) {
    if (varEnd < 2 + 2) return Status::kCorrupt;
    varCount = Le16(row + varEnd - 2);
    // var count, var offsets, end-of-data offset
    if (2 + 2 * (varCount + 2) > varEnd) return Status::kCorrupt;
    trailer = varEnd - 2 * (varCount + 2);
  }
  values->resize(def_.columns.size());
  for (size_t i = 0; i < def_.columns.size(); ++i) {
    const Column& column = def_.columns[i];
    Value& v = (*values)[i];
    const bool present = column.number < columnCount;
    const bool notNull = present && (mask[column.number / 8] & (1u << (column.number % 8))) != 0;
    if (column.type == t::kBoolean) {
      v.kind = ValueKind::kBoolean;
      v.integer = notNull ? 1 : 0;
      continue;
    }
    if (!notNull) {
      v.kind = ValueKind::kNull;
      continue;
    }
    const uint8_t* data = nullptr;
    size_t dataSize = 0;
    if (column.fixed()) {
      const size_t need = FixedSize(column.type) != 0 ? FixedSize(column.type) : column.length;
      const size_t from = format::row::kFixedData + column.fixedOffset;
      if (from + need > trailer) return Status::kCorrupt;
      data = row + from;
      dataSize = need;
    } else {
      if (column.varIndex >= varCount) {
        v.kind = ValueKind::kNull;  // a column added after the row was written
        continue;
      }
      // Offsets are stored in reverse order before the var count.
      const size_t slotPos = varEnd - 2 - 2 * (column.varIndex + 1);
      const size_t from = Le16(row + slotPos);
      const size_t to = Le16(row + slotPos - 2);
      if (from > to || to > trailer) return Status::kCorrupt;
      data = row + from;
      dataSize = to - from;
    }
    if (const Status s = DecodeColumn(column, data, dataSize, &v); s != Status::kOk) return s;
  }
  return Status::kOk;
}

Status TableCursor::DecodeColumn(const Column& column, const uint8_t* data, size_t size, Value* v) {
  const size_t need = FixedSize(column.type);
  if (need != 0 && size < need) {
    if (size == 0) {
      v->kind = ValueKind::kNull;  // an empty variable slot holds no number
      return Status::kOk;
    }
    return Status::kCorrupt;
  }
  switch (column.type) {
    case t::kByte: v->kind = ValueKind::kByte; v->integer = data[0]; break;
    case t::kInteger: v->kind = ValueKind::kInteger; v->integer = static_cast<int16_t>(Le16(data)); break;
    case t::kLong: v->kind = ValueKind::kLong; v->integer = static_cast<int32_t>(Le32(data)); break;
    case t::kComplex: v->kind = ValueKind::kComplex; v->integer = static_cast<int32_t>(Le32(data)); break;
    case t::kBigInt: v->kind = ValueKind::kBigInt; v->integer = static_cast<int64_t>(Le64(data)); break;
    case t::kCurrency: v->kind = ValueKind::kCurrency; v->integer = static_cast<int64_t>(Le64(data)); break;
    case t::kSingle: v->kind = ValueKind::kSingle; v->real = LeFloat(data); break;
    case t::kDouble: v->kind = ValueKind::kDouble; v->real = LeDouble(data); break;
    case t::kDateTime: v->kind = ValueKind::kDateTime; v->real = LeDouble(data); break;
    case t::kGuid:
      v->kind = ValueKind::kGuid;
      v->bytes.assign(reinterpret_cast<const char*>(data), 16);
      break;
    case t::kDecimal:
      v->kind = ValueKind::kDecimal;
      v->decimal.negative = (data[0] & 0x80) != 0;
      // Four little-endian 32-bit words, the most significant first.
      v->decimal.high = (static_cast<uint64_t>(Le32(data + 1)) << 32) | Le32(data + 5);
      v->decimal.low = (static_cast<uint64_t>(Le32(data + 9)) << 32) | Le32(data + 13);
      v->decimal.scale = column.scale;
      break;
    case t::kText:
      v->kind = ValueKind::kText;
      DecodeText(std::string_view(reinterpret_cast<const char*>(data), size), &v->text);
      break;
    case t::kMemo: {
      v->kind = ValueKind::kText;
      if (size == 0) {
        v->text.clear();
        break;
      }
      if (const Status s = ReadLongValue(channel_, data, size, &v->bytes); s != Status::kOk) return s;
      DecodeText(v->bytes, &v->text);
      break;
    }
    case t::kOle:
      v->kind = ValueKind::kOle;
      if (size == 0) {
        v->bytes.clear();
        break;
      }
      return ReadLongValue(channel_, data, size, &v->bytes);
    default:  // Binary and the types without a meaning of their own
      v->kind = ValueKind::kBinary;
      v->bytes.assign(reinterpret_cast<const char*>(data), size);
      break;
  }
  return Status::kOk;
}

}  // namespace database

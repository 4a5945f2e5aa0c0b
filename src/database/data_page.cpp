#include "database/data_page.h"

#include "database/bytes.h"
#include "database/format.h"

namespace database {

namespace dp = format::data_page;

Status DataPageRowCount(const uint8_t* page, size_t* count) {
  *count = Le16(page + dp::kRowCount);
  if (*count > dp::kMaxRows || dp::kRowOffsets + 2 * *count > format::kPageSize) {
    return Status::kCorrupt;
  }
  return Status::kOk;
}

Status DataPageSlot(const uint8_t* page, size_t row, RowSlot* slot, bool bodyNeeded) {
  size_t count = 0;
  if (const Status s = DataPageRowCount(page, &count); s != Status::kOk) return s;
  if (row >= count) return Status::kCorrupt;
  const uint16_t entry = Le16(page + dp::kRowOffsets + 2 * row);
  slot->start = entry & dp::kOffsetMask;
  slot->end = row == 0 ? format::kPageSize
                       : (Le16(page + dp::kRowOffsets + 2 * (row - 1)) & dp::kOffsetMask);
  slot->deleted = (entry & dp::kDeletedFlag) != 0;
  slot->overflow = (entry & dp::kOverflowFlag) != 0;
  const size_t tableEnd = dp::kRowOffsets + 2 * count;
  if (slot->deleted && !bodyNeeded) {
    // Access empties deleted slots; their bounds need not make sense.
    if (slot->start < tableEnd || slot->start > slot->end) slot->start = slot->end;
    return Status::kOk;
  }
  if (slot->start < tableEnd || slot->start > slot->end || slot->end > format::kPageSize) {
    return Status::kCorrupt;
  }
  return Status::kOk;
}

}  // namespace database

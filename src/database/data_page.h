// Row slots of a data page.
#pragma once

#include <cstddef>
#include <cstdint>

#include "database/result.h"

namespace database {

struct RowSlot {
  size_t start = 0;     // first byte of the row in the page
  size_t end = 0;       // one past its last byte
  bool deleted = false;   // deleted, or the relocated body of an overflow row
  bool overflow = false;  // the row holds a pointer to its relocated body
};

// Row count of a data page (checked against the page size).
Status DataPageRowCount(const uint8_t* page, size_t* count);

// Slot `row` of a data page. kCorrupt when the slot or its bounds are
// impossible; a deleted slot's bounds are only checked when `bodyNeeded`
// (the relocated body of an overflow row carries the deleted flag).
Status DataPageSlot(const uint8_t* page, size_t row, RowSlot* slot, bool bodyNeeded = false);

}  // namespace database

// Usage maps: rows that name a set of pages, inline (start page + bitmap) or
// by reference (numbers of type-5 bitmap pages).
#pragma once

#include <vector>

#include "database/page_channel.h"
#include "database/table_def.h"

namespace database {

// The bytes of row `row` on data page `page` (must be a data page).
Status ReadRowBytes(PageChannel& channel, PageNumber page, uint8_t row, std::vector<uint8_t>* out);

// The pages of the map at `ref`, ascending. Pages beyond the file are left
// out when `clip` is set (the global map covers a fixed window), else they
// make the map corrupt.
Status ReadUsageMap(PageChannel& channel, UsageMapRef ref, bool clip, std::vector<PageNumber>* pages);

}  // namespace database

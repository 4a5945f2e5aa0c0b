#include "database/usage_map.h"

#include "database/bytes.h"
#include "database/data_page.h"
#include "database/format.h"

namespace database {

namespace um = format::usage_map;

Status ReadRowBytes(PageChannel& channel, PageNumber page, uint8_t row, std::vector<uint8_t>* out) {
  uint8_t buf[format::kPageSize];
  if (const Status s = channel.ReadPage(page, buf); s != Status::kOk) return s;
  if (buf[0] != format::page_type::kData) return Status::kCorrupt;
  RowSlot slot;
  if (const Status s = DataPageSlot(buf, row, &slot); s != Status::kOk) return s;
  if (slot.deleted) return Status::kCorrupt;
  out->assign(buf + slot.start, buf + slot.end);
  return Status::kOk;
}

namespace {

Status AddBits(const uint8_t* bits, size_t bytes, uint64_t firstPage, uint32_t pageCount, bool clip,
               std::vector<PageNumber>* pages) {
  for (size_t i = 0; i < bytes; ++i) {
    if (bits[i] == 0) continue;
    for (int bit = 0; bit < 8; ++bit) {
      if ((bits[i] & (1u << bit)) == 0) continue;
      const uint64_t page = firstPage + i * 8 + static_cast<uint64_t>(bit);
      if (page >= pageCount) {
        if (clip) continue;
        return Status::kCorrupt;
      }
      pages->push_back(static_cast<PageNumber>(page));
    }
  }
  return Status::kOk;
}

}  // namespace

Status ReadUsageMap(PageChannel& channel, UsageMapRef ref, bool clip,
                    std::vector<PageNumber>* pages) {
  pages->clear();
  std::vector<uint8_t> row;
  if (const Status s = ReadRowBytes(channel, ref.page, ref.row, &row); s != Status::kOk) return s;
  if (row.empty()) return Status::kCorrupt;
  const uint32_t pageCount = channel.PageCount();
  if (row[0] == um::kInline) {
    if (row.size() < um::kInlineBitmap) return Status::kCorrupt;
    return AddBits(row.data() + um::kInlineBitmap, row.size() - um::kInlineBitmap,
                   Le32(row.data() + um::kInlineStart), pageCount, clip, pages);
  }
  if (row[0] != um::kReference) return Status::kCorrupt;
  uint8_t bitmap[format::kPageSize];
  for (size_t k = 0; 1 + 4 * (k + 1) <= row.size(); ++k) {
    const PageNumber mapPage = Le32(row.data() + 1 + 4 * k);
    if (mapPage == kNoPage) continue;
    if (const Status s = channel.ReadPage(mapPage, bitmap); s != Status::kOk) return s;
    if (bitmap[0] != format::page_type::kUsageMap) return Status::kCorrupt;
    const Status s = AddBits(bitmap + um::kBitmapPageHeader, format::kPageSize - um::kBitmapPageHeader,
                             static_cast<uint64_t>(k) * um::kPagesPerBitmapPage, pageCount, clip, pages);
    if (s != Status::kOk) return s;
  }
  return Status::kOk;
}

}  // namespace database

// The page channel: the only code that touches a database file. It hands out
// whole pages by number, after checking the number against the file size and
// that the whole page was read. The memory-backed twin serves tests and the
// fuzzer, which open databases from byte buffers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "database/format.h"
#include "database/result.h"

namespace database {

using PageNumber = uint32_t;
inline constexpr PageNumber kNoPage = 0;  // "no page" in every pointer (page 0 is the header)

class PageChannel {
 public:
  virtual ~PageChannel() = default;
  // Whole pages in the file; a trailing partial page does not count.
  virtual uint32_t PageCount() const = 0;
  // Copies page `page` into out[0..kPageSize). kCorrupt when the page lies
  // beyond the file, kIoError when the system fails the read.
  virtual Status ReadPage(PageNumber page, uint8_t* out) = 0;
  // True when the file length is not a whole number of pages.
  virtual bool HasPartialPage() const = 0;
};

// Opens `path` (in the system's narrow encoding) read-only.
Status OpenFilePageChannel(const std::string& path, std::unique_ptr<PageChannel>* out);

// A channel over a copy of `bytes`.
std::unique_ptr<PageChannel> MakeMemoryPageChannel(std::vector<uint8_t> bytes);

}  // namespace database

// The header page (page 0): signature, version, the masked settings region,
// code page, default sort order and the encryption key.
#pragma once

#include <cstdint>

#include "database/result.h"

namespace database {

struct HeaderInfo {
  uint8_t versionCode = 0;      // 2 = Access 2007 (ACE 12) ... 6 = Access 2019 (ACE 17)
  bool jet = false;             // "Standard Jet DB" (Access 2000-2003 .mdb) rather than ACE
  uint16_t codePage = 0;        // default code page (only Jet 3 text used it)
  uint16_t sortLcid = 0;        // default sort order: locale id ...
  uint8_t sortVersion = 0;      // ... and its version (0 "General legacy", 1 "General")
  double creationDate = 0;      // Access date
  uint32_t databaseKey = 0;     // non-zero: the file is encrypted
};

// Reads page 0 (kPageSize bytes). kNotDatabase for a foreign file,
// kUnsupportedVersion for Jet 3 or an unknown version, kEncrypted for a
// password-protected file (info is still filled), else kOk.
Status ReadHeader(const uint8_t* page0, HeaderInfo* info);

// XORs the header's masked region of a page-0 copy in place (the mask is
// its own inverse).
void ApplyHeaderMask(uint8_t* page0);

}  // namespace database

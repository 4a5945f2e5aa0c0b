#include "database/header.h"

#include <array>
#include <cstring>

#include "database/bytes.h"
#include "database/format.h"

namespace database {
namespace {

namespace hdr = format::header;

// The mask is the RC4 keystream of the 4-byte header key.
std::array<uint8_t, hdr::kMaskSize> MakeHeaderMask() {
  std::array<uint8_t, 256> s{};
  for (size_t i = 0; i < s.size(); ++i) {
    s[i] = static_cast<uint8_t>(i);
  }
  uint8_t j = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    j = static_cast<uint8_t>(j + s[i] + hdr::kMaskKey[i % sizeof hdr::kMaskKey]);
    std::swap(s[i], s[j]);
  }
  std::array<uint8_t, hdr::kMaskSize> mask{};
  uint8_t x = 0;
  uint8_t y = 0;
  for (auto& m : mask) {
    x = static_cast<uint8_t>(x + 1);
    y = static_cast<uint8_t>(y + s[x]);
    std::swap(s[x], s[y]);
    m = s[static_cast<uint8_t>(s[x] + s[y])];
  }
  return mask;
}

}  // namespace

void ApplyHeaderMask(uint8_t* page0) {
  static const std::array<uint8_t, hdr::kMaskSize> kMask = MakeHeaderMask();
  for (size_t i = 0; i < kMask.size(); ++i) {
    page0[hdr::kMaskStart + i] ^= kMask[i];
  }
}

Status ReadHeader(const uint8_t* page0, HeaderInfo* info) {
  *info = HeaderInfo{};
  static constexpr uint8_t kMagic[4] = {0x00, 0x01, 0x00, 0x00};
  if (std::memcmp(page0 + hdr::kMagic, kMagic, sizeof kMagic) != 0) {
    return Status::kNotDatabase;
  }
  const auto* name = reinterpret_cast<const char*>(page0 + hdr::kEngineName);
  const bool ace = std::memcmp(name, hdr::kAceName, sizeof hdr::kAceName) == 0;
  const bool jet = std::memcmp(name, hdr::kJetName, sizeof hdr::kJetName) == 0;
  if (!ace && !jet) {
    return Status::kNotDatabase;
  }
  info->jet = jet;
  info->versionCode = page0[hdr::kVersion];
  if (info->versionCode == hdr::kVersionJet3 || info->versionCode > hdr::kVersionAce17 ||
      (ace && info->versionCode < hdr::kVersionAce12) ||
      (jet && info->versionCode != hdr::kVersionJet4)) {
    return Status::kUnsupportedVersion;
  }
  uint8_t copy[format::kPageSize];
  std::memcpy(copy, page0, sizeof copy);
  ApplyHeaderMask(copy);
  info->codePage = Le16(copy + hdr::kCodePage);
  info->databaseKey = Le32(copy + hdr::kDatabaseKey);
  info->sortLcid = Le16(copy + hdr::kSortOrder);
  info->sortVersion = copy[hdr::kSortOrder + 3];
  info->creationDate = LeDouble(copy + hdr::kCreationDate);
  return info->databaseKey != 0 ? Status::kEncrypted : Status::kOk;
}

}  // namespace database

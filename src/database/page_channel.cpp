#include "database/page_channel.h"

#include <cstring>
#include <fstream>

namespace database {
namespace {

constexpr uint64_t kPageBytes = format::kPageSize;

class FilePageChannel final : public PageChannel {
 public:
  FilePageChannel(std::ifstream file, uint64_t sizeBytes)
      : file_(std::move(file)), sizeBytes_(sizeBytes) {}

  uint32_t PageCount() const override { return static_cast<uint32_t>(sizeBytes_ / kPageBytes); }
  bool HasPartialPage() const override { return sizeBytes_ % kPageBytes != 0; }

  Status ReadPage(PageNumber page, uint8_t* out) override {
    if (page >= PageCount()) {
      return Status::kCorrupt;
    }
    const uint64_t offset = page * kPageBytes;
    if (offset != position_) {  // sequential reads (a table scan) need no seek
      file_.clear();
      file_.seekg(static_cast<std::streamoff>(offset));
    }
    file_.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(kPageBytes));
    if (!file_ || file_.gcount() != static_cast<std::streamsize>(kPageBytes)) {
      position_ = kUnknownPosition;
      return Status::kIoError;
    }
    position_ = offset + kPageBytes;
    return Status::kOk;
  }

 private:
  static constexpr uint64_t kUnknownPosition = ~uint64_t{0};
  std::ifstream file_;
  uint64_t sizeBytes_;
  uint64_t position_ = kUnknownPosition;  // where the next read starts
};

class MemoryPageChannel final : public PageChannel {
 public:
  explicit MemoryPageChannel(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  uint32_t PageCount() const override { return static_cast<uint32_t>(bytes_.size() / kPageBytes); }
  bool HasPartialPage() const override { return bytes_.size() % kPageBytes != 0; }

  Status ReadPage(PageNumber page, uint8_t* out) override {
    if (page >= PageCount()) {
      return Status::kCorrupt;
    }
    std::memcpy(out, bytes_.data() + page * kPageBytes, kPageBytes);
    return Status::kOk;
  }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

Status OpenFilePageChannel(const std::string& path, std::unique_ptr<PageChannel>* out) {
  out->reset();
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return Status::kNotFound;
  }
  file.seekg(0, std::ios::end);
  const std::streamoff end = file.tellg();
  if (end < 0) {
    return Status::kIoError;
  }
  file.seekg(0);
  *out = std::make_unique<FilePageChannel>(std::move(file), static_cast<uint64_t>(end));
  return Status::kOk;
}

std::unique_ptr<PageChannel> MakeMemoryPageChannel(std::vector<uint8_t> bytes) {
  return std::make_unique<MemoryPageChannel>(std::move(bytes));
}

}  // namespace database

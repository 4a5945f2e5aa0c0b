#include "scanlist/export/html_table.h"

#include <fcntl.h>

#include <cstdio>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace scanlist {
namespace {

class StdioFile final : public ExportFile {
 public:
  explicit StdioFile(std::FILE* file) : file_(file) {}
  ~StdioFile() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  StdioFile(const StdioFile&) = delete;
  StdioFile& operator=(const StdioFile&) = delete;

  bool Write(std::string_view bytes) override {
    if (file_ == nullptr) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  }
  bool Close() override {
    if (file_ == nullptr) return false;
    const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return flushed && closed;
  }

 private:
  std::FILE* file_;
};

class Disk final : public ExportFileSystem {
 public:
  std::unique_ptr<ExportFile> CreateNew(const std::filesystem::path& path) override {
#ifdef _WIN32
    const int fd = _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, "wb");
    if (file == nullptr) {
      _close(fd);
      return nullptr;
    }
#else
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
      close(fd);
      return nullptr;
    }
#endif
    // The writer hands over large blocks itself.
    std::setvbuf(file, nullptr, _IONBF, 0);
    return std::make_unique<StdioFile>(file);
  }
  bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
  }
  void Remove(const std::filesystem::path& path) override {
    std::error_code error;
    std::filesystem::remove(path, error);
  }
};

// Collects the output in blocks so that a million rows cost a few thousand
// writes and memory stays at one block.
class BlockWriter {
 public:
  explicit BlockWriter(ExportFile& file) : file_(file) { block_.reserve(kBlock + 4096); }
  void Line(std::string_view a, std::string_view b = {}, std::string_view c = {}) {
    block_.append(a);
    block_.append(b);
    block_.append(c);
    block_.append("\r\n");
    if (block_.size() >= kBlock) Flush();
  }
  void EscapedCell(std::string_view open, std::string_view text, std::string_view close) {
    block_.append(open);
    AppendEscaped(text);
    block_.append(close);
    block_.append("\r\n");
    if (block_.size() >= kBlock) Flush();
  }
  bool Flush() {
    if (!block_.empty()) {
      if (!file_.Write(block_)) failed_ = true;
      block_.clear();
    }
    return !failed_;
  }
  bool Failed() const { return failed_; }

 private:
  void AppendEscaped(std::string_view text) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char* entity = nullptr;
      switch (text[i]) {
        case '&': entity = "&amp;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        case '"': entity = "&quot;"; break;
        default: continue;
      }
      block_.append(text.substr(from, i - from));
      block_.append(entity);
      from = i + 1;
    }
    block_.append(text.substr(from));
  }

  static constexpr std::size_t kBlock = 256 * 1024;
  ExportFile& file_;
  std::string block_;
  bool failed_ = false;
};

// A name beside the target that nothing else uses: "~" + name + "." + a
// random number + ".tmp". Created exclusively, a few attempts at most.
std::unique_ptr<ExportFile> CreateTemporary(ExportFileSystem& files,
                                            const std::filesystem::path& target,
                                            std::filesystem::path& temporary) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::filesystem::path name("~");
    name += target.filename();
    std::string suffix(1, '.');
    suffix += std::to_string(random() % 1000000);
    suffix += ".tmp";
    name += suffix;
    std::filesystem::path candidate = target;
    candidate.replace_filename(name);
    if (auto file = files.CreateNew(candidate)) {
      temporary = candidate;
      return file;
    }
  }
  return nullptr;
}

bool WriteRows(const TableSource& table, int columns, int rows, int headingFlag,
               BlockWriter& out) {
  std::string text;
  out.Line("<table border=\"1\">");
  if (headingFlag == 1 && columns > 0) {
    out.Line("  <tr>");
    for (int c = 0; c < columns; ++c) {
      text.clear();
      if (!table.HeadingText(c, text)) return false;
      out.EscapedCell("    <th>", text, "</th>");
    }
    out.Line("  </tr>");
  }
  for (int r = 0; r < rows; ++r) {
    out.Line("  <tr>");
    for (int c = 0; c < columns; ++c) {
      text.clear();
      if (!table.CellText(r, c, text)) return false;
      out.EscapedCell("    <td>", text, "</td>");
    }
    out.Line("  </tr>");
    if (out.Failed()) return false;  // e.g. a full disk: stop at once
  }
  out.Line("</table>");
  return out.Flush();
}

}  // namespace

ExportFileSystem& DiskFileSystem() {
  static Disk disk;
  return disk;
}

std::string EscapeHtml(std::string_view text) {
  std::string out;
  for (const char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += ch;
    }
  }
  return out;
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string WriteFailedText(std::string_view fileNameGbk) {
  std::string text = kWriteFailedMessage;
  text += "\r\n";
  text += fileNameGbk;
  return text;
}

bool WriteHtmlTable(const TableSource& table, const std::filesystem::path& path, int headingFlag) {
  return WriteHtmlTable(table, path, headingFlag, DiskFileSystem());
}

bool WriteHtmlTable(const TableSource& table, const std::filesystem::path& path, int headingFlag,
                    ExportFileSystem& files) {
  std::filesystem::path temporary;
  try {
    const int columns = table.ColumnCount();
    const int rows = table.RowCount();
    if (columns <= 0 && rows <= 0) return false;
    if (path.empty() || !path.has_filename()) return false;

    std::unique_ptr<ExportFile> file = CreateTemporary(files, path, temporary);
    if (!file) return false;
    bool ok;
    {
      BlockWriter out(*file);
      ok = WriteRows(table, columns < 0 ? 0 : columns, rows < 0 ? 0 : rows, headingFlag, out);
    }
    ok = file->Close() && ok;
    file.reset();
    if (ok) ok = files.Replace(temporary, path);
    if (!ok) files.Remove(temporary);
    return ok;
  } catch (...) {
    // Out of memory or a file-system error: nothing complete was written.
    if (!temporary.empty()) files.Remove(temporary);
    return false;
  }
}

}  // namespace scanlist

// Writing a report-style table as an HTML table file.
//
// The file holds only the table, GBK text, CR LF after every line:
//   <table border="1">
//     <tr>                     heading row, when wanted and there are columns
//       <th>heading</th>       one per column
//     </tr>
//     <tr>                     one block per row
//       <td>cell</td>          one per column
//     </tr>
//   </table>
// Texts are written whole, with & < > " turned into entities so that a
// barcode can never become markup. The file is written beside the target
// under a temporary name and moved into place only when it is complete, so
// a failed export never leaves a file that looks complete.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace scanlist {

// A read-only view of a table: counts, headings and cells as GBK texts.
class TableSource {
 public:
  virtual ~TableSource() = default;
  virtual int ColumnCount() const = 0;
  virtual int RowCount() const = 0;
  // Each gives false when the text cannot be fetched; `text` receives the
  // whole text otherwise (a missing cell is the empty text).
  virtual bool HeadingText(int column, std::string& text) const = 0;
  virtual bool CellText(int row, int column, std::string& text) const = 0;
};

// The file access the writer needs, replaceable so that tests can make
// opening, writing or closing fail.
class ExportFile {
 public:
  virtual ~ExportFile() = default;
  // False when not every byte was written.
  virtual bool Write(std::string_view bytes) = 0;
  // Flushes and closes; false when data may not have reached the file.
  virtual bool Close() = 0;
};

class ExportFileSystem {
 public:
  virtual ~ExportFileSystem() = default;
  // Creates a new empty file at `path`, failing when anything exists there.
  virtual std::unique_ptr<ExportFile> CreateNew(const std::filesystem::path& path) = 0;
  // Moves `from` onto `to`, replacing a file at `to`.
  virtual bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  virtual void Remove(const std::filesystem::path& path) = 0;
};

// The real file system.
ExportFileSystem& DiskFileSystem();

// Writes the table to `path` (on Windows a UTF-16 file name works as is:
// std::filesystem::path takes a std::wstring). With headingFlag 1 the
// heading row is written. True when the whole table reached the file; false
// when there is nothing to write (no rows and no columns, file untouched), a
// text cannot be fetched, or the file cannot be created, written or moved
// into place; after a failure a file that was at `path` is left as it was.
bool WriteHtmlTable(const TableSource& table, const std::filesystem::path& path, int headingFlag);
bool WriteHtmlTable(const TableSource& table, const std::filesystem::path& path, int headingFlag,
                    ExportFileSystem& files);

// A UTF-8 file name as a path on every platform.
std::filesystem::path PathFromUtf8(std::string_view utf8);

// `text` with & < > " as HTML entities. Byte-wise, which is safe for GBK:
// no second byte of a double-byte character lies below 0x40.
std::string EscapeHtml(std::string_view text);

// The texts of the export's message boxes (GBK).
inline constexpr const char* kExportCaption = "\xCE\xC2\xDC\xB0\xCC\xE1\xCA\xBE";  // 温馨提示
// 当前列表没有可导出的数据。
inline constexpr const char* kEmptyListMessage =
    "\xB5\xB1\xC7\xB0\xC1\xD0\xB1\xED\xC3\xBB\xD3\xD0\xBF\xC9\xB5\xBC\xB3\xF6\xB5\xC4\xCA\xFD"
    "\xBE\xDD\xA1\xA3";
// 导出失败：无法写入所选文件。 followed by a line with the file name.
inline constexpr const char* kWriteFailedMessage =
    "\xB5\xBC\xB3\xF6\xCA\xA7\xB0\xDC\xA3\xBA\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xCB\xF9\xD1\xA1"
    "\xCE\xC4\xBC\xFE\xA1\xA3";

// The failure message for a file name given in GBK: kWriteFailedMessage,
// CR LF and the name.
std::string WriteFailedText(std::string_view fileNameGbk);

}  // namespace scanlist

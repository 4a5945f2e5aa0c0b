#include "scanlist/export/html_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "scanlist/codepage.h"

namespace scanlist {
namespace {

namespace fs = std::filesystem;

std::string G(const char* utf8) { return Utf8ToGbk(utf8); }

// A table held in memory; a cell named in `failAt` cannot be fetched.
class MemoryTable : public TableSource {
 public:
  MemoryTable(std::vector<std::string> headings, std::vector<std::vector<std::string>> rows)
      : headings_(std::move(headings)), rows_(std::move(rows)) {}
  int ColumnCount() const override { return static_cast<int>(headings_.size()); }
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  bool HeadingText(int column, std::string& text) const override {
    text = headings_.at(static_cast<size_t>(column));
    return true;
  }
  bool CellText(int row, int column, std::string& text) const override {
    if (row == failRow && column == failColumn) return false;
    text = rows_.at(static_cast<size_t>(row)).at(static_cast<size_t>(column));
    return true;
  }
  int failRow = -1, failColumn = -1;

 private:
  std::vector<std::string> headings_;
  std::vector<std::vector<std::string>> rows_;
};

MemoryTable ScanTable(std::vector<std::vector<std::string>> rows) {
  return MemoryTable({G("序号"), G("客户端"), G("识别条码"), G("加入时间"), G("备注")},
                     std::move(rows));
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Lines(const std::string& file) {
  std::vector<std::string> lines;
  size_t from = 0;
  while (from < file.size()) {
    const size_t end = file.find("\r\n", from);
    if (end == std::string::npos) {
      lines.push_back(file.substr(from) + "<no CR LF>");
      break;
    }
    lines.push_back(file.substr(from, end - from));
    from = end + 2;
  }
  return lines;
}

class HtmlTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("html_table_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  // Nothing but the target (if any) may remain in the folder.
  std::vector<fs::path> Leftovers() const {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(dir_)) found.push_back(entry.path());
    return found;
  }
  fs::path dir_;
};

TEST_F(HtmlTableTest, TwoRowsGiveTheTwentyThreeLineFile) {
  const MemoryTable table = ScanTable({
      {"1", "192.168.1.20:50512", "6901234567892", G("2024年3月5日9时7分4秒"), G("A区")},
      {"2", "192.168.1.21:50600", "6901234567908", G("2024年3月5日9时8分"), ""},
  });
  const fs::path target = dir_ / "scan.html";
  ASSERT_TRUE(WriteHtmlTable(table, target, 1));
  const std::string want = G(
      "<table border=\"1\">\r\n"
      "  <tr>\r\n"
      "    <th>序号</th>\r\n"
      "    <th>客户端</th>\r\n"
      "    <th>识别条码</th>\r\n"
      "    <th>加入时间</th>\r\n"
      "    <th>备注</th>\r\n"
      "  </tr>\r\n"
      "  <tr>\r\n"
      "    <td>1</td>\r\n"
      "    <td>192.168.1.20:50512</td>\r\n"
      "    <td>6901234567892</td>\r\n"
      "    <td>2024年3月5日9时7分4秒</td>\r\n"
      "    <td>A区</td>\r\n"
      "  </tr>\r\n"
      "  <tr>\r\n"
      "    <td>2</td>\r\n"
      "    <td>192.168.1.21:50600</td>\r\n"
      "    <td>6901234567908</td>\r\n"
      "    <td>2024年3月5日9时8分</td>\r\n"
      "    <td></td>\r\n"
      "  </tr>\r\n"
      "</table>\r\n");
  const std::string got = ReadAll(target);
  EXPECT_EQ(got, want);
  EXPECT_EQ(Lines(got).size(), 23u);
  EXPECT_EQ(Leftovers(), std::vector<fs::path>{target});
}

TEST_F(HtmlTableTest, MarkupInTextsIsEscapedAndLongTextsStayWhole) {
  const std::string remark(300, 'r');
  std::string gbkLong;
  for (int i = 0; i < 200; ++i) gbkLong += G("码");  // 400 bytes: a cut at 259 would split one
  const MemoryTable table({"a<b", "\"q\""}, {{"<script>alert(1)</script>", "<b>&x"},
                                             {remark, gbkLong}});
  const fs::path target = dir_ / "t.html";
  ASSERT_TRUE(WriteHtmlTable(table, target, 1));
  const std::vector<std::string> lines = Lines(ReadAll(target));
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[2], "    <th>a&lt;b</th>");
  EXPECT_EQ(lines[3], "    <th>&quot;q&quot;</th>");
  EXPECT_EQ(lines[6], "    <td>&lt;script&gt;alert(1)&lt;/script&gt;</td>");
  EXPECT_EQ(lines[7], "    <td>&lt;b&gt;&amp;x</td>");
  EXPECT_EQ(lines[10], "    <td>" + remark + "</td>");
  EXPECT_EQ(lines[11], "    <td>" + gbkLong + "</td>");
}

TEST_F(HtmlTableTest, HeadingFlagAndEmptyShapes) {
  struct Case {
    const char* name;
    MemoryTable table;
    int flag;
    bool written;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"flag 0", MemoryTable({"h"}, {{"x"}}), 0, true,
       {"<table border=\"1\">", "  <tr>", "    <td>x</td>", "  </tr>", "</table>"}},
      {"flag 2", MemoryTable({"h"}, {{"x"}}), 2, true,
       {"<table border=\"1\">", "  <tr>", "    <td>x</td>", "  </tr>", "</table>"}},
      {"columns, no rows", MemoryTable({"h1", "h2"}, {}), 1, true,
       {"<table border=\"1\">", "  <tr>", "    <th>h1</th>", "    <th>h2</th>", "  </tr>",
        "</table>"}},
      {"columns, no rows, no headings", MemoryTable({"h1"}, {}), 0, true,
       {"<table border=\"1\">", "</table>"}},
      {"nothing at all", MemoryTable({}, {}), 1, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path target = dir_ / "shape.html";
    fs::remove(target);
    EXPECT_EQ(WriteHtmlTable(c.table, target, c.flag), c.written);
    if (c.written) {
      EXPECT_EQ(Lines(ReadAll(target)), c.lines);
    } else {
      EXPECT_FALSE(fs::exists(target));
    }
  }
}

TEST_F(HtmlTableTest, ExistingFileIsReplacedWhole) {
  const fs::path target = dir_ / "old.html";
  WriteAll(target, std::string(100000, 'z'));
  const MemoryTable table({"h"}, {{"x"}});
  ASSERT_TRUE(WriteHtmlTable(table, target, 1));
  const std::string got = ReadAll(target);
  EXPECT_EQ(got.substr(got.size() - 10), "</table>\r\n");
  EXPECT_EQ(got.find('z'), std::string::npos);
  EXPECT_EQ(Leftovers(), std::vector<fs::path>{target});
}

TEST_F(HtmlTableTest, UnwritableTargetsFailAndLeaveNothingBehind) {
  const MemoryTable table({"h"}, {{"x"}});
  EXPECT_FALSE(WriteHtmlTable(table, dir_ / "missing-folder" / "a.html", 1));
  EXPECT_FALSE(WriteHtmlTable(table, dir_, 1));  // a folder, not a file
  fs::create_directory(dir_ / "sub");
  EXPECT_FALSE(WriteHtmlTable(table, dir_ / "sub", 1));  // a folder with a file name
  EXPECT_FALSE(WriteHtmlTable(table, fs::path(), 1));
  EXPECT_EQ(Leftovers(), std::vector<fs::path>{dir_ / "sub"});
}

TEST_F(HtmlTableTest, UnreadableCellFailsAndKeepsTheOldFile) {
  const fs::path target = dir_ / "keep.html";
  WriteAll(target, "previous export");
  MemoryTable table({"h1", "h2"}, {{"a", "b"}, {"c", "d"}});
  table.failRow = 1;
  table.failColumn = 1;
  EXPECT_FALSE(WriteHtmlTable(table, target, 1));
  EXPECT_EQ(ReadAll(target), "previous export");
  EXPECT_EQ(Leftovers(), std::vector<fs::path>{target});
}

// File access that fails on cue: no file at all, a short write after some
// bytes (a full disk), a failing close, or a failing move into place.
class FaultyFiles : public ExportFileSystem {
 public:
  enum class Fault { kNone, kCreate, kWrite, kClose, kReplace };
  explicit FaultyFiles(Fault fault, size_t writeBudget = 0)
      : fault_(fault), budget_(writeBudget) {}

  std::unique_ptr<ExportFile> CreateNew(const fs::path& path) override {
    ++creates;
    if (fault_ == Fault::kCreate) return nullptr;
    created.push_back(path);
    return std::make_unique<File>(*this);
  }
  bool Replace(const fs::path&, const fs::path&) override {
    ++replaces;
    return fault_ != Fault::kReplace;
  }
  void Remove(const fs::path& path) override { removed.push_back(path); }

  int creates = 0, replaces = 0;
  std::vector<fs::path> created, removed;
  std::string written;

 private:
  class File : public ExportFile {
   public:
    explicit File(FaultyFiles& owner) : owner_(owner) {}
    bool Write(std::string_view bytes) override {
      if (owner_.fault_ == Fault::kWrite && owner_.written.size() + bytes.size() > owner_.budget_) {
        owner_.written.append(bytes.substr(0, owner_.budget_ - owner_.written.size()));
        return false;
      }
      owner_.written.append(bytes);
      return true;
    }
    bool Close() override { return owner_.fault_ != Fault::kClose; }

   private:
    FaultyFiles& owner_;
  };
  Fault fault_;
  size_t budget_;
};

TEST(HtmlTableFaults, EveryFailureIsReportedAndTheTemporaryRemoved) {
  using Fault = FaultyFiles::Fault;
  std::vector<std::vector<std::string>> rows(20000, {"1", "10.0.0.1:5000", "690", "t", "r"});
  const MemoryTable table = ScanTable(rows);
  const fs::path target = fs::path("out") / "scan.html";
  struct Case {
    const char* name;
    Fault fault;
    bool want;
    int replaces;
  };
  const Case cases[] = {
      {"success", Fault::kNone, true, 1},     {"cannot create", Fault::kCreate, false, 0},
      {"disk full", Fault::kWrite, false, 0}, {"close fails", Fault::kClose, false, 0},
      {"move fails", Fault::kReplace, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FaultyFiles files(c.fault, 300000);
    EXPECT_EQ(WriteHtmlTable(table, target, 1, files), c.want);
    EXPECT_EQ(files.replaces, c.replaces);
    if (c.fault == Fault::kCreate) {
      EXPECT_GT(files.creates, 0);
      EXPECT_LE(files.creates, 16);  // a bounded number of names tried
      continue;
    }
    ASSERT_EQ(files.created.size(), 1u);
    // The temporary lies beside the target.
    EXPECT_EQ(files.created[0].parent_path(), target.parent_path());
    EXPECT_NE(files.created[0], target);
    EXPECT_EQ(files.removed.empty(), c.want);
    if (c.fault == Fault::kWrite) {
      EXPECT_LE(files.written.size(), 300000u);
    }
  }
}

TEST(HtmlTableTexts, MessagesAndEscaping) {
  EXPECT_EQ(GbkToUtf8(kEmptyListMessage), "当前列表没有可导出的数据。");
  EXPECT_EQ(GbkToUtf8(kExportCaption), "温馨提示");
  EXPECT_EQ(GbkToUtf8(WriteFailedText(G("D:\\导出\\a.html"))),
            "导出失败：无法写入所选文件。\r\nD:\\导出\\a.html");
  EXPECT_EQ(EscapeHtml("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e'f");
  // GBK characters pass unchanged.
  EXPECT_EQ(EscapeHtml(G("条码<1>")), G("条码&lt;1&gt;"));
}

}  // namespace
}  // namespace scanlist

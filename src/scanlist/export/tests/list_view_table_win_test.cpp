// The list view as a table source, and the export to a UTF-16 file name.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "scanlist/codepage.h"
#include "scanlist/export/list_view_table.h"

namespace scanlist {
namespace {

class ListViewTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&init));
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 600, 300, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(list_, nullptr);
    const wchar_t* headings[] = {L"序号", L"客户端", L"识别条码", L"加入时间", L"备注"};
    for (int c = 0; c < 5; ++c) {
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.cx = 100;
      column.pszText = const_cast<wchar_t*>(headings[c]);
      ASSERT_EQ(SendMessageW(list_, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column)), c);
    }
  }
  void TearDown() override {
    if (list_ != nullptr) DestroyWindow(list_);
  }
  void AddRow(const std::vector<std::wstring>& cells) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(cells[0].c_str());
    const int row = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (int c = 1; c < static_cast<int>(cells.size()); ++c) {
      LVITEMW sub{};
      sub.iSubItem = c;
      sub.pszText = const_cast<wchar_t*>(cells[static_cast<size_t>(c)].c_str());
      SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
    }
  }
  HWND list_ = nullptr;
};

TEST_F(ListViewTableTest, CountsHeadingsAndWholeCellsInGbk) {
  const std::wstring longRemark(600, L'码');  // 1200 GBK bytes
  AddRow({L"1", L"127.0.0.1:50512", L"6901234567892", L"2024年3月5日9时7分4秒", longRemark});
  AddRow({L"2", L"127.0.0.1:50513", L"<b>&x", L"2024年3月5日", L""});
  const ListViewTable table(list_);
  EXPECT_EQ(table.ColumnCount(), 5);
  EXPECT_EQ(table.RowCount(), 2);
  std::string text;
  ASSERT_TRUE(table.HeadingText(2, text));
  EXPECT_EQ(text, Utf8ToGbk("识别条码"));
  ASSERT_TRUE(table.CellText(0, 4, text));
  EXPECT_EQ(text.size(), 1200u);
  EXPECT_EQ(GbkToUtf16(text), std::u16string(600, u'码'));
  ASSERT_TRUE(table.CellText(1, 4, text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(table.CellText(5, 0, text));

  // A file name outside the ANSI code page, given as UTF-16.
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / L"导出测试_ü";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::filesystem::path target = dir / L"扫描记录.html";
  ASSERT_TRUE(WriteHtmlTable(table, target, 1));
  std::ifstream in(target, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), {});
  in.close();
  EXPECT_EQ(file.substr(0, 20), "<table border=\"1\">\r\n");
  EXPECT_NE(file.find("    <td>" + Utf16ToGbk(std::u16string(600, u'码')) + "</td>\r\n"),
            std::string::npos);
  EXPECT_NE(file.find("    <td>&lt;b&gt;&amp;x</td>\r\n"), std::string::npos);
  EXPECT_EQ(file.substr(file.size() - 10), "</table>\r\n");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace scanlist

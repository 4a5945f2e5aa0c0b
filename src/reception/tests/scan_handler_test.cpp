#include "reception/scan_handler.h"

#include <gtest/gtest.h>

#include "scanlist/codepage.h"

namespace reception {
namespace {

std::string G(std::string_view utf8) { return scanlist::Utf8ToGbk(utf8); }

struct FakeSource : ScanSource {
  std::string client = "192.168.1.20:888";
  std::string data;
  std::vector<std::pair<std::string, std::string>> sent;
  std::string CurrentClient() const override { return client; }
  std::string CurrentData() const override { return data; }
  bool SendToClient(const std::string& c, std::string_view d, int wait) override {
    EXPECT_EQ(wait, 2000);
    sent.emplace_back(c, std::string(d));
    return true;
  }
};

struct FakeLog : EventLog {
  std::string text;
  void AppendLog(std::string_view t) override { text += t; }
};

struct FakeCaptions : ScanCaptions {
  std::string barcode = "unset", count = "unset";
  void SetBarcodeCaption(std::string_view t) override { barcode = t; }
  void SetCountCaption(std::string_view t) override { count = t; }
};

// Records what the database stage was asked, and checks the row is complete then.
struct FakeRecords : ScanRecordSink {
  scanlist::ScanListModel* list = nullptr;
  std::vector<std::vector<std::string>> calls;
  std::string remarkSeen;
  void AppendScanRecord(int row, const std::string& client, const std::string& barcode,
                        const std::string& time) override {
    calls.push_back({std::to_string(row), client, barcode, time});
    remarkSeen = list->GetCellText(row, 4);
  }
};

// A list that refuses rows.
struct FullList : scanlist::ScanListModel {
  int AppendRow() override { return -1; }
  void SetCellText(int, int, std::string_view) override {}
  int GetRowCount() const override { return 0; }
  std::string GetCellText(int, int) const override { return {}; }
};

struct Harness {
  FakeSource source;
  FakeLog log;
  FakeCaptions captions;
  FakeRecords records;
  scanlist::RowStore store;
  scanlist::ScanListModel* list = &store;
  void Scan(std::string_view bytes) {
    records.list = list;
    source.data = std::string(bytes);
    ScanHandler h(source, *list, captions, log, records,
                  [] { return scanlist::DateTime{2024, 3, 5, 9, 7, 4}; });
    h.OnScanDataArrived();
  }
  std::vector<std::string> Row(int r) const {
    std::vector<std::string> cells;
    for (int c = 0; c < 5; ++c) cells.push_back(list->GetCellText(r, c));
    return cells;
  }
};

TEST(ScanHandler, FirstScanFillsRowStoresAndAcknowledges) {
  Harness h;
  h.Scan(G("690||A区"));
  EXPECT_EQ(h.captions.barcode, "690");
  EXPECT_EQ(h.Row(0), (std::vector<std::string>{"1", "192.168.1.20:888", "690",
                                                 G("2024年3月5日9时7分4秒"), G("A区")}));
  ASSERT_EQ(h.records.calls.size(), 1u);
  EXPECT_EQ(h.records.calls[0], (std::vector<std::string>{"0", "192.168.1.20:888", "690",
                                                           G("2024年3月5日9时7分4秒")}));
  EXPECT_EQ(h.records.remarkSeen, G("A区"));
  ASSERT_EQ(h.source.sent.size(), 1u);
  EXPECT_EQ(h.source.sent[0].first, "192.168.1.20:888");
  EXPECT_EQ(h.source.sent[0].second, std::string("\xBC\xC7\xC2\xBC\xB3\xC9\xB9\xA6", 8));
  EXPECT_EQ(h.captions.count, G("共计1条记录"));
  EXPECT_EQ(h.log.text, "");  // the database stage logs its own line
}

TEST(ScanHandler, MessageFormsGiveBarcodeAndRemark) {
  struct Case {
    std::string bytes;
    std::string barcode, remark;
  } cases[] = {
      {" || ", "", ""},  // placeholder replaced below
      {"690|| ", "690", G("无备注")},
      {"690||  ", "690", "  "},
      {"||A", "", "A"},
      {"a||b||c", "a", "b"},
      {"111||x222||y", "111", "x222"},
      {"a||b\r\n", "a", "b\r\n"},
      {std::string("123||ab\0cd", 10), "123", "ab"},
      {"a||||b", "a", ""},
      {" 7 ||\tr", " 7 ", "\tr"},
  };
  cases[0] = {" || ", " ", G("无备注")};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    Harness h;
    h.Scan(c.bytes);
    EXPECT_EQ(h.captions.barcode, c.barcode);
    EXPECT_EQ(h.list->GetRowCount(), 1);
    EXPECT_EQ(h.Row(0)[2], c.barcode);
    EXPECT_EQ(h.Row(0)[4], c.remark);
    EXPECT_EQ(h.source.sent.size(), 1u);
  }
}

TEST(ScanHandler, MessageWithoutRemarkFieldIsLoggedAndIgnored) {
  for (std::string bytes : {std::string("690"), std::string("690||"), std::string(""),
                            std::string("\0||x", 4)}) {
    SCOPED_TRACE(bytes);
    Harness h;
    h.Scan(bytes);
    EXPECT_EQ(h.list->GetRowCount(), 0);
    EXPECT_TRUE(h.source.sent.empty());
    EXPECT_TRUE(h.records.calls.empty());
    EXPECT_EQ(h.captions.barcode, "unset");
    EXPECT_EQ(h.log.text, "192.168.1.20:888" + G("消息缺少分隔符，已忽略") + "\r\n");
  }
}

TEST(ScanHandler, NumberingFollowsRowPosition) {
  Harness h;
  for (int i = 0; i < 7; ++i) h.store.SetCellText(h.store.AppendRow(), 0, "99");
  h.Scan("x||y");
  EXPECT_EQ(h.Row(7)[0], "8");
  EXPECT_EQ(h.records.calls[0][0], "7");
  EXPECT_EQ(h.captions.count, G("共计8条记录"));
}

TEST(ScanHandler, RefusedRowIsNotAcknowledged) {
  Harness h;
  FullList full;
  h.list = &full;
  h.Scan("690||A");
  EXPECT_EQ(h.captions.barcode, "690");
  EXPECT_EQ(h.records.calls.size(), 1u);  // the database stage still runs
  EXPECT_EQ(h.records.calls[0][0], "-1");
  EXPECT_TRUE(h.source.sent.empty());
  EXPECT_EQ(h.captions.count, "unset");
}

}  // namespace
}  // namespace reception

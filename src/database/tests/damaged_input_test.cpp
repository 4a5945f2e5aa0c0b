// Damaged and foreign input gives result codes: truncated files, page
// pointers out of range, cyclic chains, oversized lengths, encrypted and
// Jet 3 files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "database/bytes.h"
#include "database/checker.h"
#include "database/database.h"
#include "database/format.h"
#include "database/header.h"
#include "database/table_cursor.h"
#include "test_support.h"

namespace database {
namespace {

namespace fmt = format;

std::vector<uint8_t> Fixture(const char* name) {
  if (test::FixtureDir().empty()) return {};
  return test::ReadFileBytes(test::FixtureDir() + "/" + name);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  ASSERT_LE(at + 4, b.size());
  uint8_t* p = b.data() + at;
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Opens the bytes and reads every row of every table: the first failure.
Status OpenAndReadAll(std::vector<uint8_t> bytes) {
  std::unique_ptr<Database> db;
  if (const Status s = Database::Open(MakeMemoryPageChannel(std::move(bytes)), &db); s != Status::kOk) return s;
  for (const CatalogEntry& e : db->catalog()) {
    if (!e.IsTable()) continue;
    TableDef def;
    if (const Status s = ReadTableDef(db->channel(), e.TableDefPage(), &def); s != Status::kOk) return s;
    TableCursor cursor(db->channel(), def);
    if (const Status s = cursor.Open(); s != Status::kOk) return s;
    std::vector<Value> values;
    Status s;
    while ((s = cursor.Next(&values)) == Status::kOk) {
    }
    if (s != Status::kEnd) return s;
  }
  return Status::kOk;
}

class DamagedFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = Fixture("testV2007.accdb");
    if (bytes_.empty()) GTEST_SKIP() << "fixtures folder missing: " << RECEIVER_SHARED_DIR;
    ASSERT_EQ(OpenAndReadAll(bytes_), Status::kOk);
  }
  std::vector<uint8_t> bytes_;
};

TEST_F(DamagedFixture, HeaderRefusals) {
  struct Case {
    const char* what;
    size_t offset;
    uint8_t value;
    Status expected;
  } cases[] = {
      {"not the magic", 1, 0x02, Status::kNotDatabase},
      {"foreign engine name", 4, 'X', Status::kNotDatabase},
      {"Jet 3 version code", fmt::header::kVersion, fmt::header::kVersionJet3, Status::kUnsupportedVersion},
      {"unknown version code", fmt::header::kVersion, 0x40, Status::kUnsupportedVersion},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto b = bytes_;
    b[c.offset] = c.value;
    EXPECT_EQ(OpenAndReadAll(b), c.expected);
  }
}

TEST_F(DamagedFixture, EncryptedFileIsRecognised) {
  auto b = bytes_;
  ApplyHeaderMask(b.data());
  Put32(b, fmt::header::kDatabaseKey, 0x12345678);
  ApplyHeaderMask(b.data());
  EXPECT_EQ(OpenAndReadAll(b), Status::kEncrypted);
}

TEST_F(DamagedFixture, TruncatedFiles) {
  for (size_t size : {size_t{0}, size_t{100}, fmt::kPageSize, 2 * fmt::kPageSize + 10, 3 * fmt::kPageSize,
                      20 * fmt::kPageSize, bytes_.size() - fmt::kPageSize, bytes_.size() - 1}) {
    SCOPED_TRACE(size);
    const std::vector<uint8_t> b(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(size));
    const Status s = OpenAndReadAll(b);
    EXPECT_TRUE(s == Status::kCorrupt || s == Status::kNotDatabase) << StatusName(s);
  }
}

TEST_F(DamagedFixture, PagePointersOutOfRangeAndCycles) {
  const size_t catalogDef = fmt::catalog::kTableDefPage * fmt::kPageSize;
  struct Case {
    const char* what;
    size_t offset;
    uint32_t value;
  } cases[] = {
      {"definition continues beyond the file", catalogDef + fmt::tdef::kNextPage, 0x00FFFFFF},
      {"definition continues into itself", catalogDef + fmt::tdef::kNextPage, fmt::catalog::kTableDefPage},
      {"definition continues on a non-definition page", catalogDef + fmt::tdef::kNextPage, 1},
      {"owned-pages map on a page beyond the file", catalogDef + fmt::tdef::kOwnedPagesMap, 0xFFFFFF00},
      {"column count beyond the definition", catalogDef + fmt::tdef::kColumnCount, 0xFFFF},
      {"index count beyond the definition", catalogDef + fmt::tdef::kRealIndexCount, 0x7FFFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto b = bytes_;
    if (c.offset == catalogDef + fmt::tdef::kColumnCount) {
      b[c.offset] = 0xFF;
      b[c.offset + 1] = 0xFF;
    } else {
      Put32(b, c.offset, c.value);
    }
    EXPECT_EQ(OpenAndReadAll(b), Status::kCorrupt);
  }
}

TEST_F(DamagedFixture, CatalogNamingTheHeaderPage) {
  std::unique_ptr<Database> db;
  ASSERT_EQ(Database::Open(MakeMemoryPageChannel(bytes_), &db), Status::kOk);
  TableDef def;
  EXPECT_EQ(ReadTableDef(db->channel(), kNoPage, &def), Status::kCorrupt);
  EXPECT_EQ(ReadTableDef(db->channel(), 1, &def), Status::kCorrupt);  // a data page
}

TEST_F(DamagedFixture, CheckerReportsWrongRowCount) {
  std::unique_ptr<Database> db;
  auto b = bytes_;
  // Table1 of this file has its definition on the page its catalog Id names.
  ASSERT_EQ(Database::Open(MakeMemoryPageChannel(b), &db), Status::kOk);
  PageNumber table1 = kNoPage;
  for (const CatalogEntry& e : db->catalog()) {
    if (e.name == u"Table1") table1 = e.TableDefPage();
  }
  ASSERT_NE(table1, kNoPage);
  Put32(b, table1 * fmt::kPageSize + fmt::tdef::kRowCount, 3);
  ASSERT_EQ(Database::Open(MakeMemoryPageChannel(b), &db), Status::kOk);
  CheckReport report;
  ASSERT_EQ(CheckDatabase(*db, &report), Status::kOk);
  EXPECT_FALSE(report.ok());
}

TEST(DamagedIndex, CheckerRecomputesNumericKeys) {
  auto b = Fixture("compIndexTestV2007.accdb");
  if (b.empty()) GTEST_SKIP() << "fixtures folder missing: " << RECEIVER_SHARED_DIR;
  std::unique_ptr<Database> db;
  ASSERT_EQ(Database::Open(MakeMemoryPageChannel(b), &db), Status::kOk);
  TableDef def;
  ASSERT_EQ(db->FindTable(u"table1", &def), Status::kOk);  // letter case is ignored
  // Turn the descending Long index ascending: every stored key now differs
  // from the key its row gives.
  static constexpr uint8_t kMagic[4] = {0x83, 0x07, 0x00, 0x00};  // real-index definition
  uint8_t* page = b.data() + def.page * fmt::kPageSize;
  uint8_t* found = std::search(page, page + fmt::kPageSize, kMagic, kMagic + 4);
  ASSERT_NE(found, page + fmt::kPageSize);
  found[fmt::real_index::kColumns + 2] ^= fmt::real_index::kAscending;
  ASSERT_EQ(Database::Open(MakeMemoryPageChannel(b), &db), Status::kOk);
  CheckReport report;
  ASSERT_EQ(CheckDatabase(*db, &report), Status::kOk);
  ASSERT_FALSE(report.ok());
  EXPECT_NE(report.problems[0].find("another key"), std::string::npos) << report.problems[0];
}

// A file of empty pages with one data page (page 1) whose rows the test writes.
class LongValueChain : public ::testing::Test {
 protected:
  static constexpr size_t kPages = 4;
  LongValueChain() : bytes_(kPages * fmt::kPageSize, 0) {}

  // Adds one row with `body` to data page `page` (rows packed from the end).
  void AddRow(PageNumber page, const std::vector<uint8_t>& body) {
    uint8_t* p = bytes_.data() + page * fmt::kPageSize;
    p[0] = fmt::page_type::kData;
    p[1] = 1;
    const uint16_t rows = Le16(p + fmt::data_page::kRowCount);
    const size_t end = rows == 0 ? fmt::kPageSize : (Le16(p + fmt::data_page::kRowOffsets + 2 * (rows - 1)) & 0x1FFF);
    const size_t start = end - body.size();
    std::memcpy(p + start, body.data(), body.size());
    p[fmt::data_page::kRowOffsets + 2 * rows] = static_cast<uint8_t>(start);
    p[fmt::data_page::kRowOffsets + 2 * rows + 1] = static_cast<uint8_t>(start >> 8);
    p[fmt::data_page::kRowCount] = static_cast<uint8_t>(rows + 1);
  }

  Status Read(uint32_t head, uint8_t row, PageNumber page, std::string* out) {
    uint8_t field[fmt::long_value::kFieldSize] = {};
    field[0] = static_cast<uint8_t>(head);
    field[1] = static_cast<uint8_t>(head >> 8);
    field[2] = static_cast<uint8_t>(head >> 16);
    field[3] = static_cast<uint8_t>(head >> 24);
    field[4] = row;
    field[5] = static_cast<uint8_t>(page);
    auto channel = MakeMemoryPageChannel(bytes_);
    return ReadLongValue(*channel, field, sizeof field, out);
  }

  std::vector<uint8_t> bytes_;
};

TEST_F(LongValueChain, ReadsAChainAndTrimsTheLastChunk) {
  AddRow(1, {0, 2, 0, 0, 'a', 'b', 'c'});   // -> page 2 row 0
  AddRow(2, {0, 0, 0, 0, 'd', 'e', 'x'});   // last; 'x' lies past the length
  std::string out;
  ASSERT_EQ(Read(5, 0, 1, &out), Status::kOk);
  EXPECT_EQ(out, "abcde");
}

TEST_F(LongValueChain, DamagedChainsAreCorrupt) {
  AddRow(1, {0, 1, 0, 0, 'a', 'b'});  // points at itself
  AddRow(2, {0, 0, 0, 0, 'z'});       // ends too early
  struct Case {
    const char* what;
    uint32_t head;
    uint8_t row;
    PageNumber page;
  } cases[] = {
      {"cycle", 1000, 0, 1},
      {"chain ends before the length", 100, 0, 2},
      {"length beyond the file", fmt::long_value::kLengthMask, 0, 1},
      {"row beyond the page's rows", 3, 7, 1},
      {"page beyond the file", 3, 0, 200},
      {"inline length beyond the field", fmt::long_value::kInline | 50, 0, 0},
      {"single row shorter than the length", fmt::long_value::kSingleRow | 40, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string out;
    EXPECT_EQ(Read(c.head, c.row, c.page, &out), Status::kCorrupt);
  }
}

}  // namespace
}  // namespace database

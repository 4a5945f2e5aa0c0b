// Every table of every Access-made fixture, read by our engine, against two
// independent readers: mdb-export (mdbtools) and the mdb-reader package.
// Only number and date formatting is normalised. Known faults of the
// oracles are named where they are allowed for.
#include <gtest/gtest.h>

#include <cctype>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "database/checker.h"
#include "database/database.h"
#include "database/format.h"
#include "database/table_cursor.h"
#include "scanlist/codepage.h"
#include "test_support.h"

namespace database {
namespace {

using test::FixtureDir;
using test::FixtureNames;
using test::RunCommand;

struct TableRows {
  std::vector<std::vector<std::string>> rows;
  std::string error;  // the oracle could not read the table
};

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cells(1);
  for (char c : line) {
    if (c == '\t') {
      cells.emplace_back();
    } else {
      cells.back().push_back(c);
    }
  }
  return cells;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find('\n', pos);
    lines.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return lines;
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[3];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02x", c);
    out += buf;
  }
  return out;
}

bool SameText(std::string a, std::string b) {
  for (auto* s : {&a, &b}) {
    for (char& c : *s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return a == b;
}

bool SameNumber(double ours, const std::string& theirs, double relative) {
  char* end = nullptr;
  const double v = std::strtod(theirs.c_str(), &end);
  if (end == theirs.c_str() || *end != '\0') return false;
  return std::fabs(ours - v) <= relative * std::max(1.0, std::fabs(ours));
}

std::string DateText(double date) {
  DateParts d;
  if (!AccessDateToParts(date, &d)) return "?";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour, d.minute,
                d.second);
  return buf;
}

enum class Oracle { kMdbExport, kMdbReader };

// Types neither oracle gives a meaning to (we read them as binary).
bool UnknownType(uint8_t type) {
  return type == format::type::kUnknown0D || type == format::type::kUnknown11 ||
         type > format::type::kExtendedDate;
}

// Whether an oracle's cell says the same as our value.
bool Matches(const Value& v, const std::string& theirs, Oracle oracle) {
  char buf[64];
  switch (v.kind) {
    case ValueKind::kNull: return theirs == "NULL" || (oracle == Oracle::kMdbExport && theirs.empty());
    case ValueKind::kText: return Escape(scanlist::Utf16ToUtf8(v.text)) == theirs;
    case ValueKind::kBoolean:
    case ValueKind::kByte:
    case ValueKind::kInteger:
    case ValueKind::kLong:
    case ValueKind::kBigInt:
    case ValueKind::kComplex:
      std::snprintf(buf, sizeof buf, "%" PRId64, v.integer);
      return theirs == buf;
    case ValueKind::kCurrency: {
      const uint64_t m = v.integer < 0 ? 0 - static_cast<uint64_t>(v.integer) : static_cast<uint64_t>(v.integer);
      std::snprintf(buf, sizeof buf, "%s%" PRIu64 ".%04" PRIu64, v.integer < 0 ? "-" : "", m / 10000, m % 10000);
      return theirs == buf;
    }
    case ValueKind::kSingle: return SameNumber(v.real, theirs, 1e-6);
    case ValueKind::kDouble: return SameNumber(v.real, theirs, 1e-12);
    case ValueKind::kDecimal:
      return SameNumber(v.decimal.ToDouble(), theirs, 1e-12) || theirs == v.decimal.ToString();
    case ValueKind::kDateTime:
      if (oracle == Oracle::kMdbExport && v.real < 1.0 && theirs.compare(0, 8, "1900-01-") == 0) {
        return true;  // mdbtools cannot print dates before 1900 and prints "1900-01-00"
      }
      return theirs.compare(0, 19, DateText(v.real)) == 0;
    case ValueKind::kGuid: return SameText(GuidText(v.bytes), theirs);
    case ValueKind::kBinary:
    case ValueKind::kOle: return SameText(Hex(v.bytes), theirs);
  }
  return false;
}

bool HasCommand(const char* probe) {
  std::string out;
  return RunCommand(probe, &out);
}

std::map<std::string, TableRows> MdbReaderTables(const std::string& path) {
  std::map<std::string, TableRows> tables;
  std::string out;
  const std::string script = std::string(RECEIVER_SOURCE_DIR) + "/tests/tools/mdb-reader-dump.mjs";
  if (!RunCommand("node '" + script + "' '" + path + "' 2>/dev/null", &out)) return tables;
  TableRows* current = nullptr;
  for (const std::string& line : SplitLines(out)) {
    const std::vector<std::string> cells = SplitTabs(line);
    if (cells[0] == "#table" && cells.size() == 2) {
      current = &tables[cells[1]];
    } else if (cells[0] == "#error" && cells.size() >= 3) {
      tables[cells[1]].error = cells[2];
      current = nullptr;
    } else if (current != nullptr) {
      current->rows.push_back(cells);
    }
  }
  return tables;
}

class FixtureTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (FixtureDir().empty()) GTEST_SKIP() << "fixtures folder missing: " << RECEIVER_SHARED_DIR;
    path_ = FixtureDir() + "/" + GetParam();
    ASSERT_EQ(Database::Open(path_, &db_), Status::kOk);
  }

  // Our rows of a table, each value kept for comparison.
  std::vector<std::vector<Value>> ReadAll(const TableDef& def) {
    std::vector<std::vector<Value>> rows;
    TableCursor cursor(db_->channel(), def);
    EXPECT_EQ(cursor.Open(), Status::kOk);
    std::vector<Value> values;
    Status s;
    while ((s = cursor.Next(&values)) == Status::kOk) rows.push_back(values);
    EXPECT_EQ(s, Status::kEnd);
    EXPECT_EQ(rows.size(), def.rowCount);
    return rows;
  }

  void Compare(const std::string& table, const TableDef& def, const std::vector<std::vector<Value>>& ours,
               const std::vector<std::vector<std::string>>& theirs, Oracle oracle) {
    SCOPED_TRACE((oracle == Oracle::kMdbExport ? "mdb-export, table " : "mdb-reader, table ") + table);
    ASSERT_EQ(ours.size(), theirs.size());
    for (size_t r = 0; r < ours.size(); ++r) {
      ASSERT_EQ(theirs[r].size(), ours[r].size()) << "row " << r;
      for (size_t c = 0; c < ours[r].size(); ++c) {
        if (oracle == Oracle::kMdbExport && UnknownType(def.columns[c].type) && theirs[r][c] == "NULL") {
          continue;  // mdb-export prints nothing for types it does not know
        }
        EXPECT_TRUE(Matches(ours[r][c], theirs[r][c], oracle))
            << "row " << r << " column " << scanlist::Utf16ToUtf8(def.columns[c].name) << ": ours "
            << Escape(ValueToTextForTest(ours[r][c])) << ", theirs " << theirs[r][c];
      }
    }
  }

  static std::string ValueToTextForTest(const Value& v) {
    if (v.kind == ValueKind::kText) return scanlist::Utf16ToUtf8(v.text);
    if (v.kind == ValueKind::kDateTime) return DateText(v.real);
    if (v.kind == ValueKind::kBinary || v.kind == ValueKind::kOle || v.kind == ValueKind::kGuid) return Hex(v.bytes);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%" PRId64 " / %.17g", v.integer, v.real);
    return buf;
  }

  std::string path_;
  std::unique_ptr<Database> db_;
};

TEST_P(FixtureTest, EveryTableReadsAsMdbExportPrintsIt) {
  if (!HasCommand("mdb-export --version >/dev/null 2>&1")) GTEST_SKIP() << "mdb-export is not installed";
  for (const std::u16string& name16 : db_->UserTableNames()) {
    const std::string name = scanlist::Utf16ToUtf8(name16);
    TableDef def;
    ASSERT_EQ(db_->FindTable(name16, &def), Status::kOk) << name;
    const auto ours = ReadAll(def);
    std::string out;
    ASSERT_TRUE(RunCommand("mdb-export -H -Q -e -d '\t' -0 NULL -b hex -T '%Y-%m-%d %H:%M:%S' '" + path_ + "' '" +
                               name + "' 2>/dev/null",
                           &out))
        << name;
    std::vector<std::vector<std::string>> theirs;
    for (const std::string& line : SplitLines(out)) theirs.push_back(SplitTabs(line));
    Compare(name, def, ours, theirs, Oracle::kMdbExport);
  }
}

TEST_P(FixtureTest, EveryTableReadsAsMdbReaderReturnsIt) {
  if (!std::filesystem::is_directory(std::string(RECEIVER_SOURCE_DIR) + "/tests/tools/node_modules/mdb-reader") ||
      !HasCommand("node --version >/dev/null 2>&1")) {
    GTEST_SKIP() << "mdb-reader is not installed (tests/tools: npm ci)";
  }
  const auto tables = MdbReaderTables(path_);
  const auto names = db_->UserTableNames();
  ASSERT_EQ(tables.size(), names.size());
  for (const std::u16string& name16 : names) {
    const std::string name = scanlist::Utf16ToUtf8(name16);
    TableDef def;
    ASSERT_EQ(db_->FindTable(name16, &def), Status::kOk) << name;
    const auto it = tables.find(name);
    ASSERT_NE(it, tables.end()) << name;
    if (!it->second.error.empty()) {
      // mdb-reader reads neither complex columns nor the types it lacks.
      bool unusual = false;
      for (const Column& c : def.columns) {
        unusual = unusual || c.type == format::type::kComplex || UnknownType(c.type);
      }
      EXPECT_TRUE(unusual) << name << ": " << it->second.error;
      ReadAll(def);
      continue;
    }
    Compare(name, def, ReadAll(def), it->second.rows, Oracle::kMdbReader);
  }
}

TEST_P(FixtureTest, CheckFindsAccessFilesSound) {
  CheckReport report;
  ASSERT_EQ(CheckDatabase(*db_, &report), Status::kOk);
  for (const std::string& p : report.problems) ADD_FAILURE() << p;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureTest, ::testing::ValuesIn(FixtureNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           std::string name = param.param.substr(0, param.param.find('.'));
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FixtureTest);

TEST(Fixtures, FolderIsPresent) {
  if (FixtureDir().empty()) GTEST_SKIP() << "fixtures folder missing: " << RECEIVER_SHARED_DIR;
  EXPECT_FALSE(FixtureNames().empty());
}

}  // namespace
}  // namespace database

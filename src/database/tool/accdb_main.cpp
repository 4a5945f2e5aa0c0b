// accdb: looks into Access 2007 (.accdb) files with our own engine.
//   accdb tables FILE          the user tables, one a line
//   accdb schema FILE TABLE    columns, indexes and counters of a table
//   accdb export FILE TABLE    the table as CSV (UTF-8) on standard output
//   accdb check FILE           structural validation, with a report
// Exit code 0 on success, 1 when the file is unsound or a step fails, 2 for
// wrong usage. Names are given and printed in UTF-8.
#include <cstdio>
#include <cstring>
#include <string>

#include "database/checker.h"
#include "database/database.h"
#include "database/format.h"
#include "database/table_cursor.h"
#include "scanlist/codepage.h"
#include "database/tool/csv.h"

using namespace database;

namespace {

int Fail(const char* what, Status s) {
  std::fprintf(stderr, "accdb: %s: %s\n", what, StatusName(s));
  return 1;
}

std::string Utf8(const std::u16string& s) { return scanlist::Utf16ToUtf8(s); }

int Tables(Database& db) {
  for (const std::u16string& name : db.UserTableNames()) std::printf("%s\n", Utf8(name).c_str());
  return 0;
}

int Schema(const TableDef& def) {
  std::printf("table definition page %u (%zu pages), %u rows, last AutoNumber %u, type %c\n", def.page,
              def.definitionPages.size(), def.rowCount, def.lastAutoNumber,
              def.tableType >= 0x20 && def.tableType < 0x7F ? def.tableType : '?');
  std::printf("columns (%zu):\n", def.columns.size());
  for (const Column& c : def.columns) {
    std::printf("  %3u %-30s %-18s 0x%02X len %3u  %s", c.number, Utf8(c.name).c_str(), TypeName(c.type), c.type,
                c.length,
                c.fixed() ? "fixed" : "variable");
    if (c.flags & format::column::kFlagAutoLong) std::printf(" autonumber");
    if (c.flags & format::column::kFlagAutoGuid) std::printf(" autonumber-guid");
    if (c.flags & format::column::kFlagHyperlink) std::printf(" hyperlink");
    if (c.extraFlags & format::column::kExtraCompressed) std::printf(" unicode-compression");
    if (c.type == format::type::kText || c.type == format::type::kMemo) {
      std::printf(" sort %u/%u", c.sortLcid, c.sortVersion);
    }
    if (c.type == format::type::kDecimal) std::printf(" precision %u scale %u", c.precision, c.scale);
    if (c.type == format::type::kComplex) std::printf(" complex id %u", c.complexId);
    std::printf("\n");
  }
  std::printf("indexes (%zu logical, %zu real):\n", def.logicalIndexes.size(), def.realIndexes.size());
  for (const LogicalIndex& li : def.logicalIndexes) {
    const RealIndex& ri = def.realIndexes[li.realIndex];
    static const char* const kKinds[] = {"", " primary-key", " foreign-key"};
    std::printf("  %-30s real %u root %u%s%s%s%s (", Utf8(li.name).c_str(), li.realIndex, ri.rootPage,
                li.kind < 3 ? kKinds[li.kind] : " ?", ri.flags & format::real_index::kFlagUnique ? " unique" : "",
                ri.flags & format::real_index::kFlagIgnoreNulls ? " ignore-nulls" : "",
                ri.flags & format::real_index::kFlagRequired ? " required" : "");
    for (size_t k = 0; k < ri.columns.size(); ++k) {
      const IndexColumn& ic = ri.columns[k];
      std::string colName("#");
      colName += std::to_string(ic.columnNumber);
      for (const Column& c : def.columns) {
        if (c.number == ic.columnNumber) colName = Utf8(c.name);
      }
      std::printf("%s%s%s", k ? ", " : "", colName.c_str(), ic.ascending ? "" : " desc");
    }
    std::printf(")\n");
  }
  return 0;
}

int Export(Database& db, const TableDef& def) {
  TableCursor cursor(db.channel(), def);
  if (const Status s = cursor.Open(); s != Status::kOk) return Fail("export", s);
  std::fputs(CsvHeader(def).c_str(), stdout);
  std::vector<Value> values;
  Status s;
  while ((s = cursor.Next(&values)) == Status::kOk) {
    const std::string line = CsvRow(values);
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
  return s == Status::kEnd ? 0 : Fail("export", s);
}

int Check(Database& db) {
  CheckReport report;
  if (const Status s = CheckDatabase(db, &report); s != Status::kOk) return Fail("check", s);
  for (const std::string& note : report.notes) std::printf("  %s\n", note.c_str());
  for (const std::string& problem : report.problems) std::printf("PROBLEM %s\n", problem.c_str());
  std::printf("%s: %zu problems\n", report.ok() ? "sound" : "UNSOUND", report.problems.size());
  return report.ok() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: accdb tables|check FILE\n       accdb schema|export FILE TABLE\n");
    return 2;
  }
  const std::string command = argv[1];
  const bool needsTable = command == "schema" || command == "export";
  if ((needsTable && argc != 4) || (!needsTable && (argc != 3 || (command != "tables" && command != "check")))) {
    std::fprintf(stderr, "accdb: unknown command or wrong arguments\n");
    return 2;
  }
  std::unique_ptr<Database> db;
  if (const Status s = Database::Open(argv[2], &db); s != Status::kOk) return Fail(argv[2], s);
  if (command == "tables") return Tables(*db);
  if (command == "check") return Check(*db);
  TableDef def;
  if (const Status s = db->FindTable(scanlist::Utf8ToUtf16(argv[3]), &def); s != Status::kOk) {
    return Fail(argv[3], s);
  }
  return command == "schema" ? Schema(def) : Export(*db, def);
}

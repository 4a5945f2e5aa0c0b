// Fuzz target: any bytes, opened as a database, must give result codes only.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "database/checker.h"
#include "database/database.h"
#include "database/table_cursor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace database;
  std::unique_ptr<Database> db;
  if (Database::Open(MakeMemoryPageChannel(std::vector<uint8_t>(data, data + size)), &db) != Status::kOk) {
    return 0;
  }
  for (const CatalogEntry& e : db->catalog()) {
    if (!e.IsTable()) continue;
    TableDef def;
    if (ReadTableDef(db->channel(), e.TableDefPage(), &def) != Status::kOk) continue;
    TableCursor cursor(db->channel(), def);
    if (cursor.Open() != Status::kOk) continue;
    std::vector<Value> values;
    while (cursor.Next(&values) == Status::kOk) {
    }
  }
  CheckReport report;
  CheckDatabase(*db, &report);
  return 0;
}

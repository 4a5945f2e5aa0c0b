// Structural validation of a database: pages and their owners, usage maps,
// row counts, long values, and every index against the table data.
#pragma once

#include <string>
#include <vector>

#include "database/database.h"

namespace database {

struct CheckReport {
  std::vector<std::string> problems;  // each a contradiction found in the file
  std::vector<std::string> notes;     // what was checked, per table
  bool ok() const { return problems.empty(); }
};

// Checks every table of the catalog. Returns kOk when the walk finished
// (the report then says whether the file is sound).
Status CheckDatabase(Database& db, CheckReport* report);

}  // namespace database

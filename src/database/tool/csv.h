// CSV output of the accdb tool: UTF-8, comma separated, CR LF after every
// line, text fields in double quotes (inner quotes doubled).
#pragma once

#include <string>
#include <vector>

#include "database/table_def.h"
#include "database/value.h"

namespace database {

// The header line: the column names.
std::string CsvHeader(const TableDef& def);
// One row: text as UTF-8, other values in their ReadField texts.
std::string CsvRow(const std::vector<Value>& values);

}  // namespace database

#include "database/tool/csv.h"

#include "database/value_text.h"
#include "scanlist/codepage.h"

namespace database {
namespace {

void AppendQuoted(const std::string& text, std::string* line) {
  line->push_back('"');
  for (char c : text) {
    if (c == '"') line->push_back('"');
    line->push_back(c);
  }
  line->push_back('"');
}

}  // namespace

std::string CsvHeader(const TableDef& def) {
  std::string line;
  for (size_t i = 0; i < def.columns.size(); ++i) {
    if (i > 0) line.push_back(',');
    AppendQuoted(scanlist::Utf16ToUtf8(def.columns[i].name), &line);
  }
  return line + "\r\n";
}

std::string CsvRow(const std::vector<Value>& values) {
  std::string line;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) line.push_back(',');
    const Value& v = values[i];
    if (v.kind == ValueKind::kText) {
      AppendQuoted(scanlist::Utf16ToUtf8(v.text), &line);
    } else if (v.kind != ValueKind::kNull) {
      // Only the currency text can hold non-ASCII bytes (GBK).
      line += scanlist::GbkToUtf8(ValueToText(v));
    }
  }
  return line + "\r\n";
}

}  // namespace database

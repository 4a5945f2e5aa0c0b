#include "database/database.h"

#include "database/format.h"
#include "database/table_cursor.h"

namespace database {

namespace cat = format::catalog;

bool CatalogEntry::IsTable() const { return type == cat::kTypeTable; }
bool CatalogEntry::IsUserTable() const { return IsTable() && (flags & cat::kSystemFlags) == 0; }
PageNumber CatalogEntry::TableDefPage() const {
  return static_cast<uint32_t>(id) & cat::kIdPageMask;
}

Status Database::Open(const std::string& path, std::unique_ptr<Database>* out) {
  out->reset();
  std::unique_ptr<PageChannel> channel;
  if (const Status s = OpenFilePageChannel(path, &channel); s != Status::kOk) return s;
  return Open(std::move(channel), out);
}

Status Database::Open(std::unique_ptr<PageChannel> channel, std::unique_ptr<Database>* out) {
  out->reset();
  std::unique_ptr<Database> db(new Database(std::move(channel)));
  uint8_t page0[format::kPageSize];
  if (db->channel_->PageCount() == 0) return Status::kNotDatabase;
  if (const Status s = db->channel_->ReadPage(0, page0); s != Status::kOk) return s;
  if (const Status s = ReadHeader(page0, &db->header_); s != Status::kOk) return s;
  if (const Status s = db->ReadCatalog(); s != Status::kOk) return s;
  *out = std::move(db);
  return Status::kOk;
}

Status Database::ReadCatalog() {
  TableDef def;
  if (const Status s = ReadTableDef(*channel_, cat::kTableDefPage, &def); s != Status::kOk) return s;
  const Column* columns[] = {def.FindColumn(u"Id"), def.FindColumn(u"ParentId"), def.FindColumn(u"Name"),
                             def.FindColumn(u"Type"), def.FindColumn(u"Flags")};
  int index[5];
  for (int i = 0; i < 5; ++i) {
    if (columns[i] == nullptr) return Status::kCorrupt;
    index[i] = static_cast<int>(columns[i] - def.columns.data());
  }
  TableCursor cursor(*channel_, def);
  if (const Status s = cursor.Open(); s != Status::kOk) return s;
  std::vector<Value> row;
  Status s;
  while ((s = cursor.Next(&row)) == Status::kOk) {
    CatalogEntry e;
    e.id = static_cast<int32_t>(row[index[0]].integer);
    e.parentId = static_cast<int32_t>(row[index[1]].integer);
    e.name = row[index[2]].text;
    e.type = static_cast<int16_t>(row[index[3]].integer);
    e.flags = static_cast<uint32_t>(row[index[4]].integer);
    catalog_.push_back(std::move(e));
  }
  return s == Status::kEnd ? Status::kOk : s;
}

std::vector<std::u16string> Database::UserTableNames() const {
  std::vector<std::u16string> names;
  for (const CatalogEntry& e : catalog_) {
    if (e.IsUserTable()) names.push_back(e.name);
  }
  return names;
}

Status Database::FindTable(std::u16string_view name, TableDef* def) {
  for (const CatalogEntry& e : catalog_) {
    if (e.IsTable() && NamesEqual(e.name, name)) return ReadTableDef(*channel_, e.TableDefPage(), def);
  }
  return Status::kNotFound;
}

const char* StatusName(Status status) {
  switch (status) {
    case Status::kOk: return "ok";
    case Status::kEnd: return "end";
    case Status::kNotFound: return "not found";
    case Status::kIoError: return "input/output error";
    case Status::kNotDatabase: return "not an Access database";
    case Status::kUnsupportedVersion: return "unsupported version (Jet 3 or unknown)";
    case Status::kEncrypted: return "encrypted (password-protected) database";
    case Status::kCorrupt: return "corrupt file";
    case Status::kInUse: return "in use by another program";
    case Status::kReadOnly: return "cannot be written";
    case Status::kDuplicateKey: return "duplicate key in a unique index";
    case Status::kTooLong: return "value too long for its column";
    case Status::kTypeMismatch: return "value does not match the column type";
    case Status::kUnsupported: return "structure the writer cannot change";
    case Status::kNoSpace: return "no space left for the write";
  }
  return "unknown";
}

}  // namespace database

// An open database: header, catalog (MSysObjects) and table lookup.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/header.h"
#include "database/page_channel.h"
#include "database/table_def.h"

namespace database {

// One row of the catalog.
struct CatalogEntry {
  int32_t id = 0;
  int32_t parentId = 0;
  std::u16string name;
  int16_t type = 0;      // 1 local table, 3 container, 5 query, ...
  uint32_t flags = 0;    // format::catalog::kSystemFlags mark system objects
  bool IsTable() const;
  bool IsUserTable() const;
  PageNumber TableDefPage() const;
};

class Database {
 public:
  // Opens the file read-only and reads its header and catalog.
  static Status Open(const std::string& path, std::unique_ptr<Database>* out);
  static Status Open(std::unique_ptr<PageChannel> channel, std::unique_ptr<Database>* out);

  const HeaderInfo& header() const { return header_; }
  PageChannel& channel() { return *channel_; }
  const std::vector<CatalogEntry>& catalog() const { return catalog_; }

  // The user tables, in catalog order.
  std::vector<std::u16string> UserTableNames() const;

  // Finds a local table by name, ignoring letter case as Access does, and
  // reads its definition. kNotFound when there is none.
  Status FindTable(std::u16string_view name, TableDef* def);

 private:
  explicit Database(std::unique_ptr<PageChannel> channel) : channel_(std::move(channel)) {}
  Status ReadCatalog();

  std::unique_ptr<PageChannel> channel_;
  HeaderInfo header_;
  std::vector<CatalogEntry> catalog_;
};

}  // namespace database

// Layout of Access 2007 (ACE 12) database files: every offset, size, code and
// flag the engine reads, one note each. The 2010-2019 versions (ACE 14-17) use
// the same layout. Multi-byte values are little-endian unless a note says
// otherwise. Offsets are from the start of the page or structure named.
#pragma once

#include <cstddef>
#include <cstdint>

namespace database::format {

inline constexpr size_t kPageSize = 4096;  // bytes per page (Jet 4 and every ACE version)

// ---- Page 0: header -------------------------------------------------------
namespace header {
inline constexpr size_t kMagic = 0x00;          // 4 bytes 00 01 00 00
inline constexpr size_t kEngineName = 0x04;     // 16 bytes ASCII, NUL padded
inline constexpr size_t kEngineNameSize = 16;
inline constexpr size_t kVersion = 0x14;        // 1 byte version code (table below)
inline constexpr size_t kMaskStart = 0x18;      // first byte of the masked region
inline constexpr size_t kMaskSize = 128;        // masked bytes 0x18..0x97 (Jet 4 / ACE)
inline constexpr uint8_t kMaskKey[4] = {0xC7, 0xDA, 0x39, 0x6B};  // RC4 key of the mask
inline constexpr size_t kCodePage = 0x3C;       // u16 default code page (after unmasking)
inline constexpr size_t kDatabaseKey = 0x3E;    // u32; non-zero: pages 1.. are encrypted
inline constexpr size_t kSortOrder = 0x6E;      // u16 LCID, 1 byte 0, 1 byte sort version
inline constexpr size_t kCreationDate = 0x72;   // double, Access date of creation

inline constexpr char kAceName[] = "Standard ACE DB";  // engine name of every ACE file
inline constexpr char kJetName[] = "Standard Jet DB";  // engine name of Jet 3 / Jet 4 files

inline constexpr uint8_t kVersionJet3 = 0x00;   // Access 97: 2 KiB pages, refused
inline constexpr uint8_t kVersionJet4 = 0x01;   // Access 2000-2003 (.mdb): same layout as ACE
inline constexpr uint8_t kVersionAce12 = 0x02;  // Access 2007
inline constexpr uint8_t kVersionAce17 = 0x06;  // Access 2019: the newest code known
}  // namespace header

// ---- Page types (byte 0 of every page) ------------------------------------
namespace page_type {
inline constexpr uint8_t kData = 0x01;       // table rows, long values, usage-map rows
inline constexpr uint8_t kTableDef = 0x02;   // table definition and its continuations
inline constexpr uint8_t kIndexNode = 0x03;  // index intermediate page
inline constexpr uint8_t kIndexLeaf = 0x04;  // index leaf page
inline constexpr uint8_t kUsageMap = 0x05;   // bitmap page of a reference usage map
}  // namespace page_type

// ---- Data pages -----------------------------------------------------------
namespace data_page {
inline constexpr size_t kFreeSpace = 2;      // u16 free bytes
inline constexpr size_t kOwner = 4;          // u32 TDEF page of the owning table ("LVAL" on long-value pages)
inline constexpr size_t kRowCount = 12;      // u16 number of row slots
inline constexpr size_t kRowOffsets = 14;    // u16 per slot: row start and flags
inline constexpr uint16_t kOffsetMask = 0x1FFF;    // row start within the page
inline constexpr uint16_t kDeletedFlag = 0x8000;   // deleted row, or the target of an overflow pointer
inline constexpr uint16_t kOverflowFlag = 0x4000;  // row holds a pointer to its relocated body
inline constexpr uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL" read as a u32
inline constexpr size_t kMaxRows = 255;      // row numbers in pointers are one byte
}  // namespace data_page

// ---- Rows -----------------------------------------------------------------
namespace row {
inline constexpr size_t kColumnCount = 0;    // u16 columns the row was written with
inline constexpr size_t kFixedData = 2;      // fixed area starts after the column count
// From the row end: null mask (ceil(columns / 8) bytes), then u16 var count,
// u16 var offsets in reverse order, u16 end of variable data.
}  // namespace row

// ---- Table definition (TDEF) ----------------------------------------------
namespace tdef {
inline constexpr size_t kNextPage = 4;         // u32 continuation page, 0 = last
inline constexpr size_t kPageHeaderSize = 8;   // bytes a continuation page repeats
inline constexpr size_t kLength = 8;           // u32 length of the whole definition
inline constexpr size_t kRowCount = 16;        // u32 live rows
inline constexpr size_t kAutoNumber = 20;      // u32 last AutoNumber handed out
inline constexpr size_t kComplexAutoNumber = 28;  // u32 last complex-column AutoNumber
inline constexpr size_t kTableType = 40;       // 1 byte: 'N' user, 'S' system
inline constexpr size_t kMaxColumns = 41;      // u16 columns ever defined (row column count)
inline constexpr size_t kVarColumns = 43;      // u16 variable columns, deleted ones included
inline constexpr size_t kColumnCount = 45;     // u16 column descriptors
inline constexpr size_t kLogicalIndexCount = 47;  // u32 logical indexes
inline constexpr size_t kRealIndexCount = 51;  // u32 real (physical) indexes
inline constexpr size_t kOwnedPagesMap = 55;   // 4-byte usage-map reference: owned data pages
inline constexpr size_t kFreePagesMap = 59;    // 4-byte usage-map reference: pages with room
inline constexpr size_t kBody = 63;            // real-index counters start here
inline constexpr size_t kRealIndexCounterSize = 12;  // u32 ?, u32 unique entries, u32 ?
inline constexpr size_t kMaxPages = 64;        // hop limit of the continuation chain
}  // namespace tdef

// ---- Column descriptor (25 bytes) -----------------------------------------
namespace column {
inline constexpr size_t kSize = 25;
inline constexpr size_t kType = 0;           // 1 byte type code
inline constexpr size_t kNumber = 5;         // u16 column number (null-mask bit, index column id)
inline constexpr size_t kVarIndex = 7;       // u16 slot in the row's var-offset table
inline constexpr size_t kSortOrder = 11;     // Text/Memo: u16 LCID, 1 byte 0, 1 byte version
inline constexpr size_t kPrecision = 11;     // Decimal: 1 byte precision
inline constexpr size_t kScale = 12;         // Decimal: 1 byte scale
inline constexpr size_t kComplexId = 11;     // Complex: u32 MSysComplexColumns.ComplexID
inline constexpr size_t kFlags = 15;         // 1 byte flags (below)
inline constexpr size_t kExtraFlags = 16;    // 1 byte extra flags (below)
inline constexpr size_t kFixedOffset = 21;   // u16 offset in the fixed area (fixed columns)
inline constexpr size_t kLength = 23;        // u16 length in bytes (Text: 2 per character)

inline constexpr uint8_t kFlagFixed = 0x01;         // stored in the fixed area
inline constexpr uint8_t kFlagAutoLong = 0x04;      // Long AutoNumber
inline constexpr uint8_t kFlagAutoGuid = 0x40;      // GUID AutoNumber
inline constexpr uint8_t kFlagHyperlink = 0x80;     // Memo shown as hyperlink
inline constexpr uint8_t kExtraCompressed = 0x01;   // Unicode compression allowed
}  // namespace column

// ---- Real index (52 bytes) and logical index (28 bytes) -------------------
namespace real_index {
inline constexpr size_t kSize = 52;
inline constexpr size_t kColumns = 4;        // 10 x (u16 column number, 1 byte order flag)
inline constexpr size_t kColumnSlots = 10;
inline constexpr size_t kColumnSlotSize = 3;
inline constexpr uint16_t kUnusedColumn = 0xFFFF;   // empty column slot
inline constexpr uint8_t kAscending = 0x01;  // column order flag
inline constexpr size_t kUsageMap = 34;      // 4-byte usage-map reference of its pages
inline constexpr size_t kRootPage = 38;      // u32 first (root) index page
inline constexpr size_t kFlags = 46;         // 1 byte flags (below)
inline constexpr uint8_t kFlagUnique = 0x01;
inline constexpr uint8_t kFlagIgnoreNulls = 0x02;
inline constexpr uint8_t kFlagRequired = 0x08;
}  // namespace real_index

namespace logical_index {
inline constexpr size_t kSize = 28;
inline constexpr size_t kNumber = 4;         // u32 logical index number
inline constexpr size_t kRealIndex = 8;      // u32 real index backing it
inline constexpr size_t kRelatedIndex = 13;  // u32 foreign key: related logical index, -1 if none
inline constexpr size_t kRelatedTable = 17;  // u32 foreign key: related TDEF page
inline constexpr size_t kType = 23;          // 1 byte: 0 normal, 1 primary key, 2 foreign key
}  // namespace logical_index

inline constexpr uint16_t kColumnMapEnd = 0xFFFF;  // ends the long-value column map list

// ---- Usage maps -----------------------------------------------------------
namespace usage_map {
inline constexpr uint8_t kInline = 0x00;     // u32 start page, then a bitmap
inline constexpr uint8_t kReference = 0x01;  // u32 numbers of type-5 bitmap pages
inline constexpr size_t kInlineStart = 1;    // u32 first page the bitmap covers
inline constexpr size_t kInlineBitmap = 5;   // bitmap bytes from here to the row end
inline constexpr size_t kBitmapPageHeader = 4;  // type-5 page: 05 01 00 00, then bits
inline constexpr size_t kPagesPerBitmapPage = (kPageSize - kBitmapPageHeader) * 8;  // 32736
}  // namespace usage_map

// ---- Index pages ----------------------------------------------------------
namespace index_page {
inline constexpr size_t kTableDef = 4;       // u32 TDEF page of the table
inline constexpr size_t kPrevPage = 12;      // u32 previous page on the level
inline constexpr size_t kNextPage = 16;      // u32 next page on the level
inline constexpr size_t kTailPage = 20;      // u32 last child of a node page, not in its entries
inline constexpr size_t kPrefixLength = 24;  // u16 bytes of the first entry every entry shares
inline constexpr size_t kEntryMask = 27;     // bitmap of entry ends (453 bytes)
inline constexpr size_t kEntryMaskSize = 453;
inline constexpr size_t kEntries = 0x1E0;    // first entry
// Leaf entry: key bytes, 3-byte data page (big-endian), 1-byte row.
// Node entry: the same, then a 4-byte child page (big-endian).
}  // namespace index_page

// ---- Long values (Memo, OLE): 12-byte field in the row --------------------
namespace long_value {
inline constexpr size_t kFieldSize = 12;
inline constexpr uint32_t kLengthMask = 0x3FFFFFFF;  // low 30 bits of the first u32
inline constexpr uint32_t kKindMask = 0xC0000000;    // top 2 bits: storage kind
inline constexpr uint32_t kInline = 0x80000000;      // data follows the 12 bytes
inline constexpr uint32_t kSingleRow = 0x40000000;   // one row on a long-value page
inline constexpr uint32_t kChain = 0x00000000;       // rows linked by 4-byte pointers
inline constexpr size_t kPointer = 4;                // 1-byte row, 3-byte page of the first row
}  // namespace long_value

// ---- Column types ---------------------------------------------------------
namespace type {
inline constexpr uint8_t kBoolean = 0x01;    // Yes/No: the null-mask bit is the value
inline constexpr uint8_t kByte = 0x02;       // 1 byte unsigned
inline constexpr uint8_t kInteger = 0x03;    // 2 bytes signed
inline constexpr uint8_t kLong = 0x04;       // 4 bytes signed
inline constexpr uint8_t kCurrency = 0x05;   // 8-byte signed integer, value x 10000
inline constexpr uint8_t kSingle = 0x06;     // IEEE float
inline constexpr uint8_t kDouble = 0x07;     // IEEE double
inline constexpr uint8_t kDateTime = 0x08;   // double, days since 1899-12-30
inline constexpr uint8_t kBinary = 0x09;     // up to 255 bytes
inline constexpr uint8_t kText = 0x0A;       // UTF-16LE or compressed Unicode
inline constexpr uint8_t kOle = 0x0B;        // long value, raw bytes
inline constexpr uint8_t kMemo = 0x0C;       // long value, text
inline constexpr uint8_t kUnknown0D = 0x0D;  // read as binary
inline constexpr uint8_t kGuid = 0x0F;       // 16 bytes
inline constexpr uint8_t kDecimal = 0x10;    // 17 bytes: sign, 4 x u32 most significant first
inline constexpr uint8_t kUnknown11 = 0x11;  // read as binary
inline constexpr uint8_t kComplex = 0x12;    // 4-byte key into a hidden table
inline constexpr uint8_t kBigInt = 0x13;     // 8 bytes signed (ACE 16+)
inline constexpr uint8_t kExtendedDate = 0x14;  // 42 ASCII bytes (ACE 17+)
}  // namespace type

// ---- Catalog (MSysObjects) -------------------------------------------------
namespace catalog {
inline constexpr uint32_t kTableDefPage = 2;          // MSysObjects' own TDEF
inline constexpr int16_t kTypeTable = 1;              // a local table
inline constexpr uint32_t kSystemFlags = 0x80000002;  // either bit makes an object a system one
inline constexpr uint32_t kIdPageMask = 0x00FFFFFF;   // a table's Id holds its TDEF page
}  // namespace catalog

}  // namespace database::format

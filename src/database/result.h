// Result codes of the database engine. No routine of the engine throws; each
// reports one of these, and untrusted bytes from a file only ever lead to
// kCorrupt (or a more specific refusal), never to an assertion.
#pragma once

namespace database {

enum class Status {
  kOk,
  kEnd,                 // a cursor has no more rows
  kNotFound,            // no such table, column or file
  kIoError,             // the operating system failed a read
  kNotDatabase,         // the file does not start like an Access database
  kUnsupportedVersion,  // a Jet 3 (Access 97) file, or an unknown version code
  kEncrypted,           // a password-protected (encrypted) database
  kCorrupt,             // the bytes contradict the format
  // Refusals of the writing side; a refused change leaves the file untouched.
  kInUse,               // another program has the file open (or a .laccdb lock file exists)
  kReadOnly,            // the file cannot be opened or written for writing
  kDuplicateKey,        // the row would repeat the key of a unique index
  kTooLong,             // a value does not fit its column
  kTypeMismatch,        // a value that the column's type cannot hold
  kUnsupported,         // a structure the writer cannot change exactly (e.g. an unknown sort order)
  kNoSpace,             // the system refused a write or flush for lack of room
};

// A short English name for reports and logs ("ok", "corrupt", ...).
const char* StatusName(Status status);

}  // namespace database

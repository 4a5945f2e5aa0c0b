// Decoded column values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace database {

enum class ValueKind {
  kNull,
  kBoolean,   // integer 0 / 1
  kByte,      // integer
  kInteger,   // integer
  kLong,      // integer
  kBigInt,    // integer
  kCurrency,  // integer: value x 10000
  kSingle,    // real
  kDouble,    // real
  kDateTime,  // real: Access date (days since 1899-12-30, time as the fraction)
  kText,      // text (Text and Memo)
  kBinary,    // bytes (Binary and unknown types)
  kOle,       // bytes (OLE Object)
  kGuid,      // bytes: 16, as stored
  kDecimal,   // decimal
  kComplex,   // integer: key into the column's hidden table
};

// A Decimal: sign, 96-bit magnitude (Access keeps at most 28 digits) and scale.
struct Decimal {
  bool negative = false;
  uint64_t high = 0;  // top 64 bits of the 128-bit magnitude
  uint64_t low = 0;
  uint8_t scale = 0;
  double ToDouble() const;
  std::string ToString() const;  // exact decimal digits, "-12.3400" style
};

struct Value {
  ValueKind kind = ValueKind::kNull;
  int64_t integer = 0;
  double real = 0;
  std::u16string text;
  std::string bytes;
  Decimal decimal;
};

// Text bytes as stored: UTF-16LE, or compressed Unicode when they start with FF FE.
void DecodeText(std::string_view stored, std::u16string* out);

// A GUID's 16 stored bytes in the form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string GuidText(std::string_view bytes);

// Calendar form of an Access date, to whole seconds (half seconds round up).
struct DateParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
bool AccessDateToParts(double date, DateParts* parts);

}  // namespace database

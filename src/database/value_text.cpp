#include "database/value_text.h"

#include <cinttypes>
#include <cstdio>

#include "scanlist/codepage.h"

namespace database {

std::string ValueToText(const Value& v) {
  char buf[512];
  switch (v.kind) {
    case ValueKind::kNull: return std::string();
    case ValueKind::kText: return scanlist::Utf16ToGbk(v.text);
    case ValueKind::kByte:
    case ValueKind::kInteger:
    case ValueKind::kLong:
    case ValueKind::kBigInt:
      std::snprintf(buf, sizeof buf, "%" PRId64, v.integer);
      return buf;
    case ValueKind::kSingle:
      std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(static_cast<float>(v.real)));
      return buf;
    case ValueKind::kDouble:
      std::snprintf(buf, sizeof buf, "%.8f", v.real);
      return buf;
    case ValueKind::kDecimal:
      std::snprintf(buf, sizeof buf, "%.8f", v.decimal.ToDouble());
      return buf;
    case ValueKind::kCurrency: return CurrencyText(v.integer);
    case ValueKind::kDateTime: {
      DateParts d;
      if (!AccessDateToParts(v.real, &d)) return "UN_KNOW";
      std::snprintf(buf, sizeof buf, "%d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                    d.minute, d.second);
      return buf;
    }
    case ValueKind::kBoolean: return v.integer != 0 ? "TRUE" : "FALSE";
    case ValueKind::kOle:
    case ValueKind::kBinary: return "[BLOB]";
    case ValueKind::kGuid: return GuidText(v.bytes);
    case ValueKind::kComplex: return "UN_KNOW";
  }
  return "UN_KNOW";
}

}  // namespace database

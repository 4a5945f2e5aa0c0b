// The texts that ReadField gives for column values, as GBK bytes:
//   Null "", text as is, Byte/Integer/Long "%d", Single "%.4f", Double "%.8f",
//   Decimal as a double "%.8f", Currency in the user's locale currency format,
//   Date/Time "%Y-%m-%d %H:%M:%S", Yes/No "TRUE"/"FALSE", OLE and binary
//   "[BLOB]", a GUID in braces, anything else "UN_KNOW".
#pragma once

#include <string>

#include "database/value.h"

namespace database {

std::string ValueToText(const Value& value);

// Currency (value x 10000) in the user's locale currency format, as GBK.
// Windows asks the system; elsewhere the Chinese (PRC) form "￥1,234.50".
std::string CurrencyText(int64_t scaled);

}  // namespace database

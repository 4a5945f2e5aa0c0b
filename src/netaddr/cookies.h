// Cookie sets as the fetch routine keeps them: "name=value" pieces joined by
// "; " (or by ";" once blanks are removed).
#pragma once

#include <string>
#include <string_view>

namespace netaddr {

// Merges the cookies a response set (`newCookies`) into `cookies`. Both lose
// all their blanks, in the caller's variables too. The result holds the new
// cookies first, in their order, then the old ones whose names the response
// did not set; a cookie set to a value ending in "=deleted" is dropped, and
// repeated pieces are kept once.
void MergeCookies(std::string& cookies, std::string& newCookies);

// The name of a "name=value" piece: the bytes before its first "=" (the whole
// piece when it has none), trimmed.
std::string CookieName(std::string_view piece);

// The pieces of `text` between `separator`s, each kept at its first
// occurrence only (compared byte for byte), joined by `separator` again.
std::string UniqueJoin(std::string_view text, std::string_view separator);

}  // namespace netaddr

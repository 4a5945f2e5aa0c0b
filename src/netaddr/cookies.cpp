#include "netaddr/cookies.h"

#include <vector>

#include "netaddr/text_search.h"

namespace netaddr {
namespace {

// Each piece followed by the separator, then the separator's length cut off the end.
std::string JoinPieces(const std::vector<std::string>& pieces, std::string_view separator) {
  std::string out;
  for (const std::string& piece : pieces) {
    out += piece;
    out += separator;
  }
  return LeftBytes(out, static_cast<long long>(out.size()) -
                            static_cast<long long>(separator.size()));
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

void MergeCookies(std::string& cookies, std::string& newCookies) {
  cookies = RemoveBlanks(cookies);
  newCookies = RemoveBlanks(newCookies);
  const std::vector<std::string> oldPieces = SplitAt(cookies, ";");
  std::vector<std::string> kept = SplitAt(newCookies, ";");
  for (const std::string& piece : oldPieces) {
    const std::string name = CookieName(piece);
    bool named = false;
    for (const std::string& k : kept) {
      if (CookieName(k) == name) {
        named = true;
        break;
      }
    }
    if (!named) kept.push_back(piece);
  }
  std::vector<std::string> live;
  for (const std::string& piece : kept) {
    if (!EndsWith(piece, "=deleted")) live.push_back(piece);
  }
  cookies = UniqueJoin(JoinPieces(live, "; "), "; ");
}

std::string CookieName(std::string_view piece) {
  const int eq = FindText(piece, "=");
  if (eq == -1) return TrimBlanks(piece);
  return TrimBlanks(piece.substr(0, static_cast<std::size_t>(eq - 1)));
}

std::string UniqueJoin(std::string_view text, std::string_view separator) {
  std::vector<std::string> unique;
  for (std::string& piece : SplitAt(text, separator)) {
    bool seen = false;
    for (const std::string& u : unique) {
      if (u == piece) {
        seen = true;
        break;
      }
    }
    if (!seen) unique.push_back(std::move(piece));
  }
  return JoinPieces(unique, separator);
}

}  // namespace netaddr

#include "netaddr/text_search.h"

#include <climits>
#include <cstddef>

namespace netaddr {
namespace {

// Positions are ints; longer texts are not searched at all.
constexpr std::size_t kMaxSearchable = static_cast<std::size_t>(INT_MAX) - 1;

bool IsLead(unsigned char c) { return (c & 0x80) != 0; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Byte length of the character that starts at `i` (a lead byte at the very
// end counts as one byte).
std::size_t CharLength(std::string_view text, std::size_t i) {
  return (IsLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
}

// Does `pattern` match `text` at byte offset `at`? With ignoreCase, ASCII
// letters of the pattern match either case; the two bytes of a double-byte
// character of the pattern are compared exactly.
bool MatchesAt(std::string_view text, std::size_t at, std::string_view pattern, bool ignoreCase) {
  if (pattern.size() > text.size() - at) return false;
  if (!ignoreCase) return text.compare(at, pattern.size(), pattern) == 0;
  std::size_t j = 0;
  while (j < pattern.size()) {
    const char p = pattern[j];
    const char t = text[at + j];
    if (IsLead(static_cast<unsigned char>(p))) {
      if (p != t) return false;
      if (j + 1 < pattern.size()) {
        if (pattern[j + 1] != text[at + j + 1]) return false;
        j += 2;
      } else {
        j += 1;
      }
    } else {
      if (FoldAscii(p) != FoldAscii(t)) return false;
      j += 1;
    }
  }
  return true;
}

// Byte offset of the first character boundary at or after 1-based `start`.
std::size_t BoundaryFrom(std::string_view text, int start) {
  const std::size_t want = start <= 1 ? 0 : static_cast<std::size_t>(start - 1);
  std::size_t i = 0;
  while (i < want && i < text.size()) i += CharLength(text, i);
  return i;
}

}  // namespace

int FindText(std::string_view text, std::string_view pattern, int start, bool ignoreCase) {
  if (pattern.empty() || pattern.size() > text.size() || text.size() > kMaxSearchable) return -1;
  // Positions count from the text's first byte, so a start inside a
  // double-byte character moves on to the next character boundary.
  std::size_t i = BoundaryFrom(text, start);
  while (i + pattern.size() <= text.size()) {
    if (MatchesAt(text, i, pattern, ignoreCase)) return static_cast<int>(i + 1);
    i += CharLength(text, i);
  }
  return -1;
}

int FindLastText(std::string_view text, std::string_view pattern, bool ignoreCase) {
  if (pattern.empty() || pattern.size() > text.size() || text.size() > kMaxSearchable) return -1;
  int last = -1;
  std::size_t i = 0;
  while (i + pattern.size() <= text.size()) {
    if (MatchesAt(text, i, pattern, ignoreCase)) last = static_cast<int>(i + 1);
    i += CharLength(text, i);
  }
  return last;
}

bool ContainsText(std::string_view text, std::string_view pattern, bool ignoreCase) {
  return FindText(text, pattern, 1, ignoreCase) != -1;
}

std::string ReplaceText(std::string_view text, std::string_view pattern, std::string_view with,
                        bool ignoreCase) {
  std::string out;
  if (pattern.empty()) return std::string(text);
  std::size_t from = 0;
  while (true) {
    const int pos = FindText(text, pattern, static_cast<int>(from + 1), ignoreCase);
    if (pos == -1) break;
    const std::size_t at = static_cast<std::size_t>(pos - 1);
    out.append(text.substr(from, at - from));
    out.append(with);
    from = at + pattern.size();
  }
  out.append(text.substr(from));
  return out;
}

std::string LowerText(std::string_view text) {
  std::string out(text);
  std::size_t i = 0;
  while (i < out.size()) {
    const std::size_t n = CharLength(out, i);
    if (n == 1) out[i] = FoldAscii(out[i]);
    i += n;
  }
  return out;
}

namespace {

// Length of the blank at byte offset i, 0 when there is none.
std::size_t BlankAt(std::string_view text, std::size_t i) {
  if (text[i] == ' ') return 1;
  if (static_cast<unsigned char>(text[i]) == 0xA1 && i + 1 < text.size() &&
      static_cast<unsigned char>(text[i + 1]) == 0xA1)
    return 2;
  return 0;
}

}  // namespace

std::string TrimBlanks(std::string_view text) {
  // Leading blanks: walk characters from the front.
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t n = BlankAt(text, begin);
    if (n == 0) break;
    begin += n;
  }
  // Trailing blanks: remember where the last non-blank character ends.
  std::size_t end = begin;
  std::size_t i = begin;
  while (i < text.size()) {
    const std::size_t blank = BlankAt(text, i);
    if (blank != 0) {
      i += blank;
    } else {
      i += CharLength(text, i);
      end = i;
    }
  }
  return std::string(text.substr(begin, end - begin));
}

std::string RemoveBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t blank = BlankAt(text, i);
    if (blank != 0) {
      i += blank;
      continue;
    }
    const std::size_t n = CharLength(text, i);
    out.append(text.substr(i, n));
    i += n;
  }
  return out;
}

std::string LeftBytes(std::string_view text, long long n) {
  if (n <= 0) return {};
  if (static_cast<unsigned long long>(n) >= text.size()) return std::string(text);
  return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string RightBytes(std::string_view text, long long n) {
  if (n <= 0) return {};
  if (static_cast<unsigned long long>(n) >= text.size()) return std::string(text);
  return std::string(text.substr(text.size() - static_cast<std::size_t>(n)));
}

std::vector<std::string> SplitAt(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t fieldStart = 0;
  std::size_t i = 0;
  while (text.size() - i >= separator.size()) {
    if (text.compare(i, separator.size(), separator) == 0) {
      pieces.emplace_back(text.substr(fieldStart, i - fieldStart));
      i += separator.size();
      fieldStart = i;
    } else if (IsLead(static_cast<unsigned char>(text[i]))) {
      i += 2;
      if (i > text.size()) break;
    } else {
      i += 1;
    }
  }
  if (fieldStart < text.size()) pieces.emplace_back(text.substr(fieldStart));
  return pieces;
}

std::string TextBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker, std::optional<int> startPos,
                        std::optional<bool> ignoreCase) {
  static constexpr std::string_view kQuoteMark = "#\xD2\xFD\xBA\xC5";  // "#引号"
  const std::string start = ReplaceText(startMarker, kQuoteMark, "\"");
  const std::string end = ReplaceText(endMarker, kQuoteMark, "\"");
  const bool fold = ignoreCase.value_or(false);
  const int found = FindText(text, start, startPos.value_or(1), fold);
  if (found == -1) return {};
  const std::size_t extract = static_cast<std::size_t>(found - 1) + start.size();
  const int stop = FindText(text, end, static_cast<int>(extract + 1), fold);
  if (stop == -1) return {};
  const std::size_t stopAt = static_cast<std::size_t>(stop - 1);
  return std::string(text.substr(extract, stopAt - extract));
}

}  // namespace netaddr

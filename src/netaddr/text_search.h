// Text search conventions shared by the network routines.
//
// Texts are GBK byte strings. Positions are 1-based byte positions; a search
// that finds nothing yields -1. A search advances one character at a time: a
// byte with its high bit set starts a double-byte character, so a match never
// begins on the second byte of such a character. Letter case is ignored only
// when asked, and only for ASCII letters. Blanks are the ASCII space and the
// full-width space (bytes A1 A1); tabs, CR and LF are not blanks.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace netaddr {

// First occurrence of `pattern` at or after `start` (below 1 counts as 1).
// An empty pattern is never found.
int FindText(std::string_view text, std::string_view pattern, int start = 1,
             bool ignoreCase = false);

// Last occurrence of `pattern` that begins on a character boundary.
int FindLastText(std::string_view text, std::string_view pattern, bool ignoreCase = false);

bool ContainsText(std::string_view text, std::string_view pattern, bool ignoreCase = false);

// Every occurrence of `pattern` (searched as FindText does) replaced by `with`.
std::string ReplaceText(std::string_view text, std::string_view pattern, std::string_view with,
                        bool ignoreCase = false);

// ASCII letters to lower case; the second byte of a double-byte character is kept.
std::string LowerText(std::string_view text);

std::string TrimBlanks(std::string_view text);
std::string RemoveBlanks(std::string_view text);

// Left and right n bytes: empty for n <= 0, the whole text for n beyond its length.
std::string LeftBytes(std::string_view text, long long n);
std::string RightBytes(std::string_view text, long long n);

// The pieces between separators, empty inner pieces kept, the remainder after
// the last separator only when it is not empty; an empty text gives no pieces.
// A separator is matched only where a character begins.
std::vector<std::string> SplitAt(std::string_view text, std::string_view separator);

// The bytes between the first `startMarker` at or after `startPos` and the
// next `endMarker` after it; empty when either is missing. "#引号" in a marker
// stands for a double-quote character.
std::string TextBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker, std::optional<int> startPos = std::nullopt,
                        std::optional<bool> ignoreCase = std::nullopt);

}  // namespace netaddr

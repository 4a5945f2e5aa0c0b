// GBK <-> UTF-16 through the C library's iconv (native builds).
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "codepage.h"

namespace scanlist {
namespace {

// One conversion: from/to are iconv names. Invalid input is replaced by
// `replacement` (in the target encoding) and conversion goes on one unit later.
std::string Convert(const char* to, const char* from, std::string_view in, size_t inStep,
                    std::string_view replacement) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    return out;
  }
  std::string buf(in.size() * 2 + 16, '\0');
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  while (inLeft > 0) {
    char* outPtr = buf.data();
    size_t outLeft = buf.size();
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buf.data(), buf.size() - outLeft);
    if (rc != static_cast<size_t>(-1)) {
      break;
    }
    if (errno == E2BIG) {
      continue;
    }
    // EILSEQ or EINVAL (truncated input): skip one unit, emit the replacement.
    out.append(replacement);
    const size_t skip = inLeft < inStep ? inLeft : inStep;
    inPtr += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
  static constexpr char kReplacement[] = {'\xFD', '\xFF'};  // U+FFFD, little-endian
  const std::string bytes = Convert("UTF-16LE", "CP936", gbk, 1, std::string_view(kReplacement, 2));
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return out;
}

std::string Utf16ToGbk(std::u16string_view utf16) {
  std::string bytes(utf16.size() * 2, '\0');
  for (size_t i = 0; i < utf16.size(); ++i) {
    bytes[2 * i] = static_cast<char>(utf16[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(utf16[i] >> 8);
  }
  return Convert("CP936", "UTF-16LE", bytes, 2, "?");
}

}  // namespace scanlist

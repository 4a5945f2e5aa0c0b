// GBK <-> UTF-16 through the C library's iconv (native builds).
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "codepage.h"

namespace scanlist {
namespace {

// One open conversion per direction and thread: opening one costs far more
// than converting a short text, and readers convert every value they read.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// One conversion. Invalid input is replaced by `replacement` (in the target
// encoding) and conversion goes on one unit later.
std::string Convert(const Converter& conv, std::string_view in, size_t inStep,
                    std::string_view replacement) {
  std::string out;
  if (!conv.ok() || in.empty()) {
    return out;
  }
  iconv_t cd = conv.get();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
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
  return out;
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
  static constexpr char kReplacement[] = {'\xFD', '\xFF'};  // U+FFFD, little-endian
  thread_local const Converter conv("UTF-16LE", "CP936");
  const std::string bytes = Convert(conv, gbk, 1, std::string_view(kReplacement, 2));
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
  thread_local const Converter conv("CP936", "UTF-16LE");
  return Convert(conv, bytes, 2, "?");
}

}  // namespace scanlist

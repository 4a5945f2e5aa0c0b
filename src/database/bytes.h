// Little- and big-endian reads from byte buffers. Callers check bounds first;
// these only assemble values.
#pragma once

#include <cstdint>
#include <cstring>

namespace database {

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le24(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16);
}
inline uint32_t Le32(const uint8_t* p) {
  return Le24(p) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Le64(const uint8_t* p) {
  return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32);
}
inline uint32_t Be24(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
}
inline uint32_t Be32(const uint8_t* p) { return (Be24(p) << 8) | p[3]; }
inline double LeDouble(const uint8_t* p) {
  const uint64_t bits = Le64(p);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
inline float LeFloat(const uint8_t* p) {
  const uint32_t bits = Le32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

}  // namespace database

// Runs the fuzz target as an ordinary test program, without libFuzzer:
//   database_fuzz_replay DIR...             every file under the folders
//   database_fuzz_replay --mutate N DIR...  also N damaged variants of each
//                                           file (fixed seed: truncations,
//                                           smashed page pointers, flipped bits)
// A crash, sanitizer report or hang fails the test.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr size_t kPageSize = 4096;

uint64_t Next(uint64_t* state) {  // xorshift64
  *state ^= *state << 13;
  *state ^= *state >> 7;
  *state ^= *state << 17;
  return *state;
}

std::vector<uint8_t> Mutate(const std::vector<uint8_t>& in, uint64_t* rng) {
  std::vector<uint8_t> out = in;
  if (out.size() < 2 * kPageSize) return out;
  switch (Next(rng) % 4) {
    case 0:  // truncate, at a page boundary or anywhere
      out.resize(Next(rng) % 2 ? (Next(rng) % (out.size() / kPageSize)) * kPageSize : Next(rng) % out.size());
      break;
    case 1: {  // smash 4 bytes with a page number or an extreme value
      static const uint32_t kValues[] = {0, 1, 2, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF, 0x80000000};
      const size_t at = kPageSize + Next(rng) % (out.size() - kPageSize - 4);
      const uint32_t v = Next(rng) % 2 ? kValues[Next(rng) % 8] : static_cast<uint32_t>(Next(rng) % (out.size() / kPageSize));
      std::memcpy(out.data() + at, &v, 4);
      break;
    }
    default:  // flip a few bits
      for (int k = 0; k < 1 + static_cast<int>(Next(rng) % 16); ++k) {
        const size_t at = kPageSize + Next(rng) % (out.size() - kPageSize);
        out[at] ^= static_cast<uint8_t>(1u << (Next(rng) % 8));
      }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  size_t mutations = 0;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--mutate") == 0) {
    mutations = std::stoul(argv[2]);
    first = 3;
  }
  size_t count = 0;
  uint64_t rng = 0x9E3779B97F4A7C15ull;
  for (int i = first; i < argc; ++i) {
    if (!std::filesystem::is_directory(argv[i])) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++count;
      for (size_t m = 0; m < mutations; ++m) {
        const std::vector<uint8_t> damaged = Mutate(bytes, &rng);
        LLVMFuzzerTestOneInput(damaged.data(), damaged.size());
        ++count;
      }
    }
  }
  std::printf("replayed %zu inputs\n", count);
  return count > 0 ? 0 : 1;
}

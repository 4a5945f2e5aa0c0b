#include "test_support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#endif

namespace database::test {

std::string FixtureDir() {
  const std::string dir = std::string(RECEIVER_SHARED_DIR) + "/fixtures/accdb";
  return std::filesystem::is_directory(dir) ? dir : std::string();
}

std::vector<std::string> FixtureNames() {
  std::vector<std::string> names;
  const std::string dir = FixtureDir();
  if (dir.empty()) return names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    if (e.path().extension() == ".accdb") names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool RunCommand(const std::string& command, std::string* output) {
  output->clear();
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) output->append(buf, n);
  return pclose(pipe) == 0;
}

}  // namespace database::test

// Helpers shared by the database tests: fixture paths, running a command.
#pragma once

#include <string>
#include <vector>

namespace database::test {

// The folder of the Access-made fixtures, "" when it is missing.
std::string FixtureDir();
// The fixture files (*.accdb) in name order; empty when the folder is missing.
std::vector<std::string> FixtureNames();
// Bytes of a file; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
// Runs a shell command; its standard output, or false when it failed.
bool RunCommand(const std::string& command, std::string* output);

}  // namespace database::test

// Export of a large list: time per run and the process's peak memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "scanlist/export/html_table.h"

namespace {

// Rows made on demand, shaped like scans, so the figure shows the writer's
// memory and not a stored list's.
class GeneratedScans : public scanlist::TableSource {
 public:
  explicit GeneratedScans(int rows) : rows_(rows) {}
  int ColumnCount() const override { return 5; }
  int RowCount() const override { return rows_; }
  bool HeadingText(int column, std::string& text) const override {
    static const char* const kHeadings[] = {"\xD0\xF2\xBA\xC5", "\xBF\xCD\xBB\xA7\xB6\xCB",
                                            "\xCA\xB6\xB1\xF0\xCC\xF5\xC2\xEB",
                                            "\xBC\xD3\xC8\xEB\xCA\xB1\xBC\xE4", "\xB1\xB8\xD7\xA2"};
    text = kHeadings[column];
    return true;
  }
  bool CellText(int row, int column, std::string& text) const override {
    switch (column) {
      case 0: text = std::to_string(row + 1); break;
      case 1: text = "192.168.1." + std::to_string(row % 250) + ":5" + std::to_string(row % 9999); break;
      case 2: text = "69" + std::to_string(1000000000 + row); break;
      case 3: text = "2024\xC4\xEA" "3\xD4\xC2" "5\xC8\xD5" "9\xCA\xB1" "7\xB7\xD6" "4\xC3\xEB"; break;
      default: text = (row % 10 == 0) ? "A<1>&" : "A\xC7\xF8"; break;
    }
    return true;
  }

 private:
  int rows_;
};

long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_ExportRows(benchmark::State& state) {
  const GeneratedScans table(static_cast<int>(state.range(0)));
  const std::filesystem::path target =
      std::filesystem::temp_directory_path() / "scanlist_export_bench.html";
  for (auto _ : state) {
    if (!scanlist::WriteHtmlTable(table, target, 1)) state.SkipWithError("export failed");
  }
  state.counters["rows"] = static_cast<double>(state.range(0));
  state.counters["file_MB"] =
      static_cast<double>(std::filesystem::file_size(target)) / (1024.0 * 1024.0);
  state.counters["peak_RSS_MB"] = static_cast<double>(PeakResidentKb()) / 1024.0;
  std::filesystem::remove(target);
}
BENCHMARK(BM_ExportRows)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

// Reads one table of a database, start to end, and prints rows per second and
// the peak memory of the process; mdb-export reads the same table in the same
// run for comparison.
//   database_bench FILE TABLE [benchmark flags]
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "database/database.h"
#include "database/table_cursor.h"
#include "database/value_text.h"
#include "scanlist/codepage.h"

namespace {

std::string gFile;
std::string gTable;

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// Reads every row; with `texts` also forms every value's ReadField text.
void ReadTable(benchmark::State& state, bool texts) {
  using namespace database;
  int64_t rows = 0;
  for (auto _ : state) {
    std::unique_ptr<Database> db;
    TableDef def;
    if (Database::Open(gFile, &db) != Status::kOk ||
        db->FindTable(scanlist::Utf8ToUtf16(gTable), &def) != Status::kOk) {
      state.SkipWithError("cannot open the table");
      return;
    }
    TableCursor cursor(db->channel(), def);
    if (cursor.Open() != Status::kOk) {
      state.SkipWithError("cannot read the table's pages");
      return;
    }
    std::vector<Value> values;
    size_t bytes = 0;
    while (cursor.Next(&values) == Status::kOk) {
      ++rows;
      if (texts) {
        for (const Value& v : values) bytes += ValueToText(v).size();
      }
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(rows);
  state.counters["peak_MB"] = PeakMegabytes();
}

void BM_ReadRows(benchmark::State& state) { ReadTable(state, false); }
void BM_ReadFieldTexts(benchmark::State& state) { ReadTable(state, true); }

void BM_MdbExport(benchmark::State& state) {
  int64_t rows = 0;
  for (auto _ : state) {
    const std::string command = "mdb-export -H '" + gFile + "' '" + gTable + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
      state.SkipWithError("mdb-export did not start");
      return;
    }
    char line[65536];
    while (std::fgets(line, sizeof line, pipe) != nullptr) ++rows;
    if (pclose(pipe) != 0) {
      state.SkipWithError("mdb-export failed");
      return;
    }
  }
  state.SetItemsProcessed(rows);
}

BENCHMARK(BM_ReadRows)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFieldTexts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MdbExport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: database_bench FILE TABLE [benchmark flags]\n");
    return 2;
  }
  gFile = argv[1];
  gTable = argv[2];
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

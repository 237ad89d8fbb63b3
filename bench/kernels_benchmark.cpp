// Microbenchmarks of the kernels on the hot paths: scanning a node line and
// an element line of Model.msh, and formatting a real with each template.
#include <benchmark/benchmark.h>

#include <string>

#include "common/format_number.h"
#include "common/mesh_reader.h"
#include "common/text_reader.h"

namespace {

std::string Repeat(const std::string& line, int count) {
  std::string text;
  text.reserve(line.size() * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

constexpr int kLines = 100000;

void ScanNodeLine(benchmark::State& state) {
  const std::string text = Repeat("123457,1234.567891,-987.654321,0\r\n", kLines);
  for (auto _ : state) {
    sheet::TextReader reader(std::string_view(text), "Model.msh");
    double sum = 0;
    for (int i = 1; i <= kLines; ++i) sum += sheet::ReadMeshNode(reader, i).x;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(ScanNodeLine);

void ScanElementLine(benchmark::State& state) {
  const std::string text = Repeat("1234567,204,3,1000001,1000002,1001003,1001002,0\r\n", kLines);
  for (auto _ : state) {
    sheet::TextReader reader(std::string_view(text), "Model.msh");
    long sum = 0;
    for (int j = 1; j <= kLines; ++j) {
      sum += sheet::ReadMeshElementHead(reader, j).nodes[3];
      sheet::ReadMeshElementTail(reader, j);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(ScanElementLine);

// Values of the kind the programs write: coordinates in metres, B-H values,
// vector components.
double Value(int i) { return (static_cast<double>(i % 9973) - 4000.5) * 1.234567e-3; }

void FormatReal(benchmark::State& state, int precision, bool blank) {
  char buffer[64];
  int i = 0;
  for (auto _ : state) {
    char* end = sheet::FormatExponent(buffer, Value(i++), precision, blank);
    benchmark::DoNotOptimize(end);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(FormatReal, blank_1_5E, 5, true);
BENCHMARK_CAPTURE(FormatReal, blank_1_7E, 7, true);
BENCHMARK_CAPTURE(FormatReal, plain_1_1E, 1, false);

void FormatFixedReal(benchmark::State& state) {
  char buffer[400];
  int i = 0;
  for (auto _ : state) {
    char* end = sheet::FormatFixed(buffer, Value(i++), 1);
    benchmark::DoNotOptimize(end);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FormatFixedReal);

void FormatInteger(benchmark::State& state) {
  char buffer[32];
  int i = 0;
  for (auto _ : state) {
    char* end = sheet::FormatInteger(buffer, i++, 8);
    benchmark::DoNotOptimize(end);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FormatInteger);

}  // namespace

BENCHMARK_MAIN();

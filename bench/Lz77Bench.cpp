// The block coder and the container on inputs of different redundancy:
// throughput of Compress, Decompress, and whole containers with one and
// two threads.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "engine/CompressLZ77.h"
#include "engine/Container.h"
#include "support/MemoryFileSystem.h"

namespace {

std::vector<uint8_t> Sample(int kind, size_t n) {
  std::mt19937 random(7);
  std::vector<uint8_t> bytes;
  static const char* const kWords[] = {"the ",   "backup ", "store ",   "of ",         "files ",
                                       "and ",   "a ",      "restore ", "block ",      "disk ",
                                       "copy\n", "is ",     "to ",      "compressed ", "drive "};
  while (bytes.size() < n) {
    switch (kind) {
      case 0: {  // a text of few distinct words
        const std::string w = kWords[random() % 15];
        bytes.insert(bytes.end(), w.begin(), w.end());
        break;
      }
      case 1: {  // source-like lines with numbers
        const std::string line = "  value_" + std::to_string(random() % 500) + " = Compute(" +
                                 std::to_string(random() % 10000) + ", kind);\n";
        bytes.insert(bytes.end(), line.begin(), line.end());
        break;
      }
      case 2:  // random bytes
        bytes.push_back(static_cast<uint8_t>(random()));
        break;
      default: {  // runs and noise, like an executable
        const size_t length = 1 + random() % 200;
        const uint8_t v = random() % 3 == 0 ? static_cast<uint8_t>(random()) : 0;
        for (size_t k = 0; k < length; ++k)
          bytes.push_back(random() % 4 == 0 ? static_cast<uint8_t>(random()) : v);
      }
    }
  }
  bytes.resize(n);
  return bytes;
}

const char* const kKinds[] = {"words", "source", "random", "runs"};

void BM_Compress(benchmark::State& state) {
  const auto input = Sample(static_cast<int>(state.range(0)), qtr::kLz77BlockSize);
  std::vector<uint8_t> out(input.size() + qtr::kLz77OutputSlack);
  qtr::CCompressLZ77 coder;
  for (auto _ : state)
    benchmark::DoNotOptimize(coder.Compress(input.data(), input.size(), out.data(), out.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  state.SetLabel(kKinds[state.range(0)]);
}
BENCHMARK(BM_Compress)->DenseRange(0, 3);

void BM_Decompress(benchmark::State& state) {
  const auto input = Sample(static_cast<int>(state.range(0)), qtr::kLz77BlockSize);
  std::vector<uint8_t> coded(input.size() + qtr::kLz77OutputSlack), out(input.size());
  qtr::CCompressLZ77 coder;
  const int size = coder.Compress(input.data(), input.size(), coded.data(), coded.size());
  if (size <= 0) {
    state.SkipWithError("stored raw");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(coder.Decompress(out.data(), out.size(), coded.data(), size));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  state.SetLabel(kKinds[state.range(0)]);
}
BENCHMARK(BM_Decompress)->Arg(0)->Arg(1)->Arg(3);

// 8 MiB through WriteContainer between in-memory files, one or two threads.
void BM_WriteContainer(benchmark::State& state) {
  const auto input = Sample(1, 8 << 20);
  qtr::MemoryFileSystem fs;
  fs.AddVolume(u'C', qtr::MemoryFileSystem::Kind::kNtfs);
  fs.PutFile(u"C:\\in", std::string(input.begin(), input.end()));
  for (auto _ : state) {
    std::unique_ptr<qtr::File> in, out;
    fs.Open(u"C:\\in", qtr::OpenMode::kReadExisting, &in);
    fs.Open(u"C:\\out", qtr::OpenMode::kWriteTruncate, &out);
    benchmark::DoNotOptimize(
        qtr::WriteContainer(*in, input.size(), *out, nullptr, static_cast<unsigned>(state.range(0))).Ok());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_WriteContainer)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

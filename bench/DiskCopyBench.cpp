// Copy of a 1 GiB simulated disk, cylinder by cylinder, between two image
// files. With --source=IMAGE --target=IMAGE it copies those images once and
// exits (the side-by-side script with dd times that); otherwise it runs as
// a benchmark on images of its own in a temporary folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "devices/DeviceServices.h"
#include "devices/SimulatedDevices.h"
#include "diskcopy/DiskCopyJob.h"
#include "platform/Utf8.h"

namespace {

// 130 cylinders of 255 x 63 x 512 bytes: the whole cylinders of 1 GiB.
constexpr int kCylinders = 130;
constexpr uint64_t kCapacity = 1ull << 30;

std::string sourceImage;
std::string targetImage;

void MakeSourceImage(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::mt19937_64 random(42);
  std::vector<uint64_t> block(1 << 17);
  for (uint64_t written = 0; written < kCapacity; written += block.size() * sizeof(uint64_t)) {
    for (uint64_t& word : block) word = random();
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 8));
  }
}

class Silent final : public qtr::MessageSeam {
 public:
  void ShowPlainMessage(std::u16string_view text) override {
    std::fprintf(stderr, "message: %s\n", qtr::Utf16ToUtf8(text).c_str());
  }
};

std::string Description() {
  return "[disk]\npath = \\\\?\\source\nimage = " + sourceImage +
         "\nvendor = QTR\nproduct = Source\nnumber = 1\ngeometry = " + std::to_string(kCylinders) +
         " 255 63 512\ncapacity = " + std::to_string(kCapacity) +
         "\n[disk]\npath = \\\\?\\target\nimage = " + targetImage +
         "\nvendor = QTR\nproduct = Target\nnumber = 2\ngeometry = " + std::to_string(kCylinders) +
         " 255 63 512\ncapacity = " + std::to_string(kCapacity) + "\n";
}

// The two disks as the device list holds them, without the probe (which
// would write a password record into the source image).
void FillList(qtr::DeviceList& list) {
  for (const char16_t* path : {u"\\\\?\\source", u"\\\\?\\target"}) {
    qtr::CUSBDevice disk;
    disk.m_devicePath = path;
    disk.m_deviceNumber = static_cast<uint32_t>(list.Size() + 1);
    list.Insert(disk);
  }
}

// One copy outside the benchmark framework; 0 when it succeeded.
int CopyOnce() {
  std::u16string message;
  auto devices = qtr::SimulatedDevices::Parse(Description(), u"", message);
  if (!devices) {
    std::fprintf(stderr, "%s\n", qtr::Utf16ToUtf8(message).c_str());
    return 1;
  }
  Silent messages;
  qtr::ScopedDeviceServices installed(devices.get(), &messages);
  qtr::DeviceList list;
  FillList(list);
  qtr::DiskCopyJob job;
  job.source = 0;
  job.target = 1;
  qtr::RunDiskCopy(job, list);
  return job.success == 1 ? 0 : 1;
}

void BM_DiskCopy1GiB(benchmark::State& state) {
  std::u16string message;
  auto devices = qtr::SimulatedDevices::Parse(Description(), u"", message);
  if (!devices) {
    state.SkipWithError(qtr::Utf16ToUtf8(message).c_str());
    return;
  }
  Silent messages;
  qtr::ScopedDeviceServices installed(devices.get(), &messages);
  qtr::DeviceList list;
  FillList(list);
  for (auto _ : state) {
    qtr::DiskCopyJob job;
    job.source = 0;
    job.target = 1;
    qtr::RunDiskCopy(job, list);
    if (job.success != 1) state.SkipWithError("copy failed");
    state.SetBytesProcessed(state.bytes_processed() + static_cast<int64_t>(job.copied.load()));
  }
}
BENCHMARK(BM_DiskCopy1GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--source=", 0) == 0)
      sourceImage = arg.substr(9);
    else if (arg.rfind("--target=", 0) == 0)
      targetImage = arg.substr(9);
    else
      rest.push_back(argv[i]);
  }
  if (!sourceImage.empty() && !targetImage.empty()) return CopyOnce();
  std::filesystem::path folder;
  {
    folder = std::filesystem::temp_directory_path() / "qtr-diskcopy-bench";
    std::filesystem::create_directories(folder);
    sourceImage = (folder / "source.img").string();
    targetImage = (folder / "target.img").string();
    MakeSourceImage(sourceImage);
  }
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!folder.empty()) std::filesystem::remove_all(folder);
  return 0;
}

// One check change of the source tree on selection files that hold 10,000
// paths: both files are read, edited and written whole, as on every click.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/PathList.h"
#include "config/SelectionFiles.h"
#include "config/SelectionStates.h"

namespace {

using qtr::CheckState;
using Paths = std::vector<std::u16string>;

// 10,000 files in 100 folders of 100, with names of a realistic length.
Paths TenThousandPaths() {
  Paths paths;
  for (int folder = 0; folder < 100; ++folder)
    for (int file = 0; file < 100; ++file)
      paths.push_back(u"C:\\Users\\someone\\Documents\\Project " + std::u16string(1, u'A' + folder % 26) +
                      std::u16string(folder / 26 + 1, u'x') + u"\\report " +
                      std::u16string(file % 10 + 1, u'0') + u" & notes.txt");
  return paths;
}

class SelectionFolder {
 public:
  SelectionFolder() {
    dir_ = std::filesystem::temp_directory_path() / ("qtr-selection-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    folder_ = dir_.u16string() + u"/";
  }
  ~SelectionFolder() { std::filesystem::remove_all(dir_); }
  const std::u16string& Folder() const { return folder_; }
  void Fill(const Paths& paths) const {
    qtr::SelectionFiles files(folder_);
    qtr::WritePathList(files.BackupPathsPath(), paths);
    qtr::WriteCheckedPaths(files.CheckStatePath(), paths);
  }

 private:
  std::filesystem::path dir_;
  std::u16string folder_;
};

const qtr::ChildrenOf kNoChildren = [](const std::u16string&) { return Paths{}; };

// Ticking one more file and unticking it again: two clicks per iteration.
void CheckAndUncheckOneFile(benchmark::State& state) {
  SelectionFolder folder;
  folder.Fill(TenThousandPaths());
  const qtr::SelectionFiles files(folder.Folder());
  const std::u16string extra = u"D:\\Music\\album\\track 01.mp3";
  for (auto _ : state) {
    files.ApplyCheckChange(extra, CheckState::kChecked, kNoChildren);
    files.ApplyCheckChange(extra, CheckState::kUnchecked, kNoChildren);
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(CheckAndUncheckOneFile)->Unit(benchmark::kMillisecond);

// Unticking a folder that holds 100 of the paths, then ticking it again.
void UncheckAndCheckAFolder(benchmark::State& state) {
  SelectionFolder folder;
  const Paths paths = TenThousandPaths();
  folder.Fill(paths);
  const qtr::SelectionFiles files(folder.Folder());
  const std::u16string project = paths[5000].substr(0, paths[5000].rfind(u'\\'));
  for (auto _ : state) {
    files.ApplyCheckChange(project, CheckState::kUnchecked, kNoChildren);
    files.ApplyCheckChange(project, CheckState::kChecked, kNoChildren);
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(UncheckAndCheckAFolder)->Unit(benchmark::kMillisecond);

// What the backup job and the tree do once per start.
void ReadBack(benchmark::State& state) {
  SelectionFolder folder;
  folder.Fill(TenThousandPaths());
  const qtr::SelectionFiles files(folder.Folder());
  for (auto _ : state) {
    benchmark::DoNotOptimize(qtr::ReadPathList(files.BackupPathsPath()));
    qtr::SelectionStates states;
    benchmark::DoNotOptimize(states.Load(files.CheckStatePath()));
  }
}
BENCHMARK(ReadBack)->Unit(benchmark::kMillisecond);

}  // namespace

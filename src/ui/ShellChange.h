// What a change that the shell reports (a file created, a folder renamed, a
// drive added) means for the trees that show the file system. The main
// window receives the notification; this decides which tree operations follow.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qtr {

// The shell's event codes (SHCNE_*).
enum ShellEvent : uint32_t {
  kShellRenameItem = 0x1,
  kShellCreate = 0x2,
  kShellDelete = 0x4,
  kShellMakeDirectory = 0x8,
  kShellRemoveDirectory = 0x10,
  kShellMediaInserted = 0x20,
  kShellMediaRemoved = 0x40,
  kShellDriveRemoved = 0x80,
  kShellDriveAdd = 0x100,
  kShellNetShare = 0x200,
  kShellUpdateDirectory = 0x1000,
  kShellRenameFolder = 0x20000,
};

// The trees (and what stands behind them) as the main window sees them.
class ShellChangeSink {
 public:
  virtual ~ShellChangeSink() = default;
  virtual void AddPath(const std::u16string& path) = 0;
  virtual void RemovePath(const std::u16string& path) = 0;
  // Same folder, new name: the item keeps its check state.
  virtual void RenameInPlace(const std::u16string& oldPath, const std::u16string& newPath) = 0;
  virtual void DriveArrived(const std::u16string& path) = 0;
  // Also tells a running backup or restore that the drive went away.
  virtual void DriveRemoved(const std::u16string& path) = 0;
  virtual void UpdateShare(const std::u16string& path) = 0;
  virtual void RefreshFolder(const std::u16string& path) = 0;
  // After every handled change: the page container looks at the devices again.
  virtual void ChangeHandled() = 0;
};

// Hands every change to several sinks in the order they were added (the
// trees that follow the file system).
class ShellChangeSinks : public ShellChangeSink {
 public:
  // A sink added twice is kept once; the sinks are not owned.
  void Add(ShellChangeSink* sink);
  void Remove(ShellChangeSink* sink);
  bool Empty() const { return sinks_.empty(); }

  void AddPath(const std::u16string& path) override;
  void RemovePath(const std::u16string& path) override;
  void RenameInPlace(const std::u16string& oldPath, const std::u16string& newPath) override;
  void DriveArrived(const std::u16string& path) override;
  void DriveRemoved(const std::u16string& path) override;
  void UpdateShare(const std::u16string& path) override;
  void RefreshFolder(const std::u16string& path) override;
  void ChangeHandled() override;

 private:
  std::vector<ShellChangeSink*> sinks_;
};

// Routes one notification; first and second are the two paths the shell
// gives (empty when an item has no file-system path). Nothing happens when
// the first path is empty.
void RouteShellChange(uint32_t event, const std::u16string& first, const std::u16string& second,
                      ShellChangeSink& sink);

}  // namespace qtr

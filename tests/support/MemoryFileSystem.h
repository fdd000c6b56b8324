// A FileSystem held in memory, for tests: volumes by drive letter that
// behave like NTFS or like a FAT volume without per-file compression, and
// switches that make an open, a read at byte N or a write fail, or a
// volume run out of space; and a power-cut mode that shows what a volume
// could hold after the power failed at any step. Safe to use from several
// threads.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace qtr {

class MemoryFileSystem : public FileSystem {
 public:
  enum class Kind { kNtfs, kFat32, kExFat };

  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // Adds drive letter ('C') with a volume of that kind and capacity.
  void AddVolume(char16_t letter, Kind kind, uint64_t capacity = uint64_t{1} << 40);
  void SetCapacity(char16_t letter, uint64_t capacity);
  // The volume is pulled: it and all it held are gone, open files included.
  void RemoveVolume(char16_t letter);

  // Every open of path fails with error (0 switches it off).
  void FailOpen(std::u16string_view path, uint32_t error);
  // Reads of path fail with error once they reach byte offset.
  void FailReadAt(std::u16string_view path, uint64_t offset, uint32_t error);
  // Writes into files under prefix fail with error once a file holds offset bytes.
  void FailWritesAt(std::u16string_view prefix, uint64_t offset, uint32_t error);
  // Flushes of files under prefix fail with error.
  void FailFlushes(std::u16string_view prefix, uint32_t error);
  // No file or folder can be made under prefix: each try fails with error.
  void FailCreates(std::u16string_view prefix, uint32_t error);
  void ClearFaults();
  // The volume of letter has a Recycle Bin (each has one until told otherwise).
  void SetRecycleBin(char16_t letter, bool present);
  // Moving path to the Recycle Bin fails with error; the file stays.
  void FailRecycle(std::u16string_view path, uint32_t error);
  // Renames to a path under prefix fail with error.
  void FailRenamesTo(std::u16string_view prefix, uint32_t error);
  // What went to the Recycle Bins, in order: each file's path then and its bytes.
  std::vector<std::pair<std::u16string, std::string>> RecycledFiles() const;
  // Files larger than this cannot be written on the volume (as 4 GiB on FAT32).
  void SetMaxFileSize(char16_t letter, uint64_t bytes);
  // Called after every write with the file's path and its new size, outside the lock.
  void SetWriteHook(std::function<void(const std::u16string& path, uint64_t size)> hook);
  // Called before every flush of an open file with its path, outside the lock.
  void SetFlushHook(std::function<void(const std::u16string& path)> hook);

  // Setting the times and attributes of an open file under prefix fails with error.
  void FailSetInfo(std::u16string_view prefix, uint32_t error);
  // Plants a link at path (its folders made as needed) to the folder
  // target, as a junction or a symbolic link is: listed and looked up as
  // itself with kAttributeReparsePoint, followed by every path through it,
  // and by opening, listing, setting times of path itself. A drive "G:" as
  // path makes G: another letter for the volume at target.
  void AddLink(std::u16string_view path, std::u16string_view target);
  // How many times folder was listed.
  uint32_t ListCount(std::u16string_view folder) const;

  // Power cuts. From now on, what the volume of letter holds counts as on
  // its disk; later changes reach the disk only when a file is flushed: a
  // flush makes that file's bytes durable, and on NTFS every change of
  // names, attributes and times made so far. A FAT-family volume keeps no
  // journal: a flush carries only the file's own directory entry (its
  // creation, rename, times and attributes) and the folders on its path,
  // and a rename that replaces a file is two changes, the old file's
  // removal and the rename, which a cut may tear apart. After `steps` more changes (writes,
  // creations, removals, renames, attribute and time changes, flushes) the
  // power fails: every further change on the volume fails and does nothing.
  void CutPowerAfter(char16_t letter, uint64_t steps);
  bool PowerWasCut() const;
  // Changes of names, attributes and times made after the last flush; any
  // combination of them may have reached the disk.
  size_t PendingChanges() const;
  // The files (path -> bytes) on the volume after the restart, when the
  // pending changes whose bit is set in survivors reached the disk, in
  // their order, and nothing else did. A file whose bytes were not all
  // flushed comes back torn: its new size, the bytes that were on the disk
  // before, zeros after them.
  std::map<std::u16string, std::string> FilesAfterRestart(uint64_t survivors) const;
  // Makes that state the volume's own and ends the power-cut mode.
  void Restart(uint64_t survivors);
  // Makes copy (a new, empty one) hold every volume as this one holds it,
  // the cut volume as it would be after Restart(survivors); this one stays.
  void CopyAfterRestart(uint64_t survivors, MemoryFileSystem* copy) const;

  // The clock that stamps creation and writes; advances by one second per stamp.
  void SetNow(uint64_t fileTime);

  // Test conveniences: folders are made as needed; false when something is in the way.
  bool PutFile(std::u16string_view path, std::string_view bytes, uint32_t attributes = kAttributeArchive);
  bool GetFile(std::u16string_view path, std::string* bytes) const;
  bool Exists(std::u16string_view path) const;
  // Every path on the volumes, folders included, in the form given at creation.
  std::vector<std::u16string> AllPaths() const;

  uint32_t Open(std::u16string_view path, OpenMode mode, std::unique_ptr<File>* file) override;
  uint32_t Find(std::u16string_view path, FindEntry* entry) override;
  uint32_t List(std::u16string_view folder, std::unique_ptr<FolderListing>* listing) override;
  uint32_t GetIdentity(std::u16string_view path, FileIdentity* identity) override;
  uint32_t GetAttributes(std::u16string_view path, uint32_t* attributes) override;
  uint32_t SetAttributes(std::u16string_view path, uint32_t attributes) override;
  uint32_t SetTimes(std::u16string_view path, const FileTimes& times) override;
  uint32_t SetCompression(std::u16string_view path, bool compressed) override;
  uint32_t CreateFolder(std::u16string_view path) override;
  uint32_t RemoveFolder(std::u16string_view path) override;
  uint32_t RemoveFile(std::u16string_view path) override;
  uint32_t Rename(std::u16string_view from, std::u16string_view to) override;
  uint32_t MoveToRecycleBin(std::u16string_view path) override;
  uint32_t FreeSpace(std::u16string_view path, uint64_t* bytes) override;
  uint32_t GetVolumeInfo(std::u16string_view path, VolumeInfo* info) override;

 private:
  struct Node;
  struct Volume;
  struct PendingChange;
  struct PowerCut;
  class MemoryFile;
  friend class MemoryFile;

  static std::u16string KeyOf(std::u16string_view path);
  std::u16string Resolve(std::u16string_view path, bool follow) const;
  Volume* VolumeOf(const std::u16string& key);
  Node* Lookup(const std::u16string& key);
  uint32_t ParentError(const std::u16string& key);
  uint64_t Stamp();
  FindEntry EntryOf(const Node& node) const;
  uint32_t RenameLocked(std::u16string_view from, std::u16string_view to);
  bool PutFileLocked(std::u16string_view path, std::string_view bytes, uint32_t attributes);
  bool MakeParentsLocked(std::u16string_view path);
  // Power cuts: false when the change must fail (the power is off); counts the step.
  bool Step(const std::u16string& key);
  void Record(PendingChange change);
  void FlushLocked(const std::u16string& key);
  std::map<std::u16string, Node> NodesAfterRestart(uint64_t survivors) const;
  // Replays one pending change onto what a disk holds.
  static void ApplyChange(const PendingChange& change, std::map<std::u16string, Node>* disk,
                          std::set<const std::string*>* truncated);

  mutable std::mutex mutex_;
  std::map<char16_t, Volume> volumes_;
  std::map<std::u16string, Node> nodes_;  // by upper-cased path; roots are implicit
  std::map<std::u16string, uint32_t> openFaults_;
  std::map<std::u16string, std::pair<uint64_t, uint32_t>> readFaults_;
  std::u16string writeFaultPrefix_;
  uint64_t writeFaultOffset_ = 0;
  uint32_t writeFaultError_ = 0;
  std::u16string createFaultPrefix_;
  uint32_t createFaultError_ = 0;
  uint64_t now_ = 0;
  std::function<void(const std::u16string&, uint64_t)> writeHook_;
  std::function<void(const std::u16string&)> flushHook_;
  std::u16string flushFaultPrefix_;
  uint32_t flushFaultError_ = 0;
  std::map<std::u16string, uint32_t> recycleFaults_;
  std::u16string renameFaultPrefix_;
  uint32_t renameFaultError_ = 0;
  std::vector<std::pair<std::u16string, std::string>> recycled_;
  std::u16string setInfoFaultPrefix_;
  uint32_t setInfoFaultError_ = 0;
  std::map<std::u16string, uint32_t> listCounts_;
  std::unique_ptr<PowerCut> powerCut_;
  std::map<std::u16string, std::u16string> links_;  // key of a link -> the path it leads to
};

}  // namespace qtr

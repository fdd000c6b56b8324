#include "support/MemoryFileSystem.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/SystemError.h"

namespace qtr {

struct MemoryFileSystem::Node {
  std::u16string path;  // as given when it was made
  bool folder = false;
  uint32_t attributes = 0;
  FileTimes times;
  std::shared_ptr<std::string> data;
};

struct MemoryFileSystem::Volume {
  VolumeInfo info;
  uint64_t capacity = 0;
  uint64_t used = 0;
  bool recycleBin = true;
};

// A change of names, attributes or times not yet on the disk. A file is
// known by its bytes' address, so that a change of one file never lands on
// another that took its name.
struct MemoryFileSystem::PendingChange {
  enum Kind { kMake, kRemove, kRename, kSetInfo, kTruncate };
  Kind kind;
  std::u16string key, toKey;
  Node node;  // kMake: what was made; kSetInfo: its attributes and times afterwards; else its identity
  // On a FAT-family volume, the file whose flush carries the change to the
  // disk: the file changed, or the one whose replacing rename removed it.
  const std::string* carrier = nullptr;
};

struct MemoryFileSystem::PowerCut {
  char16_t letter = 0;
  uint64_t stepsLeft = 0;
  bool cut = false;
  std::map<std::u16string, Node> disk;                  // names, attributes, times as on the disk
  std::map<const std::string*, std::string> diskBytes;  // each file's bytes as on the disk
  std::vector<PendingChange> pending;
};

namespace {

// Attributes SetFileAttributes can change; the others belong to the volume.
constexpr uint32_t kSettable = kSettableAttributes;
constexpr uint32_t kErrorNotReady = 21;  // the device is gone

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

bool IsRootKey(const std::u16string& key) { return key.size() == 3 && key[1] == u':' && key[2] == u'\\'; }

std::u16string ParentKey(const std::u16string& key) {
  const size_t slash = key.rfind(u'\\');
  if (slash == std::u16string::npos) return {};
  if (slash == 2) return key.substr(0, 3);
  return key.substr(0, slash);
}

std::u16string JoinPathText(std::u16string_view parent, std::u16string_view name) {
  std::u16string path(parent);
  if (path.empty() || path.back() != u'\\') path += u'\\';
  return path + std::u16string(name);
}

std::u16string NameOf(const std::u16string& path) {
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

}  // namespace

class MemoryFileSystem::MemoryFile : public File {
 public:
  MemoryFile(MemoryFileSystem* fs, std::u16string_view path, std::shared_ptr<std::string> data, bool read, bool write)
      : fs_(fs), key_(KeyOf(path)), originalPath_(path), data_(std::move(data)), read_(read), write_(write) {}

  uint32_t Read(void* buffer, size_t size, size_t* got) override {
    std::lock_guard lock(fs_->mutex_);
    *got = 0;
    if (!read_) return kErrorAccessDenied;
    uint64_t end = std::min<uint64_t>(data_->size(), position_ + size);
    if (auto fault = fs_->readFaults_.find(key_); fault != fs_->readFaults_.end()) {
      if (position_ >= fault->second.first) return fault->second.second;
      end = std::min(end, fault->second.first);  // the bytes before the bad spot still arrive
    }
    if (end > position_) {
      std::memcpy(buffer, data_->data() + position_, end - position_);
      *got = static_cast<size_t>(end - position_);
      position_ = end;
    }
    return 0;
  }

  uint32_t Write(const void* buffer, size_t size) override {
    std::function<void(const std::u16string&, uint64_t)> hook;
    uint64_t newSize = 0;
    const uint32_t error = WriteLocked(buffer, size, &hook, &newSize);
    if (error == 0 && hook) hook(key_, newSize);
    return error;
  }

  uint32_t WriteLocked(const void* buffer, size_t size, std::function<void(const std::u16string&, uint64_t)>* hook,
                       uint64_t* newSize) {
    std::lock_guard lock(fs_->mutex_);
    *hook = fs_->writeHook_;
    if (!write_) return kErrorAccessDenied;
    if (!fs_->Step(key_)) return kErrorNotReady;
    Volume* volume = fs_->VolumeOf(key_);
    if (volume == nullptr) return kErrorPathNotFound;
    const uint64_t end = position_ + size;
    if (fs_->writeFaultError_ != 0 && key_.starts_with(fs_->writeFaultPrefix_) && end > fs_->writeFaultOffset_)
      return fs_->writeFaultError_;
    if (end > volume->info.maxFileSize) return kErrorFileTooLarge;
    const uint64_t grow = end > data_->size() ? end - data_->size() : 0;
    if (volume->used + grow > volume->capacity) return kErrorDiskFull;
    volume->used += grow;
    if (end > data_->size()) data_->resize(static_cast<size_t>(end));
    std::memcpy(data_->data() + position_, buffer, size);
    position_ = end;
    if (Node* node = fs_->Lookup(key_)) node->times.lastWrite = fs_->Stamp();
    *newSize = data_->size();
    return 0;
  }

  uint32_t Seek(uint64_t offset) override {
    position_ = offset;
    return 0;
  }

  uint32_t Size(uint64_t* size) override {
    std::lock_guard lock(fs_->mutex_);
    *size = data_->size();
    return 0;
  }
  uint32_t GetInfo(FindEntry* info) override {
    std::lock_guard lock(fs_->mutex_);
    const Node* node = fs_->Lookup(key_);
    if (node == nullptr) return kErrorFileNotFound;
    *info = fs_->EntryOf(*node);
    info->name.clear();
    return 0;
  }
  uint32_t SetTimesAndAttributes(const FileTimes& times, uint32_t attributes) override {
    std::lock_guard lock(fs_->mutex_);
    if (!write_) return kErrorAccessDenied;
    Node* node = fs_->Lookup(key_);
    if (node == nullptr) return kErrorFileNotFound;
    // As the volume does: a bit it does not let a program set refuses the whole request.
    if ((attributes & ~(kSettable | kAttributeNormal)) != 0) return kErrorInvalidParameter;
    if (fs_->setInfoFaultError_ != 0 && key_.starts_with(fs_->setInfoFaultPrefix_)) return fs_->setInfoFaultError_;
    if (!fs_->Step(key_)) return kErrorNotReady;
    node->times = times;
    if (fs_->VolumeOf(key_)->info.coarseTimes) node->times.lastWrite -= node->times.lastWrite % 20'000'000;
    node->attributes = (node->attributes & ~kSettable) | (attributes & kSettable);
    fs_->Record({PendingChange::kSetInfo, key_, {}, *node});
    return 0;
  }
  uint32_t Flush() override {
    std::function<void(const std::u16string&)> hook;
    {
      std::lock_guard lock(fs_->mutex_);
      hook = fs_->flushHook_;
    }
    if (hook) hook(key_);
    std::lock_guard lock(fs_->mutex_);
    if (!write_) return kErrorAccessDenied;
    if (fs_->Lookup(key_) == nullptr) return kErrorFileNotFound;
    if (fs_->flushFaultError_ != 0 && key_.starts_with(fs_->flushFaultPrefix_)) return fs_->flushFaultError_;
    if (!fs_->Step(key_)) return kErrorNotReady;
    fs_->FlushLocked(key_);
    return 0;
  }
  uint32_t RenameTo(std::u16string_view path) override {
    const uint32_t error = fs_->RenameLocked(originalPath_, path);
    if (error == 0) {
      std::lock_guard lock(fs_->mutex_);
      originalPath_ = fs_->Resolve(path, false);
      key_ = KeyOf(originalPath_);
    }
    return error;
  }
  uint32_t SetCompression(bool compressed) override {
    std::lock_guard lock(fs_->mutex_);
    Node* node = fs_->Lookup(key_);
    if (node == nullptr) return kErrorFileNotFound;
    if (!write_ || !fs_->VolumeOf(key_)->info.supportsFileCompression) return kErrorInvalidFunction;
    if (!fs_->Step(key_)) return kErrorNotReady;
    node->attributes =
        compressed ? (node->attributes | kAttributeCompressed) : (node->attributes & ~kAttributeCompressed);
    fs_->Record({PendingChange::kSetInfo, key_, {}, *node});
    return 0;
  }

 private:
  MemoryFileSystem* fs_;
  std::u16string key_;
  std::u16string originalPath_;
  std::shared_ptr<std::string> data_;
  bool read_;
  bool write_;
  uint64_t position_ = 0;
};

namespace {

class MemoryListing : public FolderListing {
 public:
  explicit MemoryListing(std::vector<FindEntry> entries) : entries_(std::move(entries)) {}
  bool Next(FindEntry* entry) override {
    if (next_ >= entries_.size()) return false;
    *entry = std::move(entries_[next_++]);
    return true;
  }

 private:
  std::vector<FindEntry> entries_;
  size_t next_ = 0;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() = default;
MemoryFileSystem::~MemoryFileSystem() = default;

std::u16string MemoryFileSystem::KeyOf(std::u16string_view path) {
  std::u16string key(path);
  std::transform(key.begin(), key.end(), key.begin(), Upper);
  if (key.size() == 2 && key[1] == u':') key += u'\\';
  while (key.size() > 3 && key.back() == u'\\') key.pop_back();
  return key;
}

MemoryFileSystem::Volume* MemoryFileSystem::VolumeOf(const std::u16string& key) {
  if (key.size() < 3 || key[1] != u':' || key[2] != u'\\') return nullptr;
  auto it = volumes_.find(key[0]);
  return it == volumes_.end() ? nullptr : &it->second;
}

MemoryFileSystem::Node* MemoryFileSystem::Lookup(const std::u16string& key) {
  auto it = nodes_.find(key);
  return it == nodes_.end() ? nullptr : &it->second;
}

// Why a path cannot be made: its volume or parent folder is missing.
uint32_t MemoryFileSystem::ParentError(const std::u16string& key) {
  if (VolumeOf(key) == nullptr) return kErrorPathNotFound;
  const std::u16string parent = ParentKey(key);
  if (IsRootKey(parent)) return 0;
  const Node* node = Lookup(parent);
  return node != nullptr && node->folder ? 0 : kErrorPathNotFound;
}

uint64_t MemoryFileSystem::Stamp() {
  now_ += 10'000'000;
  return now_;
}

FindEntry MemoryFileSystem::EntryOf(const Node& node) const {
  FindEntry entry;
  entry.name = NameOf(node.path);
  entry.attributes = node.folder ? (node.attributes | kAttributeDirectory)
                                 : (node.attributes == 0 ? kAttributeNormal : node.attributes);
  entry.size = node.folder ? 0 : node.data->size();
  entry.times = node.times;
  return entry;
}

void MemoryFileSystem::AddVolume(char16_t letter, Kind kind, uint64_t capacity) {
  std::lock_guard lock(mutex_);
  Volume volume;
  volume.capacity = capacity;
  switch (kind) {
    case Kind::kNtfs:
      volume.info = {u"NTFS", true, false, UINT64_MAX};
      break;
    case Kind::kFat32:
      volume.info = {u"FAT32", false, true, 0xFFFFFFFFull};
      break;
    case Kind::kExFat:
      volume.info = {u"exFAT", false, true, UINT64_MAX};
      break;
  }
  volumes_[Upper(letter)] = volume;
}

void MemoryFileSystem::RemoveVolume(char16_t letter) {
  std::lock_guard lock(mutex_);
  volumes_.erase(Upper(letter));
  for (auto it = nodes_.begin(); it != nodes_.end();) it = it->first[0] == Upper(letter) ? nodes_.erase(it) : std::next(it);
}

void MemoryFileSystem::SetCapacity(char16_t letter, uint64_t capacity) {
  std::lock_guard lock(mutex_);
  volumes_[Upper(letter)].capacity = capacity;
}

void MemoryFileSystem::FailOpen(std::u16string_view path, uint32_t error) {
  std::lock_guard lock(mutex_);
  if (error == 0) {
    openFaults_.erase(KeyOf(path));
  } else {
    openFaults_[KeyOf(path)] = error;
  }
}

void MemoryFileSystem::FailReadAt(std::u16string_view path, uint64_t offset, uint32_t error) {
  std::lock_guard lock(mutex_);
  readFaults_[KeyOf(path)] = {offset, error};
}

void MemoryFileSystem::FailWritesAt(std::u16string_view prefix, uint64_t offset, uint32_t error) {
  std::lock_guard lock(mutex_);
  writeFaultPrefix_ = KeyOf(prefix);
  writeFaultOffset_ = offset;
  writeFaultError_ = error;
}

void MemoryFileSystem::FailFlushes(std::u16string_view prefix, uint32_t error) {
  std::lock_guard lock(mutex_);
  flushFaultPrefix_ = KeyOf(prefix);
  flushFaultError_ = error;
}

void MemoryFileSystem::FailCreates(std::u16string_view prefix, uint32_t error) {
  std::lock_guard lock(mutex_);
  createFaultPrefix_ = KeyOf(prefix);
  createFaultError_ = error;
}

void MemoryFileSystem::SetRecycleBin(char16_t letter, bool present) {
  std::lock_guard lock(mutex_);
  volumes_[Upper(letter)].recycleBin = present;
}

void MemoryFileSystem::FailRecycle(std::u16string_view path, uint32_t error) {
  std::lock_guard lock(mutex_);
  recycleFaults_[KeyOf(path)] = error;
}

void MemoryFileSystem::FailRenamesTo(std::u16string_view prefix, uint32_t error) {
  std::lock_guard lock(mutex_);
  renameFaultPrefix_ = KeyOf(prefix);
  renameFaultError_ = error;
}

std::vector<std::pair<std::u16string, std::string>> MemoryFileSystem::RecycledFiles() const {
  std::lock_guard lock(mutex_);
  return recycled_;
}

void MemoryFileSystem::ClearFaults() {
  std::lock_guard lock(mutex_);
  recycleFaults_.clear();
  renameFaultError_ = 0;
  createFaultError_ = 0;
  openFaults_.clear();
  readFaults_.clear();
  writeFaultError_ = 0;
  setInfoFaultError_ = 0;
  flushFaultError_ = 0;
}

void MemoryFileSystem::CopyAfterRestart(uint64_t survivors, MemoryFileSystem* copy) const {
  std::lock_guard lock(mutex_);
  std::lock_guard other(copy->mutex_);
  copy->volumes_ = volumes_;
  copy->nodes_.clear();
  copy->now_ = now_;
  const auto deep = [](Node node) {
    if (node.data) node.data = std::make_shared<std::string>(*node.data);
    return node;
  };
  const char16_t letter = powerCut_ != nullptr ? powerCut_->letter : 0;
  for (const auto& [key, node] : nodes_)
    if (key[0] != letter) copy->nodes_[key] = deep(node);
  if (powerCut_ == nullptr) return;
  uint64_t used = 0;
  for (auto& [key, node] : NodesAfterRestart(survivors)) {
    if (!node.folder) used += node.data->size();
    copy->nodes_[key] = deep(node);
  }
  copy->volumes_[letter].used = used;
}

void MemoryFileSystem::FailSetInfo(std::u16string_view prefix, uint32_t error) {
  std::lock_guard lock(mutex_);
  setInfoFaultPrefix_ = KeyOf(prefix);
  setInfoFaultError_ = error;
}

uint32_t MemoryFileSystem::ListCount(std::u16string_view folder) const {
  std::lock_guard lock(mutex_);
  auto it = listCounts_.find(KeyOf(folder));
  return it == listCounts_.end() ? 0 : it->second;
}

void MemoryFileSystem::SetMaxFileSize(char16_t letter, uint64_t bytes) {
  std::lock_guard lock(mutex_);
  volumes_[Upper(letter)].info.maxFileSize = bytes;
}

void MemoryFileSystem::SetFlushHook(std::function<void(const std::u16string& path)> hook) {
  std::lock_guard lock(mutex_);
  flushHook_ = std::move(hook);
}

void MemoryFileSystem::SetWriteHook(std::function<void(const std::u16string& path, uint64_t size)> hook) {
  std::lock_guard lock(mutex_);
  writeHook_ = std::move(hook);
}

void MemoryFileSystem::SetNow(uint64_t fileTime) {
  std::lock_guard lock(mutex_);
  now_ = fileTime;
}

bool MemoryFileSystem::MakeParentsLocked(std::u16string_view path) {
  const std::u16string key = KeyOf(path);
  if (VolumeOf(key) == nullptr) return false;
  for (size_t slash = key.find(u'\\', 3); slash != std::u16string::npos; slash = key.find(u'\\', slash + 1)) {
    const std::u16string folder = key.substr(0, slash);
    Node* node = Lookup(folder);
    if (node == nullptr) {
      Node made;
      made.path = std::u16string(path.substr(0, slash));
      made.folder = true;
      made.times = {Stamp(), now_, now_};
      nodes_[folder] = std::move(made);
    } else if (!node->folder) {
      return false;
    }
  }
  return true;
}

bool MemoryFileSystem::PutFileLocked(std::u16string_view path, std::string_view bytes, uint32_t attributes) {
  const std::u16string key = KeyOf(path);
  if (!MakeParentsLocked(path)) return false;
  Volume* volume = VolumeOf(key);
  Node* existing = Lookup(key);
  if (existing != nullptr && existing->folder) return false;
  if (existing != nullptr) volume->used -= existing->data->size();
  Node node;
  node.path = std::u16string(path);
  node.attributes = attributes & ~kAttributeDirectory;  // any bit, as a source file may carry those of its volume
  node.times = {Stamp(), now_, now_};
  node.data = std::make_shared<std::string>(bytes);
  volume->used += bytes.size();
  nodes_[key] = std::move(node);
  return true;
}

bool MemoryFileSystem::PutFile(std::u16string_view path, std::string_view bytes, uint32_t attributes) {
  std::lock_guard lock(mutex_);
  return PutFileLocked(path, bytes, attributes);
}

bool MemoryFileSystem::GetFile(std::u16string_view path, std::string* bytes) const {
  std::lock_guard lock(mutex_);
  auto it = nodes_.find(KeyOf(path));
  if (it == nodes_.end() || it->second.folder) return false;
  *bytes = *it->second.data;
  return true;
}

bool MemoryFileSystem::Exists(std::u16string_view path) const {
  std::lock_guard lock(mutex_);
  return nodes_.count(KeyOf(path)) != 0;
}

std::vector<std::u16string> MemoryFileSystem::AllPaths() const {
  std::lock_guard lock(mutex_);
  std::vector<std::u16string> paths;
  for (const auto& [key, node] : nodes_) paths.push_back(node.path);
  return paths;
}

uint32_t MemoryFileSystem::Open(std::u16string_view given, OpenMode mode, std::unique_ptr<File>* file) {
  std::lock_guard lock(mutex_);
  const std::u16string path = Resolve(given, true);
  const std::u16string key = KeyOf(path);
  if (auto fault = openFaults_.find(key); fault != openFaults_.end()) return fault->second;
  Node* node = Lookup(key);
  if (node != nullptr && node->folder) return kErrorAccessDenied;
  const bool write = mode != OpenMode::kReadExisting;
  if (mode == OpenMode::kReadExisting || mode == OpenMode::kReadWriteExisting) {
    if (node == nullptr) return ParentError(key) != 0 ? kErrorPathNotFound : kErrorFileNotFound;
    if (write && (node->attributes & kAttributeReadOnly) != 0) return kErrorAccessDenied;
    *file = std::make_unique<MemoryFile>(this, path, node->data, true, write);
    return 0;
  }
  if (node != nullptr) {
    if (mode == OpenMode::kWriteNew) return kErrorFileExists;
    if ((node->attributes & kAttributeReadOnly) != 0) return kErrorAccessDenied;
    if (!Step(key)) return kErrorNotReady;
    VolumeOf(key)->used -= node->data->size();
    node->data->clear();
    node->times.lastWrite = Stamp();
    Record({PendingChange::kTruncate, key, {}, *node});
  } else {
    if (const uint32_t error = ParentError(key); error != 0) return error;
    if (createFaultError_ != 0 && key.starts_with(createFaultPrefix_)) return createFaultError_;
    if (!Step(key)) return kErrorNotReady;
    Node made;
    made.path = std::u16string(path);
    made.attributes = kAttributeArchive;
    const uint64_t now = Stamp();
    made.times = {now, now, now};
    made.data = std::make_shared<std::string>();
    node = &(nodes_[key] = std::move(made));
    Record({PendingChange::kMake, key, {}, *node});
  }
  *file = std::make_unique<MemoryFile>(this, path, node->data, true, true);
  return 0;
}

uint32_t MemoryFileSystem::Find(std::u16string_view path, FindEntry* entry) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(path, false));
  const Node* node = Lookup(key);
  if (node == nullptr) return ParentError(key) != 0 ? kErrorPathNotFound : kErrorFileNotFound;
  *entry = EntryOf(*node);
  return 0;
}

uint32_t MemoryFileSystem::List(std::u16string_view folder, std::unique_ptr<FolderListing>* listing) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(folder, true));
  ++listCounts_[key];
  if (VolumeOf(key) == nullptr) return kErrorPathNotFound;
  if (!IsRootKey(key)) {
    const Node* node = Lookup(key);
    if (node == nullptr || !node->folder) return kErrorPathNotFound;
  }
  const std::u16string prefix = IsRootKey(key) ? key : key + u"\\";
  std::vector<FindEntry> entries;
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix); ++it) {
    if (it->first.find(u'\\', prefix.size()) == std::u16string::npos) entries.push_back(EntryOf(it->second));
  }
  *listing = std::make_unique<MemoryListing>(std::move(entries));
  return 0;
}

uint32_t MemoryFileSystem::GetAttributes(std::u16string_view path, uint32_t* attributes) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(path, false));
  if (IsRootKey(key) && VolumeOf(key) != nullptr) {
    *attributes = kAttributeDirectory;
    return 0;
  }
  const Node* node = Lookup(key);
  if (node == nullptr) {
    *attributes = kInvalidAttributes;
    return ParentError(key) != 0 ? kErrorPathNotFound : kErrorFileNotFound;
  }
  *attributes = EntryOf(*node).attributes;
  return 0;
}

uint32_t MemoryFileSystem::SetAttributes(std::u16string_view path, uint32_t attributes) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(path, false));
  Node* node = Lookup(key);
  if (node == nullptr) return ParentError(key) != 0 ? kErrorPathNotFound : kErrorFileNotFound;
  if (!Step(key)) return kErrorNotReady;
  node->attributes = (node->attributes & ~kSettable) | (attributes & kSettable);
  Record({PendingChange::kSetInfo, key, {}, *node});
  return 0;
}

uint32_t MemoryFileSystem::SetTimes(std::u16string_view path, const FileTimes& times) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(path, true));
  Node* node = Lookup(key);
  if (node == nullptr) return kErrorFileNotFound;
  if (!node->folder && (node->attributes & kAttributeReadOnly) != 0) return kErrorAccessDenied;
  if (!Step(key)) return kErrorNotReady;
  node->times = times;
  if (VolumeOf(key)->info.coarseTimes) node->times.lastWrite -= node->times.lastWrite % 20'000'000;
  Record({PendingChange::kSetInfo, key, {}, *node});
  return 0;
}

uint32_t MemoryFileSystem::SetCompression(std::u16string_view path, bool compressed) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(path, true));
  Node* node = Lookup(key);
  if (node == nullptr) return kErrorFileNotFound;
  if (!VolumeOf(key)->info.supportsFileCompression) return kErrorInvalidFunction;
  if (!node->folder && (node->attributes & kAttributeReadOnly) != 0) return kErrorAccessDenied;
  if (!Step(key)) return kErrorNotReady;
  node->attributes = compressed ? (node->attributes | kAttributeCompressed) : (node->attributes & ~kAttributeCompressed);
  Record({PendingChange::kSetInfo, key, {}, *node});
  return 0;
}

uint32_t MemoryFileSystem::CreateFolder(std::u16string_view path) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(path, false));
  if (IsRootKey(key) || Lookup(key) != nullptr) return kErrorAlreadyExists;
  if (const uint32_t error = ParentError(key); error != 0) return error;
  if (createFaultError_ != 0 && key.starts_with(createFaultPrefix_)) return createFaultError_;
  if (!Step(key)) return kErrorNotReady;
  Node made;
  made.path = std::u16string(path);
  while (made.path.size() > 3 && made.path.back() == u'\\') made.path.pop_back();
  made.folder = true;
  const uint64_t now = Stamp();
  made.times = {now, now, now};
  Record({PendingChange::kMake, key, {}, made});
  nodes_[key] = std::move(made);
  return 0;
}

uint32_t MemoryFileSystem::RemoveFolder(std::u16string_view path) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(path, false));
  Node* node = Lookup(key);
  if (node == nullptr || !node->folder) return kErrorFileNotFound;
  auto next = nodes_.upper_bound(key);
  if (next != nodes_.end() && next->first.starts_with(key + u"\\")) return kErrorDirNotEmpty;
  if (!Step(key)) return kErrorNotReady;
  Record({PendingChange::kRemove, key, {}, *node});
  nodes_.erase(key);
  links_.erase(key);
  return 0;
}

uint32_t MemoryFileSystem::RemoveFile(std::u16string_view path) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(path, false));
  if (auto fault = openFaults_.find(key); fault != openFaults_.end()) return fault->second;
  Node* node = Lookup(key);
  if (node == nullptr) return ParentError(key) != 0 ? kErrorPathNotFound : kErrorFileNotFound;
  if (node->folder || (node->attributes & kAttributeReadOnly) != 0) return kErrorAccessDenied;
  if (!Step(key)) return kErrorNotReady;
  Record({PendingChange::kRemove, key, {}, *node});
  VolumeOf(key)->used -= node->data->size();
  nodes_.erase(key);
  return 0;
}

uint32_t MemoryFileSystem::Rename(std::u16string_view from, std::u16string_view to) { return RenameLocked(from, to); }

uint32_t MemoryFileSystem::MoveToRecycleBin(std::u16string_view path) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(path, false));
  if (auto fault = recycleFaults_.find(key); fault != recycleFaults_.end()) return fault->second;
  Node* node = Lookup(key);
  if (node == nullptr) return ParentError(key) != 0 ? kErrorPathNotFound : kErrorFileNotFound;
  if (const Volume* volume = VolumeOf(key); volume == nullptr || !volume->recycleBin)
    return kErrorNoRecycleBin;
  if (node->folder || links_.count(key) != 0) return kErrorAccessDenied;
  // To the folder it leaves, a move into the bin is a removal; the bytes
  // stay on the volume.
  if (!Step(key)) return kErrorNotReady;
  Record({PendingChange::kRemove, key, {}, *node});
  recycled_.emplace_back(node->path, *node->data);
  nodes_.erase(key);
  return 0;
}

uint32_t MemoryFileSystem::RenameLocked(std::u16string_view givenFrom, std::u16string_view givenTo) {
  std::lock_guard lock(mutex_);
  const std::u16string from = Resolve(givenFrom, false), to = Resolve(givenTo, false);
  const std::u16string fromKey = KeyOf(from), toKey = KeyOf(to);
  Node* node = Lookup(fromKey);
  if (node == nullptr) return kErrorFileNotFound;
  if (links_.count(fromKey) != 0) return kErrorAccessDenied;  // links stay where they were planted
  if (fromKey[0] != toKey[0]) return 17;  // ERROR_NOT_SAME_DEVICE
  if (renameFaultError_ != 0 && toKey.starts_with(renameFaultPrefix_)) return renameFaultError_;
  if (const uint32_t error = ParentError(toKey); error != 0) return error;
  if (fromKey == toKey) return 0;
  if (const Node* target = Lookup(toKey);
      target != nullptr && (target->folder || node->folder || (target->attributes & kAttributeReadOnly) != 0))
    return kErrorAccessDenied;
  if (!Step(fromKey)) return kErrorNotReady;
  // A FAT-family volume replaces a file in two directory updates, which a
  // power cut may tear apart: the old entry removed, then the new one made.
  if (const Node* target = Lookup(toKey); target != nullptr && VolumeOf(toKey)->info.coarseTimes)
    Record({PendingChange::kRemove, toKey, {}, *target, node->data.get()});
  Record({PendingChange::kRename, fromKey, toKey, *node});
  if (Node* target = Lookup(toKey)) {
    if (target->folder || node->folder || (target->attributes & kAttributeReadOnly) != 0) return kErrorAccessDenied;
    VolumeOf(toKey)->used -= target->data->size();
    nodes_.erase(toKey);
    node = Lookup(fromKey);
  }
  // A folder takes everything under it along.
  std::vector<std::pair<std::u16string, Node>> moved;
  const std::u16string prefix = fromKey + u"\\";
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix);) {
    Node child = std::move(it->second);
    child.path = std::u16string(to) + child.path.substr(from.size());
    moved.emplace_back(toKey + it->first.substr(fromKey.size()), std::move(child));
    it = nodes_.erase(it);
  }
  Node self = std::move(*node);
  self.path = std::u16string(to);
  nodes_.erase(fromKey);
  nodes_[toKey] = std::move(self);
  for (auto& [key, child] : moved) nodes_[key] = std::move(child);
  return 0;
}

uint32_t MemoryFileSystem::FreeSpace(std::u16string_view path, uint64_t* bytes) {
  std::lock_guard lock(mutex_);
  const Volume* volume = VolumeOf(KeyOf(Resolve(path, true)));
  if (volume == nullptr) return kErrorPathNotFound;
  *bytes = volume->capacity > volume->used ? volume->capacity - volume->used : 0;
  return 0;
}

uint32_t MemoryFileSystem::GetVolumeInfo(std::u16string_view path, VolumeInfo* info) {
  std::lock_guard lock(mutex_);
  const Volume* volume = VolumeOf(KeyOf(Resolve(path, true)));
  if (volume == nullptr) return kErrorPathNotFound;
  *info = volume->info;
  return 0;
}

uint32_t MemoryFileSystem::GetIdentity(std::u16string_view path, FileIdentity* identity) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(Resolve(path, true));
  if (VolumeOf(key) == nullptr || (!IsRootKey(key) && Lookup(key) == nullptr)) return kErrorFileNotFound;
  identity->volume = key[0];
  identity->file = std::hash<std::u16string>{}(key);
  return 0;
}

void MemoryFileSystem::AddLink(std::u16string_view path, std::u16string_view target) {
  std::lock_guard lock(mutex_);
  const std::u16string key = KeyOf(path);
  links_[key] = Resolve(target, true);
  if (IsRootKey(key) || !MakeParentsLocked(path)) return;
  Node link;
  link.path = std::u16string(path);
  link.folder = true;
  link.attributes = kAttributeReparsePoint;
  link.times = {Stamp(), now_, now_};
  nodes_[key] = std::move(link);
}

// Each link on the way is followed, the last name's only when follow is
// set (a drive letter that stands for another volume always is).
std::u16string MemoryFileSystem::Resolve(std::u16string_view given, bool follow) const {
  // Shaped as KeyOf shapes a key, in the path's own spelling.
  std::u16string path(given);
  if (path.size() == 2 && path[1] == u':') path += u'\\';
  while (path.size() > 3 && path.back() == u'\\') path.pop_back();
  for (int hops = 0; hops < 32 && !links_.empty(); ++hops) {
    const std::u16string key = KeyOf(path);
    size_t found = 0;  // the length of the longest leading part that is a link
    for (size_t end = 3; end <= key.size(); ++end) {
      const bool whole = end == key.size();
      if (end != 3 && !whole && key[end] != u'\\') continue;
      if (end != 3 && whole && !follow) continue;
      if (links_.count(key.substr(0, end)) != 0) found = end;
    }
    if (found == 0) break;
    std::u16string rest = path.substr(found);
    if (!rest.empty() && rest[0] == u'\\') rest.erase(0, 1);
    const std::u16string& target = links_.at(key.substr(0, found));
    path = rest.empty() ? target : JoinPathText(target, rest);
  }
  return path;
}

// ---- Power cuts ----

void MemoryFileSystem::CutPowerAfter(char16_t letter, uint64_t steps) {
  std::lock_guard lock(mutex_);
  powerCut_ = std::make_unique<PowerCut>();
  powerCut_->letter = Upper(letter);
  powerCut_->stepsLeft = steps;
  for (const auto& [key, node] : nodes_) {
    if (key[0] != powerCut_->letter) continue;
    powerCut_->disk[key] = node;
    if (!node.folder) powerCut_->diskBytes[node.data.get()] = *node.data;
  }
}

bool MemoryFileSystem::PowerWasCut() const {
  std::lock_guard lock(mutex_);
  return powerCut_ != nullptr && powerCut_->cut;
}

size_t MemoryFileSystem::PendingChanges() const {
  std::lock_guard lock(mutex_);
  return powerCut_ == nullptr ? 0 : powerCut_->pending.size();
}

bool MemoryFileSystem::Step(const std::u16string& key) {
  if (powerCut_ == nullptr || key.empty() || key[0] != powerCut_->letter) return true;
  if (powerCut_->cut) return false;
  if (powerCut_->stepsLeft == 0) {
    powerCut_->cut = true;
    return false;
  }
  --powerCut_->stepsLeft;
  return true;
}

void MemoryFileSystem::Record(PendingChange change) {
  if (powerCut_ == nullptr || change.key[0] != powerCut_->letter) return;
  if (change.carrier == nullptr) change.carrier = change.node.data.get();
  powerCut_->pending.push_back(std::move(change));
}

// NTFS: the file's bytes, and every change of names, attributes and times so
// far, reach the disk. A FAT-family volume has no journal: a flush writes
// the file's bytes and its own directory entry (its creation, its rename
// and the removal that rename made, its times and attributes) and the
// folders on its path, and nothing of any other file.
void MemoryFileSystem::FlushLocked(const std::u16string& key) {
  if (powerCut_ == nullptr || key[0] != powerCut_->letter) return;
  if (VolumeOf(key)->info.coarseTimes) {
    const Node* flushed = Lookup(key);
    std::vector<PendingChange> rest;
    std::set<const std::string*> truncated;
    for (PendingChange& change : powerCut_->pending) {
      const bool onItsPath = change.kind == PendingChange::kMake && change.node.folder &&
                             key.starts_with(change.key + u"\\");
      if (change.carrier == flushed->data.get() || onItsPath) {
        ApplyChange(change, &powerCut_->disk, &truncated);
      } else {
        rest.push_back(std::move(change));
      }
    }
    powerCut_->pending = std::move(rest);
    powerCut_->diskBytes[flushed->data.get()] = *flushed->data;
    return;
  }
  std::map<std::u16string, Node> disk;
  std::map<const std::string*, std::string> bytes;
  for (const auto& [k, node] : nodes_) {
    if (k[0] != powerCut_->letter) continue;
    disk[k] = node;
    if (node.folder) continue;
    auto known = powerCut_->diskBytes.find(node.data.get());
    bytes[node.data.get()] = known != powerCut_->diskBytes.end() ? known->second : std::string();
  }
  bytes[Lookup(key)->data.get()] = *Lookup(key)->data;
  powerCut_->disk = std::move(disk);
  powerCut_->diskBytes = std::move(bytes);
  powerCut_->pending.clear();
}

void MemoryFileSystem::ApplyChange(const PendingChange& change, std::map<std::u16string, Node>* disk,
                                   std::set<const std::string*>* truncated) {
  std::map<std::u16string, Node>& nodes = *disk;
  const auto same = [&](const std::u16string& key, const Node& identity) {
    auto it = nodes.find(key);
    return it != nodes.end() && it->second.folder == identity.folder && it->second.data == identity.data;
  };
  const auto parentThere = [&](const std::u16string& key) {
    const std::u16string parent = ParentKey(key);
    if (IsRootKey(parent)) return true;
    auto it = nodes.find(parent);
    return it != nodes.end() && it->second.folder;
  };
  switch (change.kind) {
    case PendingChange::kMake:
      if (nodes.count(change.key) == 0 && parentThere(change.key)) nodes[change.key] = change.node;
      break;
    case PendingChange::kRemove:
      if (same(change.key, change.node)) {
        auto next = nodes.upper_bound(change.key);
        if (!change.node.folder || next == nodes.end() || !next->first.starts_with(change.key + u"\\"))
          nodes.erase(change.key);
      }
      break;
    case PendingChange::kRename:
      if (same(change.key, change.node) && parentThere(change.toKey) &&
          !(nodes.count(change.toKey) != 0 && nodes[change.toKey].folder)) {
        Node moved = nodes[change.key];
        moved.path = change.node.path;  // the name as the volume spelt it before
        nodes.erase(change.key);
        nodes[change.toKey] = std::move(moved);
      }
      break;
    case PendingChange::kSetInfo:
      if (same(change.key, change.node)) {
        nodes[change.key].attributes = change.node.attributes;
        nodes[change.key].times = change.node.times;
      }
      break;
    case PendingChange::kTruncate:
      if (same(change.key, change.node)) truncated->insert(change.node.data.get());
      break;
  }
}

std::map<std::u16string, MemoryFileSystem::Node> MemoryFileSystem::NodesAfterRestart(uint64_t survivors) const {
  std::map<std::u16string, Node> nodes = powerCut_->disk;
  std::set<const std::string*> truncated;
  for (size_t i = 0; i < powerCut_->pending.size(); ++i) {
    if (i < 64 && ((survivors >> i) & 1) == 0) continue;
    ApplyChange(powerCut_->pending[i], &nodes, &truncated);
  }
  // Names as the keys say (a rename above kept the old spelling), bytes as far as they reached the disk.
  std::map<std::u16string, Node> result;
  for (auto& [key, node] : nodes) {
    Node copy = node;
    if (const auto live = nodes_.find(key); live != nodes_.end() && live->second.folder == node.folder &&
                                            live->second.data == node.data) {
      copy.path = live->second.path;
    } else if (const auto disk = powerCut_->disk.find(key); disk != powerCut_->disk.end()) {
      copy.path = disk->second.path;
    } else {
      copy.path = key;
    }
    if (!node.folder) {
      const std::string& now = *node.data;
      std::string before;
      if (truncated.count(node.data.get()) == 0) {
        auto it = powerCut_->diskBytes.find(node.data.get());
        if (it != powerCut_->diskBytes.end()) before = it->second;
      }
      std::string bytes = now;
      if (before != now) {
        bytes.assign(now.size(), '\0');
        std::memcpy(bytes.data(), before.data(), std::min(before.size(), now.size()));
      }
      copy.data = std::make_shared<std::string>(std::move(bytes));
    }
    result[key] = std::move(copy);
  }
  return result;
}

std::map<std::u16string, std::string> MemoryFileSystem::FilesAfterRestart(uint64_t survivors) const {
  std::lock_guard lock(mutex_);
  std::map<std::u16string, std::string> files;
  if (powerCut_ == nullptr) return files;
  for (const auto& [key, node] : NodesAfterRestart(survivors))
    if (!node.folder) files[node.path] = *node.data;
  return files;
}

void MemoryFileSystem::Restart(uint64_t survivors) {
  std::lock_guard lock(mutex_);
  if (powerCut_ == nullptr) return;
  auto after = NodesAfterRestart(survivors);
  const char16_t letter = powerCut_->letter;
  for (auto it = nodes_.begin(); it != nodes_.end();) it = it->first[0] == letter ? nodes_.erase(it) : std::next(it);
  uint64_t used = 0;
  for (auto& [key, node] : after) {
    if (!node.folder) used += node.data->size();
    nodes_[key] = std::move(node);
  }
  volumes_[letter].used = used;
  powerCut_.reset();
}

}  // namespace qtr

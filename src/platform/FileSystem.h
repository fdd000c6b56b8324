// The file and volume calls the engine makes, as an interface, so that the
// engine runs the same over Win32 and over an in-memory volume that can fail
// on purpose. Paths are Windows paths ("C:\dir\file"). Every operation
// returns a Win32 error code, 0 on success, captured right after the call
// that failed. One FileSystem may be used from several threads; one File
// only from one thread at a time.
#pragma once
#include "platform/SystemError.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qtr {

inline constexpr uint32_t kAttributeReadOnly = 0x1;
inline constexpr uint32_t kAttributeHidden = 0x2;
inline constexpr uint32_t kAttributeSystem = 0x4;
inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeArchive = 0x20;
inline constexpr uint32_t kAttributeNormal = 0x80;
// A junction, symbolic link or mount point: the entry leads somewhere else.
inline constexpr uint32_t kAttributeReparsePoint = 0x400;
inline constexpr uint32_t kAttributeCompressed = 0x800;
inline constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;
// MoveToRecycleBin on a volume without a Recycle Bin, or where the file
// could not be sure to land in it: the file stays where it is.
inline constexpr uint32_t kErrorNoRecycleBin = kErrorNotSupported;
// The attributes a program may give a file or folder (read-only, hidden,
// system, archive, temporary, not content indexed); the others (sparse,
// offline, recall, pinned, integrity...) belong to the volume, and a request
// carrying one of them is refused whole.
inline constexpr uint32_t kSettableAttributes = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x2000;

// Times are FILETIME values: 100-nanosecond intervals since 1601-01-01 UTC.
struct FileTimes {
  uint64_t creation = 0;
  uint64_t lastAccess = 0;
  uint64_t lastWrite = 0;
  bool operator==(const FileTimes&) const = default;
};

struct VolumeInfo {
  std::u16string fileSystemName;      // "NTFS", "FAT32", "exFAT", ...
  bool supportsFileCompression = false;
  bool coarseTimes = false;           // FAT family: last-write time kept to 2 seconds
  uint64_t maxFileSize = UINT64_MAX;  // 4 GiB - 1 on FAT32
};

// One entry of a folder listing, or the result of looking one path up.
struct FindEntry {
  std::u16string name;  // file name only, as the volume spells it
  uint32_t attributes = 0;
  uint64_t size = 0;
  FileTimes times;
  bool IsFolder() const { return (attributes & kAttributeDirectory) != 0; }
  // A link (junction, symbolic link, mount point) as the listing shows it;
  // a handle opened through it may not say so.
  bool IsLink() const { return (attributes & kAttributeReparsePoint) != 0; }
};

// Which file or folder a path leads to, whatever its spelling or the drive
// letter it is reached by: the volume's serial number and the file's number
// on it.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t file = 0;
  bool operator==(const FileIdentity&) const = default;
};

enum class OpenMode {
  kReadExisting,    // read, share read, the file must exist
  kWriteNew,        // write (and rename), fails when the file exists
  kWriteTruncate,   // read and write, created or emptied
  kReadWriteExisting,
};

class File {
 public:
  virtual ~File() = default;
  // Reads up to size bytes; *got is 0 at end of file.
  virtual uint32_t Read(void* buffer, size_t size, size_t* got) = 0;
  // Writes every byte or fails.
  virtual uint32_t Write(const void* buffer, size_t size) = 0;
  virtual uint32_t Seek(uint64_t offset) = 0;
  virtual uint32_t Size(uint64_t* size) = 0;
  // Attributes, size and times of the open file (name left empty).
  virtual uint32_t GetInfo(FindEntry* info) = 0;
  // On a file open for writing: its three times and its attributes in one
  // step (a later write moves the last-write time again).
  virtual uint32_t SetTimesAndAttributes(const FileTimes& times, uint32_t attributes) = 0;
  virtual uint32_t SetCompression(bool compressed) = 0;
  // Makes what was written to the file, and its name and attributes, durable
  // on the volume (FlushFileBuffers); until then a power cut may lose them.
  virtual uint32_t Flush() = 0;
  // Gives the open file a new path in the same volume, replacing a file there.
  virtual uint32_t RenameTo(std::u16string_view path) = 0;
};

// Lists one folder, entry by entry, in the order the volume keeps them.
class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // False once every entry was returned.
  virtual bool Next(FindEntry* entry) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual uint32_t Open(std::u16string_view path, OpenMode mode, std::unique_ptr<File>* file) = 0;
  // Looks up one file or folder (no wildcards).
  virtual uint32_t Find(std::u16string_view path, FindEntry* entry) = 0;
  // Every entry of a folder except "." and "..".
  virtual uint32_t List(std::u16string_view folder, std::unique_ptr<FolderListing>* listing) = 0;
  // The identity of the file or folder path leads to.
  virtual uint32_t GetIdentity(std::u16string_view path, FileIdentity* identity) = 0;

  virtual uint32_t GetAttributes(std::u16string_view path, uint32_t* attributes) = 0;
  virtual uint32_t SetAttributes(std::u16string_view path, uint32_t attributes) = 0;
  virtual uint32_t SetTimes(std::u16string_view path, const FileTimes& times) = 0;
  // Switches per-file compression on or off; fails on volumes without it.
  virtual uint32_t SetCompression(std::u16string_view path, bool compressed) = 0;

  // kErrorAlreadyExists when the folder is there already.
  virtual uint32_t CreateFolder(std::u16string_view path) = 0;
  virtual uint32_t RemoveFolder(std::u16string_view path) = 0;
  virtual uint32_t RemoveFile(std::u16string_view path) = 0;
  // Replaces an existing destination file.
  virtual uint32_t Rename(std::u16string_view from, std::u16string_view to) = 0;
  // Puts the file replacement in the place of replaced in one step, once
  // replacement's bytes are on the disk, keeping replaced's attributes (a
  // missing replaced is a plain rename). Whenever it is cut short, replaced
  // holds either its old bytes or all the new ones.
  virtual uint32_t ReplaceFile(std::u16string_view replacement, std::u16string_view replaced);
  // Moves the file path into the Recycle Bin of its volume, from where the
  // person can put it back. 0 only when it is there; on any error the file
  // is still at path (kErrorNoRecycleBin: the volume has none). Never
  // deletes a file for good.
  virtual uint32_t MoveToRecycleBin(std::u16string_view path);

  // Bytes available to the caller on the volume holding path.
  virtual uint32_t FreeSpace(std::u16string_view path, uint64_t* bytes) = 0;
  virtual uint32_t GetVolumeInfo(std::u16string_view path, VolumeInfo* info) = 0;
};

inline uint32_t FileSystem::ReplaceFile(std::u16string_view replacement, std::u16string_view replaced) {
  uint32_t attributes = kInvalidAttributes;
  if (GetAttributes(replaced, &attributes) == 0) {
    if (const uint32_t error = SetAttributes(replacement, attributes)) return error;
  }
  return Rename(replacement, replaced);
}

inline uint32_t FileSystem::MoveToRecycleBin(std::u16string_view) {
  return kErrorNoRecycleBin;
}

// The Win32 backend (Windows build only).
FileSystem& SystemFileSystem();

}  // namespace qtr

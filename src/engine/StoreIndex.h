// What a store knows of the files it holds: for every stored file its form,
// the size and last-write time of the source it was copied from, what the
// stored file looked like when it was written (to tell a stale entry), and
// the SHA-256 of the source's content as it was read.
//
// The index lives in the store root's "~index" folder, beside the drive
// folders (which are one letter long, so nothing there is a stored file).
// Pieces are small XML files, each written under a partial name and renamed
// when whole; a later piece overrides an earlier one for the same stored
// file. Nothing is ever rewritten in place, so a stop or a power cut leaves
// the pieces already there untouched.
//
// Before a batch of copies is put in place, one piece announces the entries
// of its new stored files ("Pending"): from then on a stored file is always
// described by an entry on the disk, its old copy by the confirmed entry and
// its new one by the announced entry, whichever the volume kept. Once the
// copies are in place and durable, their entries are confirmed ("File")
// and the announcing pieces go.
//
// In an encrypted store (an index loaded with the store's key) no record
// holds a plain content hash: "keyed" is the hash under a key derived from
// the store key, and every record carries a tag over its kind, its piece's
// number, its case-folded path and its fields, so that nobody without the
// key can write or alter a record the index counts. A record without a tag
// (written by an older release, or by a backup without the key) counts for
// a path only while no tagged record names it. Names, sizes and times stay
// readable.
//
// An entry describes a stored file when the file's size and last-write time
// are the ones recorded as it was put in place. A stored file of a recorded
// time and another size was cut or damaged where it lies; one with entries
// of neither its time nor its size was changed after the program wrote it.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/Sha256.h"
#include "engine/StoreIndexKey.h"
#include "platform/FileSystem.h"

namespace qtr {

inline constexpr std::u16string_view kIndexFolder = u"~index";

// kEncrypted holds the source's bytes encrypted ("a.txt.qtrx");
// kCompressedEncrypted its compressed container, encrypted ("a.txt.zip.qtrx").
enum class StoredForm { kPlain, kCompressed, kEncrypted, kCompressedEncrypted };

struct StoreIndexEntry {
  // Below the store root, as the volume spelled it: "C\dir\a.txt.zip".
  std::u16string stored;
  StoredForm form = StoredForm::kPlain;
  uint64_t sourceSize = 0;
  uint64_t sourceLastWrite = 0;  // FILETIME
  // The stored file as it was put in place: a listing that says otherwise
  // makes the entry stale.
  uint64_t storedSize = 0;
  uint64_t storedLastWrite = 0;
  // The SHA-256 of the source's content; under the index key when keyed.
  Sha256Digest sha256{};
  bool keyed = false;
  // The record's tag held under the store key: the store vouches for it.
  bool vouched = false;
  // An encrypted copy's file id (its header's); all zero when not recorded.
  std::array<uint8_t, 16> fileId{};
};

// What an index tagged under the store key says of an encrypted file's id
// at a stored path.
enum class FileIdVerdict {
  kUnknown,   // no tagged record of the path carries an id
  kRecorded,  // the id is the one the store last recorded there
  kOther,     // the store recorded another copy there
};

enum class IndexState {
  kCurrent,  // an entry describes the stored file as it is listed now
  kStale,    // there is an entry, but the stored file is not the one it recorded (changed outside, or gone)
  kNone,     // no entry: a file stored before the index, or one the program never wrote
};

// True when entry recorded the stored file as listed (size and last-write time).
bool Describes(const StoreIndexEntry& entry, const FindEntry& listed);

class StoreIndex {
 public:
  StoreIndex() = default;

  // Reads every piece of the index of the store at storeRoot ("F:\QTRPMB").
  // A missing index is empty and not damaged. A piece that cannot be read or
  // parsed, is larger than kMaxPieceBytes or has a name no piece of this
  // program has is skipped: Damaged() then says so and Damage() names the
  // first such piece, for the one line a caller reports; the rest still
  // counts. An empty piece is a name taken by a writer that never filled it.
  // With the store's key (an encrypted store), every tagged record is
  // checked: a piece holding one whose tag does not hold is damaged, and
  // what is written from then on is keyed and tagged.
  static StoreIndex Load(FileSystem& fs, std::u16string_view storeRoot, const StoreKey* key = nullptr);

  bool Damaged() const { return !damage_.empty(); }
  const std::u16string& Damage() const { return damage_; }

  // The confirmed entry of a stored file, by its full path
  // ("F:\QTRPMB\C\a.txt") or its path below the store root; nullptr when
  // there is none.
  const StoreIndexEntry* Find(std::u16string_view storedPath) const;
  // The state of storedPath against listed, what a listing or Find of the
  // stored file says now: kCurrent with the confirmed or announced entry
  // that describes it; *entry (when given) is set unless kNone.
  IndexState StateOf(std::u16string_view storedPath, const FindEntry& listed,
                     const StoreIndexEntry** entry = nullptr) const;
  // Every entry that describes the stored file as listed, the one StateOf
  // gives first: a copy whose source changed without a new time or size is
  // described by its old entry and its new one alike, and either's size and
  // hash may be the right ones. With none of the size and time, the entries
  // of the time alone: the file was cut or damaged where it lies.
  std::vector<const StoreIndexEntry*> DescribingEntries(std::u16string_view storedPath,
                                                        const FindEntry& listed) const;
  // As StateOf, looking the stored file up itself (a missing file: kStale
  // when there is an entry).
  IndexState Lookup(FileSystem& fs, std::u16string_view storedPath, const StoreIndexEntry** entry = nullptr) const;

  // Whether content (a SHA-256) is what entry recorded: under the index key
  // when the entry is keyed; true for a keyed entry when this index has no
  // key, which cannot tell.
  bool SameContent(const StoreIndexEntry& entry, const Sha256Digest& content) const;
  // What the tagged records of storedPath (confirmed or announced) say of
  // an encrypted copy with fileId found there.
  FileIdVerdict CheckFileId(std::u16string_view storedPath, const std::array<uint8_t, 16>& fileId) const;
  // True when a tagged rename record says that the encrypted file fileId was
  // renamed to storedPath through the program.
  bool RenamedTo(const std::array<uint8_t, 16>& fileId, std::u16string_view storedPath) const;
  // True when a record read or written carries a tag: the store is encrypted.
  bool HasTaggedRecords() const { return hasTagged_; }
  // The index's key, or nullptr.
  const StoreIndexKey* Key() const { return key_.get(); }

  // True when storedPath has an entry, confirmed or announced.
  bool HasEntry(std::u16string_view storedPath) const;
  // True when a verify found storedPath damaged while its entry still
  // describes it (same size and time, other bytes), and no backup has
  // stored it anew since.
  bool MarkedDamaged(std::u16string_view storedPath) const;

  // Every entry, in the order of their stored paths (lowercased).
  void ForEach(const std::function<void(const StoreIndexEntry&)>& visit) const;
  // Every announced entry not yet confirmed or gone.
  void ForEachAnnounced(const std::function<void(const StoreIndexEntry&)>& visit) const;
  size_t Size() const { return entries_.size(); }

  // Writes one piece announcing entries (each with its stored path, size
  // and time as the copy will be listed once in place), flushed before the
  // copies are put in place; 0, or the error (nothing is then announced).
  uint32_t Announce(FileSystem& fs, const std::vector<StoreIndexEntry>& entries);
  // Writing: entries wait until AppendPending writes them as one new piece
  // (after the stored files they describe are in place). Forget marks a
  // stored file removed from the store.
  void Record(StoreIndexEntry entry);
  void Forget(std::u16string_view storedPath);
  // Records that the encrypted file fileId now lies at storedPath, renamed
  // there through the program (tagged only with a key).
  void RecordRename(std::u16string_view storedPath, const std::array<uint8_t, 16>& fileId);
  // Records that storedPath was found damaged, so that the next backup stores it anew.
  void MarkDamaged(std::u16string_view storedPath);
  bool HasPending() const { return !pending_.empty(); }
  size_t PendingCount() const { return pending_.size(); }
  // 0, or the error of the write (the pending entries are then dropped:
  // their stored files keep the entries announced for them). Once the piece
  // is on the disk, the announcing pieces this index wrote whose every entry
  // is confirmed or gone are removed.
  uint32_t AppendPending(FileSystem& fs);

  // Every backup adds pieces, and every job reads them all: once there are
  // more than maxPieces beyond what the entries fill, the current entries
  // are written as new pieces of kEntriesPerFoldedPiece each (with the
  // removals that older pieces still contradict) and the pieces before
  // them are removed, so that a stop or a power cut at any point
  // leaves the same entries, whichever removals reached the disk. A
  // damaged piece stays (it is still reported), and a piece another writer
  // added since Load means nothing is done. With a key, an index that still
  // holds untagged records is folded whatever its size, so that no plain
  // hash stays; without one, an index with tagged records is left as it is.
  // 0, or the error that left the
  // index as it was (or partly compacted, which reads the same).
  uint32_t CompactIfLarge(FileSystem& fs, size_t maxPieces = kCompactAbovePieces);
  static constexpr size_t kCompactAbovePieces = 16;
  static constexpr size_t kEntriesPerFoldedPiece = 1000;
  // A thousand entries of long paths stay far below this.
  static constexpr uint64_t kMaxPieceBytes = uint64_t{8} << 20;
  size_t PieceCount() const { return pieces_.size(); }

 private:
  enum class ChangeKind { kFile, kPending, kGone, kDamaged, kRenamed };
  struct Change {
    ChangeKind kind = ChangeKind::kFile;
    StoreIndexEntry entry;
    bool tagged = false;
  };
  struct Announced {
    StoreIndexEntry entry;
    std::u16string piece;  // the piece that announced it
  };
  std::u16string KeyOf(std::u16string_view storedPath) const;
  void Apply(const Change& change, const std::u16string& piece);
  // A pending record that names only a stored path (Gone, Damaged).
  void AddPathRecord(ChangeKind kind, std::u16string_view storedPath);
  // Keys the content hash of change and marks it tagged, with a key.
  void Seal(Change* change) const;
  // The text a record's tag is over.
  std::u16string TagText(const Change& change, uint64_t piece) const;
  static void AppendXml(const Change& change, std::u16string_view tag, std::u16string* body);
  // Removes the announcing pieces written by this index that announce nothing unconfirmed.
  void RemoveSettledAnnouncements(FileSystem& fs);
  // Writes changes (sealed for the piece's number first) as the next piece;
  // *name is its name in the index folder.
  uint32_t WritePiece(FileSystem& fs, std::vector<Change>* changes, std::u16string* name);

  std::u16string storeRoot_;
  bool indexFolderMade_ = false;  // made, or found there, by this index
  std::shared_ptr<const StoreIndexKey> key_;
  bool hasTagged_ = false, hasUntagged_ = false;  // as read
  // Tagged rename records: file id -> key of the path renamed to.
  std::map<std::array<uint8_t, 16>, std::pair<std::u16string, std::u16string>> renamed_;
  std::u16string damage_;
  uint64_t nextPiece_ = 0;
  std::map<std::u16string, StoreIndexEntry> entries_;
  // Entries announced and not yet confirmed or gone, by key.
  std::map<std::u16string, std::vector<Announced>> announced_;
  std::vector<std::u16string> announcingPieces_;  // written by this index
  std::map<std::u16string, std::u16string> damaged_;  // key -> stored path, marked by a verify
  // Entries a later piece removed from an earlier one: key -> stored path.
  std::map<std::u16string, std::u16string> removed_;
  std::vector<Change> pending_;
  // The sound pieces read or written, oldest first (names in the index folder).
  std::vector<std::u16string> pieces_;
  std::vector<std::u16string> damagedPieces_;  // left in place by a compaction
};

// The index folder of a store root: "F:\QTRPMB" -> "F:\QTRPMB\~index".
std::u16string IndexFolderOf(std::u16string_view storeRoot);
// True when path is the index folder of a store root ("F:\QTRPMB\~index"),
// which a restore never walks.
bool IsIndexFolder(std::u16string_view path);

}  // namespace qtr

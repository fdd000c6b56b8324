#include "engine/StoreIndex.h"

#include <algorithm>
#include <set>
#include <string>

#include "crypto/HmacSha256.h"
#include "engine/StoreLayout.h"
#include "platform/NumberText.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "platform/Utf8.h"
#include "xml/XmlDocument.h"
#include "xml/XmlEscape.h"

namespace qtr {
namespace {

constexpr std::u16string_view kPieceSuffix = u".xml";
constexpr size_t kPieceDigits = 10;

template <typename Bytes>
std::u16string Hex(const Bytes& digest) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  std::u16string text;
  for (const uint8_t b : digest) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 15]);
  }
  return text;
}

template <typename Bytes>
bool ParseHex(std::u16string_view text, Bytes* digest) {
  if (text.size() != 2 * digest->size()) return false;
  const auto nibble = [](char16_t c) -> int {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < digest->size(); ++i) {
    const int high = nibble(text[2 * i]), low = nibble(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    (*digest)[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return true;
}

std::u16string_view FormName(StoredForm form) {
  switch (form) {
    case StoredForm::kCompressed:
      return u"compressed";
    case StoredForm::kEncrypted:
      return u"encrypted";
    case StoredForm::kCompressedEncrypted:
      return u"compressed-encrypted";
    default:
      return u"plain";
  }
}

bool ParseForm(std::u16string_view text, StoredForm* form) {
  if (text == u"plain") *form = StoredForm::kPlain;
  else if (text == u"compressed") *form = StoredForm::kCompressed;
  else if (text == u"encrypted") *form = StoredForm::kEncrypted;
  else if (text == u"compressed-encrypted") *form = StoredForm::kCompressedEncrypted;
  else return false;
  return true;
}

constexpr uint64_t kPieceNumbers = 10'000'000'000;  // kPieceDigits digits

enum class PieceName { kPiece, kOther, kUnreadable };

// What a name in the index folder is: a piece ("0000000012.xml", its number
// in *number), a piece's name this program never gives (more digits, not a
// number), or anything else (a partial piece).
PieceName ClassifyPieceName(std::u16string_view name, uint64_t* number) {
  if (!EndsWithNoCase(name, kPieceSuffix)) return PieceName::kOther;
  const std::u16string_view digits = name.substr(0, name.size() - kPieceSuffix.size());
  if (digits.size() > kPieceDigits || !ParseDigits(digits, number) || *number >= kPieceNumbers)
    return PieceName::kUnreadable;
  return PieceName::kPiece;
}

// Reads a piece whole; kErrorInvalidData when it holds more than limit bytes.
uint32_t ReadWhole(FileSystem& fs, std::u16string_view path, uint64_t limit, std::string* bytes) {
  std::unique_ptr<File> file;
  if (const uint32_t error = fs.Open(path, OpenMode::kReadExisting, &file); error != 0) return error;
  bytes->clear();
  char buffer[65536];
  for (;;) {
    size_t got = 0;
    if (const uint32_t error = file->Read(buffer, sizeof buffer, &got); error != 0) return error;
    if (got == 0) return 0;
    if (bytes->size() + got > limit) return kErrorInvalidData;
    bytes->append(buffer, got);
  }
}

}  // namespace

std::u16string IndexFolderOf(std::u16string_view storeRoot) { return JoinPath(storeRoot, kIndexFolder); }

bool IsIndexFolder(std::u16string_view path) {
  path = WithoutTrailingBackslashes(path);
  const std::u16string parent = ParentOf(path);
  return Lowercase(NameOf(path)) == Lowercase(kIndexFolder) && parent.size() == 2 + 1 + kStoreFolder.size() &&
         parent[1] == u':' && EndsWithNoCase(parent, kStoreFolder);
}

std::u16string StoreIndex::KeyOf(std::u16string_view storedPath) const {
  std::u16string_view relative = storedPath;
  const std::u16string root = Lowercase(storeRoot_);
  if (!root.empty() && storedPath.size() > root.size() &&
      Lowercase(storedPath.substr(0, root.size())) == root && storedPath[root.size()] == u'\\')
    relative = storedPath.substr(root.size() + 1);
  return Lowercase(relative);
}

void StoreIndex::Apply(const Change& change, const std::u16string& piece) {
  const std::u16string key = KeyOf(change.entry.stored);
  switch (change.kind) {
    case ChangeKind::kFile:
      removed_.erase(key);
      entries_[key] = change.entry;
      announced_.erase(key);
      damaged_.erase(key);
      break;
    case ChangeKind::kDamaged:
      damaged_[key] = change.entry.stored;
      break;
    case ChangeKind::kPending:
      announced_[key].push_back({change.entry, piece});
      break;
    case ChangeKind::kRenamed:
      if (change.tagged) renamed_[change.entry.fileId] = {key, change.entry.stored};
      break;
    case ChangeKind::kGone: {
      // Kept while an older piece may still hold the entry it removes.
      const bool had = entries_.erase(key) != 0;
      damaged_.erase(key);
      if (announced_.erase(key) != 0 || had) removed_[key] = change.entry.stored;
      break;
    }
  }
}

bool Describes(const StoreIndexEntry& entry, const FindEntry& listed) {
  return !listed.IsFolder() && listed.size == entry.storedSize && listed.times.lastWrite == entry.storedLastWrite;
}

StoreIndex StoreIndex::Load(FileSystem& fs, std::u16string_view storeRoot, const StoreKey* key) {
  StoreIndex index;
  index.storeRoot_ = std::u16string(storeRoot);
  if (key != nullptr) index.key_ = std::make_shared<const StoreIndexKey>(*key);
  const std::u16string folder = IndexFolderOf(storeRoot);
  std::unique_ptr<FolderListing> listing;
  if (fs.List(folder, &listing) != 0) return index;
  std::vector<std::pair<uint64_t, std::u16string>> pieces;
  std::vector<std::u16string> unreadable;
  FindEntry found;
  while (listing->Next(&found)) {
    uint64_t number = 0;
    if (found.IsFolder()) continue;
    // Partial names (a piece being written when the job stopped) are not pieces.
    const PieceName kind = ClassifyPieceName(found.name, &number);
    if (kind == PieceName::kPiece) pieces.emplace_back(number, found.name);
    if (kind == PieceName::kUnreadable) unreadable.push_back(found.name);
  }
  listing.reset();
  std::sort(pieces.begin(), pieces.end());
  std::sort(unreadable.begin(), unreadable.end());
  for (const std::u16string& name : unreadable) {
    if (index.damage_.empty()) index.damage_ = JoinPath(folder, name);
    index.damagedPieces_.push_back(name);
  }
  if (!pieces.empty()) index.nextPiece_ = pieces.back().first + 1;
  // Every piece is read before any counts: an untagged record counts only
  // where no piece holds a tagged one for its path.
  struct ReadPiece {
    std::u16string name;
    std::vector<Change> changes;
    size_t failedTags = 0;
  };
  std::vector<ReadPiece> read;
  size_t heldTags = 0, failedTags = 0;
  for (const auto& [number, name] : pieces) {
    const std::u16string path = JoinPath(folder, name);
    std::string bytes;
    XmlDocument doc;
    bool good = ReadWhole(fs, path, kMaxPieceBytes, &bytes) == 0;
    if (good && bytes.empty()) {
      // A name taken by a writer that never filled it.
      read.push_back({name, {}, 0});
      continue;
    }
    good = good && doc.LoadBytes(bytes) && doc.IsWellFormed() && doc.FindElement(u"StoreIndex") && doc.IntoElement();
    ReadPiece piece{name, {}, 0};
    while (good && doc.FindElement()) {
      Change change;
      change.entry.stored = doc.GetAttribute(u"path");
      if (change.entry.stored.empty()) good = false;
      const std::u16string tag = doc.GetTagName();
      StoreIndexEntry& e = change.entry;
      if (tag == u"Gone" || tag == u"Damaged") {
        change.kind = tag == u"Gone" ? ChangeKind::kGone : ChangeKind::kDamaged;
      } else if (tag == u"Renamed") {
        change.kind = ChangeKind::kRenamed;
        good = good && ParseHex(doc.GetAttribute(u"id"), &e.fileId);
      } else if (tag == u"File" || tag == u"Pending") {
        change.kind = tag == u"File" ? ChangeKind::kFile : ChangeKind::kPending;
        const std::u16string keyed = doc.GetAttribute(u"keyed"), id = doc.GetAttribute(u"id");
        e.keyed = !keyed.empty();
        good = good && ParseForm(doc.GetAttribute(u"form"), &e.form) &&
               ParseDigits(doc.GetAttribute(u"size"), &e.sourceSize) &&
               ParseDigits(doc.GetAttribute(u"time"), &e.sourceLastWrite) &&
               ParseDigits(doc.GetAttribute(u"storedSize"), &e.storedSize) &&
               ParseDigits(doc.GetAttribute(u"storedTime"), &e.storedLastWrite) &&
               ParseHex(e.keyed ? keyed : doc.GetAttribute(u"sha256"), &e.sha256) &&
               (id.empty() || ParseHex(id, &e.fileId));
      } else {
        good = false;
      }
      const std::u16string tagText = doc.GetAttribute(u"tag");
      change.tagged = !tagText.empty();
      if (good && change.tagged) {
        Sha256Digest written{};
        good = ParseHex(tagText, &written);
        if (good && index.key_) {
          e.vouched = SameDigest(index.key_->Tag(index.TagText(change, number)), written);
          ++(e.vouched ? heldTags : piece.failedTags);
        }
      }
      piece.changes.push_back(std::move(change));
    }
    if (!good) {
      if (index.damage_.empty()) index.damage_ = path;
      index.damagedPieces_.push_back(name);
      continue;
    }
    failedTags += piece.failedTags;
    read.push_back(std::move(piece));
  }
  // Not one tag holds: the key handed over is not this store's (a wrong
  // one never gets past the key check file), so nothing is vouched for and
  // nothing is called damaged. Otherwise a record whose tag fails was
  // written or changed by someone without the key: its piece is damaged.
  const bool wrongKey = index.key_ && heldTags == 0 && failedTags > 0;
  if (wrongKey) index.key_.reset();
  std::set<std::u16string> taggedPaths;
  std::erase_if(read, [&](ReadPiece& piece) {
    if (wrongKey || piece.failedTags == 0) return false;
    if (index.damage_.empty()) index.damage_ = JoinPath(folder, piece.name);
    index.damagedPieces_.push_back(piece.name);
    return true;
  });
  for (ReadPiece& piece : read)
    for (Change& change : piece.changes) {
      if (wrongKey) change.entry.vouched = false;
      // A rename counts only when the key vouches for it.
      if (change.kind == ChangeKind::kRenamed && !change.entry.vouched) change.tagged = false;
      (change.tagged ? index.hasTagged_ : index.hasUntagged_) = true;
      if (change.tagged) taggedPaths.insert(index.KeyOf(change.entry.stored));
    }
  std::sort(index.damagedPieces_.begin(), index.damagedPieces_.end());
  for (const ReadPiece& piece : read) {
    for (const Change& change : piece.changes)
      if (change.tagged || taggedPaths.count(index.KeyOf(change.entry.stored)) == 0)
        index.Apply(change, piece.name);
    index.pieces_.push_back(piece.name);
  }
  return index;
}

bool StoreIndex::SameContent(const StoreIndexEntry& entry, const Sha256Digest& content) const {
  if (!entry.keyed) return entry.sha256 == content;
  if (!key_) return true;
  return SameDigest(key_->Keyed(content), entry.sha256);
}

FileIdVerdict StoreIndex::CheckFileId(std::u16string_view storedPath,
                                      const std::array<uint8_t, 16>& fileId) const {
  const std::array<uint8_t, 16> none{};
  bool any = false;
  const auto check = [&](const StoreIndexEntry& entry) {
    if (!entry.vouched || entry.fileId == none) return false;
    any = true;
    return entry.fileId == fileId;
  };
  if (const StoreIndexEntry* confirmed = Find(storedPath); confirmed != nullptr && check(*confirmed))
    return FileIdVerdict::kRecorded;
  // A copy put in place by a job that stopped before confirming it.
  if (const auto announced = announced_.find(KeyOf(storedPath)); announced != announced_.end())
    for (const Announced& a : announced->second)
      if (check(a.entry)) return FileIdVerdict::kRecorded;
  return any ? FileIdVerdict::kOther : FileIdVerdict::kUnknown;
}

bool StoreIndex::RenamedTo(const std::array<uint8_t, 16>& fileId, std::u16string_view storedPath) const {
  const auto it = renamed_.find(fileId);
  return it != renamed_.end() && it->second.first == KeyOf(storedPath);
}

const StoreIndexEntry* StoreIndex::Find(std::u16string_view storedPath) const {
  const auto it = entries_.find(KeyOf(storedPath));
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<const StoreIndexEntry*> StoreIndex::DescribingEntries(std::u16string_view storedPath,
                                                                  const FindEntry& listed) const {
  std::vector<const StoreIndexEntry*> all;
  const StoreIndexEntry* confirmed = Find(storedPath);
  const auto announced = announced_.find(KeyOf(storedPath));
  // The newest announcement first: a copy announced twice was put in place by the later job.
  if (announced != announced_.end())
    for (auto it = announced->second.rbegin(); it != announced->second.rend(); ++it) all.push_back(&it->entry);
  if (confirmed != nullptr) all.push_back(confirmed);
  if (listed.IsFolder()) return {};
  std::vector<const StoreIndexEntry*> describing;
  for (const StoreIndexEntry* entry : all)
    if (Describes(*entry, listed)) describing.push_back(entry);
  // The time the program gave it and another size: cut or damaged in place,
  // which the size and hash checks report.
  if (describing.empty())
    for (const StoreIndexEntry* entry : all)
      if (entry->storedLastWrite == listed.times.lastWrite) describing.push_back(entry);
  return describing;
}

IndexState StoreIndex::StateOf(std::u16string_view storedPath, const FindEntry& listed,
                               const StoreIndexEntry** entry) const {
  const std::vector<const StoreIndexEntry*> describing = DescribingEntries(storedPath, listed);
  const StoreIndexEntry* confirmed = Find(storedPath);
  const auto announced = announced_.find(KeyOf(storedPath));
  const StoreIndexEntry* any = !describing.empty()  ? describing.front()
                               : confirmed != nullptr ? confirmed
                               : announced != announced_.end() && !announced->second.empty()
                                   ? &announced->second.back().entry
                                   : nullptr;
  if (entry != nullptr) *entry = any;
  if (!describing.empty()) return IndexState::kCurrent;
  return any != nullptr ? IndexState::kStale : IndexState::kNone;
}

IndexState StoreIndex::Lookup(FileSystem& fs, std::u16string_view storedPath, const StoreIndexEntry** entry) const {
  FindEntry listed;
  if (fs.Find(storedPath, &listed) != 0) {
    // Nothing listed is described by no entry.
    listed = FindEntry{};
    listed.attributes = kAttributeDirectory;
  }
  return StateOf(storedPath, listed, entry);
}

void StoreIndex::ForEach(const std::function<void(const StoreIndexEntry&)>& visit) const {
  for (const auto& [key, entry] : entries_) visit(entry);
}

void StoreIndex::ForEachAnnounced(const std::function<void(const StoreIndexEntry&)>& visit) const {
  for (const auto& [key, list] : announced_)
    for (const Announced& announced : list) visit(announced.entry);
}

void StoreIndex::Record(StoreIndexEntry entry) {
  // Kept below the store root, as the volume spelled it.
  const std::u16string key = KeyOf(entry.stored);
  if (key.size() < entry.stored.size()) entry.stored = entry.stored.substr(entry.stored.size() - key.size());
  pending_.push_back({ChangeKind::kFile, std::move(entry)});
}

bool StoreIndex::HasEntry(std::u16string_view storedPath) const {
  const std::u16string key = KeyOf(storedPath);
  return entries_.count(key) != 0 || announced_.count(key) != 0;
}

bool StoreIndex::MarkedDamaged(std::u16string_view storedPath) const {
  return damaged_.count(KeyOf(storedPath)) != 0;
}

void StoreIndex::MarkDamaged(std::u16string_view storedPath) { AddPathRecord(ChangeKind::kDamaged, storedPath); }

void StoreIndex::Forget(std::u16string_view storedPath) { AddPathRecord(ChangeKind::kGone, storedPath); }

void StoreIndex::RecordRename(std::u16string_view storedPath, const std::array<uint8_t, 16>& fileId) {
  AddPathRecord(ChangeKind::kRenamed, storedPath);
  pending_.back().entry.fileId = fileId;
}

void StoreIndex::AddPathRecord(ChangeKind kind, std::u16string_view storedPath) {
  Change change;
  change.kind = kind;
  // Kept below the store root, as the volume spelled it.
  const std::u16string key = KeyOf(storedPath);
  change.entry.stored = std::u16string(storedPath.substr(storedPath.size() - key.size()));
  pending_.push_back(std::move(change));
}

uint32_t StoreIndex::Announce(FileSystem& fs, const std::vector<StoreIndexEntry>& entries) {
  if (entries.empty()) return 0;
  std::vector<Change> changes;
  std::u16string name;
  for (const StoreIndexEntry& entry : entries) {
    Change change{ChangeKind::kPending, entry};
    const std::u16string key = KeyOf(entry.stored);
    if (key.size() < entry.stored.size())
      change.entry.stored = entry.stored.substr(entry.stored.size() - key.size());
    changes.push_back(std::move(change));
  }
  if (const uint32_t error = WritePiece(fs, &changes, &name); error != 0) return error;
  for (const Change& change : changes) Apply(change, name);
  pieces_.push_back(name);
  announcingPieces_.push_back(std::move(name));
  return 0;
}

uint32_t StoreIndex::AppendPending(FileSystem& fs) {
  if (pending_.empty()) return 0;
  std::vector<Change> changes = std::move(pending_);
  pending_.clear();
  std::u16string name;
  if (const uint32_t error = WritePiece(fs, &changes, &name); error != 0) return error;
  for (const Change& change : changes) Apply(change, name);
  pieces_.push_back(std::move(name));
  RemoveSettledAnnouncements(fs);
  return 0;
}

void StoreIndex::RemoveSettledAnnouncements(FileSystem& fs) {
  std::set<std::u16string> live;
  for (const auto& [key, list] : announced_)
    for (const Announced& announced : list) live.insert(announced.piece);
  const std::u16string folder = IndexFolderOf(storeRoot_);
  // A removal that fails, or that a power cut undoes, leaves a piece whose
  // entries the later one overrides.
  std::erase_if(announcingPieces_, [&](const std::u16string& name) {
    if (live.count(name) != 0 || fs.RemoveFile(JoinPath(folder, name)) != 0) return false;
    std::erase(pieces_, name);
    return true;
  });
}

void StoreIndex::Seal(Change* change) const {
  change->tagged = key_ != nullptr;
  if (!key_) return;
  StoreIndexEntry& e = change->entry;
  if ((change->kind == ChangeKind::kFile || change->kind == ChangeKind::kPending) && !e.keyed) {
    e.sha256 = key_->Keyed(e.sha256);
    e.keyed = true;
  }
  e.vouched = true;
}

std::u16string StoreIndex::TagText(const Change& change, uint64_t piece) const {
  static constexpr std::u16string_view kKinds[] = {u"File", u"Pending", u"Gone", u"Damaged", u"Renamed"};
  const StoreIndexEntry& e = change.entry;
  std::u16string text = std::u16string(kKinds[static_cast<size_t>(change.kind)]) + u"|" + DigitsOf(piece) +
                        u"|" + KeyOf(e.stored);
  if (change.kind == ChangeKind::kRenamed) return text + u"|" + Hex(e.fileId);
  if (change.kind != ChangeKind::kFile && change.kind != ChangeKind::kPending) return text;
  return text + u"|" + std::u16string(FormName(e.form)) + u"|" + DigitsOf(e.sourceSize) + u"|" +
         DigitsOf(e.sourceLastWrite) + u"|" + DigitsOf(e.storedSize) + u"|" + DigitsOf(e.storedLastWrite) +
         u"|" + (e.keyed ? u"keyed:" : u"plain:") + Hex(e.sha256) + u"|" + Hex(e.fileId);
}

void StoreIndex::AppendXml(const Change& change, std::u16string_view tag, std::u16string* body) {
  const StoreIndexEntry& e = change.entry;
  const std::u16string tagAttribute = tag.empty() ? u"" : u" tag=\"" + std::u16string(tag) + u"\"";
  const std::u16string path = u" path=\"" + EscapeXmlAttribute(e.stored) + u"\"";
  switch (change.kind) {
    case ChangeKind::kGone: *body += u"<Gone" + path + tagAttribute + u"/>\r\n"; return;
    case ChangeKind::kDamaged: *body += u"<Damaged" + path + tagAttribute + u"/>\r\n"; return;
    case ChangeKind::kRenamed:
      *body += u"<Renamed" + path + u" id=\"" + Hex(e.fileId) + u"\"" + tagAttribute + u"/>\r\n";
      return;
    default: break;
  }
  const bool hasId = e.fileId != std::array<uint8_t, 16>{};
  *body += std::u16string(change.kind == ChangeKind::kFile ? u"<File" : u"<Pending") + path + u" form=\"" +
           std::u16string(FormName(e.form)) + u"\" size=\"" + DigitsOf(e.sourceSize) + u"\" time=\"" +
           DigitsOf(e.sourceLastWrite) + u"\" storedSize=\"" + DigitsOf(e.storedSize) + u"\" storedTime=\"" +
           DigitsOf(e.storedLastWrite) + u"\"" + (e.keyed ? u" keyed=\"" : u" sha256=\"") + Hex(e.sha256) +
           u"\"" + (hasId ? u" id=\"" + Hex(e.fileId) + u"\"" : u"") + tagAttribute + u"/>\r\n";
}

uint32_t StoreIndex::WritePiece(FileSystem& fs, std::vector<Change>* changes, std::u16string* name) {
  const std::u16string folder = IndexFolderOf(storeRoot_);
  // Asked once per index: a backup writes a piece for every batch.
  if (!indexFolderMade_) {
    const uint32_t made = fs.CreateFolder(folder);
    if (made == 0) fs.SetAttributes(folder, kAttributeHidden | kAttributeSystem);
    indexFolderMade_ = made == 0 || made == kErrorAlreadyExists;
  }
  // The name is taken first, by creating it empty: two jobs writing into one
  // store never replace each other's piece. The piece is then written whole
  // under a partial name and renamed over it: a piece is all there or empty.
  std::u16string path;
  std::unique_ptr<File> file;
  uint32_t error = kErrorFileExists;
  uint64_t piece = 0;
  for (int tries = 0; tries < 1000 && error == kErrorFileExists && nextPiece_ < kPieceNumbers; ++tries) {
    piece = nextPiece_++;
    *name = DigitsOf(piece, kPieceDigits) + std::u16string(kPieceSuffix);
    path = JoinPath(folder, *name);
    error = fs.Open(path, OpenMode::kWriteNew, &file);
  }
  if (error != 0) return error;
  file.reset();
  // The tags name the piece's number, known only now: a record moved into
  // another piece no longer holds.
  std::u16string body;
  if (!changes->empty()) (key_ ? hasTagged_ : hasUntagged_) = true;
  for (Change& change : *changes) {
    Seal(&change);
    AppendXml(change, key_ ? Hex(key_->Tag(TagText(change, piece))) : std::u16string(), &body);
  }
  const std::string bytes = Utf16ToUtf8(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<StoreIndex>\r\n" +
                                        body + u"</StoreIndex>\r\n");
  const std::u16string partial = path + std::u16string(kPartialSuffix);
  error = fs.Open(partial, OpenMode::kWriteTruncate, &file);
  if (error == 0) error = file->Write(bytes.data(), bytes.size());
  if (error == 0) error = file->Flush();
  if (error == 0) error = file->RenameTo(path);
  if (error == 0) error = file->Flush();
  if (error != 0) {
    file.reset();
    fs.RemoveFile(partial);
    fs.RemoveFile(path);
  }
  return error;
}

uint32_t StoreIndex::CompactIfLarge(FileSystem& fs, size_t maxPieces) {
  size_t announcedCount = 0;
  for (const auto& [key, list] : announced_) announcedCount += list.size();
  const size_t folded =
      (removed_.size() + entries_.size() + announcedCount + damaged_.size() + kEntriesPerFoldedPiece - 1) /
      kEntriesPerFoldedPiece;
  // Records without a tag would lose theirs, and plain hashes must go.
  if (!key_ && hasTagged_) return 0;
  const bool plainHashesLeft = key_ && hasUntagged_;
  if ((pieces_.size() <= maxPieces + folded && !plainHashesLeft) || !pending_.empty()) return 0;
  const std::u16string folder = IndexFolderOf(storeRoot_);
  // Only pieces this index has read or written may be folded into the new ones.
  std::unique_ptr<FolderListing> listing;
  if (const uint32_t error = fs.List(folder, &listing); error != 0) return error;
  std::vector<std::u16string> known = pieces_;
  known.insert(known.end(), damagedPieces_.begin(), damagedPieces_.end());
  for (std::u16string& name : known) name = Lowercase(name);
  std::sort(known.begin(), known.end());
  FindEntry found;
  uint64_t number = 0;
  while (listing->Next(&found)) {
    if (found.IsFolder() || ClassifyPieceName(found.name, &number) == PieceName::kOther) continue;
    if (!std::binary_search(known.begin(), known.end(), Lowercase(found.name))) return 0;
  }
  listing.reset();

  // Pieces of a bounded size, so that reading one never needs much memory.
  // The removals go in too, first: the old pieces' removal may reach the
  // disk in any order after a power cut, and one that stays must not bring
  // back an entry. The announced entries go last, after the confirmed ones
  // they stand beside.
  std::vector<std::u16string> merged;
  std::vector<Change> body;
  std::u16string name;
  const auto add = [&](ChangeKind kind, const StoreIndexEntry& entry) -> uint32_t {
    body.push_back({kind, entry});
    if (body.size() < kEntriesPerFoldedPiece) return 0;
    if (const uint32_t error = WritePiece(fs, &body, &name); error != 0) return error;
    merged.push_back(name);
    body.clear();
    return 0;
  };
  for (const auto& [key, stored] : removed_) {
    StoreIndexEntry gone;
    gone.stored = stored;
    if (const uint32_t error = add(ChangeKind::kGone, gone); error != 0) return error;
  }
  for (const auto& [key, entry] : entries_)
    if (const uint32_t error = add(ChangeKind::kFile, entry); error != 0) return error;
  for (const auto& [key, list] : announced_)
    for (const Announced& announced : list)
      if (const uint32_t error = add(ChangeKind::kPending, announced.entry); error != 0) return error;
  for (const auto& [key, stored] : damaged_) {
    StoreIndexEntry marked;
    marked.stored = stored;
    if (const uint32_t error = add(ChangeKind::kDamaged, marked); error != 0) return error;
  }
  for (const auto& [id, renamed] : renamed_) {
    StoreIndexEntry record;
    record.stored = renamed.second;
    record.fileId = id;
    if (const uint32_t error = add(ChangeKind::kRenamed, record); error != 0) return error;
  }
  if (!body.empty() || merged.empty()) {
    if (const uint32_t error = WritePiece(fs, &body, &name); error != 0) return error;
    merged.push_back(name);
  }
  // What was read as plain is now keyed on the disk, and so in memory.
  if (key_) {
    for (auto& [key, entry] : entries_) {
      Change sealed{ChangeKind::kFile, entry};
      Seal(&sealed);
      entry = sealed.entry;
    }
    for (auto& [key, list] : announced_)
      for (Announced& announced : list) {
        Change sealed{ChangeKind::kPending, announced.entry};
        Seal(&sealed);
        announced.entry = sealed.entry;
      }
    hasTagged_ = true;
    hasUntagged_ = false;
  }
  // What they announce now lives in the folded pieces, which only a later compaction removes.
  for (auto& [key, list] : announced_)
    for (Announced& announced : list) announced.piece.clear();
  announcingPieces_.clear();

  std::vector<std::u16string> old = std::move(pieces_);
  pieces_ = std::move(merged);
  for (size_t i = 0; i < old.size(); ++i) {
    if (const uint32_t error = fs.RemoveFile(JoinPath(folder, old[i])); error != 0) {
      pieces_.insert(pieces_.begin(), old.begin() + static_cast<ptrdiff_t>(i), old.end());
      return error;
    }
  }
  return 0;
}

}  // namespace qtr

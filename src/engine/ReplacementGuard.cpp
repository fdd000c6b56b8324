#include "engine/ReplacementGuard.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/StoreLayout.h"

namespace qtr {
namespace {

using Bytes = std::span<const uint8_t>;

bool At(Bytes head, size_t offset, std::string_view bytes) {
  if (head.size() < offset + bytes.size()) return false;
  for (size_t k = 0; k < bytes.size(); ++k)
    if (head[offset + k] != static_cast<uint8_t>(bytes[k])) return false;
  return true;
}

bool Zip(Bytes h) {
  // A local file header; an empty archive is only its end record, a spanned one starts with a marker.
  return At(h, 0, "PK\x03\x04") || At(h, 0, "PK\x05\x06") || At(h, 0, "PK\x07\x08");
}
bool Pdf(Bytes h) {
  // Readers take the header anywhere in the first kilobyte, and some writers put bytes before it.
  const size_t end = std::min<size_t>(h.size(), 1024);
  for (size_t k = 0; k + 5 <= end; ++k)
    if (At(h, k, "%PDF-")) return true;
  return false;
}
bool Jpeg(Bytes h) { return At(h, 0, "\xFF\xD8\xFF"); }
bool Png(Bytes h) { return At(h, 0, "\x89PNG\r\n\x1A\n"); }
bool Gif(Bytes h) { return At(h, 0, "GIF87a") || At(h, 0, "GIF89a"); }
bool Compound(Bytes h) { return At(h, 0, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"); }
bool SevenZip(Bytes h) { return At(h, 0, "7z\xBC\xAF\x27\x1C"); }
bool Rar(Bytes h) { return At(h, 0, "Rar!\x1A\x07"); }
bool Gzip(Bytes h) { return At(h, 0, "\x1F\x8B"); }
bool Bzip2(Bytes h) { return At(h, 0, "BZh"); }
bool Xz(Bytes h) { return At(h, 0, std::string_view("\xFD" "7zXZ\0", 6)); }
bool Bmp(Bytes h) { return At(h, 0, "BM"); }
bool Tiff(Bytes h) {
  return At(h, 0, std::string_view("II*\0", 4)) || At(h, 0, std::string_view("MM\0*", 4));
}
bool Webp(Bytes h) { return At(h, 0, "RIFF") && At(h, 8, "WEBP"); }
bool Wave(Bytes h) { return At(h, 0, "RIFF") && At(h, 8, "WAVE"); }
bool Avi(Bytes h) { return At(h, 0, "RIFF") && At(h, 8, "AVI "); }
bool IsoMedia(Bytes h) { return At(h, 4, "ftyp"); }
bool Flac(Bytes h) { return At(h, 0, "fLaC"); }
bool Ogg(Bytes h) { return At(h, 0, "OggS"); }
bool Matroska(Bytes h) { return At(h, 0, "\x1A\x45\xDF\xA3"); }
bool Psd(Bytes h) { return At(h, 0, "8BPS"); }
bool Sqlite(Bytes h) { return At(h, 0, std::string_view("SQLite format 3\0", 16)); }
bool Rtf(Bytes h) { return At(h, 0, "{\\rtf"); }
bool Executable(Bytes h) { return At(h, 0, "MZ"); }
bool Icon(Bytes h) { return At(h, 0, std::string_view("\0\0\1\0", 4)); }

struct Signature {
  std::u16string_view extensions;  // space-separated, lower-case
  bool (*fits)(Bytes head);
};

// Types whose first bytes every writer puts there; a type that starts in
// several ways (an MP3 with or without its tag, a QuickTime movie) is left out.
constexpr Signature kSignatures[] = {
    {u"zip jar whl docx xlsx pptx docm xlsm pptm odt ods odp odg epub apk", Zip},
    {u"pdf", Pdf},
    {u"jpg jpeg jpe jfif", Jpeg},
    {u"png", Png},
    {u"gif", Gif},
    {u"doc xls ppt msg", Compound},
    {u"7z", SevenZip},
    {u"rar", Rar},
    {u"gz tgz", Gzip},
    {u"bz2 tbz2", Bzip2},
    {u"xz txz", Xz},
    {u"bmp", Bmp},
    {u"tif tiff", Tiff},
    {u"webp", Webp},
    {u"wav", Wave},
    {u"avi", Avi},
    {u"mp4 m4a m4v 3gp heic", IsoMedia},
    {u"flac", Flac},
    {u"ogg oga ogv opus", Ogg},
    {u"mkv webm", Matroska},
    {u"psd", Psd},
    {u"sqlite sqlite3", Sqlite},
    {u"rtf", Rtf},
    {u"exe dll", Executable},
    {u"ico", Icon},
};

// Types people and their programs rename files to, besides those above: a
// batch renamed to one of them is a conversion or a clean-up, not an attack.
constexpr std::u16string_view kCommonTypes =
    u"txt md csv log htm html xml json bak old orig tmp mp3 mov wma wmv aac mpg mpeg";

bool ListHas(std::u16string_view list, std::u16string_view word) {
  while (!list.empty()) {
    const size_t space = list.find(u' ');
    if (list.substr(0, space) == word) return true;
    if (space == std::u16string_view::npos) break;
    list.remove_prefix(space + 1);
  }
  return false;
}

std::u16string_view BareName(std::u16string_view name) {
  const size_t slash = name.find_last_of(u"\\/");
  return slash == std::u16string_view::npos ? name : name.substr(slash + 1);
}

// The text after the name's last dot; none for a dot file (".profile") or a
// name without a dot. A path's folders do not count.
std::u16string_view ExtensionOf(std::u16string_view name) {
  const size_t dot = name.rfind(u'.');
  const size_t start = name.size() - BareName(name).size();
  if (dot == std::u16string_view::npos || dot <= start) return {};
  return name.substr(dot + 1);
}

const Signature* SignatureOf(std::u16string_view name) {
  const std::u16string extension = Lowercase(ExtensionOf(name));
  if (extension.empty()) return nullptr;
  for (const Signature& signature : kSignatures)
    if (ListHas(signature.extensions, extension)) return &signature;
  return nullptr;
}

bool FitsAnySignature(Bytes head) {
  for (const Signature& signature : kSignatures)
    if (signature.fits(head)) return true;
  return false;
}

// The entropy above which a head of n bytes looks random: the entropy n
// random bytes are expected to show (short of 8 by the sampling bias,
// 255 / (2 n ln 2)), less a margin of four deviations at 128 bytes and more above.
double RandomLookingBar(size_t n) {
  return 8.0 - 255.0 / (2.0 * static_cast<double>(n) * std::log(2.0)) - 0.3;
}
// How far below its bar a stored head must be to count as clearly not random:
// text and programs are 2 to 4 bits below; compressed data, a few tenths.
constexpr double kClearlyLower = 1.0;

}  // namespace

double EntropyBitsPerByte(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return 0.0;
  std::array<size_t, 256> counts{};
  for (uint8_t b : bytes) ++counts[b];
  const double n = static_cast<double>(bytes.size());
  double bits = 0.0;
  for (size_t count : counts) {
    if (count == 0) continue;
    const double p = static_cast<double>(count) / n;
    bits -= p * std::log2(p);
  }
  return bits;
}

bool HeadFitsExtension(std::u16string_view name, std::span<const uint8_t> head) {
  const Signature* signature = SignatureOf(name);
  return signature == nullptr || signature->fits(head);
}

Suspicion JudgeReplacement(std::u16string_view name, std::span<const uint8_t> storedHead,
                           std::span<const uint8_t> newHead) {
  if (newHead.empty()) return Suspicion::kNone;
  bool signatureLost = false;
  if (const Signature* signature = SignatureOf(name)) {
    // Still a well-formed file of its type: a PDF saved with packed streams
    // may look random, but ciphertext does not keep the header.
    if (signature->fits(newHead)) return Suspicion::kNone;
    // A picture saved as another type under the old name is no attack.
    signatureLost = signature->fits(storedHead) && !FitsAnySignature(newHead);
  }
  if (storedHead.size() >= kGuardEntropyMinBytes && newHead.size() >= kGuardEntropyMinBytes &&
      EntropyBitsPerByte(newHead) >= RandomLookingBar(newHead.size()) &&
      EntropyBitsPerByte(storedHead) <= RandomLookingBar(storedHead.size()) - kClearlyLower)
    return Suspicion::kLooksEncrypted;
  return signatureLost ? Suspicion::kSignatureLost : Suspicion::kNone;
}

std::vector<std::u16string> NamesRenamedFrom(std::u16string_view newName) {
  std::vector<std::u16string> names;
  // A few appended parts at most ("a.docx.id-1.[mail].locked"); a name with
  // dozens of dots is not worth a look-up for each.
  constexpr size_t kMostCandidates = 4;
  std::u16string_view name = newName;
  while (names.size() < kMostCandidates && !ExtensionOf(name).empty()) {
    name = StemOf(name);
    // "a" of "a.locked" is the stem the caller matches with other extensions;
    // a dot file (".profile" of ".profile.locked") is a whole name.
    if (BareName(name).find(u'.') == std::u16string_view::npos) break;
    names.emplace_back(name);
  }
  return names;
}

std::u16string_view StemOf(std::u16string_view name) {
  const size_t dot = name.rfind(u'.');
  const size_t start = name.size() - BareName(name).size();
  return dot == std::u16string_view::npos || dot <= start ? name : name.substr(0, dot);
}

void GuardTally::CountReplacement(Suspicion suspicion) {
  ++replaced_;
  if (suspicion != Suspicion::kNone) ++suspicious_;
  Judge();
}

void GuardTally::CountNewFile(std::u16string_view name, bool renamedFrom) {
  ++newFiles_;
  if (!renamedFrom) return;
  const std::u16string extension = Lowercase(ExtensionOf(name));
  if (SignatureOf(name) != nullptr || ListHas(kCommonTypes, extension)) return;
  const int count = ++renamedTo_[extension];
  if (count > renamedMost_) {
    renamedMost_ = count;
    renamedMostExtension_ = extension;
  }
  Judge();
}

void GuardTally::Judge() {
  if (suspicious_ >= kTripSuspicious && 2 * suspicious_ >= replaced_) tripped_ = true;
  if (renamedMost_ >= kTripRenamed) tripped_ = true;
}

}  // namespace qtr

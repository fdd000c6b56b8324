#include "platform/TextCodec.h"

#include "platform/EncodingAliases.h"

#include <cerrno>
#include <cstddef>
#include <iconv.h>

namespace qtr {
namespace {

class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (valid()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

unsigned Resolved(unsigned codePage) {
  return codePage == 0 ? AnsiCodePage() : codePage;
}

const char* IconvNameFor(unsigned codePage) {
  return IconvNameForCodePage(Resolved(codePage));
}

// Windows gives the five bytes windows-1252 leaves undefined the control
// characters of the same number, both ways, so that any byte survives a
// round trip (an undeclared file of another code page read as ANSI, for
// one); glibc's table rejects them.
bool UndefinedIn1252(unsigned value) {
  return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

// Output buffer that iconv writes into directly and that grows on E2BIG.
class Sink {
 public:
  explicit Sink(std::size_t initial) : buf_(initial < 64 ? 64 : initial, '\0') {}

  char* cursor() { return buf_.data() + used_; }
  std::size_t room() const { return buf_.size() - used_; }
  void advance(std::size_t n) { used_ += n; }
  void grow() { buf_.resize(buf_.size() * 2); }

  void append(std::string_view bytes) {
    while (room() < bytes.size()) grow();
    bytes.copy(cursor(), bytes.size());
    used_ += bytes.size();
  }

  // One iconv call into the free space; returns iconv's result with the
  // output cursor already advanced.
  std::size_t convert(iconv_t cd, char** in, std::size_t* inLeft) {
    char* out = cursor();
    std::size_t outLeft = room();
    const std::size_t r = iconv(cd, in, inLeft, &out, &outLeft);
    advance(room() - outLeft);
    return r;
  }

  // Returns a stateful encoding (ISO-2022-*, UTF-7) to its initial state.
  void finish(iconv_t cd) {
    for (;;) {
      char* out = cursor();
      std::size_t outLeft = room();
      if (iconv(cd, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1)) {
        advance(room() - outLeft);
        return;
      }
      if (errno != E2BIG) return;
      grow();
    }
  }

  std::string_view view() const { return std::string_view(buf_.data(), used_); }

 private:
  std::string buf_;
  std::size_t used_ = 0;
};

constexpr std::string_view kReplacementUtf16Le("\xFD\xFF", 2);

}  // namespace

unsigned AnsiCodePage() {
  return 1252;
}

bool DecodeToUtf16(unsigned codePage, std::string_view bytes, std::u16string& out) {
  out.clear();
  const char* name = IconvNameFor(codePage);
  if (name == nullptr) return false;
  IconvHandle cd("UTF-16LE", name);
  if (!cd.valid()) return false;

  const bool windows1252 = Resolved(codePage) == 1252;
  Sink sink(bytes.size() * 2);
  // iconv's prototype takes char** even though it never writes the input.
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    if (sink.convert(cd.get(), &in, &inLeft) != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) {
      sink.grow();
    } else if (errno == EILSEQ) {
      // Replace the offending byte and resynchronise on the next one.
      const auto byte = static_cast<unsigned char>(*in);
      sink.append(windows1252 && UndefinedIn1252(byte) ? std::string{static_cast<char>(byte), '\0'}
                                                       : std::string(kReplacementUtf16Le));
      ++in;
      --inLeft;
    } else if (errno == EINVAL) {
      // The input ends inside a multi-byte sequence: one replacement
      // stands for the whole truncated tail.
      sink.append(kReplacementUtf16Le);
      inLeft = 0;
    } else {
      return false;
    }
  }

  const std::string_view raw = sink.view();
  out.resize(raw.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                   (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
  }
  return true;
}

bool EncodeFromUtf16(unsigned codePage, std::u16string_view text, std::string& out, bool& lossy) {
  out.clear();
  lossy = false;
  const char* name = IconvNameFor(codePage);
  if (name == nullptr) return false;
  IconvHandle cd(name, "UTF-16LE");
  if (!cd.valid()) return false;

  std::string input(text.size() * 2, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    input[2 * i] = static_cast<char>(text[i] & 0xFF);
    input[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }

  const bool windows1252 = Resolved(codePage) == 1252;
  Sink sink(text.size() + 16);
  // The '?' goes through the converter itself so that it comes out right in
  // EBCDIC and in the current shift state of stateful encodings.
  auto putQuestionMark = [&] {
    char question[2] = {'?', '\0'};
    char* q = question;
    std::size_t qLeft = sizeof question;
    while (qLeft > 0) {
      if (sink.convert(cd.get(), &q, &qLeft) != static_cast<std::size_t>(-1)) break;
      if (errno != E2BIG) {
        sink.append("?");
        break;
      }
      sink.grow();
    }
  };

  char* in = input.data();
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    const std::size_t r = sink.convert(cd.get(), &in, &inLeft);
    if (r != static_cast<std::size_t>(-1)) {
      // A positive count means glibc substituted something itself.
      if (r > 0) lossy = true;
      continue;
    }
    if (errno == E2BIG) {
      sink.grow();
      continue;
    }
    if (errno != EILSEQ && errno != EINVAL) return false;
    if (windows1252 && inLeft >= 2 && in[1] == '\0' && UndefinedIn1252(static_cast<unsigned char>(in[0]))) {
      sink.append(std::string_view(in, 1));
      in += 2;
      inLeft -= 2;
      continue;
    }

    // One '?' per character: a surrogate pair the target lacks is one
    // character, an unpaired surrogate is one unit.
    lossy = true;
    putQuestionMark();
    std::size_t skip = 2;
    if (inLeft >= 4) {
      const unsigned char hi = static_cast<unsigned char>(in[1]);
      const unsigned char lo = static_cast<unsigned char>(in[3]);
      if ((hi & 0xFC) == 0xD8 && (lo & 0xFC) == 0xDC) skip = 4;
    }
    if (skip > inLeft) skip = inLeft;
    in += skip;
    inLeft -= skip;
  }

  sink.finish(cd.get());

  out.assign(sink.view());
  return true;
}

}  // namespace qtr

#include "platform/TextCodec.h"

#include <windows.h>

#include <climits>
#include <cstddef>

namespace qtr {
namespace {

// The real number rather than CP_ACP, so the flag rules below also hold when
// the system's ANSI code page is UTF-8.
UINT Resolve(unsigned codePage) {
  if (codePage == 0) return GetACP();
  // EUC-KR is the part of code page 949 its bytes were taken from, byte for
  // byte; a system without a table of its own for 51949 (Wine) uses 949.
  if (codePage == 51949 && !IsValidCodePage(51949)) return 949;
  return static_cast<UINT>(codePage);
}

bool IsSupported(UINT cp) {
  return IsValidCodePage(cp) != FALSE;
}

// Code pages for which WideCharToMultiByte rejects any flags and the
// default-character arguments, so loss has to be detected another way.
bool RejectsDefaultChar(UINT cp) {
  return cp == 42 || (cp >= 50220 && cp <= 50229) || cp == 52936 || cp == 54936 ||
         (cp >= 57002 && cp <= 57011) || cp == CP_UTF7 || cp == CP_UTF8;
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Unpaired surrogates are replaced by '?' up front: left alone, some code
// pages (UTF-8, GB18030, UTF-7) would silently emit U+FFFD or encode them.
std::u16string WithoutUnpairedSurrogates(std::u16string_view text, bool& replaced) {
  std::u16string clean(text);
  for (std::size_t i = 0; i < clean.size(); ++i) {
    if (IsHighSurrogate(clean[i]) && i + 1 < clean.size() && IsLowSurrogate(clean[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(clean[i]) || IsLowSurrogate(clean[i])) {
      clean[i] = u'?';
      replaced = true;
    }
  }
  return clean;
}

bool DecodeRaw(UINT cp, std::string_view bytes, std::u16string& out) {
  out.clear();
  if (bytes.empty()) return true;
  if (bytes.size() > INT_MAX) return false;
  const int inLen = static_cast<int>(bytes.size());
  // No MB_ERR_INVALID_CHARS: bad sequences become U+FFFD (or the code
  // page's default) instead of failing the whole buffer.
  const int n = MultiByteToWideChar(cp, 0, bytes.data(), inLen, nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  const int written =
      MultiByteToWideChar(cp, 0, bytes.data(), inLen, reinterpret_cast<wchar_t*>(out.data()), n);
  if (written <= 0) {
    out.clear();
    return false;
  }
  out.resize(static_cast<std::size_t>(written));
  return true;
}

}  // namespace

unsigned AnsiCodePage() {
  return GetACP();
}

bool DecodeToUtf16(unsigned codePage, std::string_view bytes, std::u16string& out) {
  out.clear();
  const UINT cp = Resolve(codePage);
  if (!IsSupported(cp)) return false;
  return DecodeRaw(cp, bytes, out);
}

bool EncodeFromUtf16(unsigned codePage, std::u16string_view text, std::string& out, bool& lossy) {
  out.clear();
  lossy = false;
  const UINT cp = Resolve(codePage);
  if (!IsSupported(cp)) return false;

  const std::u16string clean = WithoutUnpairedSurrogates(text, lossy);
  if (clean.empty()) return true;
  if (clean.size() > INT_MAX) return false;

  const bool noDefault = RejectsDefaultChar(cp);
  // WC_NO_BEST_FIT_CHARS makes unmappable characters come out as the
  // default character (reported through usedDefault) rather than as a
  // look-alike such as 'a' for U+0101.
  const DWORD flags = noDefault ? 0 : WC_NO_BEST_FIT_CHARS;
  const auto* src = reinterpret_cast<const wchar_t*>(clean.data());
  const int srcLen = static_cast<int>(clean.size());

  BOOL usedDefault = FALSE;
  BOOL* usedDefaultArg = noDefault ? nullptr : &usedDefault;
  const int n = WideCharToMultiByte(cp, flags, src, srcLen, nullptr, 0, nullptr, usedDefaultArg);
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  const int written = WideCharToMultiByte(cp, flags, src, srcLen, out.data(), n, nullptr, usedDefaultArg);
  if (written <= 0) {
    out.clear();
    return false;
  }
  out.resize(static_cast<std::size_t>(written));

  if (usedDefault) {
    lossy = true;
  } else if (noDefault && cp != CP_UTF8 && cp != 54936) {
    // UTF-8 and GB18030 cover all of Unicode; for the others, decoding
    // the result again shows whether anything was substituted.
    std::u16string back;
    if (!DecodeRaw(cp, out, back) || back != clean) lossy = true;
  }
  return true;
}

}  // namespace qtr

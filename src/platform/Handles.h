// Owners of Win32 handles: each closes its handle once, when it goes out of
// scope, and can be moved but not copied.
#pragma once
#include <windows.h>

#include <utility>

namespace qtr {

template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;

  UniqueResource() = default;
  explicit UniqueResource(Type value) : value_(Traits::Normalize(value)) {}
  ~UniqueResource() { Reset(); }
  UniqueResource(UniqueResource&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) {
      Reset();
      value_ = std::exchange(other.value_, nullptr);
    }
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;

  Type Get() const { return value_; }
  // For an owner of an interface pointer: calls the object it holds.
  Type operator->() const { return value_; }
  explicit operator bool() const { return value_ != nullptr; }
  // For a call that hands back a new value through a pointer: what was held
  // is closed first.
  Type* Out() {
    Reset();
    return &value_;
  }
  // Hands the value to a caller that takes ownership (SetWindowRgn, for one).
  Type Release() { return std::exchange(value_, nullptr); }
  void Reset(Type value = nullptr) {
    if (value_ != nullptr) Traits::Close(value_);
    value_ = Traits::Normalize(value);
  }

 private:
  Type value_ = nullptr;
};

// Files, events, mutexes, threads: INVALID_HANDLE_VALUE counts as none.
struct KernelHandleTraits {
  using Type = HANDLE;
  static HANDLE Normalize(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

// A find-first search, closed with FindClose.
struct FindHandleTraits {
  using Type = HANDLE;
  static HANDLE Normalize(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }
  static void Close(HANDLE h) { FindClose(h); }
};

// A window the owner created; it may already have been destroyed by the system.
struct WindowTraits {
  using Type = HWND;
  static HWND Normalize(HWND h) { return h; }
  static void Close(HWND h) {
    if (IsWindow(h)) DestroyWindow(h);
  }
};

// A memory device context made with CreateCompatibleDC.
struct MemoryDcTraits {
  using Type = HDC;
  static HDC Normalize(HDC dc) { return dc; }
  static void Close(HDC dc) { DeleteDC(dc); }
};

template <typename T>
struct GdiObjectTraits {
  using Type = T;
  static T Normalize(T object) { return object; }
  static void Close(T object) { DeleteObject(object); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;
using MemoryDc = UniqueResource<MemoryDcTraits>;
// A font, brush, pen, bitmap or region.
template <typename T>
using GdiObject = UniqueResource<GdiObjectTraits<T>>;

}  // namespace qtr

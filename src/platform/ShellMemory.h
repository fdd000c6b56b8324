// Owners of the memory the shell hands out: blocks the caller frees with
// CoTaskMemFree, and item ID lists made by ILCombine or ILCreateFromPath,
// freed with ILFree.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/Handles.h"

namespace qtr {

template <typename T>
struct CoTaskMemTraits {
  using Type = T;
  static T Normalize(T block) { return block; }
  static void Close(T block) { CoTaskMemFree(const_cast<void*>(static_cast<const void*>(block))); }
};

struct ItemIdListTraits {
  using Type = PIDLIST_ABSOLUTE;
  static PIDLIST_ABSOLUTE Normalize(PIDLIST_ABSOLUTE list) { return list; }
  static void Close(PIDLIST_ABSOLUTE list) { ILFree(list); }
};

// A block from the task allocator; T is the pointer type it is used as.
template <typename T>
using CoTaskMemBlock = UniqueResource<CoTaskMemTraits<T>>;
using ItemIdList = UniqueResource<ItemIdListTraits>;

}  // namespace qtr

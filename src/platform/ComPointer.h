// An owned reference to a COM object: released once, when the owner goes
// out of scope; moved, not copied.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "platform/Handles.h"

namespace qtr {

template <typename T>
struct ComReferenceTraits {
  using Type = T*;
  static T* Normalize(T* object) { return object; }
  static void Close(T* object) { object->Release(); }
};

template <typename T>
using ComPointer = UniqueResource<ComReferenceTraits<T>>;

// The out parameter of QueryInterface, BindToObject and the like.
template <typename T>
void** OutObject(ComPointer<T>& pointer) {
  return reinterpret_cast<void**>(pointer.Out());
}

}  // namespace qtr

#pragma once
// The owning handle of a WinHTTP session, connection or request.

#include <windows.h>
#include <winhttp.h>

#include "platform/handles.h"

namespace zandrel::platform {

namespace handle_traits {
struct Internet : NullIsEmpty<HINTERNET> {
  static void Close(HINTERNET handle);
};
}  // namespace handle_traits

using UniqueInternet = UniqueAny<HINTERNET, handle_traits::Internet>;

}  // namespace zandrel::platform

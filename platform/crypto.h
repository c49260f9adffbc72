#pragma once
// The owning handles of the platform's cryptography (CNG): an algorithm
// provider and a key.

#include <windows.h>
#include <bcrypt.h>

#include "platform/handles.h"

namespace zandrel::platform {

namespace handle_traits {
struct CryptAlgorithm : NullIsEmpty<BCRYPT_ALG_HANDLE> {
  static void Close(BCRYPT_ALG_HANDLE handle);
};
struct CryptKey : NullIsEmpty<BCRYPT_KEY_HANDLE> {
  static void Close(BCRYPT_KEY_HANDLE handle);
};
}  // namespace handle_traits

using UniqueCryptAlgorithm = UniqueAny<BCRYPT_ALG_HANDLE, handle_traits::CryptAlgorithm>;
using UniqueCryptKey = UniqueAny<BCRYPT_KEY_HANDLE, handle_traits::CryptKey>;

}  // namespace zandrel::platform

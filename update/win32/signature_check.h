#pragma once
// Checking a release signature with the platform's cryptography (CNG):
// SHA-256 of the package, then ECDSA P-256 against the release's public key.

#include "core/bytes.h"
#include "update/release_signature.h"

namespace zandrel::update {

// True only when `signature` is the key's signature of `package`. Any
// failure of the platform's functions (a key that is no point of the curve,
// a missing algorithm) is a failed check.
bool VerifyReleaseSignature(ByteView package, const ReleaseSignature& signature,
                            const ReleasePublicKey& key);

}  // namespace zandrel::update

#pragma once
// The release signature: ECDSA over P-256 with SHA-256. A release's package
// has a file "<package>.sig" beside it, 64 bytes: r then s, 32 bytes each,
// big-endian. The verifying key is the public point X then Y (64 bytes),
// configured as 128 hex digits. Reading both is portable code over outside
// bytes; the verification itself is the platform's (update/win32/).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/bytes.h"

namespace zandrel::update {

inline constexpr std::size_t kSignatureSize = 64;
inline constexpr std::size_t kPublicKeySize = 64;
using ReleaseSignature = std::array<std::uint8_t, kSignatureSize>;
using ReleasePublicKey = std::array<std::uint8_t, kPublicKeySize>;

// The signature file: exactly 64 bytes, r and s each from 1 to n - 1 (n the
// order of the curve's group). None for anything else: another length, an
// error page, a DER signature, a zero or out-of-range half.
std::optional<ReleaseSignature> ParseSignatureFile(ByteView file);

// The configured public key: 128 hex digits of either case, X then Y, each
// below the curve's prime. None for anything else, the empty text of a build
// configured without a key among them.
std::optional<ReleasePublicKey> ParsePublicKeyHex(std::u16string_view hex);

}  // namespace zandrel::update

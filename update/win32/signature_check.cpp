#include "update/win32/signature_check.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <limits>
#include <vector>

#include "platform/crypto.h"

namespace zandrel::update {

namespace {

constexpr std::size_t kDigestSize = 32;

bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

platform::UniqueCryptAlgorithm OpenAlgorithm(const wchar_t* name) {
  platform::UniqueCryptAlgorithm algorithm;
  // After a failure the handle is not ours to close, whatever it holds.
  if (!Succeeded(BCryptOpenAlgorithmProvider(algorithm.put(), name, nullptr, 0)))
    algorithm.release();
  return algorithm;
}

}  // namespace

bool VerifyReleaseSignature(ByteView package, const ReleaseSignature& signature,
                            const ReleasePublicKey& key) {
  if (package.size() > std::numeric_limits<ULONG>::max()) return false;

  const platform::UniqueCryptAlgorithm sha256 = OpenAlgorithm(BCRYPT_SHA256_ALGORITHM);
  if (!sha256) return false;
  std::uint8_t digest[kDigestSize];
  // BCryptHash only reads its input; the header lacks the const.
  if (!Succeeded(BCryptHash(sha256.get(), nullptr, 0, const_cast<PUCHAR>(package.data()),
                            static_cast<ULONG>(package.size()), digest, sizeof digest)))
    return false;

  const platform::UniqueCryptAlgorithm ecdsa = OpenAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
  if (!ecdsa) return false;
  // The public blob: its header, then X and Y.
  std::vector<std::uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, static_cast<ULONG>(key.size() / 2)};
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, key.data(), key.size());
  platform::UniqueCryptKey public_key;
  if (!Succeeded(BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, public_key.put(),
                                     blob.data(), static_cast<ULONG>(blob.size()), 0))) {
    public_key.release();
    return false;
  }
  ReleaseSignature copy = signature;
  return BCryptVerifySignature(public_key.get(), nullptr, digest, sizeof digest, copy.data(),
                               static_cast<ULONG>(copy.size()), 0) == 0;
}

}  // namespace zandrel::update

#include "update/win32/package_verification.h"

#include "config/release_links.h"
#include "update/package_check.h"
#include "update/win32/signature_check.h"

namespace zandrel::update {

std::optional<ReleasePublicKey> ReleaseKey(const std::optional<std::u16string>& configured) {
  return ParsePublicKeyHex(configured ? std::u16string_view(*configured)
                                      : config::kReleasePublicKey);
}

void VerifyPackage(ByteView package, ByteView signature_file,
                   const std::optional<ReleasePublicKey>& key, PackageKind kind,
                   std::size_t folder_length) {
  const std::optional<ReleaseSignature> signature = ParseSignatureFile(signature_file);
  if (!key || !signature || !VerifyReleaseSignature(package, *signature, *key))
    throw PackageNotVerified();
  const bool right_kind = kind == PackageKind::kInstaller
                              ? IsWindowsExecutable(package)
                              : CheckArchive(package, folder_length) == ArchiveCheck::kSafe;
  if (!right_kind) throw PackageNotVerified();
}

}  // namespace zandrel::update

#pragma once
// Whether a downloaded package may be written and used: signed by the
// release key, and of the kind this copy installs from (an installer, or an
// archive whose entries stay inside the program folder). Nothing from the
// network is written or started unless this says yes.

#include <optional>
#include <stdexcept>
#include <string_view>

#include "core/bytes.h"
#include "update/release_signature.h"

namespace zandrel::update {

// A package refused by the checks: it is neither written nor used.
class PackageNotVerified : public std::runtime_error {
 public:
  PackageNotVerified() : std::runtime_error("the update package failed its checks") {}
};

// The largest package and signature file a download accepts.
inline constexpr std::int64_t kMaxPackageSize = 512ll * 1024 * 1024;
inline constexpr std::int64_t kMaxSignatureFileSize = 64 * 1024;

// The verifying key: the given text, or the one this build was configured
// with when none is given. None when the text is no key (a build without one).
std::optional<ReleasePublicKey> ReleaseKey(const std::optional<std::u16string>& configured);

enum class PackageKind { kInstaller, kArchive };

// Throws PackageNotVerified unless `signature_file` holds the key's
// signature of `package` and the package is of `kind`; an archive's entries
// must stay inside a program folder of `folder_length` characters (with its
// final backslash). The signature is checked first, so the archive's
// directory is only read once the bytes are known to be the release's.
void VerifyPackage(ByteView package, ByteView signature_file,
                   const std::optional<ReleasePublicKey>& key, PackageKind kind,
                   std::size_t folder_length);

}  // namespace zandrel::update

#pragma once
// A release key of a test's own, made and used by the release's own script
// (tools/release/release-key.sh, Debian's openssl underneath): what it signs
// is what the release target signs, and the program must take it.

#include <string>

#include "tests/support/temp_folder.h"

namespace zandrel::testing {

class TestReleaseKey {
 public:
  // A new P-256 key pair in a folder of its own.
  TestReleaseKey();

  // The public key as the build takes it: 128 hex digits, X then Y.
  const std::u16string& public_hex() const { return public_hex_; }
  // The signature file of `bytes`: the raw 64 bytes r then s.
  std::string Sign(const std::string& bytes) const;
  // Writes FILE.sig beside a file, as the release target does.
  void SignFile(const std::wstring& path) const;

 private:
  TempFolder dir_;
  std::string key_;  // the private key's Linux path
  std::u16string public_hex_;
};

}  // namespace zandrel::testing

// The signature file beside a package and the configured key text: what is
// taken is exactly 64 bytes, and a key read from hex writes back as the same
// hex.
#include <algorithm>
#include <cstdlib>

#include "fuzz_input.h"
#include "update/release_signature.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView bytes(data, size);
  if (const auto signature = update::ParseSignatureFile(bytes)) {
    if (size != update::kSignatureSize || !std::equal(signature->begin(), signature->end(), data))
      std::abort();
  }
  fuzz::Input in(data, size);
  const std::u16string hex = in.Text(256);
  if (const auto key = update::ParsePublicKeyHex(hex)) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    for (std::size_t i = 0; i < key->size(); ++i) {
      const auto lower = [](char16_t c) { return c >= u'A' && c <= u'F' ? char16_t(c + 32) : c; };
      if (lower(hex[2 * i]) != kDigits[(*key)[i] >> 4] ||
          lower(hex[2 * i + 1]) != kDigits[(*key)[i] & 15])
        std::abort();
    }
  }
  return 0;
}

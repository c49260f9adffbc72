// The version file a server answers, as the check reads it: its bytes as
// UTF-8, trimmed, then compared with a local version. Trimming leaves no
// blank or control character at either end; comparing is antisymmetric and
// a version equals itself.
#include <cstdlib>
#include <string_view>

#include "core/text.h"
#include "fuzz_input.h"
#include "update/update_rules.h"

using namespace zandrel;

namespace {

bool IsBlankOrControl(char16_t c) {
  return c <= u' ' || c == 0x7F;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const ByteView local_bytes = in.Take(in.Byte() % 32);
  const std::u16string local = FromUtf8(
      std::string_view(reinterpret_cast<const char*>(local_bytes.data()), local_bytes.size()));
  const ByteView body = in.Rest();
  const std::u16string version = update::TrimVersionText(
      FromUtf8(std::string_view(reinterpret_cast<const char*>(body.data()), body.size())));
  if (!version.empty() && (IsBlankOrControl(version.front()) || IsBlankOrControl(version.back())))
    std::abort();
  if (update::TrimVersionText(version) != version) std::abort();
  const int forward = update::CompareVersions(version, local);
  if (forward < -1 || forward > 1 || update::CompareVersions(local, version) != -forward)
    std::abort();
  if (update::CompareVersions(version, version) != 0) std::abort();
  return 0;
}

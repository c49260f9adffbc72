// The archive check of a downloaded portable package: the ZIP directory read
// from hostile bytes, and each entry name held to a plain statement of the
// rule: a name let through never climbs out, never names a drive, a stream
// or a root, and fits the path limit.
#include <cstdlib>
#include <string_view>

#include "fuzz_input.h"
#include "update/package_check.h"

using namespace zandrel;

namespace {

void HoldName(ByteView name, std::size_t folder) {
  if (!update::IsSafeEntryName(name, folder)) return;
  const std::string_view text(reinterpret_cast<const char*>(name.data()), name.size());
  if (text.empty() || text[0] == '/' || text[0] == '\\' ||
      text.find(':') != std::string_view::npos || folder + text.size() > update::kMaxJoinedPath)
    std::abort();
  // No segment is "..".
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '/' && text[i] != '\\') continue;
    if (text.substr(start, i - start) == "..") std::abort();
    start = i + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::size_t folder = in.Byte();
  const ByteView rest = in.Rest();
  update::CheckArchive(rest, folder);
  update::IsWindowsExecutable(rest);
  HoldName(rest.first(rest.size() < 300 ? rest.size() : 300), folder);
  return 0;
}

#include "cli/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "cli/cli.h"
#include "core/casefold.h"
#include "core/text.h"

namespace zandrel::cli {

namespace fs = std::filesystem;

std::optional<std::u16string> EnvironmentValue(std::u16string_view name) {
#ifdef _WIN32
  const wchar_t* value = _wgetenv(std::wstring(name.begin(), name.end()).c_str());
  if (!value) return std::nullopt;
  const std::wstring wide(value);
  return std::u16string(wide.begin(), wide.end());
#else
  const char* value = std::getenv(ToUtf8(name).c_str());
  if (!value) return std::nullopt;
  return FromUtf8(value);
#endif
}

bool PlainFileName(const fs::path& name) {
  return !name.empty() && std::distance(name.begin(), name.end()) == 1 && !name.has_root_path() &&
         name != "." && name != "..";
}


}  // namespace zandrel::cli

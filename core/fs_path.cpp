#include "core/fs_path.h"

#include "core/text.h"

namespace zandrel {

std::filesystem::path PathOf(const std::u16string& text) {
#ifdef _WIN32
  return std::filesystem::path(std::wstring(text.begin(), text.end()));
#else
  return std::filesystem::path(ToUtf8(text));
#endif
}

std::u16string TextOf(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::wstring wide = path.wstring();
  return std::u16string(wide.begin(), wide.end());
#else
  return FromUtf8(path.string());
#endif
}

}  // namespace zandrel

#include "core/paths.h"

namespace zandrel {

namespace {

// Index just after the last separator or drive colon; 0 when there is none.
std::size_t NameStart(std::u16string_view path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (IsPathDelimiter(path[i - 1]) || path[i - 1] == u':') return i;
  return 0;
}

// Index of the dot that starts the extension, or npos.
std::size_t ExtStart(std::u16string_view path) {
  const std::size_t start = NameStart(path);
  const std::size_t dot = path.rfind(u'.');
  if (dot == std::u16string_view::npos || dot < start) return std::u16string_view::npos;
  return dot;
}

}  // namespace

bool IsPathDelimiter(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string ExtractFileName(std::u16string_view path) {
  return std::u16string(path.substr(NameStart(path)));
}

std::u16string ExtractFilePath(std::u16string_view path) {
  return std::u16string(path.substr(0, NameStart(path)));
}

std::u16string ExtractFileExt(std::u16string_view path) {
  const std::size_t dot = ExtStart(path);
  return dot == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(dot));
}

std::u16string FileNameWithoutExt(std::u16string_view path) {
  return ExtractFileName(RemoveFileExt(path));
}

std::u16string RemoveFileExt(std::u16string_view path) {
  const std::size_t dot = ExtStart(path);
  return std::u16string(dot == std::u16string_view::npos ? path : path.substr(0, dot));
}

std::u16string WithTrailingSeparator(std::u16string_view path) {
  std::u16string out(path);
  if (out.empty() || !IsPathDelimiter(out.back())) out.push_back(u'\\');
  return out;
}

}  // namespace zandrel

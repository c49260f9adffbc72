#include "icons/icon_location.h"

#include "core/casefold.h"
#include "core/text.h"

namespace zandrel::icons {

namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::u16string_view Unquoted(std::u16string_view text) {
  if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"')
    return text.substr(1, text.size() - 2);
  return text;
}

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

}  // namespace

std::optional<IconLocation> ParseIconLocation(std::u16string_view text) {
  text = Unquoted(Trimmed(text));
  const std::size_t comma = text.rfind(u',');
  if (comma == std::u16string_view::npos) return std::nullopt;
  const std::u16string_view module = Unquoted(Trimmed(text.substr(0, comma)));
  const std::optional<std::int32_t> value = ParseDecimalInt32(Trimmed(text.substr(comma + 1)));
  if (module.empty() || !value) return std::nullopt;
  return IconLocation{std::u16string(module), *value};
}

std::u16string FormatIconLocation(std::u16string_view module, std::u16string_view group_name,
                                  std::size_t position) {
  std::u16string text(module);
  text += u',';
  if (group_name.starts_with(u"ID:")) {
    const std::optional<std::int32_t> id = ParseDecimalInt32(group_name.substr(3));
    if (id && *id > 0) return text + u"-" + ToDecimal(*id);
  }
  return text + ToDecimalUnsigned(position);
}

std::optional<std::size_t> GroupOfLocation(const std::vector<std::u16string>& groups,
                                           std::int32_t value) {
  if (value >= 0) {
    if (static_cast<std::uint64_t>(value) < groups.size()) return static_cast<std::size_t>(value);
    return std::nullopt;
  }
  const std::u16string wanted = u"ID:" + ToDecimal(-static_cast<std::int64_t>(value));
  for (std::size_t i = 0; i < groups.size(); ++i)
    if (groups[i] == wanted) return i;
  return std::nullopt;
}

std::u16string PathWithLocationFolder(
    std::u16string_view path,
    const std::function<std::optional<std::u16string>(std::u16string_view)>& lookup) {
  std::vector<EnvironmentFolder> folders;
  for (const std::u16string& name : LocationFolderVariables())
    if (const auto value = lookup(name)) folders.emplace_back(name, *value);
  return PathWithEnvironmentFolder(path, folders);
}

const std::vector<std::u16string>& LocationFolderVariables() {
  static const std::vector<std::u16string> names = {u"SystemRoot",
                                                    u"ProgramFiles",
                                                    u"ProgramFiles(x86)",
                                                    u"CommonProgramFiles",
                                                    u"CommonProgramFiles(x86)",
                                                    u"ProgramData",
                                                    u"LOCALAPPDATA",
                                                    u"APPDATA",
                                                    u"USERPROFILE"};
  return names;
}

std::u16string PathWithEnvironmentFolder(std::u16string_view path,
                                         const std::vector<EnvironmentFolder>& folders) {
  const EnvironmentFolder* best = nullptr;
  std::size_t best_length = 0;
  const std::u16string upper = UpperCase(std::u16string(path));
  for (const EnvironmentFolder& folder : folders) {
    std::u16string_view value = folder.second;
    while (!value.empty() && IsSeparator(value.back())) value.remove_suffix(1);
    if (value.empty() || value.size() >= path.size() || !IsSeparator(path[value.size()])) continue;
    if (upper.compare(0, value.size(), UpperCase(std::u16string(value))) != 0) continue;
    if (value.size() > best_length) {
      best = &folder;
      best_length = value.size();
    }
  }
  if (!best) return std::u16string(path);
  return u"%" + best->first + u"%" + std::u16string(path.substr(best_length));
}

std::u16string ExpandEnvironmentText(
    std::u16string_view text,
    const std::function<std::optional<std::u16string>(std::u16string_view)>& lookup) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = text[i] == u'%' ? text.find(u'%', i + 1) : std::u16string_view::npos;
    if (end != std::u16string_view::npos && end > i + 1) {
      if (const std::optional<std::u16string> value = lookup(text.substr(i + 1, end - i - 1))) {
        out += *value;
        i = end + 1;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

std::u16string ResolveLocationModule(
    std::u16string_view module,
    const std::function<std::optional<std::u16string>(std::u16string_view)>& lookup,
    const std::function<bool(const std::u16string&)>& exists) {
  const std::u16string expanded = ExpandEnvironmentText(module, lookup);
  bool bare = true;
  for (const char16_t c : expanded)
    if (IsSeparator(c) || c == u':') bare = false;
  if (!bare) return expanded;
  if (const std::optional<std::u16string> root = lookup(u"SystemRoot")) {
    for (const std::u16string& folder : {*root + u"\\System32\\", *root + u"\\"}) {
      const std::u16string candidate = folder + expanded;
      if (exists(candidate)) return candidate;
    }
  }
  return expanded;
}

}  // namespace zandrel::icons

#include "i18n/language_files.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "core/casefold.h"
#include "core/text.h"

namespace zandrel::i18n {

namespace {

// Whether a key with a "." names something the program has: its window, and
// when the rest has a "." of its own, the component before that.
bool KeyIsCurrent(std::u16string_view key, const ComponentDirectory& directory) {
  const std::size_t first = key.find(u'.');
  const std::u16string_view window = key.substr(0, first);
  if (!directory.HasWindow(window)) return false;
  const std::u16string_view rest = key.substr(first + 1);
  const std::size_t second = rest.find(u'.');
  return second == std::u16string_view::npos ||
         directory.HasComponent(window, rest.substr(0, second));
}

bool IsQuoted(std::u16string_view value) {
  return value.size() >= 2 && value.front() == u'"' && value.back() == u'"';
}

}  // namespace

std::u16string LanguageText(std::u16string_view value) {
  return std::u16string(IsQuoted(value) ? value.substr(1, value.size() - 2) : value);
}

std::u16string LanguageValue(std::u16string_view text) {
  if (Trim(text) == text && !IsQuoted(text)) return std::u16string(text);
  return u"\"" + std::u16string(text) + u"\"";
}

std::u16string LanguageFolder(std::u16string_view program_folder) {
  return std::u16string(program_folder) + u"Language\\";
}

std::u16string LanguageDisplayName(const settings::IniDocument& document,
                                   std::u16string_view base_name) {
  const std::optional<std::u16string> name = document.Find(kLanguageInformation, kLanguageNameKey);
  return name ? LanguageText(*name) : std::u16string(base_name);
}

void SortLanguageFileNames(std::vector<std::u16string>& names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::u16string& a, const std::u16string& b) {
                     return CompareIgnoreCase(a, b) < 0;
                   });
}

std::u16string LanguageItemCaption(std::u16string_view base_name, std::u16string_view display) {
  std::u16string caption(base_name);
  caption += u"\t\t";
  caption += display;
  return caption;
}

std::u16string BaseNameFromCaption(std::u16string_view caption) {
  const std::size_t tab = caption.find(u'\t');
  return tab == std::u16string_view::npos ? std::u16string()
                                          : std::u16string(caption.substr(0, tab));
}

bool MarksLanguage(std::u16string_view base_name, std::u16string_view setting) {
  return EqualsIgnoreAsciiCase(base_name, setting) || std::u16string(base_name) + u".ini" == setting;
}

bool CleanLanguageDocument(settings::IniDocument& document, const ComponentDirectory& directory) {
  return document.RetainKeys([&directory](std::u16string_view section,
                                          const std::vector<std::u16string_view>& keys)
                                 -> std::optional<std::vector<bool>> {
    if (EqualsIgnoreAsciiCase(section, kLanguageInformation) ||
        EqualsIgnoreAsciiCase(section, kDestDirSection))
      return std::nullopt;
    // Visited from the last key, each stale key removes the first remaining
    // line of its name, and so does each repeat of an earlier key: of equal
    // keys only the last survives, and none of a stale one.
    std::unordered_map<std::u16string, std::size_t> last_of;
    for (std::size_t i = 0; i < keys.size(); ++i) last_of[UpperCase(keys[i])] = i;
    std::vector<bool> keep(keys.size(), false);
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (keys[i].find(u'.') == std::u16string_view::npos) continue;
      keep[i] = last_of[UpperCase(keys[i])] == i && KeyIsCurrent(keys[i], directory);
    }
    return keep;
  });
}

}  // namespace zandrel::i18n

#pragma once
// Language files: the "Language" folder beside the program holds one INI file
// per language (English.ini); the base name is the language's identifier, the
// "LANGNAME" entry of its "Language information" section the name the menu
// shows. The rules of the language menu and of the cleanup that keeps the
// files in step with the program's windows live here; the menu itself and
// the file listing are the main window's.

#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_document.h"

namespace zandrel::i18n {

inline constexpr std::u16string_view kLanguageSection = u"Language";
inline constexpr std::u16string_view kLanguageKey = u"Language";
inline constexpr std::u16string_view kLanguageInformation = u"Language information";
inline constexpr std::u16string_view kLanguageNameKey = u"LANGNAME";
// A section the program has no use for and leaves alone.
inline constexpr std::u16string_view kDestDirSection = u"DestDir";

// A value of a language file as the text it stands for. The reader trims the
// blanks (characters up to U+0020) around the "=" and at the line's end, so a
// text that begins or ends with blanks is written in double quotes: a value
// that begins and ends with '"' stands for what lies between them, blanks
// included ("" for the empty text). Any other value is the text as written.
std::u16string LanguageText(std::u16string_view value);
// The value to write for a text so that LanguageText gives it back: in
// quotes when it begins or ends with a blank or is itself in quotes.
std::u16string LanguageValue(std::u16string_view text);

// <program folder>Language\ (with its trailing separator).
std::u16string LanguageFolder(std::u16string_view program_folder);
// The display name of a language file's document; the base name without one.
std::u16string LanguageDisplayName(const settings::IniDocument& document,
                                   std::u16string_view base_name);
// File names sorted alphabetically without regard to letter case.
void SortLanguageFileNames(std::vector<std::u16string>& names);
// A menu item's caption: the base name, two tabs, the display name (the menu
// shows the text after a tab in its shortcut column).
std::u16string LanguageItemCaption(std::u16string_view base_name, std::u16string_view display);
// The base name back from a caption: the text before its first tab ("" when
// it has none).
std::u16string BaseNameFromCaption(std::u16string_view caption);
// Whether the item of this base name is marked for the stored setting: equal
// without regard to ASCII letter case, or the base name with ".ini" exactly.
bool MarksLanguage(std::u16string_view base_name, std::u16string_view setting);

// What the cleanup knows of the program: its windows and their components by
// name (both compared without regard to letter case).
class ComponentDirectory {
 public:
  virtual ~ComponentDirectory() = default;
  virtual bool HasWindow(std::u16string_view window) const = 0;
  virtual bool HasComponent(std::u16string_view window, std::u16string_view component) const = 0;
};

// Removes, from every section but "Language information" and "DestDir", the
// keys without ".", the stale ones (a window or a component the program does
// not have) and repeated ones (of equal keys the last survives), then the
// sections left without keys. True when anything was removed. Linear in the
// size of the document.
bool CleanLanguageDocument(settings::IniDocument& document, const ComponentDirectory& directory);

}  // namespace zandrel::i18n

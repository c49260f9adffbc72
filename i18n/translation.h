#pragma once
// The translation engine: replaces the texts of one window with those of the
// selected language file, property by property, keyed by the window's and the
// component's names ("Form1.ButtonBrowse.Caption"). It knows the windows only
// through the interfaces below, which the GUI runtime implements for its real
// windows; the engine itself is portable.
//
// Keys the engine looks up, all compared without regard to letter case:
//   <window>.Caption                          the caption of every window but the main one
//   <window>.<component>.<property>           Caption, Hint, Title, Text, TextHint,
//                                             FileType1..FileType4 (a file dialog's types)
//   <window>.<component>.Columns[<i>].Caption a list view's column
//   <window>.<component>.Tabs [<i>]           a line of a tab control's tab list
// Texts that are empty, "-" or a whole number are never looked up. A value in
// double quotes keeps the blanks at its ends (LanguageText). A key the file
// lacks leaves the text as it is and goes to the missing-key log (only when
// that file exists), as "key=text" (the text quoted the same way), so a
// translator can copy the lines.

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/ansi_codec.h"
#include "settings/ini_document.h"

namespace zandrel::i18n {

// The text properties a translator can address, in the order they are tried.
inline constexpr std::u16string_view kTextProperties[] = {u"Caption",   u"Hint",      u"Title",
                                                          u"Text",      u"TextHint",  u"FileType1",
                                                          u"FileType2", u"FileType3", u"FileType4"};

// One component of a window as the engine sees it.
class TranslatableComponent {
 public:
  virtual ~TranslatableComponent() = default;
  virtual std::u16string Name() const = 0;
  virtual bool HasTextProperty(std::u16string_view property) const = 0;
  virtual std::u16string GetText(std::u16string_view property) const = 0;
  virtual void SetText(std::u16string_view property, const std::u16string& value) = 0;
  // List views: their columns' captions.
  virtual int ColumnCount() const { return 0; }
  virtual std::u16string ColumnCaption(int /*index*/) const { return {}; }
  virtual void SetColumnCaption(int /*index*/, const std::u16string& /*caption*/) {}
  // Tab controls: their tab list.
  virtual bool IsTabControl() const { return false; }
  virtual std::vector<std::u16string> Tabs() const { return {}; }
  virtual void SetTab(int /*index*/, const std::u16string& /*text*/) {}
};

// A window: its name, its caption and its components in creation order. A
// component may go away while a pass lets messages run; ComponentAt then
// gives null and the pass moves on.
class TranslatableWindow {
 public:
  virtual ~TranslatableWindow() = default;
  virtual std::u16string Name() const = 0;
  virtual std::u16string Caption() const = 0;
  virtual void SetCaption(const std::u16string& caption) = 0;
  virtual std::size_t ComponentCount() const = 0;
  virtual TranslatableComponent* ComponentAt(std::size_t index) = 0;
};

// What a pass needs of the program around it.
struct TranslationEnvironment {
  // The program's folder, with its trailing separator.
  std::u16string program_folder;
  // The "Language" setting, read anew for every pass.
  std::function<std::u16string()> language_setting;
  // Lets pending window messages run between the steps of a pass.
  std::function<void()> process_messages;
  // For language files and logs without a byte-order mark.
  const settings::AnsiCodec* codec = nullptr;
  // The application title: the section of the translations, the missing-key
  // log's name and the tail of the update window's caption.
  std::u16string application_title;
  // The window whose caption is never translated, and the one whose caption
  // gets a blank and the application title after it.
  std::u16string main_window;
  std::u16string update_window;
  // Components that hold texts the program computes, never translated:
  // "<window>.<component>".
  std::vector<std::u16string> excluded;
};

// The unused lines of the language section ("key=value", in file order). A
// used line is removed, so each line serves one lookup per pass and of equal
// keys the first serves first. Lookups go through an index by key, so a pass
// stays linear in the size of the file however many lines it has.
class SectionLines {
 public:
  void Clear();
  void Add(std::u16string line);
  std::size_t size() const { return remaining_; }
  // The position of the first remaining line with this key, or -1.
  std::ptrdiff_t Find(std::u16string_view key) const;
  const std::u16string& at(std::size_t position) const { return lines_.at(position); }
  void Remove(std::size_t position);

 private:
  std::vector<std::u16string> lines_;
  std::vector<bool> removed_;
  // Upper-cased key -> positions of its remaining lines, in file order.
  std::unordered_map<std::u16string, std::deque<std::size_t>> index_;
  std::size_t remaining_ = 0;
};

// The state of one window's pass; one record serves all windows of a run.
struct TTranslation {
  explicit TTranslation(const TranslationEnvironment& environment) : Environment(&environment) {}

  const TranslationEnvironment* Environment;
  TranslatableWindow* Form = nullptr;
  SectionLines SectionValues;
  std::vector<std::u16string> MissingKeys;
  std::u16string SectionName;
};

// <program folder>Language\<setting>.ini
std::u16string LanguageFilePath(std::u16string_view program_folder, std::u16string_view setting);
// The missing-key log beside the program's folder: C:\Tools\Zandrel\ gives
// C:\Tools\<title>.log. A program in a root folder keeps it in that root.
std::u16string MissingKeyLogPath(std::u16string_view program_folder, std::u16string_view title);
// Empty, "-" and whole numbers are never looked up.
bool IsTranslatableText(std::u16string_view text);

// Translates every component of one window from the language file; a window
// without a language file stays as it is. Any failure ends the window's pass
// quietly (the log is then not written); running out of memory is passed on.
void TranslateForm(TTranslation& t, TranslatableWindow& window, std::u16string_view section_name);
// The same with the language file already read by the caller (which has
// just looked for the section in it), so a window's pass reads it once.
void TranslateForm(TTranslation& t, TranslatableWindow& window, std::u16string_view section_name,
                   const settings::IniDocument& language);
// The pass itself, on a language document and missing-key lines already read
// (TranslateForm reads them from the files); t.MissingKeys holds the lines
// afterwards.
void TranslateWindow(TTranslation& t, TranslatableWindow& window,
                     const settings::IniDocument& language,
                     std::vector<std::u16string> missing_keys);

// The translation of a key, or the current text when the file lacks it (the
// key is then recorded as missing).
std::u16string LookupTranslation(TTranslation& t, std::u16string_view key,
                                 const std::u16string& current);
std::ptrdiff_t FindKey(const TTranslation& t, std::u16string_view key);
void TranslateString(TTranslation& t, std::u16string& text, std::u16string_view key);
void TranslateProperty(TTranslation& t, std::u16string_view property,
                       TranslatableComponent& component);
void TranslateStrings(TTranslation& t, std::vector<std::u16string>& lines,
                      std::u16string_view key_prefix);

}  // namespace zandrel::i18n

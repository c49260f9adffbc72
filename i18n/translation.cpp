#include "i18n/translation.h"

#include <algorithm>
#include <initializer_list>
#include <new>
#include <optional>
#include <utility>

#include "core/casefold.h"
#include "core/file_io.h"
#include "core/paths.h"
#include "core/text.h"
#include "i18n/language_files.h"

namespace zandrel::i18n {

namespace {

// A line's key: the text before its first "=" (all of it when it has none).
std::u16string_view KeyOf(std::u16string_view line) {
  return line.substr(0, std::min(line.find(u'='), line.size()));
}

void LetMessagesRun(const TTranslation& t) {
  if (t.Environment->process_messages) t.Environment->process_messages();
}

std::u16string Join(std::initializer_list<std::u16string_view> parts) {
  std::u16string text;
  for (const std::u16string_view part : parts) text += part;
  return text;
}

bool IsExcluded(const TranslationEnvironment& environment, std::u16string_view window,
                std::u16string_view component) {
  const std::u16string name = Join({window, u".", component});
  return std::find(environment.excluded.begin(), environment.excluded.end(), name) !=
         environment.excluded.end();
}

// Lines of a missing-key log, read by the language files' encoding rules.
std::optional<std::vector<std::u16string>> ReadLogLines(std::u16string_view path,
                                                       const settings::AnsiCodec& codec) {
  const std::optional<Bytes> bytes = ReadFileBytes(path, settings::kMaxIniFileBytes + 1);
  if (!bytes || bytes->size() > settings::kMaxIniFileBytes) return std::nullopt;
  return settings::SplitLines(settings::DecodeIniText(*bytes, codec));
}

void TranslateComponent(TTranslation& t, TranslatableComponent& component,
                        std::u16string_view window_name) {
  const std::u16string name = component.Name();
  for (const std::u16string_view property : kTextProperties) {
    TranslateProperty(t, property, component);
    LetMessagesRun(t);
  }
  const int columns = component.ColumnCount();
  for (int i = 0; i < columns; ++i) {
    std::u16string caption = component.ColumnCaption(i);
    const std::u16string before = caption;
    TranslateString(t, caption,
                    Join({window_name, u".", name, u".Columns[", ToDecimal(i), u"].Caption"}));
    if (caption != before) component.SetColumnCaption(i, caption);
    LetMessagesRun(t);
  }
  if (component.IsTabControl()) {
    std::vector<std::u16string> tabs = component.Tabs();
    const std::vector<std::u16string> before = tabs;
    TranslateStrings(t, tabs, Join({window_name, u".", name, u".Tabs "}));
    for (std::size_t i = 0; i < tabs.size(); ++i)
      if (tabs[i] != before[i]) component.SetTab(static_cast<int>(i), tabs[i]);
  }
}

}  // namespace

void SectionLines::Clear() {
  lines_.clear();
  removed_.clear();
  index_.clear();
  remaining_ = 0;
}

void SectionLines::Add(std::u16string line) {
  index_[UpperCase(KeyOf(line))].push_back(lines_.size());
  lines_.push_back(std::move(line));
  removed_.push_back(false);
  ++remaining_;
}

std::ptrdiff_t SectionLines::Find(std::u16string_view key) const {
  const auto it = index_.find(UpperCase(key));
  if (it == index_.end() || it->second.empty()) return -1;
  return static_cast<std::ptrdiff_t>(it->second.front());
}

void SectionLines::Remove(std::size_t position) {
  if (position >= lines_.size() || removed_[position]) return;
  std::deque<std::size_t>& positions = index_[UpperCase(KeyOf(lines_[position]))];
  positions.erase(std::find(positions.begin(), positions.end(), position));
  removed_[position] = true;
  --remaining_;
}

std::u16string LanguageFilePath(std::u16string_view program_folder, std::u16string_view setting) {
  return Join({program_folder, u"Language\\", setting, u".ini"});
}

std::u16string MissingKeyLogPath(std::u16string_view program_folder, std::u16string_view title) {
  std::u16string_view folder = program_folder;
  while (!folder.empty() && IsPathDelimiter(folder.back())) folder.remove_suffix(1);
  std::size_t cut = folder.size();
  while (cut > 0 && !IsPathDelimiter(folder[cut - 1])) --cut;
  // "C:\" has no folder above it: the log stays in the root.
  const std::u16string_view parent = cut > 0 ? folder.substr(0, cut) : program_folder;
  return Join({parent, title, u".log"});
}

bool IsTranslatableText(std::u16string_view text) {
  return !text.empty() && text != u"-" && !ParseWholeNumber(text);
}

std::ptrdiff_t FindKey(const TTranslation& t, std::u16string_view key) {
  return t.SectionValues.Find(key);
}

std::u16string LookupTranslation(TTranslation& t, std::u16string_view key,
                                 const std::u16string& current) {
  const std::ptrdiff_t i = FindKey(t, key);
  if (i < 0) {
    // In the language file's own form, ready to be translated and pasted in.
    t.MissingKeys.push_back(Join({key, u"=", LanguageValue(current)}));
    return current;
  }
  const std::u16string& line = t.SectionValues.at(static_cast<std::size_t>(i));
  std::u16string value = line.substr(std::min(line.size(), key.size() + 1));
  t.SectionValues.Remove(static_cast<std::size_t>(i));
  return value;
}

void TranslateString(TTranslation& t, std::u16string& text, std::u16string_view key) {
  if (!IsTranslatableText(text)) return;
  std::u16string result = LookupTranslation(t, key, text);
  if (!result.empty()) text = std::move(result);
}

void TranslateProperty(TTranslation& t, std::u16string_view property,
                       TranslatableComponent& component) {
  if (!component.HasTextProperty(property)) return;
  const std::u16string current = component.GetText(property);
  if (!IsTranslatableText(current)) return;
  const std::u16string key = Join({t.Form->Name(), u".", component.Name(), u".", property});
  const std::u16string result = LookupTranslation(t, key, current);
  if (!result.empty()) component.SetText(property, result);
}

void TranslateStrings(TTranslation& t, std::vector<std::u16string>& lines,
                      std::u16string_view key_prefix) {
  const std::vector<std::u16string> copy = lines;
  for (std::size_t i = 0; i < copy.size(); ++i) {
    if (IsTranslatableText(copy[i])) {
      const std::u16string key =
          Join({key_prefix, u"[", ToDecimal(static_cast<std::int64_t>(i)), u"]"});
      std::u16string result = LookupTranslation(t, key, copy[i]);
      if (!result.empty() && i < lines.size()) lines[i] = std::move(result);
    }
    LetMessagesRun(t);
  }
}

void TranslateWindow(TTranslation& t, TranslatableWindow& window,
                     const settings::IniDocument& language,
                     std::vector<std::u16string> missing_keys) {
  const TranslationEnvironment& env = *t.Environment;
  t.SectionValues.Clear();
  for (settings::IniEntry& entry : language.Entries(t.SectionName))
    t.SectionValues.Add(Join({entry.key, u"=", LanguageText(entry.value)}));
  t.MissingKeys = std::move(missing_keys);
  t.Form = &window;

  const std::u16string window_name = window.Name();
  if (window_name != env.main_window) {
    window.SetCaption(LookupTranslation(t, window_name + u".Caption", window.Caption()));
    LetMessagesRun(t);
  }
  // A caption the file did not cover still carries the tail of the last pass;
  // it gets no second one.
  if (window_name == env.update_window) {
    const std::u16string tail = u" " + env.application_title;
    const std::u16string caption = window.Caption();
    if (!EndsWith(caption, tail)) window.SetCaption(caption + tail);
  }

  // Messages run between the steps, so the count is read anew each time.
  for (std::size_t i = 0; i < window.ComponentCount(); ++i) {
    TranslatableComponent* component = window.ComponentAt(i);
    if (component == nullptr || IsExcluded(env, window_name, component->Name())) continue;
    TranslateComponent(t, *component, window_name);
  }
  t.SectionValues.Clear();
}

void TranslateForm(TTranslation& t, TranslatableWindow& window, std::u16string_view section_name) {
  const TranslationEnvironment& env = *t.Environment;
  const std::u16string language_path = LanguageFilePath(env.program_folder, env.language_setting());
  if (!FileExists(language_path)) return;
  std::optional<settings::IniDocument> language;
  try {
    language = settings::LoadIniFile(language_path, *env.codec);
  } catch (const FileError&) {
    return;  // unreadable: the window's pass ends here
  }
  TranslateForm(t, window, section_name, *language);
}

void TranslateForm(TTranslation& t, TranslatableWindow& window, std::u16string_view section_name,
                   const settings::IniDocument& language) {
  const TranslationEnvironment& env = *t.Environment;
  t.SectionName = std::u16string(section_name);
  const std::u16string log_path = MissingKeyLogPath(env.program_folder, env.application_title);
  try {
    std::vector<std::u16string> logged;
    const bool keep_log = FileExists(log_path);
    if (keep_log) {
      std::optional<std::vector<std::u16string>> lines = ReadLogLines(log_path, *env.codec);
      if (!lines) return;
      logged = std::move(*lines);
    }
    TranslateWindow(t, window, language, std::move(logged));
    if (keep_log && !t.MissingKeys.empty()) {
      std::u16string text;
      for (const std::u16string& line : t.MissingKeys) text += line + u"\r\n";
      WriteFileAtomically(log_path, settings::EncodeUtf16LeWithBom(text));
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
    // A log that cannot be written back or a property that refuses its
    // value ends this window's pass; the next window is still translated.
  }
  t.SectionValues.Clear();
  t.MissingKeys.clear();
}

}  // namespace zandrel::i18n

// The language menu, the cleanup of the language files and the translation
// of every window of the program.
#include <algorithm>
#include <new>
#include <optional>
#include <utility>

#include "core/file_io.h"
#include "core/paths.h"
#include "gui/win32/application.h"
#include "i18n/language_files.h"
#include "i18n/translation.h"
#include "i18n/win32/form_translation.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "settings/ini_document.h"
#include "settings/win32/ansi_codec_win32.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace {

// Language items form a radio group of their own, apart from the themes.
constexpr std::int64_t kLanguageGroup = 2;

gui::DefinitionValue Text(std::u16string text) {
  return {gui::DefinitionValue::Type::kString, std::move(text), 0};
}
gui::DefinitionValue Word(std::u16string word) {
  return {gui::DefinitionValue::Type::kWord, std::move(word), 0};
}

gui::ComponentDefinition LanguageItem(const std::u16string& caption, bool checked) {
  gui::ComponentDefinition def;
  def.kind = u"MenuItem";
  def.properties = {{u"Caption", Text(caption)},
                    {u"RadioItem", Word(u"true")},
                    {u"AutoCheck", Word(u"true")},
                    {u"GroupIndex", {gui::DefinitionValue::Type::kInteger, u"", kLanguageGroup}},
                    {u"Checked", Word(checked ? u"true" : u"false")}};
  return def;
}

// The display name, or the base name when the file cannot be read.
std::u16string DisplayNameOf(const std::u16string& path, const std::u16string& base_name) {
  try {
    return i18n::LanguageDisplayName(settings::LoadIniFile(path, settings::SystemAnsiCodec()),
                                     base_name);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
    return base_name;
  }
}

// Counts the switches and translations under way.
class BusyScope {
 public:
  explicit BusyScope(int& count) : count_(count) { ++count_; }
  ~BusyScope() { --count_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  int& count_;
};

bool StillOpen(const gui::Form* form) {
  const auto& forms = gui::Application::Instance().forms();
  return std::find(forms.begin(), forms.end(), form) != forms.end();
}

}  // namespace

std::u16string TForm1::LanguageSetting() const {
  return settings::ReadSettingsForLoading(PortablePath())
      .ReadString(i18n::kLanguageSection, i18n::kLanguageKey, u"");
}

void TForm1::LoadLanguage() {
  // Removed items are destroyed once the click being dispatched (perhaps on
  // one of them) has run to its end.
  const std::vector<gui::MenuItem*> old_items = LanguageMenu.items();
  for (gui::MenuItem* item : old_items) RemoveComponent(*item);
  current_language_ = ToWide(LanguageSetting());

  const std::u16string folder = i18n::LanguageFolder(FromWide(program_folder));
  std::vector<std::u16string> names;
  for (const std::wstring& name : i18n::ListLanguageFiles(ToWide(folder)))
    names.push_back(FromWide(name));
  i18n::SortLanguageFileNames(names);
  for (const std::u16string& name : names) {
    const std::u16string base_name = RemoveFileExt(name);
    const std::u16string caption =
        i18n::LanguageItemCaption(base_name, DisplayNameOf(folder + name, base_name));
    auto& item = Add<gui::MenuItem>(
        LanguageItem(caption, i18n::MarksLanguage(base_name, FromWide(current_language_))),
        LanguageMenu);
    // The handler belongs to the item, so it never outlives it.
    item.on_click = [this, &item] { LanguageItemClick(item); };
  }
}

void TForm1::LanguageItemClick(gui::MenuItem& sender) {
  pending_language_ = ToWide(i18n::BaseNameFromCaption(FromWide(sender.caption())));
  if (language_busy_ == 0) RunLanguageSwitches();
}

void TForm1::RunLanguageSwitches() {
  const BusyScope busy(language_busy_);
  try {
    while (pending_language_) SwitchLanguage(*std::exchange(pending_language_, std::nullopt));
  } catch (...) {
    pending_language_.reset();
    throw;
  }
}

void TForm1::SwitchLanguage(const std::wstring& base_name) {
  current_language_ = base_name;
  for (gui::MenuItem* item : LanguageMenu.items())
    item->SetChecked(ToWide(i18n::BaseNameFromCaption(FromWide(item->caption()))) == base_name);

  const std::u16string path = FromWide(PortablePath());
  settings::IniDocument ini = settings::LoadIniFile(path, settings::SystemAnsiCodec());
  ini.WriteString(i18n::kLanguageSection, i18n::kLanguageKey, FromWide(current_language_));
  settings::SaveIniFile(path, ini);

  LoadLanguage();
  Globload();
  if (EmbedFolderMenu.checked()) {
    // The verb's caption is a catalogue text: write it in the new language.
    RegisterContextMenu();
    shellext::ContextMenuVerb::NotifyShell();
    gui::Application::Instance().ProcessMessages();
  }
}

void TForm1::CleanTranslationsLikeGlobload() {
  gui::Application& app = gui::Application::Instance();
  i18n::CleanLanguageFiles(ToWide(i18n::LanguageFolder(FromWide(program_folder))),
                           i18n::FormDirectory(app.forms()), settings::SystemAnsiCodec());
}

void TForm1::Globload() {
  {
    const BusyScope busy(language_busy_);
    TranslateAllWindows();
  }
  // A language chosen while the windows were translated.
  if (language_busy_ == 0 && pending_language_) RunLanguageSwitches();
}

void TForm1::TranslateAllWindows() {
  gui::Application& app = gui::Application::Instance();
  const std::u16string title = FromWide(app.title());
  i18n::TranslationEnvironment env;
  env.program_folder = FromWide(program_folder);
  env.language_setting = [this] { return LanguageSetting(); };
  env.process_messages = [&app] { app.ProcessMessages(); };
  env.codec = &settings::SystemAnsiCodec();
  env.application_title = title;
  env.main_window = u"Form1";
  env.update_window = u"Form10";
  env.excluded = {u"Form1.EditPathExtract", u"Form8.LabelCopyright", u"Form10.LabelLocalVersion",
                  u"Form10.LabelServerVersion"};
  // The search window's fields and status hold the user's paths and counts
  // (its filter field is translated for its hint).
  for (const char16_t* name : {u"Form5.EditSearchFolder", u"Form5.EditMinSize",
                               u"Form5.LabelSearchStatus", u"Form5.MemoUnreadable"})
    env.excluded.push_back(name);
  i18n::TTranslation translation(env);

  // Messages run during a pass, so the list is read from a copy and each
  // window is checked to be still there.
  const std::vector<gui::Form*> forms = app.forms();
  for (gui::Form* form : forms) {
    if (!StillOpen(form)) continue;
    const std::u16string path = i18n::LanguageFilePath(env.program_folder, env.language_setting());
    std::optional<settings::IniDocument> language;
    try {
      language = settings::LoadIniFile(path, *env.codec);
    } catch (const FileError&) {
      continue;  // unreadable: as good as missing
    }
    if (!language->HasSection(title)) continue;
    i18n::FormTranslation window(*form);
    i18n::TranslateForm(translation, window, title, *language);
    app.ProcessMessages();
  }
}

}  // namespace zandrel

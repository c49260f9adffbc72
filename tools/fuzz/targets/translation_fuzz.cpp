// The engine's lookups over a window made of plain data: the input is a
// language file, then (after a NUL) the texts of the window's components,
// one per line. A text either stays or becomes the text of a value of the
// file, and every lookup that fails leaves one line in the missing keys.
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "i18n/language_files.h"
#include "i18n/tests/fake_window.h"
#include "i18n/translation.h"
#include "settings/ansi_codec.h"
#include "settings/ini_document.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t* split = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
  const std::size_t file_size = split ? static_cast<std::size_t>(split - data) : size;
  const auto language =
      settings::IniDocument::FromBytes(ByteView(data, file_size), settings::Windows1251Codec());
  std::vector<std::u16string> texts;
  if (split) {
    std::u16string text;
    for (const std::uint8_t* p = split + 1; p < data + size; ++p) {
      if (*p == '\n') {
        texts.push_back(text);
        text.clear();
      } else {
        text.push_back(static_cast<char16_t>(*p));
      }
    }
    texts.push_back(text);
  }

  i18n::testing::FakeWindow window(u"Form10", texts.empty() ? u"" : texts[0]);
  const char16_t* names[] = {u"ButtonBrowse", u"LabelA", u"ListViewIcons", u"TabControlTitle"};
  for (std::size_t i = 1; i < texts.size(); ++i) {
    auto& component = window.Add(names[i % 4], i % 2 ? u"Caption" : u"Text", texts[i]);
    if (i % 4 == 2) component.columns = {texts[i], texts[i - 1]};
    if (i % 4 == 3) {
      component.tab_control = true;
      component.tabs = {texts[i - 1], texts[i]};
    }
  }
  std::set<std::u16string> values{u""};
  for (const auto& entry : language.Entries(u"Zandrel"))
    values.insert(i18n::LanguageText(entry.value));

  i18n::TranslationEnvironment env;
  env.codec = &settings::Windows1251Codec();
  env.application_title = u"Zandrel";
  env.main_window = u"Form1";
  env.update_window = u"Form10";
  i18n::TTranslation t(env);
  t.SectionName = u"Zandrel";
  i18n::TranslateWindow(t, window, language, {});

  for (std::size_t i = 1; i < texts.size(); ++i) {
    auto& component = window.At(i - 1);
    for (const auto& [property, text] : component.texts)
      if (text != texts[i] && !values.contains(text)) std::abort();
  }
  for (const std::u16string& line : t.MissingKeys)
    if (line.find(u'=') == std::u16string::npos) std::abort();
  return 0;
}

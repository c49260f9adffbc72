// Language files as the menu and the engine read them: any bytes give a
// display name and a section of lines in which every key is found again,
// first line first, until each one is used.
#include <cstdlib>

#include "core/casefold.h"
#include "i18n/language_files.h"
#include "i18n/translation.h"
#include "settings/ansi_codec.h"
#include "settings/ini_document.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto doc = settings::IniDocument::FromBytes(ByteView(data, size), settings::Windows1251Codec());
  const std::u16string display = i18n::LanguageDisplayName(doc, u"Base");
  if (!doc.HasSection(i18n::kLanguageInformation) && display != u"Base") std::abort();

  i18n::SectionLines lines;
  const auto entries = doc.Entries(u"Zandrel");
  for (const auto& entry : entries) lines.Add(entry.key + u"=" + entry.value);
  for (const auto& entry : entries) {
    const std::ptrdiff_t at = lines.Find(entry.key);
    if (at < 0) std::abort();
    const std::u16string& line = lines.at(static_cast<std::size_t>(at));
    if (!EqualsIgnoreCase(std::u16string_view(line).substr(0, entry.key.size()), entry.key) ||
        line[entry.key.size()] != u'=')
      std::abort();
    lines.Remove(static_cast<std::size_t>(at));
  }
  if (lines.size() != 0) std::abort();
  return 0;
}

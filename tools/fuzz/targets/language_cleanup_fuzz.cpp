// The language-file cleanup on any bytes: afterwards no section but the two
// kept ones holds a key without ".", a stale key or a repeated one, no
// section is empty, and a second cleanup finds nothing to do.
#include <cstdlib>
#include <set>

#include "core/casefold.h"
#include "core/text.h"
#include "i18n/language_files.h"
#include "settings/ansi_codec.h"
#include "settings/ini_document.h"

using namespace zandrel;

namespace {

class Directory : public i18n::ComponentDirectory {
 public:
  bool HasWindow(std::u16string_view window) const override {
    return EqualsIgnoreCase(window, u"Form1") || EqualsIgnoreCase(window, u"Form8");
  }
  bool HasComponent(std::u16string_view window, std::u16string_view component) const override {
    return EqualsIgnoreCase(window, u"Form1") &&
           (EqualsIgnoreCase(component, u"ButtonBrowse") || EqualsIgnoreCase(component, u"A"));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const settings::AnsiCodec& codec = settings::Windows1252Codec();
  auto doc = settings::IniDocument::FromBytes(ByteView(data, size), codec);
  const auto kept_before = doc.KeyNames(i18n::kLanguageInformation);
  const Directory directory;
  i18n::CleanLanguageDocument(doc, directory);
  // What is written back reads as what was kept.
  doc = settings::IniDocument::FromBytes(doc.ToBytes(settings::IniLayout::kEntriesOnly), codec);
  if (doc.KeyNames(i18n::kLanguageInformation) != kept_before) std::abort();
  for (const std::u16string& section : doc.SectionNames()) {
    if (EqualsIgnoreAsciiCase(section, i18n::kLanguageInformation) ||
        EqualsIgnoreAsciiCase(section, i18n::kDestDirSection))
      continue;
    const auto keys = doc.KeyNames(section);
    if (keys.empty()) std::abort();
    std::set<std::u16string> seen;
    for (const std::u16string& key : keys) {
      const std::size_t dot = key.find(u'.');
      if (dot == std::u16string::npos || !directory.HasWindow(key.substr(0, dot))) std::abort();
      if (!seen.insert(UpperCase(key)).second) std::abort();
    }
  }
  if (i18n::CleanLanguageDocument(doc, directory)) std::abort();
  return 0;
}

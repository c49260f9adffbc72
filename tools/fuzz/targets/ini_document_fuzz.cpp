// INI documents in every encoding: reading any bytes, writing, and reading
// back what was written gives the same sections and entries, in the same
// encoding.
#include <cstdlib>

#include "settings/ansi_codec.h"
#include "settings/ini_document.h"

using namespace zandrel;
using settings::IniDocument;

namespace {

void SameContent(const IniDocument& a, const IniDocument& b) {
  if (a.SectionNames() != b.SectionNames()) std::abort();
  for (const auto& section : a.SectionNames()) {
    const auto x = a.Entries(section), y = b.Entries(section);
    if (x.size() != y.size()) std::abort();
    for (std::size_t i = 0; i < x.size(); ++i)
      if (x[i].key != y[i].key || x[i].value != y[i].value) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const settings::AnsiCodec& codec =
      (size > 0 && (data[0] & 1)) ? settings::Windows1251Codec() : settings::Windows1252Codec();
  IniDocument doc = IniDocument::FromBytes(ByteView(data, size), codec);
  const IniDocument reread = IniDocument::FromBytes(doc.ToBytes(), codec);
  SameContent(doc, reread);
  // Written back in the encoding it was read in, unless only UTF-16 keeps the text.
  if (reread.encoding() != doc.encoding() &&
      reread.encoding() != settings::IniEncoding::kUtf16LeBom)
    std::abort();
  // A write of an ordinary value survives a save and a reload.
  doc.WriteString(u"Option", u"Key", u"Значение");
  const IniDocument again = IniDocument::FromBytes(doc.ToBytes(), codec);
  if (again.ReadString(u"Option", u"Key", u"") != doc.ReadString(u"Option", u"Key", u""))
    std::abort();
  return 0;
}

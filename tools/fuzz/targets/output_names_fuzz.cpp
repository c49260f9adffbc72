// Output file names of group names: never a separator or a reserved
// character, and never twice in one run.
#include <cstdlib>
#include <set>

#include "core/casefold.h"
#include "fuzz_input.h"
#include "icons/output_names.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  icons::RunOutputNames names;
  std::set<std::u16string> chosen;
  while (!in.empty()) {
    const std::u16string group = in.Text(in.Byte() % 40);
    const std::u16string file = icons::GroupOutputFileName(group);
    for (char16_t c : file)
      if (c == u'\\' || c == u'/' || c == u':' || c == u'*' || c == u'?' || c == u'"' ||
          c == u'<' || c == u'>' || c == u'|')
        std::abort();
    const std::u16string name = names.Choose(file);
    if (!chosen.insert(UpperCase(name)).second) std::abort();
    names.MarkWritten(name);
  }
  return 0;
}

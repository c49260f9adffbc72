// A download address made safe to send: the result is plain printable ASCII
// with every '%' starting an escape, and encoding it again changes nothing.
#include <cstdlib>
#include <string_view>

#include "fuzz_input.h"
#include "update/update_rules.h"

using namespace zandrel;

namespace {

bool IsHex(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::u16string url = in.Text(4096);
  const std::u16string encoded = update::PercentEncodeUrl(url);
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    const char16_t c = encoded[i];
    if (c <= u' ' || c >= 0x7F ||
        std::u16string_view(u"*<>#\"{}|\\^[]`+").find(c) != std::u16string_view::npos)
      std::abort();
    if (c == u'%' && !(i + 2 < encoded.size() && IsHex(encoded[i + 1]) && IsHex(encoded[i + 2])))
      std::abort();
  }
  if (update::PercentEncodeUrl(encoded) != encoded) std::abort();
  return 0;
}

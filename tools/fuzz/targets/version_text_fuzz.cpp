// The texts read from version-information values.
#include "core/version_text.h"
#include "fuzz_input.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  TranslationKeyFromValue(in.Take(in.Byte() % 16));
  FixedVersionFromRoot(in.Take(in.Byte() % 64));
  const std::u16string text = in.Text(4096);
  NormalizeFileVersion(text);
  TextUpToNull(text);
  StringValuePath(text.substr(0, 8), text);
  return 0;
}

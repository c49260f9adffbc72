// Window definitions: any text is parsed or rejected with a DefinitionError.
#include <string_view>

#include "gui/definition.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    gui::ParseDefinitions(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const gui::DefinitionError&) {
  }
  return 0;
}

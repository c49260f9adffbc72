// An .ico or .cur file read by the portable reader, with everything the program does with
// its groups; the same bytes read as a file on demand must give the same
// answers as in memory.
#include "container_fuzz.h"
#include "icons/icon_file.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto module = icons::IconFileModule::FromBytes(Bytes(data, data + size), u"fuzz.ico");
  const auto file = icons::IconFileModule::FromOpenFile(
      std::make_unique<fuzz::InputFile>(data, size), u"fuzz.ico");
  if (!module != !file) std::abort();
  if (!module) return 0;
  fuzz::ExerciseContainer(*module, *file, size);
  return 0;
}

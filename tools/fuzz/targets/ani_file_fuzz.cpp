// An .ani file read by the portable reader, with everything the program does with
// its groups; the same bytes read as a file on demand must give the same
// answers as in memory.
#include "container_fuzz.h"
#include "icons/ani_file.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto module = icons::AniFileModule::FromBytes(Bytes(data, data + size));
  const auto file =
      icons::AniFileModule::FromOpenFile(std::make_unique<fuzz::InputFile>(data, size));
  if (!module != !file) std::abort();
  icons::SummarizeAni(ByteView(data, size));
  if (!module) return 0;
  fuzz::ExerciseContainer(*module, *file, size);
  return 0;
}

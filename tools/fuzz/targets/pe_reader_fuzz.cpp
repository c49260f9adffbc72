// The PE reader with everything the program does with a module's groups:
// names, counts, sizes text, .ico assembly and the output names. The same
// bytes read as a file on demand must give the same answers as in memory.
#include <cstdlib>
#include <cstring>

#include "container_fuzz.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "icons/pe_reader.h"

using namespace zandrel;

namespace {

using fuzz::ExpectSame;
using fuzz::InputFile;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto module = icons::PeResourceModule::FromBytes(Bytes(data, data + size));
  auto file = icons::PeResourceModule::FromOpenFile(std::make_unique<InputFile>(data, size));
  if (!module != !file) std::abort();
  if (!module) return 0;
  for (const std::uint16_t type : {icons::kRtIcon, icons::kRtGroupIcon}) {
    const auto names = module->EnumerateNames(type);
    if (names != file->EnumerateNames(type)) std::abort();
    for (const auto& name : names) {
      ExpectSame(module->Lookup(type, name), file->Lookup(type, name));
      const auto languages = module->LanguageIds(type, name);
      if (languages != file->LanguageIds(type, name)) std::abort();
      if (!languages.empty())  // the first and the last stored, each found by a scan
        for (const std::uint16_t language : {languages.front(), languages.back()})
          ExpectSame(module->LookupLanguage(type, name, language),
                     file->LookupLanguage(type, name, language));
    }
  }
  icons::RunOutputNames names;
  // As extract all does: one output budget for the whole module.
  auto budget = icons::OutputBudget::ForModuleOfSize(size);
  for (const auto& name : icons::CollectGroupNames(*module)) {
    icons::GetGroupImageCount(name, *module);
    icons::DescribeGroupSizes(name, *module);
    const auto id = icons::ResourceIdForWriting(name);
    if (!id) continue;
    icons::AssembleIconFile(module->Lookup(icons::kRtGroupIcon, *id).bytes, *module, {}, nullptr,
                            &budget);
    names.MarkWritten(names.Choose(icons::GroupOutputFileName(name)));
  }
  return 0;
}

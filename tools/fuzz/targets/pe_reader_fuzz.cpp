// The PE reader with everything the program does with a module's groups:
// names, counts, sizes text, .ico assembly and the output names.
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "icons/pe_reader.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto module = icons::PeResourceModule::FromBytes(Bytes(data, data + size));
  if (!module) return 0;
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

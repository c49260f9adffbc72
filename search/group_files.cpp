#include <new>

#include "icons/cursor_file.h"
#include "icons/ico_writer.h"
#include "icons/png_export.h"
#include "icons/resource_container.h"
#include "search/group_facts.h"
#include "search/icon_search.h"

namespace zandrel::search {

namespace {

// The group's file as "Извлечь все" assembles it: .ico for an icon group,
// .cur for a cursor group.
std::optional<Bytes> Assemble(const icons::OpenedContainer& opened, const FoundGroup& group) {
  const icons::ResourceModule& module = *opened.module;
  const icons::ResourceData directory = GroupDirectory(module, group.name, group.cursor);
  if (!directory.found()) return std::nullopt;
  icons::OutputBudget budget = icons::OutputBudget::ForModuleOfSize(opened.file_size);
  return group.cursor ? icons::AssembleCursorFile(directory.bytes, module, {}, &budget)
                      : icons::AssembleIconFile(directory.bytes, module, {}, nullptr, &budget);
}

}  // namespace

Bytes GroupFileBytes(const FoundModule& module, const FoundGroup& group) {
  const icons::OpenedContainer opened = icons::OpenResourceContainer(module.read_from);
  if (!opened.module) return {};
  return Assemble(opened, group).value_or(Bytes{});
}

Bytes LargestImagePng(const FoundModule& module, const FoundGroup& group) {
  const icons::OpenedContainer opened = icons::OpenResourceContainer(module.read_from);
  if (!opened.module) return {};
  if (!group.cursor) {
    const icons::ResourceData directory = GroupDirectory(*opened.module, group.name, false);
    if (!directory.found()) return {};
    auto picture = icons::LargestGroupImage(directory.bytes, *opened.module);
    return picture ? std::move(picture->png) : Bytes{};
  }
  // A cursor's images are read back from its .cur file, as an icon file's.
  const auto cur = Assemble(opened, group);
  if (!cur) return {};
  const icons::OpenedContainer file = icons::ResourceContainerFromBytes(*cur, u"cursor.cur");
  if (!file.module) return {};
  const std::vector<icons::ResourceName> names = file.module->EnumerateNames(icons::kRtGroupIcon);
  if (names.empty()) return {};
  const icons::ResourceData directory = file.module->Lookup(icons::kRtGroupIcon, names.front());
  auto picture = icons::LargestGroupImage(directory.bytes, *file.module);
  return picture ? std::move(picture->png) : Bytes{};
}

}  // namespace zandrel::search

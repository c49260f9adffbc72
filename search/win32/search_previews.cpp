#include "search/win32/search_previews.h"

#include <windows.h>

#include <new>

#include "gui/win32/image_list.h"
#include "icons/resource_container.h"
#include "icons/win32/portable_preview.h"
#include "platform/handles.h"
#include "search/group_facts.h"

namespace zandrel::search {

SearchPreviews::SearchPreviews(gui::ImageList& list, std::function<void()> reset)
    : list_(list), reset_(std::move(reset)) {}

void SearchPreviews::Clear() {
  index_.clear();
  list_.Clear();
  open_.reset();
  open_path_.clear();
}

int SearchPreviews::ImageOf(const ScanResults& results, std::size_t group) {
  if (group >= results.groups.size()) return -1;
  if (const auto found = index_.find(group); found != index_.end()) return found->second;
  if (index_.size() >= kMostKept) {
    // Rows drawn before this one in the same pass name dropped images.
    index_.clear();
    list_.Clear();
    if (reset_) reset_();
  }
  const FoundGroup& found = results.groups[group];
  int image = -1;
  if (found.module < results.modules.size()) image = Make(results.modules[found.module], found);
  index_.emplace(group, image);
  return image;
}

int SearchPreviews::Make(const FoundModule& module, const FoundGroup& group) {
  try {
    if (!open_ || open_path_ != module.read_from) {
      open_.reset();
      open_path_ = module.read_from;
      open_ = icons::OpenResourceContainer(module.read_from).module;
    }
    if (!open_) return -1;
    const icons::ResourceData directory = GroupDirectory(*open_, group.name, group.cursor);
    if (!directory.found()) return -1;
    const platform::UniqueIcon made(
        icons::MakePortablePreview(*open_, directory.bytes, group.cursor, list_.width()));
    return made ? list_.AddIcon(made.get()) : -1;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
    // A group whose preview cannot be made is listed without one.
    return -1;
  }
}

}  // namespace zandrel::search

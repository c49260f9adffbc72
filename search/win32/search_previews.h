#pragma once
// The search list's previews, made only for the rows the list shows: the
// image the system would pick at the list's size from the group's own
// directory, made into an icon from its bytes. The module last read stays
// open, as neighbouring rows mostly come from one module.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "icons/resource_module.h"
#include "search/icon_search.h"

namespace zandrel::gui {
class ImageList;
}

namespace zandrel::search {

class SearchPreviews {
 public:
  // `reset` runs (posted, not at once) after the previews were dropped to
  // bound their memory, so the list draws its rows again.
  SearchPreviews(gui::ImageList& list, std::function<void()> reset);

  // The preview of results.groups[group] in the image list, made now when it
  // has none; -1 when none can be made.
  int ImageOf(const ScanResults& results, std::size_t group);
  // Drops every preview (a new scan).
  void Clear();
  // Previews kept at most; past it they are dropped and made again as shown.
  static constexpr std::size_t kMostKept = 3000;

 private:
  int Make(const FoundModule& module, const FoundGroup& group);
  gui::ImageList& list_;
  std::function<void()> reset_;
  std::unordered_map<std::size_t, int> index_;
  std::u16string open_path_;
  std::unique_ptr<icons::ResourceModule> open_;
};

}  // namespace zandrel::search

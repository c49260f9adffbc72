#pragma once
// The icon-group listing of the main window: one row per group with its
// preview, position, name, image count and sizes, while the listed module
// stays open until the next listing or until the listing is cleared.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "icons/win32/loader_module.h"

namespace zandrel::gui {
class ImageList;
class ListView;
class ProgressBar;
}  // namespace zandrel::gui

namespace zandrel::icons {

// What a listing met: whether the file opened as a module, and when an
// existing file did not, the system's reason.
struct ListingResult {
  bool opened = false;
  DWORD error = 0;
  bool own_reader = false;  // read by the portable reader, not the system loader
  ContainerKind kind = ContainerKind::kPeModule;
};

class IconListing {
 public:
  IconListing(gui::ListView& list, gui::ImageList& previews, gui::ProgressBar& progress);

  // Animated cursors and icons held whole as resources, listed after the
  // icon groups when asked for; a row's sizes text starts with its kind's label.
  struct AniKinds {
    std::wstring cursor_label;
    std::wstring icon_label;
  };
  // What a row past the icon groups stands for.
  struct AniRow {
    std::uint16_t type = 0;
    ResourceName name;
  };

  // Lists the icon groups of a module file (LoadIconsToListView), and its
  // animations after them when `ani_kinds` is given.
  ListingResult Load(const std::wstring& exe_file, const AniKinds* ani_kinds = nullptr);
  // Empties the list and the previews and releases the module (ClearIconResources).
  void Clear();
  // The module of the rows on show, or null.
  const ResourceModule* module() const { return exe_handle_.get(); }
  // Its loader module, for the system's icon functions; null when no module
  // is on show or the portable reader reads it.
  HMODULE handle() const { return handle_; }
  // The animation the row at `position` lists; null for an icon group.
  const AniRow* AniRowAt(std::size_t position) const;

  // The 32 x 32 preview of a group in the preview list; -1 when none can be
  // made. `handle` is the loader's module, or null for a file the portable
  // reader reads.
  int AddGroupPreview(const std::u16string& group_name, const ResourceModule& module,
                      HMODULE handle, const std::wstring& exe_file);

 private:
  void ResetPreviews();
  void ClearRows();
  // Rows for `animations` of `module`, numbered on from `first_position`.
  void AddAniRows(const ResourceModule& module, std::vector<AniRow> animations,
                  std::size_t first_position, const AniKinds& kinds);

  gui::ListView& list_;
  gui::ImageList& previews_;
  gui::ProgressBar& progress_;
  std::unique_ptr<ResourceModule> exe_handle_;  // FExeHandle
  HMODULE handle_ = nullptr;
  std::size_t group_count_ = 0;
  std::vector<AniRow> ani_rows_;
};

}  // namespace zandrel::icons

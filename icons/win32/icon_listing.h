#pragma once
// The icon-group listing of the main window: one row per group with its
// preview, position, name, image count and sizes, while the listed module
// stays open until the next listing or until the listing is cleared.

#include <windows.h>

#include <memory>
#include <string>

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
};

class IconListing {
 public:
  IconListing(gui::ListView& list, gui::ImageList& previews, gui::ProgressBar& progress);

  // Lists the icon groups of a module file (LoadIconsToListView).
  ListingResult Load(const std::wstring& exe_file);
  // Empties the list and the previews and releases the module (ClearIconResources).
  void Clear();
  // The module of the rows on show, or null.
  const ResourceModule* module() const { return exe_handle_.get(); }
  // Its loader module, for the system's icon functions; null when no module
  // is on show or the portable reader reads it.
  HMODULE handle() const { return handle_; }

  // The 32 x 32 preview of a group in the preview list; -1 when none can be
  // made. `handle` is the loader's module, or null for a file the portable
  // reader reads.
  int AddGroupPreview(const std::u16string& group_name, const ResourceModule& module,
                      HMODULE handle, const std::wstring& exe_file);

 private:
  void ResetPreviews();
  void ClearRows();

  gui::ListView& list_;
  gui::ImageList& previews_;
  gui::ProgressBar& progress_;
  std::unique_ptr<ResourceModule> exe_handle_;  // FExeHandle
  HMODULE handle_ = nullptr;
};

}  // namespace zandrel::icons

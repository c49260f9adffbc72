#pragma once
// Image lists of 32-bit images with alpha. The underlying system image list
// can be released and is then created anew on next use; controls that show
// the list are told so they pick up the new one.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "gui/win32/component.h"
#include "platform/handles.h"

namespace zandrel::gui {

class ImageList : public Component {
 public:
  ImageList(Form* owner, const ComponentDefinition& def);
  ~ImageList() override;

  // The system image list, created on first use.
  HIMAGELIST handle();
  // Image size in pixels at the window's DPI.
  int width() const;
  int height() const;
  int design_width() const { return width_; }
  int count() const;

  // Adds a copy of the icon, scaled to the list's size; the new index or -1.
  int AddIcon(HICON icon);
  void Clear();
  // Destroys the system image list; the next use creates a new one.
  void ReleaseHandle();
  // A premultiplied 32-bit bitmap of one image, for menus; null when the
  // image cannot be had.
  platform::UniqueBitmap CreateMenuBitmap(int index);

  // Called whenever the system image list handle changes.
  void AddHandleListener(std::function<void(HIMAGELIST)> listener);

 private:
  void AddPictures();
  int width_ = 16;
  int height_ = 16;
  platform::UniqueImageList himl_;
  std::vector<std::pair<int, std::wstring>> pictures_;  // index -> icon resource
  std::vector<std::function<void(HIMAGELIST)>> listeners_;
};

}  // namespace zandrel::gui

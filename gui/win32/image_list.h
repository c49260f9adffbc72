#pragma once
// Image lists of 32-bit images with alpha. The underlying system image list
// can be released and is then created anew on next use; controls that show
// the list are told so they pick up the new one.

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
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
  // As AddIcon, but an icon of the list's size is only composed into a
  // strip of pending images and handed to the list with the next ones, in
  // one call per kStripImages (adding icons one at a time is slow, and
  // slowest under Wine). Answers the index the image will have. Call
  // FlushQueued before the images are shown or the list is asked about them;
  // AddIcon, Clear and ReleaseHandle flush or drop the queue themselves.
  int QueueIcon(HICON icon);
  // Queues an image already in the list's size: width() x height() pixels,
  // top row first, 0xAARRGGBB with straight alpha. Answers its index.
  int QueuePixels(const std::uint32_t* pixels);
  void FlushQueued();
  static constexpr int kStripImages = 64;
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
  // The pixels the list stores for an icon of its size with alpha of its
  // own: the icon's colours and alpha as they are. False for other icons.
  bool ComposeIcon(HICON icon, std::uint32_t* pixels, int stride) const;
  std::uint32_t* NextQueued();  // where the next queued image goes
  int Queued();                 // counts it in; answers its index
  std::vector<std::uint32_t> queued_;  // kStripImages images side by side
  int queued_count_ = 0;
  int width_ = 16;
  int height_ = 16;
  platform::UniqueImageList himl_;
  std::vector<std::pair<int, std::wstring>> pictures_;  // index -> icon resource
  std::vector<std::function<void(HIMAGELIST)>> listeners_;
};

}  // namespace zandrel::gui

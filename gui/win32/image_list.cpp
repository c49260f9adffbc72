#include "gui/win32/image_list.h"

#include <algorithm>

#include "gui/win32/application.h"
#include "gui/win32/form.h"
#include "core/text.h"
#include "platform/wide.h"

namespace zandrel::gui {

ImageList::ImageList(Form* owner, const ComponentDefinition& def) : Component(owner, def) {
  width_ = static_cast<int>(def.Integer(u"Width", 16));
  height_ = static_cast<int>(def.Integer(u"Height", 16));
  for (const auto& child : def.children) {
    if (child.kind != u"Picture") throw DefinitionError("ImageList holds only Picture entries");
    pictures_.emplace_back(static_cast<int>(child.Integer(u"Index")),
                           platform::ToWide(child.String(u"Icon")));
  }
  std::sort(pictures_.begin(), pictures_.end());
}

ImageList::~ImageList() {
  if (himl_) ImageList_Destroy(himl_);
}

int ImageList::width() const {
  return MulDiv(width_, static_cast<int>(owner()->dpi()), 96);
}
int ImageList::height() const {
  return MulDiv(height_, static_cast<int>(owner()->dpi()), 96);
}

HIMAGELIST ImageList::handle() {
  if (!himl_) {
    // A large growth step: lists of thousands of previews would otherwise be
    // copied over and over while they grow.
    himl_ = ImageList_Create(width(), height(), ILC_COLOR32, 16, 256);
    AddPictures();
    for (auto& listener : listeners_) listener(himl_);
  }
  return himl_;
}

void ImageList::AddPictures() {
  // Pictures sit at fixed indexes; the places before them stay transparent.
  for (const auto& [index, resource] : pictures_) {
    while (ImageList_GetImageCount(himl_) < index) {
      BITMAPINFO bi{};
      bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width(), -height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
      void* bits = nullptr;
      HBITMAP color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (!color) break;
      ImageList_Add(himl_, color, nullptr);
      DeleteObject(color);
    }
    HICON icon = static_cast<HICON>(LoadImageW(Application::Instance().instance(), resource.c_str(),
                                               IMAGE_ICON, width(), height(), LR_DEFAULTCOLOR));
    if (icon) {
      ImageList_ReplaceIcon(himl_, -1, icon);
      DestroyIcon(icon);
    }
  }
}

int ImageList::count() const {
  return himl_ ? ImageList_GetImageCount(himl_) : 0;
}

int ImageList::AddIcon(HICON icon) {
  if (!icon) return -1;
  return ImageList_ReplaceIcon(handle(), -1, icon);
}

void ImageList::Clear() {
  if (himl_) ImageList_RemoveAll(himl_);
}

void ImageList::ReleaseHandle() {
  if (!himl_) return;
  HIMAGELIST old = himl_;
  himl_ = nullptr;
  for (auto& listener : listeners_) listener(nullptr);
  ImageList_Destroy(old);
}

void ImageList::AddHandleListener(std::function<void(HIMAGELIST)> listener) {
  listeners_.push_back(std::move(listener));
}

HBITMAP ImageList::CreateMenuBitmap(int index) {
  if (index < 0 || index >= ImageList_GetImageCount(handle())) return nullptr;
  HICON icon = ImageList_GetIcon(handle(), index, ILD_NORMAL);
  if (!icon) return nullptr;
  ICONINFO info{};
  HBITMAP result = nullptr;
  if (GetIconInfo(icon, &info)) {
    const int w = width(), h = height();
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    std::vector<std::uint32_t> mask(pixels.size());
    HDC dc = GetDC(nullptr);
    const bool got = info.hbmColor &&
                     GetDIBits(dc, info.hbmColor, 0, h, pixels.data(), &bi, DIB_RGB_COLORS) == h;
    const bool got_mask =
        info.hbmMask && GetDIBits(dc, info.hbmMask, 0, h, mask.data(), &bi, DIB_RGB_COLORS) == h;
    ReleaseDC(nullptr, dc);
    if (got) {
      const bool has_alpha =
          std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) != 0; });
      for (std::size_t i = 0; i < pixels.size(); ++i) {
        std::uint32_t p = pixels[i];
        std::uint32_t a = has_alpha ? p >> 24 : ((got_mask && (mask[i] & 0xFFFFFF)) ? 0 : 255);
        const std::uint32_t r = ((p >> 16) & 0xFF) * a / 255;
        const std::uint32_t g = ((p >> 8) & 0xFF) * a / 255;
        const std::uint32_t b = (p & 0xFF) * a / 255;
        pixels[i] = (a << 24) | (r << 16) | (g << 8) | b;
      }
      void* bits = nullptr;
      result = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (result && bits)
        std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  DestroyIcon(icon);
  return result;
}

}  // namespace zandrel::gui

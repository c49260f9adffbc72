#include "gui/win32/image_list.h"

#include <algorithm>
#include <new>
#include <optional>

#include "gui/win32/application.h"
#include "gui/win32/component_factory.h"
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

void RegisterImageListKinds(ComponentFactory& factory) {
  factory.Register<ImageList>(u"ImageList");
}

ImageList::~ImageList() = default;

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
    himl_.reset(ImageList_Create(width(), height(), ILC_COLOR32, 16, 256));
    AddPictures();
    for (auto& listener : listeners_) listener(himl_.get());
  }
  return himl_.get();
}

namespace {

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  return bi;
}

// A bitmap's pixels as 32-bit values, top row first; nullopt when they
// cannot be had.
std::optional<std::vector<std::uint32_t>> BitmapPixels(HBITMAP bitmap, int w, int h) {
  if (!bitmap) return std::nullopt;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
  platform::WindowDC dc(nullptr);
  BITMAPINFO query = TopDown32(w, h);
  if (GetDIBits(dc.get(), bitmap, 0, h, pixels.data(), &query, DIB_RGB_COLORS) != h)
    return std::nullopt;
  return pixels;
}

bool HasAlpha(const std::vector<std::uint32_t>& pixels) {
  return std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) != 0; });
}

}  // namespace

void ImageList::AddPictures() {
  // Pictures sit at fixed indexes; the places before them stay transparent.
  for (const auto& [index, resource] : pictures_) {
    while (ImageList_GetImageCount(himl_.get()) < index) {
      const BITMAPINFO bi = TopDown32(width(), height());
      void* bits = nullptr;
      platform::UniqueBitmap color(
          CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
      if (!color) break;
      ImageList_Add(himl_.get(), color.get(), nullptr);
    }
    platform::UniqueIcon icon(static_cast<HICON>(LoadImageW(Application::Instance().instance(),
                                                            resource.c_str(), IMAGE_ICON, width(),
                                                            height(), LR_DEFAULTCOLOR)));
    if (icon) ImageList_ReplaceIcon(himl_.get(), -1, icon.get());
  }
}

int ImageList::count() const {
  return himl_ ? ImageList_GetImageCount(himl_.get()) : 0;
}

int ImageList::AddIcon(HICON icon) {
  if (!icon) return -1;
  FlushQueued();
  return ImageList_ReplaceIcon(handle(), -1, icon);
}

bool ImageList::ComposeIcon(HICON icon, std::uint32_t* pixels, int stride) const {
  const int w = width(), h = height();
  platform::IconBitmaps info;
  if (!info.Read(icon) || !info.color) return false;
  BITMAP color{};
  if (!GetObjectW(info.color.get(), sizeof color, &color) || color.bmWidth != w ||
      color.bmHeight != h || color.bmBitsPixel != 32)
    return false;
  const auto colors = BitmapPixels(info.color.get(), w, h);
  // Icons without alpha of their own are left to the list, which derives
  // their transparency from the mask in its own way.
  if (!colors || !HasAlpha(*colors)) return false;
  for (int y = 0; y < h; ++y)
    std::copy_n(colors->data() + static_cast<std::size_t>(y) * w, w,
                pixels + static_cast<std::size_t>(y) * stride);
  return true;
}

std::uint32_t* ImageList::NextQueued() {
  const int w = width(), h = height();
  const std::size_t size = static_cast<std::size_t>(w) * kStripImages * h;
  if (queued_.size() != size) queued_.assign(size, 0);
  return queued_.data() + static_cast<std::size_t>(w) * queued_count_;
}

int ImageList::Queued() {
  handle();  // a new list places its pictures first
  const int index = count() + queued_count_;
  if (++queued_count_ == kStripImages) FlushQueued();
  return index;
}

int ImageList::QueueIcon(HICON icon) {
  if (!icon) return -1;
  if (!ComposeIcon(icon, NextQueued(), width() * kStripImages))
    return AddIcon(icon);  // the list scales what does not fit
  return Queued();
}

int ImageList::QueuePixels(const std::uint32_t* pixels) {
  const int w = width(), h = height();
  std::uint32_t* out = NextQueued();
  for (int y = 0; y < h; ++y)
    std::copy_n(pixels + static_cast<std::size_t>(y) * w, w,
                out + static_cast<std::size_t>(y) * w * kStripImages);
  return Queued();
}

void ImageList::FlushQueued() {
  if (queued_count_ == 0) return;
  const int w = width(), h = height();
  const int stride = w * kStripImages;
  const int n = queued_count_;
  queued_count_ = 0;
  // One bitmap as wide as the images queued; the list cuts it in pieces.
  const BITMAPINFO bi = TopDown32(w * n, h);
  void* bits = nullptr;
  platform::UniqueBitmap strip(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!strip) throw std::bad_alloc();
  auto* out = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < h; ++y)
    std::copy_n(queued_.data() + static_cast<std::size_t>(y) * stride,
                static_cast<std::size_t>(w) * n, out + static_cast<std::size_t>(y) * w * n);
  GdiFlush();
  ImageList_Add(handle(), strip.get(), nullptr);
}

void ImageList::Clear() {
  queued_count_ = 0;
  if (himl_) ImageList_RemoveAll(himl_.get());
}

void ImageList::ReleaseHandle() {
  queued_count_ = 0;
  if (!himl_) return;
  platform::UniqueImageList old = std::move(himl_);
  for (auto& listener : listeners_) listener(nullptr);
}

void ImageList::AddHandleListener(std::function<void(HIMAGELIST)> listener) {
  listeners_.push_back(std::move(listener));
}

platform::UniqueBitmap ImageList::CreateMenuBitmap(int index) {
  if (index < 0 || index >= ImageList_GetImageCount(handle())) return {};
  platform::UniqueIcon icon(ImageList_GetIcon(handle(), index, ILD_NORMAL));
  platform::IconBitmaps info;
  if (!info.Read(icon.get())) return {};
  const int w = width(), h = height();
  const BITMAPINFO bi = TopDown32(w, h);
  auto color = BitmapPixels(info.color.get(), w, h);
  if (!color) return {};
  std::vector<std::uint32_t>& pixels = *color;
  const auto mask = BitmapPixels(info.mask.get(), w, h);
  const bool has_alpha = HasAlpha(pixels);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    std::uint32_t p = pixels[i];
    std::uint32_t a = has_alpha ? p >> 24 : ((mask && ((*mask)[i] & 0xFFFFFF)) ? 0 : 255);
    const std::uint32_t r = ((p >> 16) & 0xFF) * a / 255;
    const std::uint32_t g = ((p >> 8) & 0xFF) * a / 255;
    const std::uint32_t b = (p & 0xFF) * a / 255;
    pixels[i] = (a << 24) | (r << 16) | (g << 8) | b;
  }
  void* bits = nullptr;
  platform::UniqueBitmap result(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (result && bits) std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
  return result;
}

}  // namespace zandrel::gui

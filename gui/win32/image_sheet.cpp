#include "gui/win32/image_sheet.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "gui/win32/component_factory.h"
#include "gui/win32/form.h"
#include "gui/win32/paint.h"
#include "gui/win32/style.h"

namespace zandrel::gui {

namespace {

const wchar_t kSheetClass[] = L"ZandrelImageSheet";
// At 96 DPI.
constexpr int kPadding = 8;
constexpr int kBoxSide = 14;
constexpr int kCheckerSquare = 8;
constexpr int kLineGap = 2;

LRESULT CALLBACK SheetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// A 32-bit top-down DIB section holding the pixels premultiplied, as
// AlphaBlend takes them.
platform::UniqueBitmap PremultipliedBitmap(std::uint32_t width, std::uint32_t height,
                                           const std::vector<std::uint8_t>& rgba) {
  if (width == 0 || height == 0 || rgba.size() < std::size_t{width} * height * 4) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  platform::UniqueBitmap bitmap(
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  auto* out = static_cast<std::uint8_t*>(bits);
  for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
    const std::uint8_t* p = rgba.data() + 4 * i;
    const unsigned a = p[3];
    out[4 * i + 0] = static_cast<std::uint8_t>(p[2] * a / 255);
    out[4 * i + 1] = static_cast<std::uint8_t>(p[1] * a / 255);
    out[4 * i + 2] = static_cast<std::uint8_t>(p[0] * a / 255);
    out[4 * i + 3] = static_cast<std::uint8_t>(a);
  }
  return bitmap;
}

}  // namespace

void RegisterImageSheetKind(ComponentFactory& factory) {
  factory.Register<ImageSheet>(u"ImageSheet");
}

ImageSheet::~ImageSheet() = default;

const wchar_t* ImageSheet::WindowClass() const {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = SheetProc;
    wc.hInstance = Application::Instance().instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kSheetClass;
    RegisterClassExW(&wc);
    registered = true;
  }
  return kSheetClass;
}

void ImageSheet::BindEvents(const HandlerLookup& lookup) {
  Control::BindEvents(lookup);
  on_copy = lookup(u"OnCopy");
  on_check = lookup(u"OnCheck");
}

void ImageSheet::ApplyStyle() {
  ApplyScrollBarTheme(hwnd());
}

void ImageSheet::SetEntries(std::vector<Entry> entries) {
  entries_ = std::move(entries);
  bitmaps_.clear();
  for (const Entry& entry : entries_)
    bitmaps_.push_back(PremultipliedBitmap(entry.width, entry.height, entry.rgba));
  current_ = entries_.empty() ? -1 : 0;
  scroll_ = 0;
  Relayout();
}

void ImageSheet::SetChecked(std::size_t index, bool checked) {
  if (index >= entries_.size() || entries_[index].checked == checked) return;
  entries_[index].checked = checked;
  Invalidate();
  FireEvent(on_check);
}

void ImageSheet::SetCurrent(int index) {
  if (entries_.empty()) return;
  current_ = std::clamp(index, 0, static_cast<int>(entries_.size()) - 1);
  EnsureVisible(current_);
  Invalidate();
}

void ImageSheet::Relayout() {
  layout_.clear();
  int line = 16;
  if (hwnd()) {
    const platform::WindowDC dc(hwnd());
    const platform::ScopedSelect select(dc.get(), font_handle());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.get(), &tm);
    line = tm.tmHeight + Scale(kLineGap);
  }
  int y = 0;
  for (const Entry& entry : entries_) {
    Layout place;
    const int longest = static_cast<int>(std::max(entry.width, entry.height));
    // Real size up to kMaxSide pixels at 96 DPI; larger pictures scaled down.
    const double scale = longest > kMaxSide ? static_cast<double>(kMaxSide) / longest : 1.0;
    place.side_w = Scale(static_cast<int>(entry.width * scale + 0.5));
    place.side_h = Scale(static_cast<int>(entry.height * scale + 0.5));
    const int text = static_cast<int>(entry.lines.size()) * line;
    place.top = y;
    place.height = std::max({place.side_h, text, Scale(kBoxSide)}) + 2 * Scale(kPadding);
    y += place.height;
    layout_.push_back(place);
  }
  content_height_ = y;
  ScrollTo(scroll_);
}

void ImageSheet::ScrollTo(int y) {
  RECT client{};
  if (hwnd()) GetClientRect(hwnd(), &client);
  const int page = client.bottom;
  scroll_ = std::clamp(y, 0, std::max(0, content_height_ - page));
  if (!hwnd()) return;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = std::max(0, content_height_ - 1);
  info.nPage = static_cast<UINT>(std::max(0, page));
  info.nPos = scroll_;
  SetScrollInfo(hwnd(), SB_VERT, &info, TRUE);
  Invalidate();
}

void ImageSheet::EnsureVisible(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= layout_.size() || !hwnd()) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const Layout& place = layout_[static_cast<std::size_t>(index)];
  if (place.top < scroll_) {
    ScrollTo(place.top);
  } else if (place.top + place.height > scroll_ + client.bottom) {
    ScrollTo(place.top + place.height - client.bottom);
  }
}

int ImageSheet::EntryAt(int y) const {
  for (std::size_t i = 0; i < layout_.size(); ++i)
    if (y >= layout_[i].top && y < layout_[i].top + layout_[i].height) return static_cast<int>(i);
  return -1;
}

RECT ImageSheet::CheckBoxRect(int y) const {
  const int left = Scale(kPadding);
  const int top = y + Scale(kPadding);
  return {left, top, left + Scale(kBoxSide), top + Scale(kBoxSide)};
}

void ImageSheet::PaintEntry(HDC dc, std::size_t index, int y, const RECT& client) {
  const Entry& entry = entries_[index];
  const Layout& place = layout_[index];
  const gui::Style& style = CurrentStyle();
  const bool focused = static_cast<int>(index) == current_ && GetFocus() == hwnd();
  const RECT row{0, y, client.right, y + place.height};
  FillRect(dc, &row,
           style.Brush(static_cast<int>(index) == current_ ? ColorRole::kHighlight
                                                           : ColorRole::kWindow));
  if (focused) DrawFocusRect(dc, &row);

  const RECT box = CheckBoxRect(y);
  FillRounded(dc, box, entry.checked ? ColorRole::kAccent : ColorRole::kButtonFace,
              ColorRole::kButtonFrame, Scale(2));
  if (entry.checked) DrawTick(dc, box, ColorRole::kAccentText);

  // The picture on a checkerboard of its own size.
  const int left = box.right + Scale(kPadding);
  const int top = y + Scale(kPadding);
  if (place.side_w > 0 && place.side_h > 0) {
    const RECT board{left, top, left + place.side_w, top + place.side_h};
    const platform::ScopedSelect dc_brush(dc, GetStockObject(DC_BRUSH));
    const int square = Scale(kCheckerSquare);
    for (int sy = board.top; sy < board.bottom; sy += square) {
      for (int sx = board.left; sx < board.right; sx += square) {
        const bool dark = (((sx - board.left) / square) + ((sy - board.top) / square)) % 2 != 0;
        SetDCBrushColor(dc, dark ? RGB(0xCC, 0xCC, 0xCC) : RGB(0xFF, 0xFF, 0xFF));
        const RECT cell{sx, sy, std::min(sx + square, static_cast<int>(board.right)),
                        std::min(sy + square, static_cast<int>(board.bottom))};
        FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      }
    }
    if (bitmaps_[index]) {
      const HDC memory = CreateCompatibleDC(dc);
      if (memory) {
        const HGDIOBJ old = SelectObject(memory, bitmaps_[index].get());
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        SetStretchBltMode(dc, HALFTONE);
        AlphaBlend(dc, board.left, board.top, place.side_w, place.side_h, memory, 0, 0,
                   static_cast<int>(entry.width), static_cast<int>(entry.height), blend);
        SelectObject(memory, old);
        DeleteDC(memory);
      }
    }
  }

  const int text_left = left + std::max(place.side_w, Scale(32)) + Scale(kPadding);
  const platform::ScopedSelect font(dc, font_handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, style.Color(static_cast<int>(index) == current_ ? ColorRole::kHighlightText
                                                                   : ColorRole::kWindowText));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int line_y = top;
  for (const std::wstring& line : entry.lines) {
    RECT text{text_left, line_y, client.right - Scale(kPadding), line_y + tm.tmHeight};
    DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &text,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    line_y += tm.tmHeight + Scale(kLineGap);
  }
}

void ImageSheet::Paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, CurrentStyle().Brush(ColorRole::kWindow));
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const int y = layout_[i].top - scroll_;
    if (y + layout_[i].height <= 0 || y >= client.bottom) continue;
    PaintEntry(dc, i, y, client);
  }
}

bool ImageSheet::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_SIZE:
      Relayout();
      return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      return false;
    case WM_GETDLGCODE:
      result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return true;
    case WM_VSCROLL: {
      RECT client{};
      GetClientRect(hwnd(), &client);
      const int line = Scale(32);
      int y = scroll_;
      switch (LOWORD(wp)) {
        case SB_LINEUP:
          y -= line;
          break;
        case SB_LINEDOWN:
          y += line;
          break;
        case SB_PAGEUP:
          y -= client.bottom;
          break;
        case SB_PAGEDOWN:
          y += client.bottom;
          break;
        case SB_TOP:
          y = 0;
          break;
        case SB_BOTTOM:
          y = content_height_;
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
          SCROLLINFO info{};
          info.cbSize = sizeof info;
          info.fMask = SIF_TRACKPOS;
          GetScrollInfo(hwnd(), SB_VERT, &info);
          y = info.nTrackPos;
          break;
        }
        default:
          break;
      }
      ScrollTo(y);
      result = 0;
      return true;
    }
    case WM_MOUSEWHEEL:
      ScrollTo(scroll_ - GET_WHEEL_DELTA_WPARAM(wp) * Scale(48) / WHEEL_DELTA);
      result = 0;
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus();
      const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const int index = EntryAt(at.y + scroll_);
      if (index >= 0) {
        SetCurrent(index);
        const RECT box = CheckBoxRect(layout_[static_cast<std::size_t>(index)].top - scroll_);
        if (PtInRect(&box, at))
          SetChecked(static_cast<std::size_t>(index),
                     !entries_[static_cast<std::size_t>(index)].checked);
      }
      result = 0;
      return true;
    }
    case WM_KEYDOWN: {
      const bool control = GetKeyState(VK_CONTROL) < 0;
      if (control && wp == 'C') {
        FireEvent(on_copy);
      } else if (wp == VK_SPACE && current_ >= 0) {
        SetChecked(static_cast<std::size_t>(current_),
                   !entries_[static_cast<std::size_t>(current_)].checked);
      } else if (wp == VK_UP || wp == VK_DOWN || wp == VK_HOME || wp == VK_END || wp == VK_PRIOR ||
                 wp == VK_NEXT) {
        const int last = static_cast<int>(entries_.size()) - 1;
        const int step = wp == VK_PRIOR || wp == VK_NEXT ? 4 : 1;
        int next = current_;
        if (wp == VK_UP || wp == VK_PRIOR) next -= step;
        if (wp == VK_DOWN || wp == VK_NEXT) next += step;
        if (wp == VK_HOME) next = 0;
        if (wp == VK_END) next = last;
        SetCurrent(next);
      } else {
        return false;
      }
      result = 0;
      return true;
    }
    case WM_CHAR:
      if (wp == L' ' || wp == 3 /* Ctrl+C */) {
        result = 0;
        return true;
      }
      return false;
    default:
      return SelfPaintMessage(hwnd(), msg, wp, result, [this](HDC dc) { Paint(dc); });
  }
}

}  // namespace zandrel::gui

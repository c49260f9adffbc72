#include "gui/win32/paint.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "gui/style_definition.h"
#include "gui/win32/component.h"
#include "gui/win32/style.h"
#include "platform/handles.h"

namespace zandrel::gui {

using platform::ScopedSelect;

void PaintParentBackground(HWND hwnd, HDC dc, RECT rc) {
  const auto& style = CurrentStyle();
  if (!style.plain() || FAILED(DrawThemeParentBackground(hwnd, dc, &rc)))
    FillRect(dc, &rc, style.Brush(ColorRole::kFace));
}

bool TrackHot(HWND hwnd, UINT msg, bool& hot) {
  if (msg == WM_MOUSEMOVE && !hot) {
    hot = true;
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
    TrackMouseEvent(&tme);
    return true;
  }
  if (msg == WM_MOUSELEAVE && hot) {
    hot = false;
    return true;
  }
  return false;
}

void FillRounded(HDC dc, const RECT& rc, ColorRole fill, ColorRole frame, int radius) {
  const auto& style = CurrentStyle();
  ScopedSelect brush(dc, style.Brush(fill));
  ScopedSelect pen(dc, style.Pen(frame));
  RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, radius * 2, radius * 2);
}

namespace {

// Lines of a pen one pixel wide, drawn `weight` times side by side.
void Strokes(HDC dc, const POINT* points, int count, int weight) {
  for (int w = 0; w < weight; ++w) {
    MoveToEx(dc, points[0].x, points[0].y + w, nullptr);
    for (int i = 1; i < count; ++i) LineTo(dc, points[i].x, points[i].y + w);
  }
}

}  // namespace

void DrawTick(HDC dc, const RECT& box, ColorRole color) {
  const int side = std::min(box.right - box.left, box.bottom - box.top);
  const int x = box.left + (box.right - box.left - side) / 2;
  const int y = box.top + (box.bottom - box.top - side) / 2;
  const POINT points[] = {{x + side * 2 / 10, y + side * 5 / 10},
                          {x + side * 4 / 10, y + side * 7 / 10},
                          {x + side * 8 / 10, y + side * 3 / 10}};
  ScopedSelect pen(dc, CurrentStyle().Pen(color));
  Strokes(dc, points, 3, std::max(1, side / 8));
}

void DrawDot(HDC dc, const RECT& box, ColorRole color) {
  const LONG side = std::max(2L, std::min(box.right - box.left, box.bottom - box.top) * 4 / 10);
  const int x = box.left + (box.right - box.left - side) / 2;
  const int y = box.top + (box.bottom - box.top - side) / 2;
  const auto& style = CurrentStyle();
  ScopedSelect brush(dc, style.Brush(color));
  ScopedSelect pen(dc, style.Pen(color));
  Ellipse(dc, x, y, x + side, y + side);
}

void DrawArrow(HDC dc, const RECT& box, ColorRole color) {
  const LONG side = std::max(4L, std::min(box.right - box.left, box.bottom - box.top) / 2);
  const int x = box.left + (box.right - box.left - side / 2) / 2;
  const int y = box.top + (box.bottom - box.top - side) / 2;
  const POINT points[] = {{x, y}, {x + side / 2, y + side / 2}, {x, y + side}};
  const auto& style = CurrentStyle();
  ScopedSelect brush(dc, style.Brush(color));
  ScopedSelect pen(dc, style.Pen(color));
  Polygon(dc, points, 3);
}

bool StyledEdgeMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, ColorRole inner,
                       LRESULT& result) {
  const auto& style = CurrentStyle();
  if (msg != WM_NCPAINT || style.plain()) return false;
  result = DefSubclassProc(hwnd, msg, wp, lp);
  const LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  const int edge = (ex & WS_EX_CLIENTEDGE)   ? GetSystemMetrics(SM_CXEDGE)
                   : (ex & WS_EX_STATICEDGE) ? GetSystemMetrics(SM_CXBORDER)
                                             : 0;
  if (edge <= 0) return true;
  RECT rc;
  GetWindowRect(hwnd, &rc);
  OffsetRect(&rc, -rc.left, -rc.top);
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return true;
  FrameRect(dc, &rc, style.Brush(ColorRole::kButtonFrame));
  for (int ring = 1; ring < edge; ++ring) {
    InflateRect(&rc, -1, -1);
    FrameRect(dc, &rc, style.Brush(inner));
  }
  ReleaseDC(hwnd, dc);
  return true;
}

void ApplyScrollBarTheme(HWND hwnd) {
  const auto& style = CurrentStyle();
  if (style.plain())
    SetWindowTheme(hwnd, nullptr, nullptr);
  else
    SetWindowTheme(hwnd, IsDarkPalette(style.palette()) ? L"DarkMode_Explorer" : L"Explorer",
                   nullptr);
}

bool PlainLook() {
  return CurrentStyle().plain();
}

bool IsDarkPalette(const StylePalette& palette) {
  // Black against the face: a light face contrasts with it by far more.
  return ContrastRatio(palette.Color(ColorRole::kFace), 0) < 4.5;
}

}  // namespace zandrel::gui

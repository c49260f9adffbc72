#pragma once
// Painting shared by the self-drawn controls and menus. Every colour, brush
// and pen comes from the application's style; nothing here creates a GDI
// object.

#include <windows.h>

#include "gui/style_palette.h"
#include "platform/handles.h"

namespace zandrel::gui {

// Paints what lies behind a self-drawn control: the parent's themed
// background in the plain look, the style's face otherwise.
void PaintParentBackground(HWND hwnd, HDC dc, RECT rc);

// Follows the mouse over a control for its hot look; true when the look
// must change (the caller repaints).
bool TrackHot(HWND hwnd, UINT msg, bool& hot);

// A rectangle with rounded corners, filled with one role and framed with
// another.
void FillRounded(HDC dc, const RECT& rc, ColorRole fill, ColorRole frame, int radius);

// A tick mark, a round dot and a right-pointing arrow, centred in a box.
void DrawTick(HDC dc, const RECT& box, ColorRole color);
void DrawDot(HDC dc, const RECT& box, ColorRole color);
void DrawArrow(HDC dc, const RECT& box, ColorRole color);

// The sunken edge of an edit, list or bar (WS_EX_CLIENTEDGE or
// WS_EX_STATICEDGE), in the style's colours: on WM_NCPAINT the control's own
// non-client painting (its scroll bars) runs, then the edge is painted over,
// its outer line in the frame colour and the rest in `inner`. Returns false
// (and paints nothing) in the plain look or for any other message.
bool StyledEdgeMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, ColorRole inner,
                       LRESULT& result);

// WM_PAINT, WM_PRINTCLIENT and WM_ERASEBKGND of a control that paints itself
// whole, background included: `paint` draws into the device context given.
template <class PaintFn>
bool SelfPaintMessage(HWND hwnd, UINT msg, WPARAM wp, LRESULT& result, PaintFn paint);

// The same for a control the style paints in a named style only: false in
// the plain look, where the control paints as the platform does.
template <class PaintFn>
bool StyledPaintMessage(HWND hwnd, UINT msg, WPARAM wp, LRESULT& result, PaintFn paint);

// The platform's own parts of a list or an edit (scroll bars on Windows 10
// and 11) in the dark or light look of the style.
void ApplyScrollBarTheme(HWND hwnd);

// True when the palette is a dark one (its face darker than mid-grey), for
// the platform's own dark parts: title bars and scroll bars.
bool IsDarkPalette(const StylePalette& palette);

bool PlainLook();

template <class PaintFn>
bool SelfPaintMessage(HWND hwnd, UINT msg, WPARAM wp, LRESULT& result, PaintFn paint) {
  switch (msg) {
    case WM_ERASEBKGND:
      result = TRUE;
      return true;
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(wp));
      result = 0;
      return true;
    case WM_PAINT: {
      platform::ScopedPaint scoped(hwnd);
      paint(scoped.dc());
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

template <class PaintFn>
bool StyledPaintMessage(HWND hwnd, UINT msg, WPARAM wp, LRESULT& result, PaintFn paint) {
  return !PlainLook() && SelfPaintMessage(hwnd, msg, wp, result, paint);
}

}  // namespace zandrel::gui

// What the user sees in each named style: every visible control of the three
// windows, printed into a bitmap, shows the style's colour for its kind, with
// text that reads against it; the real menus, opened and captured from the
// screen, the same.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "about/win32/about_window.h"
#include "core/text.h"
#include "gui/style_definition.h"
#include "gui/win32/application.h"
#include "gui/win32/controls.h"
#include "gui/win32/list_view.h"
#include "gui/win32/menu.h"
#include "gui/win32/style.h"
#include "mainwindow/win32/main_window.h"
#include "platform/handles.h"
#include "platform/wide.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "theme/win32/windows_dark_mode.h"
#include "update/win32/update_window.h"

namespace zandrel {
namespace {

using gui::ColorRole;

// The pixels of a window as it prints itself, as COLORREFs.
struct Capture {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;
  // Client rectangles of child windows, left out of the statistics.
  std::vector<RECT> holes;

  bool InHole(int x, int y) const {
    return std::any_of(holes.begin(), holes.end(), [&](const RECT& r) {
      return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    });
  }
  // How often each colour shows `inset` away from the edges, outside the holes.
  std::map<COLORREF, int> Counts(int inset) const {
    std::map<COLORREF, int> counts;
    for (int y = inset; y < height - inset; ++y)
      for (int x = inset; x < width - inset; ++x)
        if (!InHole(x, y)) ++counts[pixels[static_cast<std::size_t>(y) * width + x]];
    return counts;
  }
  // The most frequent colour.
  COLORREF Dominant(int inset) const {
    const auto counts = Counts(inset);
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
  }
  // The contrast of the colour that stands out most against `back`.
  double StrongestContrast(COLORREF back, int inset) const {
    double best = 1.0;
    for (const auto& [color, count] : Counts(inset))
      best = std::max(best, gui::ContrastRatio(color, back));
    return best;
  }
};

Capture FromDc(HDC memory, HBITMAP bitmap, int width, int height) {
  Capture c;
  c.width = width;
  c.height = height;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> raw(static_cast<std::size_t>(width) * height);
  GetDIBits(memory, bitmap, 0, height, raw.data(), &bi, DIB_RGB_COLORS);
  c.pixels.reserve(raw.size());
  for (std::uint32_t p : raw)  // 0x00RRGGBB to 0x00BBGGRR
    c.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
  return c;
}

Capture Print(HWND hwnd) {
  RECT rc;
  GetWindowRect(hwnd, &rc);
  const int width = rc.right - rc.left, height = rc.bottom - rc.top;
  platform::WindowDC screen(nullptr);
  HDC memory = CreateCompatibleDC(screen.get());
  platform::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  HGDIOBJ old = SelectObject(memory, bitmap.get());
  PrintWindow(hwnd, memory, 0);
  SelectObject(memory, old);
  Capture c = FromDc(memory, bitmap.get(), width, height);
  DeleteDC(memory);
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT r;
    GetWindowRect(child, &r);
    OffsetRect(&r, -rc.left, -rc.top);
    c.holes.push_back(r);
  }
  return c;
}

// Visible with its window: the control and the panels it sits in are.
bool Shown(HWND hwnd) {
  for (; hwnd && (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD); hwnd = GetParent(hwnd))
    if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE)) return false;
  return hwnd != nullptr;
}

// The background a control of this kind shows in a named style, and whether
// it shows text the user must read.
struct Expectation {
  ColorRole back;
  bool text;
  int inset;  // frames and edges left out
};

std::optional<Expectation> Expect(gui::Control& control) {
  const auto has = [&](std::wstring_view property) { return !control.GetText(property).empty(); };
  if (dynamic_cast<gui::Form*>(&control)) return std::nullopt;
  if (dynamic_cast<gui::TabStrip*>(&control)) return Expectation{ColorRole::kFace, false, 2};
  if (dynamic_cast<gui::GroupBox*>(&control))
    return Expectation{ColorRole::kFace, has(gui::kCaption), 0};
  if (dynamic_cast<gui::Button*>(&control)) {
    const bool is_default =
        (GetWindowLongW(control.hwnd(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    return Expectation{is_default ? ColorRole::kAccent : ColorRole::kButtonFace, true, 3};
  }
  if (dynamic_cast<gui::SpeedButton*>(&control)) return Expectation{ColorRole::kFace, true, 0};
  if (dynamic_cast<gui::CheckBox*>(&control)) return Expectation{ColorRole::kFace, true, 0};
  if (auto* edit = dynamic_cast<gui::Edit*>(&control)) {
    const bool read_only = GetWindowLongW(edit->hwnd(), GWL_STYLE) & ES_READONLY;
    return Expectation{read_only ? ColorRole::kFace : ColorRole::kWindow, !edit->text().empty(), 2};
  }
  if (dynamic_cast<gui::Memo*>(&control)) return Expectation{ColorRole::kWindow, true, 2};
  if (dynamic_cast<gui::ProgressBar*>(&control))
    return Expectation{ColorRole::kPanelFrame, false, 0};
  if (dynamic_cast<gui::Label*>(&control)) return Expectation{ColorRole::kFace, has(gui::kCaption), 0};
  if (dynamic_cast<gui::ListView*>(&control)) return Expectation{ColorRole::kWindow, true, 0};
  if (dynamic_cast<gui::Image*>(&control)) return Expectation{ColorRole::kFace, false, 0};
  return std::nullopt;
}

std::string Describe(const gui::Form& form, const gui::Component& c, const gui::StylePalette& p) {
  return ToUtf8(platform::FromWide(form.class_name() + L"." + c.name())) + " in " +
         ToUtf8(p.name);
}

std::string Hex(COLORREF c) {
  char text[16];
  snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

// The menus of this thread on the screen while one is up, each captured from
// the screen as the user sees it. A key (VK_RIGHT on the first item, to
// open a submenu) may be pressed into the menu first.
struct MenuCapture {
  std::vector<Capture> captures;
  UINT key = 0;
  int ticks = 0;
};
MenuCapture* g_menu_capture = nullptr;

BOOL CALLBACK CollectMenuWindows(HWND hwnd, LPARAM lp) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 15);
  if (std::wstring(cls) == L"#32768" && IsWindowVisible(hwnd))
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

void CALLBACK CaptureMenusOnTick(HWND, UINT, UINT_PTR id, DWORD) {
  MenuCapture& state = *g_menu_capture;
  std::vector<HWND> menus;
  EnumThreadWindows(GetCurrentThreadId(), &CollectMenuWindows, reinterpret_cast<LPARAM>(&menus));
  if (menus.empty() && ++state.ticks < 20) return;
  if (state.key != 0 && !menus.empty()) {
    for (const UINT key : {static_cast<UINT>(VK_DOWN), state.key}) {
      keybd_event(static_cast<BYTE>(key), 0, 0, 0);
      keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
    }
    state.key = 0;
    return;
  }
  if (++state.ticks < 3) return;  // painted by now
  KillTimer(nullptr, id);
  platform::WindowDC screen(nullptr);
  std::reverse(menus.begin(), menus.end());  // a submenu comes after its parent
  for (HWND window : menus) {
    RECT rc{};
    GetWindowRect(window, &rc);
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    HDC memory = CreateCompatibleDC(screen.get());
    platform::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    HGDIOBJ old = SelectObject(memory, bitmap.get());
    BitBlt(memory, 0, 0, width, height, screen.get(), rc.left, rc.top, SRCCOPY);
    SelectObject(memory, old);
    state.captures.push_back(FromDc(memory, bitmap.get(), width, height));
    DeleteDC(memory);
  }
  EndMenu();
}

std::vector<Capture> CaptureShownMenus(gui::PopupMenu& menu, POINT at, UINT key) {
  MenuCapture state;
  state.key = key;
  g_menu_capture = &state;
  const UINT_PTR timer = SetTimer(nullptr, 0, 150, &CaptureMenusOnTick);
  menu.Popup(at.x, at.y);
  KillTimer(nullptr, timer);
  g_menu_capture = nullptr;
  return std::move(state.captures);
}

// A shown menu in a named style: the menu face over most of it, text that
// reads against it, as for every other control.
void ExpectMenuLook(const Capture& capture, const gui::Style& style, const std::string& what) {
  const COLORREF face = style.Color(ColorRole::kMenuFace);
  EXPECT_EQ(Hex(capture.Dominant(3)), Hex(face))
      << what << " menu in " << ToUtf8(style.palette().name);
  EXPECT_GE(capture.StrongestContrast(face, 3), 4.5)
      << what << " menu in " << ToUtf8(style.palette().name);
}

class StyleCaptureTest : public ::testing::TestWithParam<const char16_t*> {
 protected:
  void SetUp() override {
    testing::PeBuilder pe;
    pe.AddIconGroup(icons::ResourceName::Id(7), {{testing::MakeDibIconImage(32, 32), 32, 32, 32}});
    pe.AddIconGroup(icons::ResourceName::Text(u"APP"),
                    {{testing::MakeDibIconImage(16, 16), 16, 16, 32}});
    module_ = dir_.path() + u"\\two.dll";
    pe.WriteTo(module_);
  }
  void ShowEverything() {
    TForm1& main = windows_.form1();
    main.Show();
    main.AdoptSource(platform::ToWide(module_));
    main.MemoZandrel.AppendLine(L"Icons found: 2");
    main.ProgressBarZandrel.SetVisible(true);
    main.ProgressBarZandrel.SetPosition(40);
    main.ListViewIcons.SetItemIndex(0);
    // The secondary windows are printed without being shown: with no window
    // manager, every shown window costs seconds to close under Wine. The
    // About window's showing step still runs, for its version line.
    windows_.form8().FormShow();
    theme::ApplyStyle(GetParam());
    testing::PumpMessages(300);
  }

  testing::TempFolder dir_;
  std::u16string module_;
  testing::ProgramWindows windows_;
};

TEST_P(StyleCaptureTest, EveryControlAndMenuShowsTheStylesColoursWithReadableText) {
  ShowEverything();
  const gui::Style& style = gui::Application::Instance().style();
  ASSERT_EQ(style.palette().name, GetParam());
  int checked = 0;
  for (gui::Form* form : {static_cast<gui::Form*>(&windows_.form1()),
                          static_cast<gui::Form*>(&windows_.form8()),
                          static_cast<gui::Form*>(&windows_.form10())}) {
    for (gui::Component* component : form->components()) {
      auto* control = dynamic_cast<gui::Control*>(component);
      if (!control || !control->hwnd() || !Shown(control->hwnd())) continue;
      const std::optional<Expectation> expect = Expect(*control);
      if (!expect) continue;
      const Capture capture = Print(control->hwnd());
      if (capture.width <= 2 * expect->inset || capture.height <= 2 * expect->inset) continue;
      const COLORREF want = style.Color(expect->back);
      const COLORREF got = control->hwnd() && dynamic_cast<gui::Image*>(control)
                               ? capture.pixels.front()  // the corner, beside the picture
                               : capture.Dominant(expect->inset);
      EXPECT_EQ(Hex(got), Hex(want)) << Describe(*form, *control, style.palette());
      if (expect->text) {
        EXPECT_GE(capture.StrongestContrast(got, expect->inset), 4.5)
            << Describe(*form, *control, style.palette());
      }
      if (auto* box = dynamic_cast<gui::CheckBox*>(control)) {
        // The box itself: the window colour, or the accent when ticked.
        const int side = MulDiv(13, static_cast<int>(form->dpi()), 96);
        Capture square;
        square.width = side - 4;
        square.height = side - 4;
        const int top = (capture.height - side) / 2 + 2;
        for (int y = 0; y < square.height; ++y)
          for (int x = 0; x < square.width; ++x)
            square.pixels.push_back(
                capture.pixels[static_cast<std::size_t>(top + y) * capture.width + 2 + x]);
        const ColorRole fill = box->checked() ? ColorRole::kAccent : ColorRole::kWindow;
        EXPECT_EQ(Hex(square.Dominant(0)), Hex(style.Color(fill)))
            << Describe(*form, *control, style.palette()) << ", its box";
      }
      ++checked;
    }
  }
  EXPECT_GE(checked, 30);

  // The list's header is a window of its own.
  HWND header = ListView_GetHeader(windows_.form1().ListViewIcons.hwnd());
  const Capture header_capture = Print(header);
  EXPECT_EQ(Hex(header_capture.Dominant(0)), Hex(style.Color(ColorRole::kWindow)));
  EXPECT_GE(header_capture.StrongestContrast(header_capture.Dominant(0), 0), 4.5);

  // The real menus, opened through the runtime as a click opens them and
  // captured from the screen while they are up: the general menu, its theme
  // submenu, and the list's context menu.
  TForm1& main = windows_.form1();
  main.ListViewIcons.SetItemIndex(0);
  main.ListViewIconsSelectItem();
  RECT frame{};
  GetWindowRect(main.hwnd(), &frame);
  for (const bool submenu : {false, true}) {
    const auto shown = CaptureShownMenus(main.PopupMenu_General, {frame.right - 10, frame.top + 40},
                                         submenu ? VK_RIGHT : 0);
    ASSERT_EQ(shown.size(), submenu ? 2u : 1u);
    for (const Capture& capture : shown)
      ExpectMenuLook(capture, style, submenu ? "theme" : "general");
  }
  const auto context =
      CaptureShownMenus(main.PopupMenuIcons, {frame.left + 60, frame.top + 260}, 0);
  ASSERT_EQ(context.size(), 1u);
  ExpectMenuLook(context[0], style, "list's context");
}

INSTANTIATE_TEST_SUITE_P(BothStyles, StyleCaptureTest,
                         ::testing::Values(theme::kModernLight.data(), theme::kModernDark.data()),
                         [](const auto& param) {
                           return std::string(param.index == 0 ? "Light" : "Dark");
                         });

}  // namespace
}  // namespace zandrel

// The style owner: controls take their colours and brushes from it through
// WM_CTLCOLOR*, a new palette reaches every control, fonts are kept per DPI,
// and WM_SETTINGCHANGE reaches the window's handler.

#include <gtest/gtest.h>

#include "gui/tests/win32/test_form.h"
#include "gui/win32/controls.h"
#include "platform/handles.h"

namespace zandrel::gui {
namespace {

using gui::testing::TestForm;

const char kDefinition[] = R"(
Form StyleForm : TStyleTestForm {
  ClientWidth = 300; ClientHeight = 200
  GroupBox GroupBoxHost {
    Caption = "Host"; Left = 10; Top = 10; Width = 260; Height = 150
    Edit EditPlain { Left = 8; Top = 4; Width = 120; Height = 22 }
    Edit EditReadOnly { Left = 8; Top = 30; Width = 120; Height = 22; ReadOnly = true }
    CheckBox CheckBoxPlain { Caption = "Box"; Left = 8; Top = 60; Width = 120; Height = 20 }
    Label LabelPlain { Caption = "Before"; Left = 8; Top = 90; Width = 200; Height = 20 }
  }
}
)";

COLORREF BrushColor(HBRUSH brush) {
  LOGBRUSH lb{};
  GetObjectW(brush, sizeof lb, &lb);
  return lb.lbColor;
}

class StyleTest : public ::testing::Test {
 protected:
  StyleTest() { gui::testing::EnsureApplication(); }
  ~StyleTest() override { Application::Instance().ApplyStyle(StylePalette{}); }

  // What the control's parent answers when the control asks for its colours.
  struct Answer {
    HBRUSH brush;
    COLORREF text;
    COLORREF back;
  };
  Answer Ask(UINT msg, const Control& control) {
    platform::WindowDC dc(control.hwnd());
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(control.hwnd()), msg, reinterpret_cast<WPARAM>(dc.get()),
                     reinterpret_cast<LPARAM>(control.hwnd())));
    return {brush, GetTextColor(dc.get()), GetBkColor(dc.get())};
  }

  TestForm form{kDefinition};
  Style& style = Application::Instance().style();
};

TEST_F(StyleTest, ControlsTakeTheStylesColoursThroughTheirPanel) {
  ASSERT_TRUE(style.plain());
  const Answer edit = Ask(WM_CTLCOLOREDIT, form.Get<Edit>(L"EditPlain"));
  EXPECT_EQ(edit.brush, style.Brush(ColorRole::kWindow));
  EXPECT_EQ(edit.text, GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(edit.back, GetSysColor(COLOR_WINDOW));

  const Answer read_only = Ask(WM_CTLCOLORSTATIC, form.Get<Edit>(L"EditReadOnly"));
  EXPECT_EQ(read_only.brush, style.Brush(ColorRole::kFace));
  EXPECT_EQ(read_only.back, GetSysColor(COLOR_BTNFACE));

  const Answer box = Ask(WM_CTLCOLORSTATIC, form.Get<CheckBox>(L"CheckBoxPlain"));
  EXPECT_EQ(box.brush, style.Brush(ColorRole::kFace));
  EXPECT_EQ(BrushColor(box.brush), GetSysColor(COLOR_BTNFACE));
}

TEST_F(StyleTest, ANewPaletteReachesEveryControlAndThePlainLookComesBack) {
  StylePalette dark;
  dark.name = u"Test Dark";
  dark.colors.fill(MakeRgb(0x20, 0x20, 0x20));
  dark.SetColor(ColorRole::kWindow, MakeRgb(0x10, 0x10, 0x10));
  dark.SetColor(ColorRole::kWindowText, MakeRgb(0xEE, 0xEE, 0xEE));
  Application::Instance().ApplyStyle(dark);
  EXPECT_FALSE(style.plain());

  const Answer edit = Ask(WM_CTLCOLOREDIT, form.Get<Edit>(L"EditPlain"));
  EXPECT_EQ(BrushColor(edit.brush), MakeRgb(0x10, 0x10, 0x10));
  EXPECT_EQ(edit.text, MakeRgb(0xEE, 0xEE, 0xEE));
  const Answer box = Ask(WM_CTLCOLORSTATIC, form.Get<CheckBox>(L"CheckBoxPlain"));
  EXPECT_EQ(BrushColor(box.brush), MakeRgb(0x20, 0x20, 0x20));

  Application::Instance().ApplyStyle(StylePalette{});
  EXPECT_TRUE(style.plain());
  EXPECT_EQ(BrushColor(Ask(WM_CTLCOLOREDIT, form.Get<Edit>(L"EditPlain")).brush),
            GetSysColor(COLOR_WINDOW));
}

TEST_F(StyleTest, FontsAreMadeOncePerSpecAndDpi) {
  const FontSpec spec{L"Segoe UI", -12, false, false};
  HFONT at96 = style.Font(spec, 96);
  ASSERT_NE(at96, nullptr);
  EXPECT_EQ(style.Font(spec, 96), at96);
  HFONT at144 = style.Font(spec, 144);
  EXPECT_NE(at144, at96);
  LOGFONTW lf{};
  GetObjectW(at144, sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -18);
  FontSpec bold = spec;
  bold.bold = true;
  EXPECT_NE(style.Font(bold, 96), at96);
}

TEST_F(StyleTest, SettingChangesReachTheWindowsHandlerWithTheirArea) {
  std::vector<std::wstring> areas;
  form.on_setting_change = [&](std::wstring_view area) { areas.emplace_back(area); };
  SendMessageW(form.hwnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
  SendMessageW(form.hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  EXPECT_EQ(areas, (std::vector<std::wstring>{L"ImmersiveColorSet", L""}));
}

}  // namespace
}  // namespace zandrel::gui

namespace zandrel::gui {
namespace {

TEST_F(StyleTest, ANewLabelTextIsDrawnAgainEvenWhenItsRectangleStays) {
  ShowWindow(form.hwnd(), SW_SHOWNA);
  UpdateWindow(form.hwnd());
  Label& label = form.Get<Label>(L"LabelPlain");
  RECT dirty{};
  ASSERT_FALSE(GetUpdateRect(label.hwnd(), &dirty, FALSE));
  label.SetCaption(L"After");
  EXPECT_TRUE(GetUpdateRect(label.hwnd(), &dirty, FALSE));
  ShowWindow(form.hwnd(), SW_HIDE);
}

TEST(StyleResources, BothNamedStylesAreCompiledIn) {
  EXPECT_EQ(LoadStyleResource(L"WINDOWSMODERNLIGHT").name, u"Windows11 Modern Light");
  const StylePalette dark = LoadStyleResource(L"WINDOWSMODERNDARK");
  EXPECT_EQ(dark.name, u"Windows11 Modern Dark");
  EXPECT_EQ(dark.Color(ColorRole::kFace), MakeRgb(0x20, 0x20, 0x20));
  EXPECT_THROW(LoadStyleResource(L"NOSUCHSTYLE"), DefinitionError);
}

}  // namespace
}  // namespace zandrel::gui

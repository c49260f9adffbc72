// Style palettes: role names as style definitions write them, and the hot
// face of flat buttons.

#include "gui/style_palette.h"

#include <gtest/gtest.h>

#include <set>

namespace zandrel::gui {
namespace {

TEST(StylePalette, EveryRoleHasOneNameThatLeadsBackToIt) {
  std::set<std::u16string_view> names;
  for (std::size_t i = 0; i < kColorRoleCount; ++i) {
    const auto role = static_cast<ColorRole>(i);
    const std::u16string_view name = ColorRoleName(role);
    ASSERT_FALSE(name.empty()) << "role " << i;
    EXPECT_TRUE(names.insert(name).second) << "role " << i << " shares its name";
    EXPECT_EQ(ColorRoleFromName(name), role);
  }
  EXPECT_EQ(ColorRoleFromName(u"window"), std::nullopt);  // names are exact
  EXPECT_EQ(ColorRoleFromName(u""), std::nullopt);
  EXPECT_TRUE(ColorRoleName(ColorRole::kCount).empty());
}

TEST(StylePalette, ColoursAreKeptPerRoleInColorrefLayout) {
  StylePalette palette;
  palette.SetColor(ColorRole::kLinkText, MakeRgb(0x11, 0x22, 0x33));
  EXPECT_EQ(palette.Color(ColorRole::kLinkText), 0x00332211u);
  EXPECT_EQ(palette.Color(ColorRole::kWindow), 0u);
}

TEST(StylePalette, HotFaceIsAVisibleShadeOnLightAndDarkFaces) {
  EXPECT_EQ(HotFaceOf(MakeRgb(0xF0, 0xF0, 0xF0)), MakeRgb(0xE0, 0xE0, 0xE0));
  EXPECT_EQ(HotFaceOf(MakeRgb(0x20, 0x20, 0x20)), MakeRgb(0x30, 0x30, 0x30));
  EXPECT_EQ(HotFaceOf(HotFaceOf(MakeRgb(1, 2, 3))), MakeRgb(1, 2, 3));
}

}  // namespace
}  // namespace zandrel::gui

// Named styles as text: the two the program carries, and what a definition
// must hold.

#include "gui/style_definition.h"

#include <gtest/gtest.h>

#include <string>

#include "core/file_io.h"
#include "core/text.h"

namespace zandrel::gui {
namespace {

std::string ShippedStyle(const char* file) {
  const auto bytes = ReadFileBytes(FromUtf8(std::string(ZANDREL_STYLES_DIR) + "/" + file));
  EXPECT_TRUE(bytes) << file;
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

TEST(StyleDefinition, TheShippedStylesAreCompleteAndReadable) {
  const StylePalette light = ParseStyleDefinition(ShippedStyle("WindowsModernLight.style"));
  const StylePalette dark = ParseStyleDefinition(ShippedStyle("WindowsModernDark.style"));
  EXPECT_EQ(light.name, u"Windows11 Modern Light");
  EXPECT_EQ(dark.name, u"Windows11 Modern Dark");
  for (const StylePalette* style : {&light, &dark}) {
    // Text that must be read: at least 4.5 : 1 against its background.
    const std::pair<ColorRole, ColorRole> pairs[] = {
        {ColorRole::kWindowText, ColorRole::kWindow},
        {ColorRole::kFaceText, ColorRole::kFace},
        {ColorRole::kFaceText, ColorRole::kHotFace},
        {ColorRole::kStrongText, ColorRole::kFace},
        {ColorRole::kLinkText, ColorRole::kFace},
        {ColorRole::kHighlightText, ColorRole::kHighlight},
        {ColorRole::kGrayText, ColorRole::kFace},
        {ColorRole::kFaceText, ColorRole::kButtonFace},
        {ColorRole::kAccentText, ColorRole::kAccent},
        {ColorRole::kFaceText, ColorRole::kMenuFace},
        {ColorRole::kFaceText, ColorRole::kMenuHot},
        {ColorRole::kGrayText, ColorRole::kMenuFace},
        {ColorRole::kLinkText, ColorRole::kWindow}};
    for (const auto& [text, back] : pairs)
      EXPECT_GE(ContrastRatio(style->Color(text), style->Color(back)), 4.5)
          << ToUtf8(style->name) << ": " << ToUtf8(ColorRoleName(text)) << " on "
          << ToUtf8(ColorRoleName(back));
    EXPECT_EQ(style->Color(ColorRole::kHotFace), HotFaceOf(style->Color(ColorRole::kFace)));
  }
  EXPECT_LT(ContrastRatio(dark.Color(ColorRole::kFace), 0), 1.5);  // dark is dark
}

TEST(StyleDefinition, ColoursMetricsAndWhatIsRefused) {
  std::string roles;
  for (std::size_t i = 0; i < kColorRoleCount; ++i)
    roles += ToUtf8(ColorRoleName(static_cast<ColorRole>(i))) + " = \"#102030\"\n";
  const StylePalette palette =
      ParseStyleDefinition("Style S {\nName = \"Test\"\n" + roles + "GroupPadding = 5\n}");
  EXPECT_EQ(palette.Color(ColorRole::kLinkText), MakeRgb(0x10, 0x20, 0x30));
  EXPECT_EQ(palette.metrics.group_padding, 5);
  EXPECT_EQ(palette.metrics.group_caption_gap, 1);

  const std::string broken[] = {
      "Style S {\n" + roles + "}",                                         // no name
      "Style S {\nName = \"T\"\n" + roles.substr(roles.find('\n') + 1) + "}",  // a role missing
      "Style S {\nName = \"T\"\n" + roles + "Window = \"#000000\"\n}",     // a role twice
      "Style S {\nName = \"T\"\n" + roles + "Colour = \"#000000\"\n}",     // unknown
      "Style S {\nName = \"T\"\n" + roles + "GroupPadding = 99\n}",        // metric out of range
      "Style S {\nName = \"T\"\n" + roles + "}\nStyle T { }",              // two styles
      "Form S {\nName = \"T\"\n" + roles + "}",                            // not a style
  };
  for (const std::string& text : broken) EXPECT_THROW(ParseStyleDefinition(text), DefinitionError);
  std::string bad_colour = "Style S {\nName = \"T\"\n" + roles + "}";
  bad_colour.replace(bad_colour.find("#102030"), 7, "#10203G");
  EXPECT_THROW(ParseStyleDefinition(bad_colour), DefinitionError);
}

TEST(StyleDefinition, ContrastRatioFollowsTheWcagFormula) {
  EXPECT_NEAR(ContrastRatio(MakeRgb(255, 255, 255), MakeRgb(0, 0, 0)), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(MakeRgb(0, 0, 0), MakeRgb(255, 255, 255)), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(MakeRgb(0x77, 0x77, 0x77), MakeRgb(255, 255, 255)), 4.48, 0.01);
  EXPECT_NEAR(ContrastRatio(MakeRgb(9, 9, 9), MakeRgb(9, 9, 9)), 1.0, 1e-9);
}

}  // namespace
}  // namespace zandrel::gui

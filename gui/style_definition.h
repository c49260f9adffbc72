#pragma once
// Named styles as text, in the window-definition syntax:
//
//   Style WindowsModernDark {
//     Name = "Windows11 Modern Dark"
//     Window = "#202020"; WindowText = "#FFFFFF"; ...   # every colour role once
//     GroupCaptionGap = 1; GroupPadding = 3              # metrics, optional
//   }
//
// The program carries its two styles as resources in this form.

#include <string_view>

#include "gui/definition.h"
#include "gui/style_palette.h"

namespace zandrel::gui {

// Throws DefinitionError for anything but one complete style: a missing or
// repeated role, a colour not written "#RRGGBB", an unknown property, a
// metric outside 0..32, or no name.
StylePalette ParseStyleDefinition(std::string_view utf8);

// The contrast ratio of two colours as WCAG 2 defines it, from 1 (none) to 21.
double ContrastRatio(Rgb a, Rgb b);

}  // namespace zandrel::gui

#pragma once
// A visual style as data: a colour for each role the painting code asks for,
// and the few metrics it uses. The Win32 style owner turns a palette into
// brushes, pens and fonts; named styles are palettes read from their text
// definitions.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zandrel::gui {

// 0x00BBGGRR, the layout of a Win32 COLORREF.
using Rgb = std::uint32_t;

constexpr Rgb MakeRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<Rgb>(r) | (static_cast<Rgb>(g) << 8) | (static_cast<Rgb>(b) << 16);
}

enum class ColorRole : std::size_t {
  kWindow,         // background of edits and lists
  kWindowText,     // text on kWindow, and of labels
  kFace,           // background of windows, panels and buttons
  kFaceText,       // text on kFace
  kGrayText,       // text of disabled controls
  kHotFace,        // a flat button under the mouse
  kPanelFrame,     // the light frame of panels
  kLinkText,       // link labels
  kStrongText,     // labels that ask for black text
  kHighlight,      // selected rows
  kHighlightText,  // text of selected rows
  kButtonFace,     // push buttons and the boxes of check boxes
  kButtonFrame,    // their frame, and the frames of edits and lists
  kAccent,         // the default button, a ticked box, progress
  kAccentText,     // text and marks on kAccent
  kMenuFace,       // background of menus
  kMenuHot,        // the menu item under the mouse or the keyboard
  kCount
};
inline constexpr std::size_t kColorRoleCount = static_cast<std::size_t>(ColorRole::kCount);

struct StyleMetrics {
  int group_caption_gap = 1;  // below a group box's caption, at 96 DPI
  int group_padding = 3;      // inside a group box's frame, at 96 DPI
};

struct StylePalette {
  std::u16string name;  // empty for the platform's plain look
  std::array<Rgb, kColorRoleCount> colors{};
  StyleMetrics metrics;

  Rgb Color(ColorRole role) const { return colors[static_cast<std::size_t>(role)]; }
  void SetColor(ColorRole role, Rgb value) { colors[static_cast<std::size_t>(role)] = value; }
};

// Role names as style definitions write them ("Window", "LinkText", ...).
std::u16string_view ColorRoleName(ColorRole role);
std::optional<ColorRole> ColorRoleFromName(std::u16string_view name);

// The hot face of a flat button: the face with each channel moved by 16 (bit
// 4 flipped), a shade that shows on light and dark faces alike.
Rgb HotFaceOf(Rgb face);

}  // namespace zandrel::gui

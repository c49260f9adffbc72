#include "gui/style_palette.h"

namespace zandrel::gui {

namespace {

constexpr std::array<std::u16string_view, kColorRoleCount> kRoleNames = {
    u"Window",     u"WindowText", u"Face",      u"FaceText",     u"GrayText", u"HotFace",
    u"PanelFrame", u"LinkText",   u"StrongText", u"Highlight", u"HighlightText",
    u"ButtonFace", u"ButtonFrame", u"Accent",   u"AccentText", u"MenuFace",  u"MenuHot",
};

}  // namespace

std::u16string_view ColorRoleName(ColorRole role) {
  const auto index = static_cast<std::size_t>(role);
  return index < kRoleNames.size() ? kRoleNames[index] : std::u16string_view();
}

std::optional<ColorRole> ColorRoleFromName(std::u16string_view name) {
  for (std::size_t i = 0; i < kRoleNames.size(); ++i)
    if (kRoleNames[i] == name) return static_cast<ColorRole>(i);
  return std::nullopt;
}

Rgb HotFaceOf(Rgb face) {
  // XOR with 16 per channel: the look the flat button has always had.
  return face ^ MakeRgb(16, 16, 16);
}

}  // namespace zandrel::gui

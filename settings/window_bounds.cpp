#include "settings/window_bounds.h"

#include "core/text.h"

namespace zandrel::settings {

namespace {

constexpr std::int32_t kFarthest = 100000;
constexpr std::int32_t kLargest = 32767;

std::optional<std::int32_t> ReadNumber(const IniDocument& ini, std::u16string_view section,
                                       std::u16string_view key, std::int32_t low,
                                       std::int32_t high) {
  const std::optional<std::int32_t> value = ParseDecimalInt32(ini.ReadString(section, key, u""));
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

}  // namespace

std::optional<WindowBounds> ReadWindowBounds(const IniDocument& ini, std::u16string_view section) {
  const auto left = ReadNumber(ini, section, u"Left", -kFarthest, kFarthest);
  const auto top = ReadNumber(ini, section, u"Top", -kFarthest, kFarthest);
  const auto width = ReadNumber(ini, section, u"Width", 1, kLargest);
  const auto height = ReadNumber(ini, section, u"Height", 1, kLargest);
  if (!left || !top || !width || !height) return std::nullopt;
  return WindowBounds{*left, *top, *width, *height, ini.ReadBool(section, u"Maximized", false)};
}

void WriteWindowBounds(IniDocument& ini, std::u16string_view section, const WindowBounds& bounds) {
  ini.WriteString(section, u"Left", ToDecimal(bounds.left));
  ini.WriteString(section, u"Top", ToDecimal(bounds.top));
  ini.WriteString(section, u"Width", ToDecimal(bounds.width));
  ini.WriteString(section, u"Height", ToDecimal(bounds.height));
  ini.WriteBool(section, u"Maximized", bounds.maximized);
}

}  // namespace zandrel::settings

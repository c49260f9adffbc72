#include "gui/style_definition.h"

#include <array>
#include <cmath>
#include <string>

#include "core/text.h"

namespace zandrel::gui {

namespace {

[[noreturn]] void Fail(const ComponentDefinition& def, const std::string& what) {
  throw DefinitionError("style definition, line " + std::to_string(def.line) + ": " + what);
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::optional<Rgb> ParseColour(std::u16string_view text) {
  if (text.size() != 7 || text[0] != u'#') return std::nullopt;
  std::array<std::uint8_t, 3> channels{};
  for (std::size_t i = 0; i < 3; ++i) {
    const int high = HexDigit(text[1 + 2 * i]), low = HexDigit(text[2 + 2 * i]);
    if (high < 0 || low < 0) return std::nullopt;
    channels[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return MakeRgb(channels[0], channels[1], channels[2]);
}

double Luminance(Rgb colour) {
  const auto channel = [](unsigned value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(colour & 0xFF) + 0.7152 * channel((colour >> 8) & 0xFF) +
         0.0722 * channel((colour >> 16) & 0xFF);
}

}  // namespace

StylePalette ParseStyleDefinition(std::string_view utf8) {
  const std::vector<ComponentDefinition> defs = ParseDefinitions(utf8);
  if (defs.size() != 1 || defs[0].kind != u"Style")
    throw DefinitionError("style definition: one Style block expected");
  const ComponentDefinition& def = defs[0];
  if (!def.children.empty()) Fail(def, "a style holds no components");

  StylePalette palette;
  std::array<bool, kColorRoleCount> seen{};
  bool named = false;
  for (const auto& [property, value] : def.properties) {
    const std::string name = ToUtf8(property);
    if (property == u"Name") {
      if (value.type != DefinitionValue::Type::kString || value.text.empty() || named)
        Fail(def, "one non-empty Name expected");
      palette.name = value.text;
      named = true;
    } else if (property == u"GroupCaptionGap" || property == u"GroupPadding") {
      if (value.type != DefinitionValue::Type::kInteger || value.number < 0 || value.number > 32)
        Fail(def, name + " must be a whole number from 0 to 32");
      (property == u"GroupPadding" ? palette.metrics.group_padding
                                   : palette.metrics.group_caption_gap) =
          static_cast<int>(value.number);
    } else if (const std::optional<ColorRole> role = ColorRoleFromName(property)) {
      const std::optional<Rgb> colour = value.type == DefinitionValue::Type::kString
                                            ? ParseColour(value.text)
                                            : std::nullopt;
      if (!colour) Fail(def, name + " must be a colour written \"#RRGGBB\"");
      auto& done = seen[static_cast<std::size_t>(*role)];
      if (done) Fail(def, name + " is given twice");
      done = true;
      palette.SetColor(*role, *colour);
    } else {
      Fail(def, "unknown property " + name);
    }
  }
  if (!named) Fail(def, "the style has no Name");
  for (std::size_t i = 0; i < kColorRoleCount; ++i)
    if (!seen[i]) Fail(def, "no colour for " + ToUtf8(ColorRoleName(static_cast<ColorRole>(i))));
  return palette;
}

double ContrastRatio(Rgb a, Rgb b) {
  double lighter = Luminance(a), darker = Luminance(b);
  if (lighter < darker) std::swap(lighter, darker);
  return (lighter + 0.05) / (darker + 0.05);
}

}  // namespace zandrel::gui

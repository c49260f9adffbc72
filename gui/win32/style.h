#pragma once
// The one owner of colours, brushes, pens and fonts. Painting code asks the
// application's style for them and never creates GDI objects itself; the
// style rebuilds its objects when its palette changes, and holds fonts per
// DPI. Until a named style is applied the palette is the platform's plain
// look, read from the system colours.

#include <windows.h>

#include <array>
#include <map>
#include <optional>
#include <string_view>
#include <string>
#include <tuple>

#include "gui/style_palette.h"
#include "platform/handles.h"

namespace zandrel::gui {

struct FontSpec {
  std::wstring face;
  int height = 0;  // logical height at 96 DPI, negative = character height
  bool bold = false;
  bool underline = false;
  bool operator==(const FontSpec&) const = default;
};

class Style {
 public:
  Style();
  Style(const Style&) = delete;
  Style& operator=(const Style&) = delete;

  const StylePalette& palette() const { return palette_; }
  // True while the platform's plain look is in use.
  bool plain() const { return palette_.name.empty(); }
  // Takes a named style's palette (or the plain look again, for an empty
  // name) and rebuilds the brushes and pens. Windows repaint on their own
  // only when told; see Application::ApplyStyle.
  void SetPalette(const StylePalette& palette);

  COLORREF Color(ColorRole role) const { return palette_.Color(role); }
  HBRUSH Brush(ColorRole role) const;
  HPEN Pen(ColorRole role) const;
  // A font for a control at a DPI, created once and kept while the style lives.
  HFONT Font(const FontSpec& spec, UINT dpi);
  const StyleMetrics& metrics() const { return palette_.metrics; }

 private:
  void Rebuild();

  StylePalette palette_;
  std::array<platform::UniqueBrush, kColorRoleCount> brushes_;
  std::array<platform::UniquePen, kColorRoleCount> pens_;
  std::map<std::tuple<std::wstring, int, bool, bool, UINT>, platform::UniqueFont> fonts_;
};

// The plain look: the system's colours for each role.
StylePalette SystemPalette();

// The bytes of an RCDATA resource of the program itself (window
// definitions, styles); nullopt when there is none of that name.
std::optional<std::string_view> ProgramText(const wchar_t* resource_name);

// A named style compiled into the program (resource WINDOWSMODERNLIGHT or
// WINDOWSMODERNDARK); throws DefinitionError when it is missing or faulty.
StylePalette LoadStyleResource(const wchar_t* resource_name);

}  // namespace zandrel::gui

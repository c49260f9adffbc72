#pragma once
// A window's place and size as the settings file keeps it, in a section of
// the window's own: Left, Top, Width, Height (pixels) and Maximized.

#include <optional>
#include <string_view>

#include "settings/ini_document.h"

namespace zandrel::settings {

// The main window's section.
inline constexpr std::u16string_view kMainWindowSection = u"MainWindow";

struct WindowBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool maximized = false;

  bool operator==(const WindowBounds&) const = default;
};

// None unless the four numbers are there and sane: decimal, a position
// within +-100000 and a size of 1 to 32767, so that whatever a hand-edited
// file holds can be handed to the system.
std::optional<WindowBounds> ReadWindowBounds(const IniDocument& ini, std::u16string_view section);
void WriteWindowBounds(IniDocument& ini, std::u16string_view section, const WindowBounds& bounds);

}  // namespace zandrel::settings

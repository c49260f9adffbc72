#pragma once
// The user's Windows preference for app colours, and switching the whole
// program to one of its two named styles.

#include <string_view>

namespace zandrel::theme {

inline constexpr std::u16string_view kModernDark = u"Windows11 Modern Dark";
inline constexpr std::u16string_view kModernLight = u"Windows11 Modern Light";

// Switches every window to the named style; a name the program does not
// carry changes nothing and says nothing.
void ApplyStyle(std::u16string_view name);

// True when Windows asks apps for the dark mode: AppsUseLightTheme below
// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize
// is the number 0. A missing key or value means light; a value that is not a
// number throws, so the caller decides whether that changes anything.
bool IsSystemDarkMode();

}  // namespace zandrel::theme

#include "gui/win32/style.h"

#include "gui/style_definition.h"

namespace zandrel::gui {

StylePalette SystemPalette() {
  StylePalette p;
  p.SetColor(ColorRole::kWindow, GetSysColor(COLOR_WINDOW));
  p.SetColor(ColorRole::kWindowText, GetSysColor(COLOR_WINDOWTEXT));
  p.SetColor(ColorRole::kFace, GetSysColor(COLOR_BTNFACE));
  p.SetColor(ColorRole::kFaceText, GetSysColor(COLOR_BTNTEXT));
  p.SetColor(ColorRole::kGrayText, GetSysColor(COLOR_GRAYTEXT));
  p.SetColor(ColorRole::kHotFace, HotFaceOf(GetSysColor(COLOR_BTNFACE)));
  p.SetColor(ColorRole::kPanelFrame, GetSysColor(COLOR_3DLIGHT));
  p.SetColor(ColorRole::kLinkText, RGB(0, 0, 255));
  p.SetColor(ColorRole::kStrongText, RGB(0, 0, 0));
  p.SetColor(ColorRole::kHighlight, GetSysColor(COLOR_HIGHLIGHT));
  p.SetColor(ColorRole::kHighlightText, GetSysColor(COLOR_HIGHLIGHTTEXT));
  p.SetColor(ColorRole::kButtonFace, GetSysColor(COLOR_BTNFACE));
  p.SetColor(ColorRole::kButtonFrame, GetSysColor(COLOR_3DSHADOW));
  p.SetColor(ColorRole::kAccent, GetSysColor(COLOR_HIGHLIGHT));
  p.SetColor(ColorRole::kAccentText, GetSysColor(COLOR_HIGHLIGHTTEXT));
  p.SetColor(ColorRole::kMenuFace, GetSysColor(COLOR_MENU));
  p.SetColor(ColorRole::kMenuHot, GetSysColor(COLOR_HIGHLIGHT));
  return p;
}

Style::Style() : palette_(SystemPalette()) {
  Rebuild();
}

void Style::SetPalette(const StylePalette& palette) {
  palette_ = palette.name.empty() ? SystemPalette() : palette;
  Rebuild();
}

void Style::Rebuild() {
  for (std::size_t i = 0; i < kColorRoleCount; ++i) {
    brushes_[i].reset(CreateSolidBrush(palette_.colors[i]));
    pens_[i].reset(CreatePen(PS_SOLID, 1, palette_.colors[i]));
  }
}

HBRUSH Style::Brush(ColorRole role) const {
  return brushes_[static_cast<std::size_t>(role)].get();
}

HPEN Style::Pen(ColorRole role) const {
  return pens_[static_cast<std::size_t>(role)].get();
}

HFONT Style::Font(const FontSpec& spec, UINT dpi) {
  auto key = std::make_tuple(spec.face, spec.height, spec.bold, spec.underline, dpi);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second.get();
  LOGFONTW lf{};
  lf.lfHeight = MulDiv(spec.height, static_cast<int>(dpi), 96);
  lf.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = spec.underline;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(lf.lfFaceName, spec.face.c_str(), LF_FACESIZE);
  platform::UniqueFont font(CreateFontIndirectW(&lf));
  HFONT handle = font.get();
  if (handle) fonts_.emplace(std::move(key), std::move(font));
  return handle;
}

std::optional<std::string_view> ProgramText(const wchar_t* resource_name) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, resource_name, MAKEINTRESOURCEW(10));  // RT_RCDATA
  // Resources of the program itself stay mapped for the whole run.
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  return std::string_view(static_cast<const char*>(bytes), SizeofResource(module, found));
}

StylePalette LoadStyleResource(const wchar_t* resource_name) {
  const std::optional<std::string_view> text = ProgramText(resource_name);
  if (!text) throw DefinitionError("style missing");
  return ParseStyleDefinition(*text);
}

}  // namespace zandrel::gui

// The main window's settings.
#include <new>

#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "mainwindow/win32/main_window_parts.h"
#include "platform/wide.h"
#include "settings/ini_document.h"
#include "settings/settings_rules.h"
#include "settings/win32/ansi_codec_win32.h"
#include "settings/window_bounds.h"

namespace zandrel {

using platform::FromWide;
using platform::ToWide;

namespace {

// The update window's box, written with the main window's settings.
const wchar_t kQuickUpdateKey[] = L"CheckBoxQuickUpdate";

}  // namespace

void TForm1::LoadNastr() {
  CheckAndSetRegistryForFileTypes();
  const settings::IniDocument ini = settings::ReadSettingsForLoading(PortablePath());
  const auto section = settings::kOptionSection;
  for (gui::MenuItem* item : ThemeMenu.items()) {
    item->SetChecked(ini.ReadBool(section, FromWide(item->name()), false));
    if (item->checked()) item->Click();
  }
  CheckBoxNoChangePath.SetChecked(
      ini.ReadBool(section, FromWide(CheckBoxNoChangePath.name()), false));
  CheckBoxSavePath.SetChecked(ini.ReadBool(section, FromWide(CheckBoxSavePath.name()), false));
  AllKindsMenu.SetChecked(ini.ReadBool(section, FromWide(AllKindsMenu.name()), false));
  EditPathExtract.SetTextValue(
      ToWide(ini.ReadString(section, FromWide(EditPathExtract.name()), u"")));
  if (EditPathExtract.text().empty()) EditPathExtract.SetTextValue(mainwindow::DefaultOutputFolder());
}

void TForm1::LoadWindowPlacement() {
  const settings::IniDocument ini = settings::ReadSettingsForLoading(PortablePath());
  const auto bounds = settings::ReadWindowBounds(ini, settings::kMainWindowSection);
  if (!bounds) return;
  RestorePlacement(
      {RECT{bounds->left, bounds->top, bounds->left + bounds->width, bounds->top + bounds->height},
       bounds->maximized});
}

void TForm1::SaveNastr() {
  // A registry that refuses the verb is reported, and the settings the user
  // changed in this run are still written.
  try {
    SynchronizeContextMenu();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
    gui::Application::Instance().HandleException(std::current_exception());
  }
  const std::u16string path = FromWide(PortablePath());
  settings::IniDocument ini = settings::LoadIniFile(path, settings::SystemAnsiCodec());
  const auto section = settings::kOptionSection;
  const bool quick = links_.quick_update_checked && links_.quick_update_checked();
  ini.WriteBool(section, FromWide(kQuickUpdateKey), quick);
  ini.WriteBool(section, FromWide(CheckBoxNoChangePath.name()), CheckBoxNoChangePath.checked());
  ini.WriteBool(section, FromWide(CheckBoxSavePath.name()), CheckBoxSavePath.checked());
  ini.WriteString(section, FromWide(EditPathExtract.name()),
                  CheckBoxSavePath.checked() ? FromWide(EditPathExtract.text()) : u"");
  for (gui::MenuItem* item : ThemeMenu.items())
    ini.WriteBool(section, FromWide(item->name()), item->checked());
  // Off by default, and then not written: the file keeps its usual keys.
  if (AllKindsMenu.checked())
    ini.WriteBool(section, FromWide(AllKindsMenu.name()), true);
  else
    ini.DeleteKey(section, FromWide(AllKindsMenu.name()));
  if (hwnd()) {
    const Placement place = placement();
    const RECT& r = place.normal;
    settings::WriteWindowBounds(
        ini, settings::kMainWindowSection,
        {r.left, r.top, r.right - r.left, r.bottom - r.top, place.maximized});
  }
  settings::SaveIniFile(path, ini);
}

}  // namespace zandrel

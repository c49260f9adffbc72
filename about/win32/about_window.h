#pragma once
// The About window TForm8: icon, name and version, copyright and the links.

#include <windows.h>

#include <functional>
#include <string>

#include "gui/win32/controls.h"
#include "gui/win32/form.h"

namespace zandrel {

class TForm8 : public gui::Form {
  gui::BuiltForm<TForm8> built_;

 public:
  // main_window_caption: the main window's current caption, shown as the
  // name and version.
  explicit TForm8(std::function<std::wstring()> main_window_caption);
  ~TForm8() override;

  gui::Label& LabelVersion;
  gui::Label& LabelCopyright;
  gui::Label& LabelTelegram;
  gui::Label& LabelGMail;
  gui::Label& LabelYaMail;
  gui::Label& LabelMainWebSite;
  gui::Image& Image1;
  gui::Button& Button1;

  void FormCreate();
  void FormShow();
  void Button1Click();
  void LabelTelegramClick();
  void LabelGMailClick();
  void LabelYaMailClick();
  void LabelMainWebSiteClick();

  // Opens a link target; the system's shell by default (tests put their own).
  std::function<void(HWND owner, const std::wstring& target)> open_link;

 private:
  void OpenLink(const std::wstring& target);
  std::function<std::wstring()> main_window_caption_;
};

}  // namespace zandrel

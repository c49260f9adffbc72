#pragma once
// The About window TForm8: icon, name and version, copyright and the links.

#include "gui/win32/controls.h"
#include "gui/win32/form.h"

namespace zandrel {

class TForm8 : public gui::Form {
  struct Builder {
    explicit Builder(TForm8* form);
  };
  Builder builder_;

 public:
  TForm8();
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

 private:
  void OpenLink(const std::wstring& target);
};

extern TForm8* Form8;

}  // namespace zandrel

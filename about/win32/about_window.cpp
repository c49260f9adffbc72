#include "about/win32/about_window.h"

#include <shellapi.h>

#include "about/win32/file_info_utils.h"
#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "platform/process.h"
#include "platform/wide.h"
#include "update/update_servers.h"

namespace zandrel {

TForm8* Form8 = nullptr;

namespace {

// The author's pages.
const wchar_t kTelegramPage[] = L"https://t.me/zandrel_app";

std::wstring MailTo(const gui::Label& label) {
  return L"mailto:" + label.caption();
}

}  // namespace

TForm8::Builder::Builder(TForm8* f) {
  f->BindMethods(f, {{L"FormShow", &TForm8::FormShow},
                     {L"Button1Click", &TForm8::Button1Click},
                     {L"LabelTelegramClick", &TForm8::LabelTelegramClick},
                     {L"LabelGMailClick", &TForm8::LabelGMailClick},
                     {L"LabelYaMailClick", &TForm8::LabelYaMailClick},
                     {L"LabelMainWebSiteClick", &TForm8::LabelMainWebSiteClick}});
  f->Build();
}

TForm8::TForm8()
    : gui::Form(LoadDefinition(L"FORM8")),
      builder_(this),
      LabelVersion(Get<gui::Label>(L"LabelVersion")),
      LabelCopyright(Get<gui::Label>(L"LabelCopyright")),
      LabelTelegram(Get<gui::Label>(L"LabelTelegram")),
      LabelGMail(Get<gui::Label>(L"LabelGMail")),
      LabelYaMail(Get<gui::Label>(L"LabelYaMail")),
      LabelMainWebSite(Get<gui::Label>(L"LabelMainWebSite")),
      Image1(Get<gui::Image>(L"Image1")),
      Button1(Get<gui::Button>(L"Button1")) {
  Form8 = this;
  FormCreate();
}

TForm8::~TForm8() {
  if (Form8 == this) Form8 = nullptr;
}

void TForm8::FormCreate() {
  HICON shared = LoadIconW(gui::Application::Instance().instance(), L"MAINICON");
  if (shared) Image1.SetIcon(CopyIcon(shared));
  LabelCopyright.SetCaption(about::GetLegalCopyright(platform::ExecutablePath()));
}

void TForm8::FormShow() {
  if (Form1) LabelVersion.SetCaption(Form1->caption());
}

void TForm8::Button1Click() {
  Close();
}

void TForm8::OpenLink(const std::wstring& target) {
  ShellExecuteW(hwnd(), L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
  gui::Application::Instance().ProcessMessages();
}

void TForm8::LabelTelegramClick() {
  OpenLink(kTelegramPage);
}
void TForm8::LabelGMailClick() {
  OpenLink(MailTo(LabelGMail));
}
void TForm8::LabelYaMailClick() {
  OpenLink(MailTo(LabelYaMail));
}
void TForm8::LabelMainWebSiteClick() {
  OpenLink(L"http://" + platform::ToWide(update::kPrimaryServerHost) + L"/");
}

}  // namespace zandrel

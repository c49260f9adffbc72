#include "about/win32/about_window.h"

#include <shellapi.h>

#include "config/release_links.h"
#include "gui/win32/application.h"
#include "platform/file_info_utils.h"
#include "platform/handles.h"
#include "platform/process.h"
#include "platform/wide.h"

namespace zandrel {

using platform::ToWide;

namespace {

const std::pair<const wchar_t*, void (TForm8::*)()> kHandlers[] = {
    {L"FormShow", &TForm8::FormShow},
    {L"Button1Click", &TForm8::Button1Click},
    {L"LabelTelegramClick", &TForm8::LabelTelegramClick},
    {L"LabelGMailClick", &TForm8::LabelGMailClick},
    {L"LabelYaMailClick", &TForm8::LabelYaMailClick},
    {L"LabelMainWebSiteClick", &TForm8::LabelMainWebSiteClick},
};

std::wstring MailTo(const gui::Label& label) {
  return L"mailto:" + label.caption();
}

}  // namespace

TForm8::TForm8(std::function<std::wstring()> main_window_caption)
    : gui::Form(L"FORM8"),
      built_(this, kHandlers),
      LabelVersion(Get<gui::Label>(L"LabelVersion")),
      LabelCopyright(Get<gui::Label>(L"LabelCopyright")),
      LabelTelegram(Get<gui::Label>(L"LabelTelegram")),
      LabelGMail(Get<gui::Label>(L"LabelGMail")),
      LabelYaMail(Get<gui::Label>(L"LabelYaMail")),
      LabelMainWebSite(Get<gui::Label>(L"LabelMainWebSite")),
      Image1(Get<gui::Image>(L"Image1")),
      Button1(Get<gui::Button>(L"Button1")),
      main_window_caption_(std::move(main_window_caption)) {
  open_link = [](HWND owner, const std::wstring& target) {
    // A link nobody can open (no mail program, no browser) fails quietly.
    ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
  };
  FormCreate();
}

TForm8::~TForm8() = default;

void TForm8::FormCreate() {
  // The shared icon belongs to the system; the picture keeps a copy of its own.
  HICON shared = LoadIconW(gui::Application::Instance().instance(), L"MAINICON");
  if (shared) Image1.SetIcon(platform::UniqueIcon(CopyIcon(shared)));
  LabelCopyright.SetCaption(platform::GetLegalCopyright(platform::ExecutablePath()));
  // The addresses are release configuration; the labels show them as they are.
  LabelGMail.SetCaption(ToWide(config::kAuthorMailFirst));
  LabelYaMail.SetCaption(ToWide(config::kAuthorMailSecond));
}

void TForm8::FormShow() {
  if (main_window_caption_) LabelVersion.SetCaption(main_window_caption_());
}

void TForm8::Button1Click() {
  Close();
}

void TForm8::OpenLink(const std::wstring& target) {
  if (open_link) open_link(hwnd(), target);
  gui::Application::Instance().ProcessMessages();
}

void TForm8::LabelTelegramClick() {
  OpenLink(ToWide(config::kTelegramPage));
}
void TForm8::LabelGMailClick() {
  OpenLink(MailTo(LabelGMail));
}
void TForm8::LabelYaMailClick() {
  OpenLink(MailTo(LabelYaMail));
}
void TForm8::LabelMainWebSiteClick() {
  OpenLink(L"http://" + ToWide(config::kPrimaryServerHost) + L"/");
}

}  // namespace zandrel

#include "app/program.h"

#include "about/win32/about_window.h"
#include "gui/win32/application.h"
#include "gui/win32/message_box.h"
#include "inspector/win32/inspector_window.h"
#include "mainwindow/win32/main_window.h"
#include "search/win32/search_window.h"
#include "update/update_servers.h"
#include "update/win32/update_window.h"

namespace zandrel::app {

ProgramOptions ReleaseOptions() {
  ProgramOptions options;
  for (const std::u16string& server : update::UpdateServerUrls())
    options.update.servers.push_back(server);
  return options;
}

Program::Program(ProgramOptions options)
    : settings_(settings::SettingsLocation::ForThisProgram(gui::Application::Instance().title())) {
  // The main window is created first, yet reads the other two: the links
  // look them up when they are used, long after all three exist.
  MainWindowLinks links;
  links.quick_update_checked = [this] {
    return form10_ && form10_->CheckBoxQuickUpdate.checked();
  };
  links.show_about = [this] {
    if (form8_) form8_->ShowModal();
  };
  links.show_update = [this] {
    if (form10_) form10_->ShowModal();
  };
  links.show_inspector = [this](const std::wstring& source, int position) {
    if (form3_) form3_->ShowGroup(source, position);
  };
  links.show_search = [this] {
    if (form5_) form5_->ShowSearch();
  };
  form1_ = std::make_unique<TForm1>(settings_, std::move(links));
  form8_ = std::make_unique<TForm8>([this] { return form1_->caption(); });
  UpdateLinks update_links = std::move(options.update);
  update_links.current_language = [this] { return form1_->current_language(); };
  form10_ = std::make_unique<TForm10>(settings_, std::move(update_links));
  // The inspector comes last and lives hidden until a group is shown in it,
  // owned by the main window (above it, minimised with it).
  form3_ = std::make_unique<TForm3>(settings_);
  SetWindowLongPtrW(form3_->hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(form1_->hwnd()));
  // The search window, made and owned the same way; it hands groups to the
  // main window and the inspector.
  SearchWindowLinks search_links;
  search_links.open_in_main = [this](const std::wstring& module, const std::wstring& location) {
    // A location selects its group too; a cursor's module is listed alone.
    if (location.empty() || !form1_->AdoptLocation(location)) form1_->AdoptSource(module);
    if (IsIconic(form1_->hwnd())) ShowWindow(form1_->hwnd(), SW_RESTORE);
    SetForegroundWindow(form1_->hwnd());
  };
  search_links.show_inspector = [this](const std::wstring& module, int position) {
    if (form3_) form3_->ShowGroup(module, position);
  };
  form5_ = std::make_unique<TForm5>(settings_, std::move(search_links));
  SetWindowLongPtrW(form5_->hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(form1_->hwnd()));
}

Program::~Program() {
  form5_.reset();
  form3_.reset();
  form10_.reset();
  form8_.reset();
  form1_.reset();
}

void Program::Run() {
  form1_->LoadLanguage();
  form1_->CleanTranslationsLikeGlobload();
  form1_->Globload();
  if (form1_->IsWindows10Or11()) {
    gui::Application::Instance().Run();
  } else {
    gui::ShowMessageBox(nullptr, form1_->Lang(L"LangOnlyWindows"), form1_->Lang(L"LangError"),
                        MB_ICONERROR);
  }
}

}  // namespace zandrel::app

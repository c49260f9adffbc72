#include "gui/win32/application.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

#include "core/text.h"
#include "gui/win32/component.h"
#include "gui/win32/form.h"
#include "platform/errors.h"
#include "platform/wide.h"

namespace zandrel::gui {

namespace {

const wchar_t kOwnerClass[] = L"ZandrelApplication";

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, msg, wp, lp);
}

std::wstring ErrorText(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const platform::Win32Error& e) {
    return e.text();
  } catch (const std::exception& e) {
    return platform::ToWide(FromUtf8(e.what()));
  } catch (...) {
    return L"Unknown error";
  }
}

}  // namespace

Application& Application::Instance() {
  static Application app;
  return app;
}

HINSTANCE Application::instance() const {
  return GetModuleHandleW(nullptr);
}

void Application::Initialize(const std::wstring& title) {
  title_ = title;
  if (!com_initialized_) {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    com_initialized_ = SUCCEEDED(hr);
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                           ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                           ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  if (!owner_) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = instance();
    wc.lpszClassName = kOwnerClass;
    wc.hIcon = LoadIconW(instance(), L"MAINICON");
    RegisterClassExW(&wc);
    owner_ = CreateWindowExW(0, kOwnerClass, title_.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             instance(), nullptr);
  } else {
    SetWindowTextW(owner_, title_.c_str());
  }
}

void Application::Shutdown() {
  // Windows still in existence are destroyed; the forms own their handles.
  while (!forms_.empty()) {
    Form* f = forms_.back();
    f->DestroyHandle();
    forms_.pop_back();
  }
  if (owner_) {
    DestroyWindow(owner_);
    owner_ = nullptr;
  }
  if (com_initialized_) {
    CoUninitialize();
    com_initialized_ = false;
  }
}

void Application::RegisterForm(Form* form) {
  forms_.push_back(form);
}

void Application::UnregisterForm(Form* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

void Application::FlushPending() {
  while (!pending_.empty()) {
    Control* control = *pending_.begin();
    pending_.erase(pending_.begin());
    control->FlushPending();
  }
}

void Application::DispatchOne(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  Form* form = root ? Form::FromHandle(root) : nullptr;
  if (form && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)) {
    if (form->HandleShortcut(msg)) return;
  }
  if (form && IsDialogMessageW(root, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void Application::Run() {
  if (Form* main = main_form()) main->Show();
  MSG msg;
  while (!terminated_) {
    FlushPending();
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    DispatchOne(msg);
  }
  terminated_ = true;
}

void Application::ProcessMessages() {
  FlushPending();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop still has to see it
      break;
    }
    DispatchOne(msg);
  }
}

void Application::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

void Application::Invoke(const std::function<void()>& handler) noexcept {
  try {
    handler();
  } catch (...) {
    HandleException(std::current_exception());
  }
}

void Application::HandleException(std::exception_ptr error) noexcept {
  try {
    FlushPending();
    const std::wstring text = ErrorText(error);
    HWND owner = GetActiveWindow();
    MessageBoxW(owner, text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
  } catch (...) {
    // Nothing sensible is left to do when even the report fails.
  }
}

}  // namespace zandrel::gui

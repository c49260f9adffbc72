#include "gui/win32/application.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

#include "core/text.h"
#include "gui/win32/component.h"
#include "gui/win32/form.h"
#include "gui/win32/message_box.h"
#include "platform/errors.h"
#include "platform/wide.h"

namespace zandrel::gui {

namespace {

const wchar_t kOwnerClass[] = L"ZandrelApplication";

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

Application::Application() = default;
Application::~Application() = default;

HINSTANCE Application::instance() const {
  return GetModuleHandleW(nullptr);
}

LRESULT CALLBACK Application::OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  switch (msg) {
    case kRunOnGuiThreadMessage:
      return Guarded(hwnd, msg, [lp] { return handover_detail::RunStep(lp); });
    case WM_SYSCOLORCHANGE:
      // The plain look follows the system colours.
      return Guarded(hwnd, msg, [&] {
        if (Instance().style_.plain()) Instance().ApplyStyle(StylePalette{});
        return DefWindowProcW(hwnd, msg, wp, lp);
      });
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
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
    wc.lpfnWndProc = &Application::OwnerProc;
    wc.hInstance = instance();
    wc.lpszClassName = kOwnerClass;
    wc.hIcon = LoadIconW(instance(), L"MAINICON");
    RegisterClassExW(&wc);
    owner_.reset(CreateWindowExW(0, kOwnerClass, title_.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, instance(), nullptr));
    std::lock_guard lock(handover_mutex_);
    handover_ = handover_detail::MakeState(owner_.get());
  } else {
    SetWindowTextW(owner_.get(), title_.c_str());
  }
  terminated_ = false;
}

void Application::Shutdown() {
  {
    std::lock_guard lock(handover_mutex_);
    if (handover_) handover_detail::End(*handover_);
    handover_.reset();
  }
  DestroyDeferred();
  // Windows still in existence are destroyed; the forms own their handles.
  while (!forms_.empty()) {
    Form* f = forms_.back();
    f->DestroyHandle();
    forms_.pop_back();
  }
  owner_.reset();
  if (com_initialized_) {
    CoUninitialize();
    com_initialized_ = false;
  }
}

GuiHandOver Application::HandOver() const {
  std::lock_guard lock(handover_mutex_);
  return GuiHandOver(handover_);
}

void Application::RegisterForm(Form* form) {
  forms_.push_back(form);
}

void Application::UnregisterForm(Form* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

void Application::ApplyStyle(const StylePalette& palette) {
  style_.SetPalette(palette);
  for (Form* f : forms_) {
    if (!f->hwnd()) continue;
    f->ApplyStyle();
    RedrawWindow(f->hwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void Application::FlushPending(FlushKind kind) {
  std::vector<Control*> held;
  while (!pending_.empty()) {
    Control* control = *pending_.begin();
    pending_.erase(pending_.begin());
    if (!control->FlushPending(kind)) held.push_back(control);
  }
  pending_.insert(held.begin(), held.end());
}

void Application::DispatchOne(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  Form* form = root ? Form::FromHandle(root) : nullptr;
  if (form && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)) {
    if (form->PreviewKey(msg) || form->HandleShortcut(msg)) return;
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
  FlushPending(FlushKind::kWhenDue);
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
  DispatchScope scope;
  try {
    handler();
  } catch (...) {
    HandleException(std::current_exception());
  }
}

void Application::HandleException(std::exception_ptr error) noexcept {
  try {
    ShowMessageBox(GetActiveWindow(), ErrorText(error), title_, MB_OK | MB_ICONERROR);
  } catch (...) {
    // Nothing sensible is left to do when even the report fails.
  }
}

void Application::ReportProcedureError(HWND hwnd, UINT msg, std::exception_ptr error) noexcept {
  // A failed paint leaves the region invalid and would come back at once.
  if (msg == WM_PAINT) ValidateRect(hwnd, nullptr);
  HandleException(error);
}

Application::DispatchScope::DispatchScope() {
  ++Instance().dispatch_depth_;
}

Application::DispatchScope::~DispatchScope() {
  Application& app = Instance();
  if (--app.dispatch_depth_ == 0 && !app.deferred_.empty()) app.DestroyDeferred();
}

void Application::DeferDestroy(std::unique_ptr<Component> component) {
  if (!component) return;
  if (dispatch_depth_ == 0) return;  // destroyed here and now
  deferred_.push_back(std::move(component));
}

void Application::DestroyDeferred(const Form* owner) {
  // Destroying a component may defer no further ones (nothing dispatches
  // here), but take the list out first all the same.
  std::vector<std::unique_ptr<Component>> doomed;
  if (owner == nullptr) {
    doomed.swap(deferred_);
  } else {
    for (auto& c : deferred_)
      if (c && c->owner() == owner) doomed.push_back(std::move(c));
    std::erase(deferred_, nullptr);
  }
  while (!doomed.empty()) doomed.pop_back();  // the newest first
}

}  // namespace zandrel::gui

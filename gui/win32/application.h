#pragma once
// The application object: COM apartment, common controls, the hidden owner
// window, the list of windows, the message loop, processing of pending
// messages, and the default error handler.

#include <windows.h>

#include <exception>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace zandrel::gui {

class Control;
class Form;

class Application {
 public:
  static Application& Instance();

  // COM as a single-threaded apartment on this thread, common controls v6,
  // the hidden owner window with the application title.
  void Initialize(const std::wstring& title);
  void Shutdown();

  const std::wstring& title() const { return title_; }
  HWND owner_window() const { return owner_; }
  HINSTANCE instance() const;

  // Windows in creation order; the first one is the main window.
  const std::vector<Form*>& forms() const { return forms_; }
  Form* main_form() const { return forms_.empty() ? nullptr : forms_.front(); }
  void RegisterForm(Form* form);
  void UnregisterForm(Form* form);

  // Shows the main window and runs the message loop until it closes.
  void Run();
  // Lets queued input and painting run in the middle of a handler.
  void ProcessMessages();
  // Asks the loop to end (posts WM_QUIT once the current handler returns).
  void Terminate();
  bool terminated() const { return terminated_; }

  // Runs an event handler; anything it throws goes to the default handler.
  void Invoke(const std::function<void()>& handler) noexcept;
  // The default error handler: the error's text in a message box.
  void HandleException(std::exception_ptr error) noexcept;

  // Activation bookkeeping for forms (see Form): the window of this program
  // that was active last.
  HWND last_active_window() const { return last_active_; }
  void set_last_active_window(HWND hwnd) { last_active_ = hwnd; }

  // One message through the program's routing (shortcuts, dialog keys).
  void DispatchOne(MSG& msg);

  // Controls may hold back changes that are cheap to collect but costly to
  // hand to the system one by one (log lines, progress positions). They are
  // handed over before any message is processed, so the screen never lags
  // behind what the user can see.
  void AddPending(Control* control) { pending_.insert(control); }
  void RemovePending(Control* control) { pending_.erase(control); }
  void FlushPending();

 private:
  Application() = default;

  std::wstring title_;
  HWND owner_ = nullptr;
  bool com_initialized_ = false;
  bool terminated_ = false;
  std::vector<Form*> forms_;
  HWND last_active_ = nullptr;
  std::set<Control*> pending_;
};

}  // namespace zandrel::gui

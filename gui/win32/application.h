#pragma once
// The application object: COM apartment, common controls, the hidden owner
// window, the list of windows, the style, the message loop, processing of
// pending messages, the default error handler, deferred destruction of
// components and the hand-over from worker threads.

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "gui/win32/gui_thread.h"
#include "gui/win32/style.h"
#include "platform/handles.h"

namespace zandrel::gui {

class Component;
class Control;
class Form;

// How urgently held-back changes are wanted (see Application::AddPending):
// now, or when the control judges it due while an operation runs.
enum class FlushKind { kNow, kWhenDue };

class Application {
 public:
  // Sent to the hidden owner window by workers (see gui_thread.h).
  static constexpr UINT kRunOnGuiThreadMessage = WM_APP + 2;

  static Application& Instance();

  // COM as a single-threaded apartment on this thread, common controls v6,
  // the hidden owner window with the application title.
  void Initialize(const std::wstring& title);
  // Ends the hand-over first (late steps of workers are dropped from then
  // on), then destroys the windows.
  void Shutdown();

  const std::wstring& title() const { return title_; }
  HWND owner_window() const { return owner_.get(); }
  HINSTANCE instance() const;

  // Windows in creation order; the first one is the main window.
  const std::vector<Form*>& forms() const { return forms_; }
  Form* main_form() const { return forms_.empty() ? nullptr : forms_.front(); }
  void RegisterForm(Form* form);
  void UnregisterForm(Form* form);

  // The colours, brushes and fonts every window paints with.
  Style& style() { return style_; }
  // Takes a palette and repaints every window of the program.
  void ApplyStyle(const StylePalette& palette);

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
  // handed over before the program waits for messages or opens a modal
  // window, and whenever someone reads them back. A long operation that
  // processes messages between its steps (ProcessMessages) lets a control
  // keep them a little longer where handing them over costs the most (the
  // log: see Memo), so the screen still follows the work closely.
  void AddPending(Control* control) { pending_.insert(control); }
  void RemovePending(Control* control) { pending_.erase(control); }
  void FlushPending(FlushKind kind = FlushKind::kNow);

  // Window procedures and event handlers run inside a dispatch scope. A
  // component removed while one runs is destroyed only when the outermost
  // scope ends, so a menu item may remove itself from its own click.
  class DispatchScope {
   public:
    DispatchScope();
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;
  };
  bool dispatching() const { return dispatch_depth_ > 0; }
  // The boundary of every window and subclass procedure: runs the handling
  // of one message inside a dispatch scope; an error goes to the default
  // handler and the message counts as handled (0), so nothing escapes into
  // the system's frames.
  template <class Handling>
  static LRESULT Guarded(HWND hwnd, UINT msg, Handling&& handling) noexcept {
    try {
      DispatchScope scope;
      return handling();
    } catch (...) {
      Instance().ReportProcedureError(hwnd, msg, std::current_exception());
      return 0;
    }
  }
  void ReportProcedureError(HWND hwnd, UINT msg, std::exception_ptr error) noexcept;
  void DeferDestroy(std::unique_ptr<Component> component);
  // Destroys the deferred components of one window at once (the window is
  // going away), or all of them.
  void DestroyDeferred(const Form* owner = nullptr);

  // A token for workers (see gui_thread.h); a dead token before Initialize
  // and after Shutdown. Any thread may call this.
  GuiHandOver HandOver() const;

 private:
  Application();
  ~Application();
  static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

  std::wstring title_;
  platform::UniqueWindow owner_;
  bool com_initialized_ = false;
  bool terminated_ = false;
  std::vector<Form*> forms_;
  HWND last_active_ = nullptr;
  std::set<Control*> pending_;
  Style style_;
  int dispatch_depth_ = 0;
  std::vector<std::unique_ptr<Component>> deferred_;
  mutable std::mutex handover_mutex_;
  std::shared_ptr<GuiHandOver::State> handover_;
};

}  // namespace zandrel::gui

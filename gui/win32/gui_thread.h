#pragma once
// The hand-over from worker threads to the GUI thread. A worker never touches
// a window: it hands a step to the GUI thread and waits until the step has
// run. Workers hold a token (shared liveness), never a window pointer; once
// the application began shutting down, a late step is dropped and nothing
// touches a destroyed window. The GUI thread never waits for a worker.

#include <windows.h>

#include <functional>
#include <memory>

namespace zandrel::gui {

class GuiHandOver {
 public:
  // A token that never runs anything (false from Run).
  GuiHandOver() = default;

  // On the GUI thread: runs fn at once. From any other thread: hands fn to
  // the GUI thread and waits until it has run there; the GUI thread runs it
  // wherever it processes messages (its message loop, a modal window, a
  // menu, a message box). Returns false, without running fn, once shutdown
  // began. An exception thrown by fn reaches the caller of Run.
  bool Run(const std::function<void()>& fn) const;
  // False once shutdown began.
  bool alive() const;

  struct State;

 private:
  friend class Application;
  explicit GuiHandOver(std::shared_ptr<State> state) : state_(std::move(state)) {}
  std::shared_ptr<State> state_;
};

// Runs fn on the GUI thread through the application's current token (see
// GuiHandOver::Run). A worker that may outlive the application takes a token
// with Application::HandOver() when it starts and keeps that instead.
bool RunOnGuiThread(const std::function<void()>& fn);

// For the application, which owns the hidden window the steps arrive at.
namespace handover_detail {
std::shared_ptr<GuiHandOver::State> MakeState(HWND window);
// From now on nothing more runs through tokens of this state.
void End(GuiHandOver::State& state);
// The step a worker sent (Application::kRunOnGuiThreadMessage); runs on the
// GUI thread.
LRESULT RunStep(LPARAM lp) noexcept;
}  // namespace handover_detail

}  // namespace zandrel::gui

#include "gui/win32/gui_thread.h"

#include <windows.h>

#include <exception>
#include <mutex>

#include "gui/win32/application.h"

namespace zandrel::gui {

struct GuiHandOver::State {
  std::mutex mutex;
  bool alive = true;
  HWND window = nullptr;  // the hidden owner window
  DWORD thread_id = 0;    // the GUI thread
};

namespace {

// What a worker hands over; it lives on the worker's stack while it waits.
struct Step {
  const std::function<void()>* fn;
  GuiHandOver::State* state;
  bool ran = false;
  std::exception_ptr error;
};

}  // namespace

bool GuiHandOver::alive() const {
  if (!state_) return false;
  std::lock_guard lock(state_->mutex);
  return state_->alive;
}

bool GuiHandOver::Run(const std::function<void()>& fn) const {
  if (!state_) return false;
  HWND window = nullptr;
  DWORD gui_thread = 0;
  {
    std::lock_guard lock(state_->mutex);
    if (!state_->alive) return false;
    window = state_->window;
    gui_thread = state_->thread_id;
  }
  if (GetCurrentThreadId() == gui_thread) {
    fn();
    return true;
  }
  Step step{&fn, state_.get(), false, nullptr};
  // Returns once the GUI thread has handled the message, or at once when the
  // window is gone (then nothing ran).
  SendMessageW(window, Application::kRunOnGuiThreadMessage, 0, reinterpret_cast<LPARAM>(&step));
  if (step.error) std::rethrow_exception(step.error);
  return step.ran;
}

namespace handover_detail {

LRESULT RunStep(LPARAM lp) noexcept {
  auto* step = reinterpret_cast<Step*>(lp);
  {
    std::lock_guard lock(step->state->mutex);
    if (!step->state->alive) return 0;  // shutdown began after the worker looked
  }
  try {
    (*step->fn)();
  } catch (...) {
    step->error = std::current_exception();
  }
  step->ran = true;
  return 1;
}

std::shared_ptr<GuiHandOver::State> MakeState(HWND window) {
  auto state = std::make_shared<GuiHandOver::State>();
  state->window = window;
  state->thread_id = GetCurrentThreadId();
  return state;
}

void End(GuiHandOver::State& state) {
  std::lock_guard lock(state.mutex);
  state.alive = false;
}

}  // namespace handover_detail

bool RunOnGuiThread(const std::function<void()>& fn) {
  return Application::Instance().HandOver().Run(fn);
}

}  // namespace zandrel::gui

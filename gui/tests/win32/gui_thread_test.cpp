// The hand-over from worker threads: a step runs on the GUI thread while the
// worker waits, wherever the GUI thread processes messages; after shutdown
// began a step is dropped; many workers at once hand over every step.

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "gui/tests/win32/test_form.h"
#include "gui/win32/gui_thread.h"
#include "gui/win32/menu.h"
#include "tests/support/win32/gui_harness.h"

namespace zandrel::gui {
namespace {

using gui::testing::TestForm;
using zandrel::testing::PumpUntil;

const char kDefinition[] = R"(
Form HandOverForm : THandOverTestForm {
  ClientWidth = 200; ClientHeight = 100
  PopupMenu Menu { MenuItem Item { Caption = "Item" } }
}
)";

class GuiThreadTest : public ::testing::Test {
 protected:
  GuiThreadTest() { gui::testing::EnsureApplication(); }
  const DWORD gui_thread = GetCurrentThreadId();
};

// A worker that waits a little (so the GUI thread is inside its loop), then
// hands over one step.
struct LateWorker {
  std::atomic<bool> returned{false};
  bool ran_on_gui_thread = false;
  bool result = false;
  std::thread thread;
  LateWorker(DWORD gui_thread, std::function<void()> step) {
    thread = std::thread([this, gui_thread, step = std::move(step)] {
      Sleep(100);
      result = RunOnGuiThread([&] {
        ran_on_gui_thread = GetCurrentThreadId() == gui_thread;
        step();
      });
      returned = true;
    });
  }
  ~LateWorker() { thread.join(); }
};

TEST_F(GuiThreadTest, OnTheGuiThreadAStepRunsAtOnce) {
  bool ran = false;
  EXPECT_TRUE(RunOnGuiThread([&] { ran = true; }));
  EXPECT_TRUE(ran);
}

TEST_F(GuiThreadTest, AStepArrivesInsideAModalWindow) {
  TestForm form(kDefinition);
  LateWorker worker(gui_thread, [&] { form.Close(); });
  form.ShowModal();  // returns only once the step closed it
  EXPECT_TRUE(PumpUntil([&] { return worker.returned.load(); }));
  EXPECT_TRUE(worker.result);
  EXPECT_TRUE(worker.ran_on_gui_thread);
}

TEST_F(GuiThreadTest, AStepArrivesInsideAnOpenMenu) {
  TestForm form(kDefinition);
  form.Show();
  LateWorker worker(gui_thread, [] { EndMenu(); });
  form.Get<PopupMenu>(L"Menu").Popup(20, 20);  // returns only once the step closed it
  EXPECT_TRUE(PumpUntil([&] { return worker.returned.load(); }));
  EXPECT_TRUE(worker.result);
  EXPECT_TRUE(worker.ran_on_gui_thread);
}

TEST_F(GuiThreadTest, AStepArrivesWhileAHandlerProcessesPendingMessages) {
  bool stepped = false;
  LateWorker worker(gui_thread, [&] { stepped = true; });
  const DWORD end = GetTickCount() + 10000;
  while (!stepped && static_cast<LONG>(end - GetTickCount()) > 0) {
    Application::Instance().ProcessMessages();
    Sleep(1);
  }
  EXPECT_TRUE(stepped);
  EXPECT_TRUE(PumpUntil([&] { return worker.returned.load(); }));
  EXPECT_TRUE(worker.result);
}

TEST_F(GuiThreadTest, AnErrorOfTheStepReachesTheWorker) {
  std::string caught;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    try {
      RunOnGuiThread([] { throw std::runtime_error("step failed"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(caught, "step failed");
}

TEST_F(GuiThreadTest, AThousandStepsFromSeveralWorkersAllRunOnTheGuiThread) {
  constexpr int kWorkers = 4, kSteps = 250;
  int counter = 0;  // plain: only the GUI thread touches it
  int off_thread = 0;
  std::atomic<int> refused{0}, finished{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w)
    workers.emplace_back([&] {
      for (int i = 0; i < kSteps; ++i)
        if (!RunOnGuiThread([&] {
              ++counter;
              if (GetCurrentThreadId() != gui_thread) ++off_thread;
            }))
          ++refused;
      ++finished;
    });
  EXPECT_TRUE(PumpUntil([&] { return finished.load() == kWorkers; }, 60000));
  for (auto& t : workers) t.join();
  EXPECT_EQ(counter, kWorkers * kSteps);
  EXPECT_EQ(off_thread, 0);
  EXPECT_EQ(refused.load(), 0);
}

TEST_F(GuiThreadTest, OnceShutdownBeganLateStepsAreDroppedAndNobodyHangs) {
  Application& app = Application::Instance();
  GuiHandOver token = app.HandOver();
  ASSERT_TRUE(token.alive());

  // A worker that keeps handing over steps while the GUI thread shuts down.
  std::atomic<int> ran{0}, ran_after_shutdown{0};
  std::atomic<bool> shut_down{false}, worker_done{false};
  std::atomic<int> refused{0};
  std::thread worker([&] {
    for (int i = 0; i < 2000 && refused < 50; ++i) {
      if (!token.Run([&] {
            ++ran;
            if (shut_down) ++ran_after_shutdown;
          }))
        ++refused;
    }
    worker_done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return ran.load() >= 20; }));
  shut_down = true;
  app.Shutdown();
  // The owner window is gone: a step still waiting, or sent afterwards,
  // comes back unrun, and the worker comes to its end.
  EXPECT_TRUE(PumpUntil([&] { return worker_done.load(); }));
  worker.join();
  EXPECT_EQ(ran_after_shutdown.load(), 0);
  EXPECT_GE(refused.load(), 1);

  // From the GUI thread too, and for the free function.
  bool late = false;
  EXPECT_FALSE(token.alive());
  EXPECT_FALSE(token.Run([&] { late = true; }));
  EXPECT_FALSE(RunOnGuiThread([&] { late = true; }));
  EXPECT_FALSE(late);

  // A new start gives new tokens; the old one stays dead.
  app.Initialize(L"Zandrel");
  EXPECT_FALSE(token.Run([&] { late = true; }));
  EXPECT_TRUE(RunOnGuiThread([&] { late = true; }));
  EXPECT_TRUE(late);
}

}  // namespace
}  // namespace zandrel::gui

// Errors that reach a window procedure: the default error handler shows
// their text in a message box and the program goes on.

#include <gtest/gtest.h>

#include <stdexcept>

#include "gui/tests/win32/test_form.h"
#include "gui/win32/component_factory.h"
#include "gui/win32/controls.h"
#include "tests/support/win32/gui_harness.h"

namespace zandrel::gui {
namespace {

using gui::testing::TestForm;
using zandrel::testing::PopupWatcher;
using zandrel::testing::PumpUntil;

constexpr UINT kThrowMessage = WM_APP + 50;

const char kDefinition[] = R"(
Form ErrorForm : TErrorTestForm {
  ClientWidth = 200; ClientHeight = 100
  Button ButtonThrow { Caption = "Throw"; Left = 10; Top = 10; Width = 80; Height = 24
                       OnClick = ThrowClick }
  ThrowingLabel LabelThrow { Caption = "Label"; Left = 10; Top = 50; Width = 80; Height = 20 }
}
)";

// A control whose own window procedure fails on one message.
class ThrowingLabel : public Label {
 public:
  using Label::Label;

 protected:
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == kThrowMessage) throw std::runtime_error("the label failed");
    return Label::SubclassMessage(msg, wp, lp, result);
  }
};

class ErrorHandlerTest : public ::testing::Test {
 protected:
  static bool RegisterKind() {
    gui::testing::EnsureApplication();
    ComponentFactory::Instance().Register<ThrowingLabel>(u"ThrowingLabel");
    return true;
  }
  bool registered = RegisterKind();  // before the window that uses the kind
  int clicks = 0;
  TestForm form{kDefinition,
                {{L"ThrowClick", [this] {
                    ++clicks;
                    throw std::runtime_error("the handler failed on click " +
                                             std::to_string(clicks));
                  }}}};
};

TEST_F(ErrorHandlerTest, AHandlerThatThrowsFromAClickIsReportedAndTheWindowGoesOn) {
  PopupWatcher watcher;
  form.Show();
  HWND button = form.Get<Button>(L"ButtonThrow").hwnd();
  SendMessageW(button, BM_CLICK, 0, 0);  // a real click: WM_COMMAND to the window
  ASSERT_TRUE(PumpUntil([&] { return watcher.message_boxes().size() == 1; }));
  EXPECT_EQ(watcher.message_boxes()[0], L"the handler failed on click 1");
  // Still alive and answering: the next click reaches the handler again.
  SendMessageW(button, BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return watcher.message_boxes().size() == 2; }));
  EXPECT_EQ(watcher.message_boxes()[1], L"the handler failed on click 2");
  EXPECT_TRUE(IsWindow(form.hwnd()));
}

TEST_F(ErrorHandlerTest, ErrorsOfTheWindowsAndTheControlsOwnProceduresAreReportedToo) {
  PopupWatcher watcher;
  form.on_message = [](UINT msg, WPARAM, LPARAM, LRESULT&) -> bool {
    if (msg == kThrowMessage) throw std::invalid_argument("the window failed");
    return false;
  };
  form.Show();
  EXPECT_EQ(SendMessageW(form.hwnd(), kThrowMessage, 0, 0), 0);
  ASSERT_TRUE(PumpUntil([&] { return watcher.message_boxes().size() == 1; }));
  EXPECT_EQ(watcher.message_boxes()[0], L"the window failed");

  EXPECT_EQ(SendMessageW(form.Get<Label>(L"LabelThrow").hwnd(), kThrowMessage, 0, 0), 0);
  ASSERT_TRUE(PumpUntil([&] { return watcher.message_boxes().size() == 2; }));
  EXPECT_EQ(watcher.message_boxes()[1], L"the label failed");

  // Other messages still work as before.
  wchar_t text[16] = {};
  GetWindowTextW(form.Get<Button>(L"ButtonThrow").hwnd(), text, 16);
  EXPECT_STREQ(text, L"Throw");
}

}  // namespace
}  // namespace zandrel::gui

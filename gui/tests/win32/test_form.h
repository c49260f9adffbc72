#pragma once
// A window of the GUI runtime built from a definition written in the test.

#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "gui/definition.h"
#include "gui/win32/application.h"
#include "gui/win32/form.h"

namespace zandrel::gui::testing {

inline void EnsureApplication() {
  Application& app = Application::Instance();
  if (!app.owner_window()) app.Initialize(L"Zandrel");
}

class TestForm : public Form {
 public:
  TestForm(std::string_view definition,
           std::vector<std::pair<std::wstring, Handler>> handlers = {})
      : Form(Parse(definition)) {
    for (auto& [name, handler] : handlers) Bind(name, std::move(handler));
    Build();
  }
  // Sees every message before the runtime does; true = handled.
  std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> on_message;

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    return on_message && on_message(msg, wp, lp, result);
  }

 private:
  static ComponentDefinition Parse(std::string_view text) {
    EnsureApplication();
    return std::move(ParseDefinitions(text).front());
  }
};

}  // namespace zandrel::gui::testing

#pragma once
// Recording stand-ins for the window side of saving and extracting: a
// catalogue with the built-in texts, a log, a progress bar and a host that
// opens modules with the portable reader.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/text.h"
#include "icons/host.h"
#include "icons/pe_reader.h"

namespace zandrel::testing {

class FakeCatalogue : public icons::MessageCatalogue {
 public:
  FakeCatalogue();
  std::u16string Text(std::u16string_view entry) const override;
  void Set(std::u16string_view entry, std::u16string text) { texts_[std::u16string(entry)] = text; }
  // Called before every read, to change texts in the middle of an operation.
  std::function<void(std::u16string_view entry)> on_read;

 private:
  std::map<std::u16string, std::u16string, std::less<>> texts_;
};

class RecordingLog : public icons::LogView {
 public:
  void Clear() override { lines.clear(); }
  void AppendLine(std::u16string_view line) override { lines.emplace_back(line); }
  void ScrollToEnd() override { scrolled_at.push_back(lines.size()); }

  std::vector<std::u16string> lines;
  std::vector<std::size_t> scrolled_at;  // line counts when the log was scrolled
};

class RecordingProgress : public icons::ProgressView {
 public:
  void SetRange(int minimum, int maximum) override {
    events.push_back("range " + std::to_string(minimum) + ".." + std::to_string(maximum));
  }
  void SetPosition(int p) override { position = p; }
  void ShowInFront() override {
    visible = true;
    events.push_back("show");
  }
  void HideAndReset() override {
    visible = false;
    position = 0;
    events.push_back("hide");
  }
  void Refresh() override { events.push_back("refresh at " + std::to_string(position)); }

  int position = -1;
  bool visible = false;
  std::vector<std::string> events;
};

class FakeHost : public icons::OperationsHost {
 public:
  void ProcessMessages() override { ++messages_processed; }
  void Sleep(unsigned ms) override { sleeps.push_back(ms); }
  icons::OpenedModule OpenModule(std::u16string_view path) override {
    if (open_module) return open_module(path);
    auto module = icons::PeResourceModule::FromFile(std::u16string(path));
    if (!module) return {nullptr, kBadExeFormat};
    return {std::move(module), 0};
  }
  void ShowMessage(std::u16string_view text) override { messages.emplace_back(text); }

  static constexpr std::uint32_t kBadExeFormat = 193;  // the code Windows gives for non-modules
  std::function<icons::OpenedModule(std::u16string_view)> open_module;
  int messages_processed = 0;
  std::vector<unsigned> sleeps;
  std::vector<std::u16string> messages;
};

}  // namespace zandrel::testing

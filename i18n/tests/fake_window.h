#pragma once
// Windows made of plain data for the translation engine: components with the
// text properties they are given, list-view columns and tab lists.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "i18n/translation.h"

namespace zandrel::i18n::testing {

class FakeComponent : public TranslatableComponent {
 public:
  explicit FakeComponent(std::u16string name) : name_(std::move(name)) {}
  std::u16string Name() const override { return name_; }
  bool HasTextProperty(std::u16string_view property) const override {
    return texts.contains(std::u16string(property));
  }
  std::u16string GetText(std::u16string_view property) const override {
    return texts.at(std::u16string(property));
  }
  void SetText(std::u16string_view property, const std::u16string& value) override {
    texts.at(std::u16string(property)) = value;
  }
  int ColumnCount() const override { return static_cast<int>(columns.size()); }
  std::u16string ColumnCaption(int index) const override { return columns.at(index); }
  void SetColumnCaption(int index, const std::u16string& caption) override {
    columns.at(index) = caption;
  }
  bool IsTabControl() const override { return tab_control; }
  std::vector<std::u16string> Tabs() const override { return tabs; }
  void SetTab(int index, const std::u16string& text) override { tabs.at(index) = text; }

  std::map<std::u16string, std::u16string, std::less<>> texts;
  std::vector<std::u16string> columns;
  bool tab_control = false;
  std::vector<std::u16string> tabs;

 private:
  std::u16string name_;
};

class FakeWindow : public TranslatableWindow {
 public:
  FakeWindow(std::u16string name, std::u16string caption)
      : name_(std::move(name)), caption_(std::move(caption)) {}
  std::u16string Name() const override { return name_; }
  std::u16string Caption() const override { return caption_; }
  void SetCaption(const std::u16string& caption) override { caption_ = caption; }
  std::size_t ComponentCount() const override { return components_.size(); }
  TranslatableComponent* ComponentAt(std::size_t index) override {
    return components_.at(index).get();
  }
  // A component with one text property (none when the name is empty).
  FakeComponent& Add(std::u16string name, std::u16string property = u"Caption",
                     std::u16string text = u"") {
    components_.push_back(std::make_unique<FakeComponent>(std::move(name)));
    if (!property.empty()) components_.back()->texts[property] = std::move(text);
    return *components_.back();
  }
  FakeComponent& At(std::size_t index) { return *components_.at(index); }

 private:
  std::u16string name_;
  std::u16string caption_;
  std::vector<std::unique_ptr<FakeComponent>> components_;
};

}  // namespace zandrel::i18n::testing

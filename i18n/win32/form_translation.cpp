#include "i18n/win32/form_translation.h"

#include <windows.h>

#include <new>

#include "core/casefold.h"
#include "core/file_io.h"
#include "gui/win32/controls.h"
#include "gui/win32/list_view.h"
#include "platform/handles.h"
#include "platform/wide.h"

namespace zandrel::i18n {

using platform::FromWide;
using platform::ToWide;

// One component, found again by its name for every step: messages run
// between the steps, and what they remove is never touched.
class FormTranslation::Adapter : public TranslatableComponent {
 public:
  Adapter(gui::Form& form, std::wstring name) : form_(form), name_(std::move(name)) {}

  std::u16string Name() const override { return FromWide(name_); }
  bool HasTextProperty(std::u16string_view property) const override {
    const gui::Component* c = Get();
    return c != nullptr && c->HasTextProperty(ToWide(property));
  }
  std::u16string GetText(std::u16string_view property) const override {
    const gui::Component* c = Get();
    return c != nullptr ? FromWide(c->GetText(ToWide(property))) : std::u16string();
  }
  void SetText(std::u16string_view property, const std::u16string& value) override {
    if (gui::Component* c = Get(); c != nullptr && c->HasTextProperty(ToWide(property)))
      c->SetText(ToWide(property), ToWide(value));
  }
  int ColumnCount() const override {
    const auto* list = dynamic_cast<const gui::ListView*>(Get());
    return list != nullptr ? list->column_count() : 0;
  }
  std::u16string ColumnCaption(int index) const override {
    const auto* list = dynamic_cast<const gui::ListView*>(Get());
    return list != nullptr && index < list->column_count() ? FromWide(list->column_caption(index))
                                                           : std::u16string();
  }
  void SetColumnCaption(int index, const std::u16string& caption) override {
    auto* list = dynamic_cast<gui::ListView*>(Get());
    if (list != nullptr && index < list->column_count()) list->SetColumnCaption(index, ToWide(caption));
  }
  bool IsTabControl() const override { return dynamic_cast<const gui::TabStrip*>(Get()) != nullptr; }
  std::vector<std::u16string> Tabs() const override {
    std::vector<std::u16string> tabs;
    if (auto* strip = dynamic_cast<gui::TabStrip*>(Get()))
      for (const std::wstring& tab : strip->tabs()) tabs.push_back(FromWide(tab));
    return tabs;
  }
  void SetTab(int index, const std::u16string& text) override {
    auto* strip = dynamic_cast<gui::TabStrip*>(Get());
    if (strip != nullptr && index >= 0 && static_cast<std::size_t>(index) < strip->tabs().size())
      strip->tabs()[static_cast<std::size_t>(index)] = ToWide(text);
  }

 private:
  gui::Component* Get() const { return form_.Find(name_); }
  gui::Form& form_;
  std::wstring name_;
};

FormTranslation::FormTranslation(gui::Form& form) : form_(form) {
  for (const gui::Component* component : form.components())
    if (!component->name().empty()) names_.push_back(component->name());
}

FormTranslation::~FormTranslation() = default;

std::u16string FormTranslation::Name() const {
  return FromWide(form_.name());
}

std::u16string FormTranslation::Caption() const {
  return FromWide(form_.caption());
}

void FormTranslation::SetCaption(const std::u16string& caption) {
  form_.SetCaption(ToWide(caption));
}

TranslatableComponent* FormTranslation::ComponentAt(std::size_t index) {
  if (index >= names_.size() || form_.Find(names_[index]) == nullptr) return nullptr;
  current_ = std::make_unique<Adapter>(form_, names_[index]);
  return current_.get();
}

FormDirectory::FormDirectory(const std::vector<gui::Form*>& forms) {
  for (const gui::Form* form : forms) {
    auto& components = windows_[UpperCase(FromWide(form->name()))];
    for (const gui::Component* component : form->components())
      if (!component->name().empty()) components.insert(UpperCase(FromWide(component->name())));
  }
}

bool FormDirectory::HasWindow(std::u16string_view window) const {
  return windows_.contains(UpperCase(window));
}

bool FormDirectory::HasComponent(std::u16string_view window, std::u16string_view component) const {
  const auto it = windows_.find(UpperCase(window));
  return it != windows_.end() && it->second.contains(UpperCase(component));
}

bool IsFileWritable(const std::wstring& path) {
  // Windows refuses to open a read-only file for writing; the attribute is
  // checked outright as well, since not every file system below the program
  // enforces it for a privileged process.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return false;
  const platform::UniqueFile file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(file);
}

std::vector<std::wstring> ListLanguageFiles(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data{};
  const std::wstring pattern = folder + L"*.ini";
  const platform::UniqueFindFile search(FindFirstFileW(pattern.c_str(), &data));
  if (!search) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search.get(), &data));
  return names;
}

void CleanLanguageFiles(const std::wstring& folder, const ComponentDirectory& directory,
                        const settings::AnsiCodec& codec) {
  for (const std::wstring& name : ListLanguageFiles(folder)) {
    const std::wstring path = folder + name;
    const std::u16string file = FromWide(path);
    if (FileExists(file) && !IsFileWritable(path)) continue;
    try {
      settings::IniDocument document = settings::LoadIniFile(file, codec);
      if (CleanLanguageDocument(document, directory) && IsFileWritable(path))
        settings::SaveIniFile(file, document, settings::IniLayout::kEntriesOnly);
    } catch (const std::bad_alloc&) {
      throw;
    } catch (...) {
      // Unreadable, or it could not be written back: the next file.
    }
  }
}

}  // namespace zandrel::i18n

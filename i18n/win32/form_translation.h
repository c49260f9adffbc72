#pragma once
// The real windows as the translation engine and the language-file cleanup
// see them, and the file operations of language selection.

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "gui/win32/form.h"
#include "i18n/language_files.h"
#include "i18n/translation.h"
#include "settings/ansi_codec.h"

namespace zandrel::i18n {

// A window of the GUI runtime: its caption and the components it was built
// with, in creation order, with their text properties by name. Components
// added at run time without a name (the language items) are not the
// window's own and are left alone. A component removed while a pass runs is
// passed over.
class FormTranslation : public TranslatableWindow {
 public:
  explicit FormTranslation(gui::Form& form);
  ~FormTranslation() override;

  std::u16string Name() const override;
  std::u16string Caption() const override;
  void SetCaption(const std::u16string& caption) override;
  std::size_t ComponentCount() const override { return names_.size(); }
  TranslatableComponent* ComponentAt(std::size_t index) override;

 private:
  class Adapter;
  gui::Form& form_;
  std::vector<std::wstring> names_;
  std::unique_ptr<Adapter> current_;
};

// The windows and their components by name, without regard to letter case.
class FormDirectory : public ComponentDirectory {
 public:
  explicit FormDirectory(const std::vector<gui::Form*>& forms);
  bool HasWindow(std::u16string_view window) const override;
  bool HasComponent(std::u16string_view window, std::u16string_view component) const override;

 private:
  // Upper-cased window names -> upper-cased names of their components.
  std::unordered_map<std::u16string, std::unordered_set<std::u16string>> windows_;
};

// True when the existing file can be opened for writing with no sharing:
// false for a read-only file, a folder the user may not write to, or a file
// another program holds open.
bool IsFileWritable(const std::wstring& path);
// The names of the entries of a folder that match "*.ini", of any attributes,
// in the order the file system lists them.
std::vector<std::wstring> ListLanguageFiles(const std::wstring& folder);
// Cleans every writable language file of the folder against the windows;
// a file that cannot be read or written back is passed over.
void CleanLanguageFiles(const std::wstring& folder, const ComponentDirectory& directory,
                        const settings::AnsiCodec& codec);

}  // namespace zandrel::i18n

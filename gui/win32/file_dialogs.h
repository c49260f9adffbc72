#pragma once
// The platform's item dialogs: open, save, and the folder picker.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/win32/component.h"

namespace zandrel::gui {

class FileDialog : public Component {
 public:
  FileDialog(Form* owner, const ComponentDefinition& def);
  // The title, then the display name of each file type in order
  // ("FileType1", "FileType2", ...), so language files name them too.
  std::vector<std::wstring_view> TextProperties() const override;

  struct FileType {
    std::wstring display_name;  // as defined; the current text is FileTypeName
    std::wstring mask;
  };
  // The current display name of a file type (0 = the first).
  std::wstring FileTypeName(std::size_t index) const;
  const std::vector<FileType>& file_types() const { return file_types_; }
  bool is_save() const { return save_; }

  // The proposed name before Execute, the chosen full path after it.
  std::wstring file_name;
  // When set, Execute asks this instead of showing the system dialog (a
  // scripted choice for automation); nothing = cancelled.
  std::function<std::optional<std::wstring>(const FileDialog&)> chooser;
  // Shows the dialog modally; false when the user cancels. COM errors throw.
  bool Execute(HWND owner_window);

 private:
  bool save_ = false;
  bool overwrite_prompt_ = false;
  bool path_must_exist_ = false;
  std::vector<FileType> file_types_;
};

// The folder picker: folders only, file-system folders only, the chosen path
// must exist. Returns the chosen folder, or nothing when cancelled.
std::optional<std::wstring> PickFolder(HWND owner_window, const std::wstring& title,
                                       const std::wstring& initial_folder);

}  // namespace zandrel::gui

#include "gui/win32/file_dialogs.h"

#include <shobjidl.h>

#include "gui/win32/component_factory.h"
#include "platform/com.h"
#include "platform/errors.h"
#include "platform/wide.h"

namespace zandrel::gui {

using platform::ComPtr;

namespace {

void Check(HRESULT hr, const wchar_t* what) {
  if (FAILED(hr)) throw platform::Win32Error(what, static_cast<DWORD>(hr));
}

// The text properties of the file types' display names.
constexpr std::wstring_view kFileTypeProperties[] = {L"FileType1", L"FileType2", L"FileType3",
                                                     L"FileType4"};

std::optional<std::wstring> ResultPath(IFileDialog* dialog) {
  ComPtr<IShellItem> item;
  if (FAILED(dialog->GetResult(item.Put())) || !item) return std::nullopt;
  platform::CoTaskString path;
  if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.Put())) || !path) return std::nullopt;
  return std::wstring(path.get());
}

}  // namespace

void RegisterFileDialogKinds(ComponentFactory& factory) {
  factory.Register<FileDialog>(u"FileOpenDialog");
  factory.Register<FileDialog>(u"FileSaveDialog");
}

FileDialog::FileDialog(Form* owner, const ComponentDefinition& def) : Component(owner, def) {
  save_ = def.kind == u"FileSaveDialog";
  overwrite_prompt_ = def.Boolean(u"OverwritePrompt", false);
  path_must_exist_ = def.Boolean(u"PathMustExist", false);
  for (const auto& child : def.children) {
    if (child.kind != u"FileType") throw DefinitionError("file dialogs hold only FileType entries");
    if (file_types_.size() == std::size(kFileTypeProperties))
      throw DefinitionError("too many file types in a file dialog");
    file_types_.push_back({platform::ToWide(child.String(u"DisplayName")),
                           platform::ToWide(child.String(u"FileMask"))});
    Stored(kFileTypeProperties[file_types_.size() - 1]) = file_types_.back().display_name;
  }
}

std::vector<std::wstring_view> FileDialog::TextProperties() const {
  std::vector<std::wstring_view> properties{kTitle};
  for (std::size_t i = 0; i < file_types_.size(); ++i) properties.push_back(kFileTypeProperties[i]);
  return properties;
}

std::wstring FileDialog::FileTypeName(std::size_t index) const {
  return GetText(kFileTypeProperties[index]);
}

bool FileDialog::Execute(HWND owner_window) {
  if (chooser) {
    const auto chosen = chooser(*this);
    if (!chosen) return false;
    file_name = *chosen;
    return true;
  }
  ComPtr<IFileDialog> dialog;
  Check(CoCreateInstance(save_ ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr,
                         CLSCTX_INPROC_SERVER, IID_IFileDialog, dialog.PutVoid()),
        L"The file dialog cannot be created");
  const std::wstring title = GetText(kTitle);
  if (!title.empty()) dialog->SetTitle(title.c_str());
  std::vector<std::wstring> names;
  for (std::size_t i = 0; i < file_types_.size(); ++i) names.push_back(FileTypeName(i));
  std::vector<COMDLG_FILTERSPEC> specs;
  for (std::size_t i = 0; i < file_types_.size(); ++i)
    specs.push_back({names[i].c_str(), file_types_[i].mask.c_str()});
  if (!specs.empty()) {
    dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
    dialog->SetFileTypeIndex(1);
  }
  if (save_) {
    FILEOPENDIALOGOPTIONS options = FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR;
    if (overwrite_prompt_) options |= FOS_OVERWRITEPROMPT;
    if (path_must_exist_) options |= FOS_PATHMUSTEXIST;
    dialog->SetOptions(options);
  }
  if (!file_name.empty()) dialog->SetFileName(file_name.c_str());
  const HRESULT shown = dialog->Show(owner_window);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return false;
  Check(shown, L"The file dialog failed");
  auto path = ResultPath(dialog.get());
  if (!path) return false;
  file_name = *path;
  return true;
}

std::optional<std::wstring> PickFolder(HWND owner_window, const std::wstring& title,
                                       const std::wstring& initial_folder) {
  ComPtr<IFileOpenDialog> dialog;
  Check(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                         dialog.PutVoid()),
        L"The folder dialog cannot be created");
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(title.c_str());
  if (!initial_folder.empty()) {
    ComPtr<IShellItem> folder;
    if (SUCCEEDED(SHCreateItemFromParsingName(initial_folder.c_str(), nullptr, IID_IShellItem,
                                              folder.PutVoid())))
      dialog->SetFolder(folder.get());
  }
  const HRESULT shown = dialog->Show(owner_window);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return std::nullopt;
  Check(shown, L"The folder dialog failed");
  return ResultPath(dialog.get());
}

}  // namespace zandrel::gui

#pragma once
// The inspector TForm3: every image of one icon group at its real size on a
// checkerboard, largest first, with its place in the group, size, depth,
// format and bytes, and the group's language; the ticked images are saved
// as a new .ico or as PNG, and Ctrl+C copies the current one. One window,
// made hidden at start-up like the others and shown modeless, owned by the
// main window; opening it again shows the new group in it.

#include <memory>
#include <string>
#include <vector>

#include "gui/win32/controls.h"
#include "gui/win32/file_dialogs.h"
#include "gui/win32/form.h"
#include "gui/win32/image_sheet.h"
#include "icons/group_images.h"
#include "icons/resource_module.h"
#include "settings/win32/settings_location.h"

namespace zandrel {

class TForm3 : public gui::Form {
  gui::BuiltForm<TForm3> built_;

 public:
  explicit TForm3(const settings::SettingsLocation& settings);
  ~TForm3() override;

  // Shows the group at `position` of the module `source`'s group list.
  void ShowGroup(const std::wstring& source, int position);
  std::wstring Lang(std::wstring_view entry) const { return CatalogueText(entry); }
  const std::vector<icons::GroupImage>& images() const { return images_; }
  // The directory positions of the ticked images.
  std::vector<std::size_t> CheckedPositions() const;

  gui::Label& LabelGroup;
  gui::ImageSheet& ImageSheetImages;
  gui::Button& ButtonSaveIco;
  gui::Button& ButtonSavePng;
  gui::Button& ButtonCloseInspector;
  gui::FileDialog& FileSaveDialogInspectorIco;
  gui::FileDialog& FileSaveDialogInspectorPng;

  void FormClose();
  void ButtonSaveIcoClick();
  void ButtonSavePngClick();
  void ButtonCloseInspectorClick();
  void ImageSheetImagesCopy();
  void ImageSheetImagesCheck();

 protected:
  // Esc closes the window.
  bool PreviewKey(const MSG& msg) override;

 private:
  // The lines an image shows beside its picture.
  std::vector<std::wstring> ImageLines(const icons::GroupImage& image) const;
  // The PNG bytes of an image: a stored PNG as stored, a bitmap encoded.
  Bytes PngOf(const icons::GroupImage& image) const;
  void LoadPlacement();
  void SavePlacement();

  const settings::SettingsLocation& settings_;
  std::unique_ptr<icons::ResourceModule> module_;
  icons::ResourceData group_;
  std::wstring source_;
  int position_ = -1;
  std::u16string group_name_;
  std::vector<icons::GroupImage> images_;
  bool placed_ = false;
};

}  // namespace zandrel

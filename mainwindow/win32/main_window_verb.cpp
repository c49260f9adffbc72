// The Explorer verb of the main window: the menu item's tick mirrors the
// registry keys, which are the only record of the choice.
#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "platform/process.h"

namespace zandrel {

void TForm1::RegisterContextMenu() {
  verb_->Register(Lang(L"LangOpenInZandrel"), platform::ExecutablePath());
}

void TForm1::UnregisterContextMenu() {
  verb_->Unregister();
}

void TForm1::CheckAndSetRegistryForFileTypes() {
  const bool registered = verb_->Registered();
  EmbedFolderMenu.SetChecked(registered);
  prev_embed_menu_state_ = registered;
}

void TForm1::EmbedFolderMenuClick() {
  // An auto-check item: the tick has already changed.
  ApplyContextMenuChoice();
  gui::Application::Instance().ProcessMessages();
}

void TForm1::SynchronizeContextMenu() {
  if (EmbedFolderMenu.checked() != prev_embed_menu_state_) ApplyContextMenuChoice();
}

void TForm1::ApplyContextMenuChoice() {
  if (EmbedFolderMenu.checked())
    RegisterContextMenu();
  else
    UnregisterContextMenu();
  shellext::ContextMenuVerb::NotifyShell();
  prev_embed_menu_state_ = EmbedFolderMenu.checked();
}

}  // namespace zandrel

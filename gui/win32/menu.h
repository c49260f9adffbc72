#pragma once
// Popup menus and their items. Items are components of their window (so the
// hidden catalogue menus can be read and translated by name). The system menu
// is rebuilt from the items each time the menu opens, so it always shows the
// items' current state.

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "gui/win32/component.h"
#include "platform/handles.h"

namespace zandrel::gui {

class ImageList;
class PopupMenu;

class MenuItem : public Component {
 public:
  MenuItem(Form* owner, const ComponentDefinition& def);
  ~MenuItem() override;

  std::vector<std::wstring_view> TextProperties() const override { return {kCaption, kHint}; }
  std::wstring caption() const { return GetText(kCaption); }
  void SetCaption(const std::wstring& caption) { SetText(kCaption, caption); }
  bool IsSeparator() const { return caption() == L"-"; }

  bool checked() const { return checked_; }
  void SetChecked(bool checked);
  bool enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool visible() const { return visible_; }
  bool radio() const { return radio_; }
  bool auto_check() const { return auto_check_; }
  int image_index() const { return image_index_; }
  UINT shortcut_key() const { return shortcut_key_; }
  bool shortcut_ctrl() const { return shortcut_ctrl_; }
  const std::wstring& shortcut_text() const { return shortcut_text_; }
  // The control the shortcut belongs to ("ShortCutFocus"): the key runs the
  // item only while that control has the focus, and reaches the control
  // itself otherwise (Ctrl+C in an edit copies its text). Null: anywhere.
  Control* shortcut_focus() const { return shortcut_focus_; }
  void Resolve(const ComponentDefinition& def) override;
  UINT command_id() const { return command_id_; }

  MenuItem* parent_item() const { return parent_item_; }
  const std::vector<MenuItem*>& items() const { return items_; }
  void AddItem(MenuItem* item);
  void RemoveItem(MenuItem* item);

  // Toggles or sets the tick of an auto-check item, then runs the handler.
  void Click();
  Handler on_click;

  bool HoldsComponents() const override { return true; }
  void BindEvents(const HandlerLookup& lookup) override { on_click = lookup(u"OnClick"); }
  void Release(Component& child) override;
  std::vector<Component*> ChildComponents() const override;

  static MenuItem* FromCommand(UINT id);

 private:
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool radio_ = false;
  bool auto_check_ = false;
  int group_index_ = 0;
  int image_index_ = -1;
  UINT shortcut_key_ = 0;
  bool shortcut_ctrl_ = false;
  std::wstring shortcut_text_;
  Control* shortcut_focus_ = nullptr;
  UINT command_id_ = 0;
  MenuItem* parent_item_ = nullptr;
  std::vector<MenuItem*> items_;

 protected:
  void AdoptChild(Component& child) override;
};

// What a menu item shows when the style draws it: its text and shortcut
// column, its state and its picture.
struct MenuEntry {
  std::wstring text;
  std::wstring shortcut;
  bool separator = false;
  bool checked = false;
  bool radio = false;
  bool enabled = true;
  bool submenu = false;
  ImageList* images = nullptr;
  int image_index = -1;
};

// The entry a menu item shows.
MenuEntry EntryOf(const MenuItem& item, ImageList* images);
// The size and the painting of an item drawn by the style (named styles
// only; the plain look leaves menus to the platform). `selected` is the
// item under the mouse or the keyboard.
SIZE MeasureMenuEntry(HDC dc, const MenuEntry& entry, HFONT font, UINT dpi);
void DrawMenuEntry(HDC dc, const RECT& rc, const MenuEntry& entry, bool selected, HFONT font,
                   UINT dpi);
// WM_MEASUREITEM and WM_DRAWITEM of a shown menu, answered for the window
// that shows it; false for any other item.
bool MenuOwnerMessage(HFONT font, UINT dpi, UINT msg, LPARAM lp);

class PopupMenu : public Component {
 public:
  PopupMenu(Form* owner, const ComponentDefinition& def);
  ~PopupMenu() override;
  void Resolve(const ComponentDefinition& def) override;

  const std::vector<MenuItem*>& items() const { return items_; }
  void AddItem(MenuItem* item);
  bool right_aligned() const { return right_aligned_; }
  bool HoldsComponents() const override { return true; }
  void Release(Component& child) override;
  std::vector<Component*> ChildComponents() const override;
  ImageList* images() const { return images_; }

  void BindEvents(const HandlerLookup& lookup) override { on_popup = lookup(u"OnPopup"); }
  // Runs as the menu is about to show: items may be switched on or off.
  Handler on_popup;

  // Shows the menu at a screen point; returns when it closes, true when an
  // item was chosen. The chosen item's click runs after this returns, from
  // the window's message queue.
  bool Popup(int x, int y);
  // The menu being shown, or null.
  HMENU shown_menu() const { return shown_; }

 private:
  void AdoptChild(Component& child) override;
  // What a shown menu needs while it is up: the pictures of the plain look,
  // the entries the style draws.
  struct Parts {
    std::vector<platform::UniqueBitmap> bitmaps;
    std::deque<MenuEntry> entries;
  };
  platform::UniqueMenu Build(const std::vector<MenuItem*>& items, Parts& parts);
  std::vector<MenuItem*> items_;
  bool right_aligned_ = false;
  ImageList* images_ = nullptr;
  HMENU shown_ = nullptr;
};

}  // namespace zandrel::gui

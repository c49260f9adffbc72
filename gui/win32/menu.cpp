#include "gui/win32/menu.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "gui/win32/application.h"
#include "gui/win32/component_factory.h"
#include "gui/win32/form.h"
#include "gui/win32/image_list.h"
#include "core/text.h"
#include "platform/wide.h"

namespace zandrel::gui {

namespace {

std::map<UINT, MenuItem*>& Commands() {
  static std::map<UINT, MenuItem*> commands;
  return commands;
}

UINT g_next_command = 40000;

// "F1" .. "F12", optionally "Ctrl+".
void ParseShortcut(const std::wstring& text, UINT& key, bool& ctrl) {
  std::wstring rest = text;
  if (rest.rfind(L"Ctrl+", 0) == 0) {
    ctrl = true;
    rest = rest.substr(5);
  }
  if (rest.size() >= 2 && rest[0] == L'F') {
    const int n = _wtoi(rest.c_str() + 1);
    if (n >= 1 && n <= 24) key = VK_F1 + n - 1;
  } else if (rest.size() == 1) {
    key = static_cast<UINT>(towupper(rest[0]));
  }
  if (key == 0) throw DefinitionError("unsupported shortcut");
}

// The system menu shows the text after the first tab in the shortcut column;
// more tabs right after it have nothing to line up and would show as boxes.
std::wstring MenuText(const std::wstring& caption) {
  const std::size_t tab = caption.find(L'\t');
  if (tab == std::wstring::npos) return caption;
  const std::size_t rest = caption.find_first_not_of(L'\t', tab);
  return caption.substr(0, tab + 1) + (rest == std::wstring::npos ? L"" : caption.substr(rest));
}

MenuItem& AsMenuItem(Component& child) {
  auto* item = dynamic_cast<MenuItem*>(&child);
  if (!item) throw DefinitionError("menus hold only MenuItem entries");
  return *item;
}

}  // namespace

void RegisterMenuKinds(ComponentFactory& factory) {
  factory.Register<PopupMenu>(u"PopupMenu");
  factory.Register<MenuItem>(u"MenuItem");
}

MenuItem::MenuItem(Form* owner, const ComponentDefinition& def)
    : Component(owner, def), command_id_(g_next_command++) {
  checked_ = def.Boolean(u"Checked", false);
  enabled_ = def.Boolean(u"Enabled", true);
  visible_ = def.Boolean(u"Visible", true);
  radio_ = def.Boolean(u"RadioItem", false);
  auto_check_ = def.Boolean(u"AutoCheck", false);
  group_index_ = static_cast<int>(def.Integer(u"GroupIndex", 0));
  image_index_ = static_cast<int>(def.Integer(u"ImageIndex", -1));
  shortcut_text_ = platform::ToWide(def.String(u"ShortCut"));
  if (!shortcut_text_.empty()) ParseShortcut(shortcut_text_, shortcut_key_, shortcut_ctrl_);
  Commands()[command_id_] = this;
}

MenuItem::~MenuItem() {
  Commands().erase(command_id_);
}

MenuItem* MenuItem::FromCommand(UINT id) {
  auto it = Commands().find(id);
  return it == Commands().end() ? nullptr : it->second;
}

void MenuItem::AddItem(MenuItem* item) {
  item->parent_item_ = this;
  items_.push_back(item);
}

void MenuItem::RemoveItem(MenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  if (item->parent_item_ == this) item->parent_item_ = nullptr;
}

void MenuItem::AdoptChild(Component& child) {
  AddItem(&AsMenuItem(child));
}

void MenuItem::Release(Component& child) {
  if (auto* item = dynamic_cast<MenuItem*>(&child)) RemoveItem(item);
}

std::vector<Component*> MenuItem::ChildComponents() const {
  return {items_.begin(), items_.end()};
}

void MenuItem::SetChecked(bool checked) {
  checked_ = checked;
  // Ticking a radio item clears the others of its group.
  if (checked && radio_ && parent_item_) {
    for (MenuItem* sibling : parent_item_->items_)
      if (sibling != this && sibling->radio_ && sibling->group_index_ == group_index_)
        sibling->checked_ = false;
  }
}

void MenuItem::Click() {
  if (auto_check_) SetChecked(radio_ ? true : !checked_);
  if (on_click) Application::Instance().Invoke(on_click);
}

PopupMenu::PopupMenu(Form* owner, const ComponentDefinition& def) : Component(owner, def) {
  right_aligned_ = def.Word(u"Alignment", u"left") == u"right";
}

PopupMenu::~PopupMenu() = default;

void PopupMenu::Resolve(const ComponentDefinition& def) {
  const std::u16string images = def.String(u"Images");
  if (!images.empty()) images_ = &owner()->Get<ImageList>(platform::ToWide(images));
}

void PopupMenu::AddItem(MenuItem* item) {
  items_.push_back(item);
}

void PopupMenu::AdoptChild(Component& child) {
  AddItem(&AsMenuItem(child));
}

void PopupMenu::Release(Component& child) {
  std::erase(items_, dynamic_cast<MenuItem*>(&child));
}

std::vector<Component*> PopupMenu::ChildComponents() const {
  return {items_.begin(), items_.end()};
}

platform::UniqueMenu PopupMenu::Build(const std::vector<MenuItem*>& items,
                                      std::vector<platform::UniqueBitmap>& bitmaps) {
  platform::UniqueMenu menu(CreatePopupMenu());
  if (!menu) throw std::runtime_error("the menu cannot be created");
  UINT position = 0;
  for (MenuItem* item : items) {
    if (!item->visible()) continue;
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    if (item->IsSeparator()) {
      mii.fMask = MIIM_FTYPE;
      mii.fType = MFT_SEPARATOR;
      InsertMenuItemW(menu.get(), position++, TRUE, &mii);
      continue;
    }
    std::wstring text = MenuText(item->caption());
    if (!item->shortcut_text().empty()) text += L"\t" + item->shortcut_text();
    mii.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_STATE;
    mii.fType = item->radio() ? MFT_RADIOCHECK : 0;
    mii.fState = (item->checked() ? MFS_CHECKED : 0) | (item->enabled() ? 0 : MFS_DISABLED);
    mii.wID = item->command_id();
    mii.dwTypeData = text.data();
    platform::UniqueMenu submenu;
    if (!item->items().empty()) {
      submenu = Build(item->items(), bitmaps);
      mii.fMask |= MIIM_SUBMENU;
      mii.hSubMenu = submenu.get();
    }
    if (images_ && item->image_index() >= 0) {
      if (platform::UniqueBitmap bmp = images_->CreateMenuBitmap(item->image_index())) {
        mii.fMask |= MIIM_BITMAP;
        mii.hbmpItem = bmp.get();
        bitmaps.push_back(std::move(bmp));
      }
    }
    // Once inserted, a submenu belongs to its menu and goes with it.
    if (InsertMenuItemW(menu.get(), position++, TRUE, &mii)) submenu.release();
  }
  return menu;
}

void PopupMenu::Popup(int x, int y) {
  // The bitmaps are destroyed after the menu that shows them.
  std::vector<platform::UniqueBitmap> bitmaps;
  platform::UniqueMenu menu = Build(items_, bitmaps);
  HWND window = owner()->hwnd();
  SetForegroundWindow(window);
  shown_ = menu.get();
  const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_TOPALIGN |
                     (right_aligned_ ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenuEx(menu.get(), flags, x, y, window, nullptr));
  shown_ = nullptr;
  menu.reset();
  if (chosen != 0) PostMessageW(window, Form::kMenuCommandMessage, chosen, 0);
}

}  // namespace zandrel::gui

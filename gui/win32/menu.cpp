#include "gui/win32/menu.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "gui/win32/application.h"
#include "gui/win32/component_factory.h"
#include "gui/win32/form.h"
#include "gui/win32/image_list.h"
#include "gui/win32/paint.h"
#include "gui/win32/style.h"
#include "platform/handles.h"
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
  // A key the window handles itself, only shown in the shortcut column.
  if (def.Has(u"ShortCutText")) shortcut_text_ = platform::ToWide(def.String(u"ShortCutText"));
  Commands()[command_id_] = this;
}

void MenuItem::Resolve(const ComponentDefinition& def) {
  Component::Resolve(def);
  const std::u16string focus = def.String(u"ShortCutFocus");
  if (!focus.empty()) shortcut_focus_ = &owner()->Get<Control>(platform::ToWide(focus));
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

MenuEntry EntryOf(const MenuItem& item, ImageList* images) {
  MenuEntry entry;
  entry.separator = item.IsSeparator();
  const std::wstring text = MenuText(item.caption());
  const std::size_t tab = text.find(L'\t');
  entry.text = text.substr(0, tab);
  if (tab != std::wstring::npos) entry.shortcut = text.substr(tab + 1);
  if (!item.shortcut_text().empty())
    entry.shortcut += (entry.shortcut.empty() ? L"" : L" ") + item.shortcut_text();
  entry.checked = item.checked();
  entry.radio = item.radio();
  entry.enabled = item.enabled();
  entry.submenu = !item.items().empty();
  if (images && item.image_index() >= 0) {
    entry.images = images;
    entry.image_index = item.image_index();
  }
  return entry;
}

platform::UniqueMenu PopupMenu::Build(const std::vector<MenuItem*>& items, Parts& parts) {
  platform::UniqueMenu menu(CreatePopupMenu());
  if (!menu) throw std::runtime_error("the menu cannot be created");
  const bool styled = !CurrentStyle().plain();
  if (styled) {
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = CurrentStyle().Brush(ColorRole::kMenuFace);
    SetMenuInfo(menu.get(), &info);
  }
  UINT position = 0;
  for (MenuItem* item : items) {
    if (!item->visible()) continue;
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    if (styled) {
      // The style draws the item; the entry lives as long as the menu.
      parts.entries.push_back(EntryOf(*item, images_));
      mii.fMask = MIIM_DATA;
      mii.dwItemData = reinterpret_cast<ULONG_PTR>(&parts.entries.back());
    }
    if (item->IsSeparator()) {
      mii.fMask |= MIIM_FTYPE;
      mii.fType = MFT_SEPARATOR | (styled ? MFT_OWNERDRAW : 0);
      InsertMenuItemW(menu.get(), position++, TRUE, &mii);
      continue;
    }
    std::wstring text = MenuText(item->caption());
    if (!item->shortcut_text().empty()) text += L"\t" + item->shortcut_text();
    mii.fMask |= MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_STATE;
    mii.fType = (item->radio() ? MFT_RADIOCHECK : 0) | (styled ? MFT_OWNERDRAW : 0);
    mii.fState = (item->checked() ? MFS_CHECKED : 0) | (item->enabled() ? 0 : MFS_DISABLED);
    mii.wID = item->command_id();
    mii.dwTypeData = text.data();
    platform::UniqueMenu submenu;
    if (!item->items().empty()) {
      submenu = Build(item->items(), parts);
      mii.fMask |= MIIM_SUBMENU;
      mii.hSubMenu = submenu.get();
    }
    if (!styled && images_ && item->image_index() >= 0) {
      if (platform::UniqueBitmap bmp = images_->CreateMenuBitmap(item->image_index())) {
        mii.fMask |= MIIM_BITMAP;
        mii.hbmpItem = bmp.get();
        parts.bitmaps.push_back(std::move(bmp));
      }
    }
    // Once inserted, a submenu belongs to its menu and goes with it.
    if (InsertMenuItemW(menu.get(), position++, TRUE, &mii)) submenu.release();
  }
  return menu;
}

namespace {

// At 96 DPI: the column of marks and pictures, the gap before the shortcut,
// the column of the submenu arrow, the room above and below the text.
constexpr int kMarkColumn = 28;
constexpr int kShortcutGap = 28;
constexpr int kArrowColumn = 20;
constexpr int kItemPadding = 5;
constexpr int kSeparatorHeight = 7;

int Scaled(int value, UINT dpi) {
  return MulDiv(value, static_cast<int>(dpi), 96);
}

SIZE TextSize(HDC dc, const std::wstring& text) {
  RECT rc{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_SINGLELINE | DT_CALCRECT);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace

SIZE MeasureMenuEntry(HDC dc, const MenuEntry& entry, HFONT font, UINT dpi) {
  if (entry.separator) return {Scaled(kMarkColumn, dpi), Scaled(kSeparatorHeight, dpi)};
  platform::ScopedSelect select(dc, font);
  const SIZE text = TextSize(dc, entry.text);
  const SIZE shortcut = entry.shortcut.empty() ? SIZE{0, 0} : TextSize(dc, entry.shortcut);
  int width = Scaled(kMarkColumn, dpi) + text.cx + Scaled(kArrowColumn, dpi);
  if (shortcut.cx > 0) width += Scaled(kShortcutGap, dpi) + shortcut.cx;
  const int height = std::max(text.cy, static_cast<LONG>(Scaled(16, dpi))) +
                     2 * Scaled(kItemPadding, dpi);
  return {width, height};
}

void DrawMenuEntry(HDC dc, const RECT& rc, const MenuEntry& entry, bool selected, HFONT font,
                   UINT dpi) {
  const auto& style = CurrentStyle();
  const ColorRole back = selected && entry.enabled && !entry.separator ? ColorRole::kMenuHot
                                                                       : ColorRole::kMenuFace;
  FillRect(dc, &rc, style.Brush(back));
  if (entry.separator) {
    RECT line{rc.left + Scaled(4, dpi), (rc.top + rc.bottom) / 2, rc.right - Scaled(4, dpi), 0};
    line.bottom = line.top + 1;
    FillRect(dc, &line, style.Brush(ColorRole::kPanelFrame));
    return;
  }
  const ColorRole text_role = entry.enabled ? ColorRole::kFaceText : ColorRole::kGrayText;
  RECT mark{rc.left, rc.top, rc.left + Scaled(kMarkColumn, dpi), rc.bottom};
  if (entry.images && entry.image_index >= 0) {
    HIMAGELIST list = entry.images->handle();
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    ImageList_Draw(list, entry.image_index, dc, mark.left + (mark.right - mark.left - cx) / 2,
                   mark.top + (mark.bottom - mark.top - cy) / 2, ILD_TRANSPARENT);
  } else if (entry.checked) {
    RECT box = mark;
    InflateRect(&box, -Scaled(7, dpi), 0);
    const int side = box.right - box.left;
    box.top = (rc.top + rc.bottom - side) / 2;
    box.bottom = box.top + side;
    if (entry.radio)
      DrawDot(dc, box, text_role);
    else
      DrawTick(dc, box, text_role);
  }
  platform::ScopedSelect select(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, style.Color(text_role));
  RECT text{mark.right, rc.top, rc.right - Scaled(kArrowColumn, dpi), rc.bottom};
  DrawTextW(dc, entry.text.c_str(), static_cast<int>(entry.text.size()), &text,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (!entry.shortcut.empty())
    DrawTextW(dc, entry.shortcut.c_str(), static_cast<int>(entry.shortcut.size()), &text,
              DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (entry.submenu) {
    RECT arrow{rc.right - Scaled(kArrowColumn, dpi), rc.top, rc.right, rc.bottom};
    InflateRect(&arrow, 0, -Scaled(kItemPadding + 3, dpi));
    DrawArrow(dc, arrow, text_role);
  }
  // The system would draw its own arrow over the item, in its colours: keep
  // it out, and give its bitmap the item's colours where it still shows.
  SetTextColor(dc, style.Color(text_role));
  SetBkColor(dc, style.Color(back));
  ExcludeClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
}

bool MenuOwnerMessage(HFONT font, UINT dpi, UINT msg, LPARAM lp) {
  if (msg == WM_MEASUREITEM) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
    if (measure->CtlType != ODT_MENU || !measure->itemData) return false;
    platform::WindowDC dc(nullptr);
    const SIZE size =
        MeasureMenuEntry(dc.get(), *reinterpret_cast<const MenuEntry*>(measure->itemData), font, dpi);
    measure->itemWidth = static_cast<UINT>(size.cx);
    measure->itemHeight = static_cast<UINT>(size.cy);
    return true;
  }
  if (msg == WM_DRAWITEM) {
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
    if (draw->CtlType != ODT_MENU || !draw->itemData) return false;
    DrawMenuEntry(draw->hDC, draw->rcItem, *reinterpret_cast<const MenuEntry*>(draw->itemData),
                  (draw->itemState & ODS_SELECTED) != 0, font, dpi);
    return true;
  }
  return false;
}

bool PopupMenu::Popup(int x, int y) {
  FireEvent(on_popup);
  // The bitmaps and entries are destroyed after the menu that shows them.
  Parts parts;
  platform::UniqueMenu menu = Build(items_, parts);
  HWND window = owner()->hwnd();
  SetForegroundWindow(window);
  shown_ = menu.get();
  const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_TOPALIGN |
                     (right_aligned_ ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenuEx(menu.get(), flags, x, y, window, nullptr));
  shown_ = nullptr;
  menu.reset();
  if (chosen == 0) return false;
  PostMessageW(window, Form::kMenuCommandMessage, chosen, 0);
  return true;
}

}  // namespace zandrel::gui

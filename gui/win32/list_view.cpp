#include "gui/win32/list_view.h"

#include <windowsx.h>

#include <algorithm>

#include "gui/win32/application.h"
#include "gui/win32/component_factory.h"
#include "gui/win32/form.h"
#include "gui/win32/image_list.h"
#include "gui/win32/menu.h"
#include "gui/win32/paint.h"
#include "gui/win32/style.h"
#include "core/text.h"
#include "platform/handles.h"
#include "platform/wide.h"

namespace zandrel::gui {

using platform::ToWide;

void RegisterListViewKinds(ComponentFactory& factory) {
  factory.Register<ListView>(u"ListView");
}

ListView::ListView(Form* owner, const ComponentDefinition& def) : Control(owner, def) {
  multi_select_ = def.Boolean(u"MultiSelect", false);
  for (const auto& child : def.children) {
    if (child.kind != u"Column") throw DefinitionError("ListView holds only Column entries");
    Column c;
    c.caption = ToWide(child.String(u"Caption"));
    c.width = static_cast<int>(child.Integer(u"Width", 50));
    c.min_width = static_cast<int>(child.Integer(u"MinWidth", 0));
    c.stretch = child.Boolean(u"Stretch", false);
    columns_.push_back(c);
  }
}

void ListView::Resolve(const ComponentDefinition& def) {
  const std::u16string images = def.String(u"SmallImages");
  if (!images.empty()) {
    small_images_ = &owner()->Get<ImageList>(ToWide(images));
    small_images_->AddHandleListener([this](HIMAGELIST himl) {
      if (hwnd())
        SendMessageW(hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(himl));
    });
  }
  const std::u16string popup = def.String(u"PopupMenu");
  if (!popup.empty()) popup_menu_ = &owner()->Get<PopupMenu>(ToWide(popup));
}

void ListView::BindEvents(const HandlerLookup& lookup) {
  Control::BindEvents(lookup);
  on_select_item = lookup(u"OnSelectItem");
  on_item_activate = lookup(u"OnItemActivate");
  on_begin_drag = lookup(u"OnBeginDrag");
}

DWORD ListView::Style() const {
  return LVS_REPORT | LVS_SHOWSELALWAYS | (multi_select_ ? 0 : LVS_SINGLESEL) |
         LVS_SHAREIMAGELISTS | LVS_OWNERDATA;
}

void ListView::AfterCreate() {
  ListView_SetExtendedListViewStyle(hwnd(),
                                    LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
  InsertColumns();
  ShowRowCount();
  if (small_images_)
    SendMessageW(hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(small_images_->handle()));
}

void ListView::ApplyFont() {
  Control::ApplyFont();
  FitCaptions();
}

void ListView::BeginUpdate() {
  if (update_depth_++ == 0 && hwnd()) SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
}

void ListView::EndUpdate() {
  if (update_depth_ == 0) return;
  if (--update_depth_ == 0 && hwnd()) {
    ShowRowCount();
    SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
    RedrawWindow(hwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void ListView::Clear() {
  rows_.clear();
  if (hwnd()) ListView_DeleteAllItems(hwnd());
}

int ListView::AddItem(int image_index, const std::vector<std::wstring>& sub_items, LPARAM data) {
  if (!hwnd()) return -1;
  Row row;
  row.image = image_index < 0 ? -1 : image_index;
  row.texts.reserve(sub_items.size() + 1);
  row.texts.emplace_back();
  row.texts.insert(row.texts.end(), sub_items.begin(), sub_items.end());
  row.data = data;
  rows_.push_back(std::move(row));
  if (update_depth_ == 0) ShowRowCount();
  return static_cast<int>(rows_.size()) - 1;
}

void ListView::ShowRowCount() {
  if (!hwnd()) return;
  // The rows on show stay where they are; only new ones are drawn.
  ListView_SetItemCountEx(hwnd(), item_count(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void ListView::SetRowSource(RowSource source) {
  source_ = std::move(source);
  SetSourceRowCount(0, true);
}

void ListView::SetSourceRowCount(int count, bool redraw_all) {
  source_rows_ = std::max(count, 0);
  if (!hwnd() || update_depth_ > 0) return;
  if (redraw_all) {
    ListView_SetItemCountEx(hwnd(), source_rows_, LVSICF_NOSCROLL);
    InvalidateRect(hwnd(), nullptr, TRUE);
  } else {
    ShowRowCount();
  }
}

void ListView::FillDisplayInfo(NMLVDISPINFOW* info) const {
  LVITEMW& item = info->item;
  // While a column is sized the control sees only some rows (SizeColumnsToCells).
  int index = item.iItem;
  if (!sizing_rows_.empty()) {
    if (index < 0 || static_cast<std::size_t>(index) >= sizing_rows_.size()) return;
    index = sizing_rows_[static_cast<std::size_t>(index)];
  }
  if (source_.text) {
    if (index < 0 || index >= source_rows_) return;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
      const std::wstring text = ItemText(index, item.iSubItem < 0 ? 0 : item.iSubItem);
      const std::size_t length =
          std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
      text.copy(item.pszText, length);
      item.pszText[length] = L'\0';
    }
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) {
      const int image = ItemImage(index);
      item.iImage = image < 0 ? I_IMAGENONE : image;
    }
    return;
  }
  if (index < 0 || static_cast<std::size_t>(index) >= rows_.size()) return;
  const Row& row = rows_[static_cast<std::size_t>(index)];
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    const std::size_t column = item.iSubItem < 0 ? 0 : static_cast<std::size_t>(item.iSubItem);
    const std::wstring empty;
    const std::wstring& text = column < row.texts.size() ? row.texts[column] : empty;
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
    text.copy(item.pszText, length);
    item.pszText[length] = L'\0';
  }
  if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0)
    item.iImage = row.image < 0 ? I_IMAGENONE : row.image;
  if (item.mask & LVIF_PARAM) item.lParam = row.data;
}

int ListView::item_count() const {
  if (source_.text) return source_rows_;
  return static_cast<int>(rows_.size());
}

int ListView::item_index() const {
  return hwnd() ? ListView_GetNextItem(hwnd(), -1, LVNI_SELECTED) : -1;
}

int ListView::focused_row() const {
  return hwnd() ? ListView_GetNextItem(hwnd(), -1, LVNI_FOCUSED) : -1;
}

std::vector<int> ListView::selected_rows() const {
  std::vector<int> rows;
  if (!hwnd()) return rows;
  for (int row = ListView_GetNextItem(hwnd(), -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(hwnd(), row, LVNI_SELECTED))
    rows.push_back(row);
  return rows;
}

void ListView::SetItemIndex(int index) {
  if (!hwnd()) return;
  ListView_SetItemState(hwnd(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (index >= 0)
    ListView_SetItemState(hwnd(), index, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
}

void ListView::ScrollIntoView(int row) {
  if (hwnd() && row >= 0) ListView_EnsureVisible(hwnd(), row, FALSE);
}

std::wstring ListView::ItemText(int row, int column) const {
  if (source_.text)
    return row >= 0 && row < source_rows_ ? source_.text(row, column) : std::wstring();
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size() || column < 0) return {};
  const auto& texts = rows_[static_cast<std::size_t>(row)].texts;
  return static_cast<std::size_t>(column) < texts.size() ? texts[static_cast<std::size_t>(column)]
                                                         : std::wstring();
}

int ListView::ItemImage(int row) const {
  if (source_.text)
    return source_.image && row >= 0 && row < source_rows_ ? source_.image(row) : -1;
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return -1;
  return rows_[static_cast<std::size_t>(row)].image;
}

LPARAM ListView::ItemData(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return 0;
  return rows_[static_cast<std::size_t>(row)].data;
}

std::wstring ListView::CutCellText(int row, int column) const {
  if (!hwnd() || row < 0 || row >= item_count() || column < 0 || column >= column_count())
    return {};
  const std::wstring text = ItemText(row, column);
  if (text.empty()) return {};
  platform::WindowDC dc(hwnd());
  platform::ScopedSelect select(dc.get(), font_handle());
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  // The room a cell leaves its text: the margins DrawRow keeps (the
  // platform's look keeps about as much).
  const int margin = Scale(kHeaderTextMargin);
  const int room = ListView_GetColumnWidth(hwnd(), column) - margin - margin / 2;
  return size.cx > room ? text : std::wstring();
}

void ListView::FillInfoTip(NMLVGETINFOTIPW* tip) const {
  if (!tip->pszText || tip->cchTextMax <= 0) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  ScreenToClient(hwnd(), &cursor);
  LVHITTESTINFO hit{};
  hit.pt = cursor;
  if (ListView_SubItemHitTest(hwnd(), &hit) < 0 || hit.iItem != tip->iItem) return;
  const std::wstring whole = CutCellText(hit.iItem, hit.iSubItem);
  // Nothing cut: no tip (the text the list proposes is left empty too).
  tip->pszText[0] = L'\0';
  if (whole.empty()) return;
  const std::size_t room = static_cast<std::size_t>(tip->cchTextMax) - 1;
  const std::size_t length = std::min(whole.size(), room);
  whole.copy(tip->pszText, length);
  tip->pszText[length] = L'\0';
}

void ListView::ApplyStyle() {
  const auto& style = CurrentStyle();
  const COLORREF back = style.plain() ? GetSysColor(COLOR_WINDOW) : style.Color(ColorRole::kWindow);
  const COLORREF text =
      style.plain() ? GetSysColor(COLOR_WINDOWTEXT) : style.Color(ColorRole::kWindowText);
  ListView_SetBkColor(hwnd(), back);
  ListView_SetTextBkColor(hwnd(), back);
  ListView_SetTextColor(hwnd(), text);
  ApplyScrollBarTheme(hwnd());
  // The header is drawn from the style (DrawHeader).
  if (HWND header = ListView_GetHeader(hwnd())) InvalidateRect(header, nullptr, TRUE);
}

LRESULT ListView::DrawRow(NMLVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      break;
    default:
      return CDRF_DODEFAULT;
  }
  const auto& style = CurrentStyle();
  HDC dc = draw->nmcd.hdc;
  const int row = static_cast<int>(draw->nmcd.dwItemSpec);
  RECT bounds{};
  if (!ListView_GetItemRect(hwnd(), row, &bounds, LVIR_BOUNDS)) return CDRF_DODEFAULT;
  // The item state of the notification may say "selected" for a row that
  // is only hot; the list's own state is the one shown.
  const bool selected = ListView_GetItemState(hwnd(), row, LVIS_SELECTED) & LVIS_SELECTED;
  const ColorRole back = selected ? ColorRole::kHighlight : ColorRole::kWindow;
  FillRect(dc, &bounds, style.Brush(back));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, style.Color(selected ? ColorRole::kHighlightText : ColorRole::kWindowText));
  platform::ScopedSelect font(dc, font_handle());
  const int margin = Scale(kHeaderTextMargin);
  for (int column = 0; column < column_count(); ++column) {
    RECT cell{};
    if (!ListView_GetSubItemRect(hwnd(), row, column, LVIR_BOUNDS, &cell)) continue;
    if (column == 0) cell.right = cell.left + ListView_GetColumnWidth(hwnd(), 0);
    if (column == 0 && small_images_) {
      const int image = ItemImage(row);
      int cx = 0, cy = 0;
      ImageList_GetIconSize(small_images_->handle(), &cx, &cy);
      if (image >= 0)
        ImageList_Draw(small_images_->handle(), image, dc, cell.left + Scale(2),
                       cell.top + (cell.bottom - cell.top - cy) / 2, ILD_TRANSPARENT);
      cell.left += Scale(2) + cx;
    }
    const std::wstring text = ItemText(row, column);
    if (text.empty()) continue;
    cell.left += margin;
    cell.right -= margin / 2;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if ((ListView_GetItemState(hwnd(), row, LVIS_FOCUSED) & LVIS_FOCUSED) && GetFocus() == hwnd()) {
    SetTextColor(dc, style.Color(selected ? ColorRole::kHighlightText : ColorRole::kWindowText));
    SetBkColor(dc, style.Color(back));
    DrawFocusRect(dc, &bounds);
  }
  return CDRF_SKIPDEFAULT;
}

LRESULT ListView::DrawHeader(NMCUSTOMDRAW* draw) {
  const auto& style = CurrentStyle();
  HDC dc = draw->hdc;
  switch (draw->dwDrawStage) {
    case CDDS_PREPAINT: {
      // The strip right of the last column is the list's too.
      RECT rc;
      GetClientRect(draw->hdr.hwndFrom, &rc);
      FillRect(dc, &rc, style.Brush(ColorRole::kWindow));
      return CDRF_NOTIFYITEMDRAW;
    }
    case CDDS_ITEMPREPAINT:
      break;
    default:
      return CDRF_DODEFAULT;
  }
  RECT rc = draw->rc;
  FillRect(dc, &rc, style.Brush(ColorRole::kWindow));
  RECT divider{rc.right - 1, rc.top + Scale(4), rc.right, rc.bottom - Scale(4)};
  FillRect(dc, &divider, style.Brush(ColorRole::kPanelFrame));
  RECT bottom{rc.left, rc.bottom - 1, rc.right, rc.bottom};
  FillRect(dc, &bottom, style.Brush(ColorRole::kPanelFrame));
  const auto column = static_cast<std::size_t>(draw->dwItemSpec);
  if (column < columns_.size()) {
    const std::wstring& caption = columns_[column].caption;
    RECT text = rc;
    text.left += Scale(kHeaderTextMargin);
    text.right -= Scale(kHeaderTextMargin);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, style.Color(ColorRole::kWindowText));
    platform::ScopedSelect font(dc, font_handle());
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  return CDRF_SKIPDEFAULT;
}

bool ListView::OnNotify(NMHDR* header, LRESULT& result) {
  switch (header->code) {
    case NM_CUSTOMDRAW:
      if (PlainLook()) return false;
      result = DrawRow(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
      return true;
    case NM_CLICK:
      FireEvent(on_click);
      result = 0;
      return true;
    case LVN_ITEMACTIVATE:
      FireEvent(on_item_activate);
      result = 0;
      return true;
    case LVN_COLUMNCLICK:
      if (on_column_click) {
        const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
        FireEvent([this, column] { on_column_click(column); });
      }
      result = 0;
      return true;
    case LVN_BEGINDRAG:
      FireEvent(on_begin_drag);
      result = 0;
      return true;
    case LVN_GETINFOTIPW:
      FillInfoTip(reinterpret_cast<NMLVGETINFOTIPW*>(header));
      result = 0;
      return true;
    case LVN_GETDISPINFOW:
      FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(header));
      result = 0;
      return true;
    case LVN_ODFINDITEMW:
      // Typing a row's first letters finds nothing: the first column holds
      // only the preview.
      result = -1;
      return true;
    case LVN_ODSTATECHANGED: {
      // A range of rows selected at once (Shift with a click or a key).
      auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(header);
      if ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) FireEvent(on_select_item);
      result = 0;
      return true;
    }
    case LVN_ITEMCHANGED: {
      auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if ((change->uChanged & LVIF_STATE) &&
          ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
        FireEvent(on_select_item);
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

bool ListView::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_SIZE) {
    result = DefSubclassProc(hwnd(), msg, wp, lp);
    FitStretchedColumn();
    return true;
  }
  if (msg == WM_NOTIFY && !PlainLook()) {
    auto* header = reinterpret_cast<NMHDR*>(lp);
    if (header->code == NM_CUSTOMDRAW && header->hwndFrom == ListView_GetHeader(hwnd())) {
      result = DrawHeader(reinterpret_cast<NMCUSTOMDRAW*>(header));
      return true;
    }
  }
  if (msg == WM_PRINTCLIENT && !PlainLook()) {
    // Printed (PrintWindow, WM_PRINT) the way the rows are painted; not
    // every list control prints itself.
    auto* dc = reinterpret_cast<HDC>(wp);
    RECT rc;
    GetClientRect(hwnd(), &rc);
    FillRect(dc, &rc, CurrentStyle().Brush(ColorRole::kWindow));
    const int top = ListView_GetTopIndex(hwnd());
    const int last = std::min(item_count(), top + ListView_GetCountPerPage(hwnd()) + 1);
    for (int row = top; row < last; ++row) {
      NMLVCUSTOMDRAW draw{};
      draw.nmcd.hdr.hwndFrom = hwnd();
      draw.nmcd.hdc = dc;
      draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
      draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
      DrawRow(&draw);
    }
    result = 0;
    return true;
  }
  if (msg == WM_KEYDOWN && wp == 'A' && multi_select_ && GetKeyState(VK_CONTROL) < 0) {
    ListView_SetItemState(hwnd(), -1, LVIS_SELECTED, LVIS_SELECTED);  // Ctrl+A: every row
    result = 0;
    return true;
  }
  if (msg == WM_GETDLGCODE) {
    const auto* key = reinterpret_cast<const MSG*>(lp);
    result = DefSubclassProc(hwnd(), msg, wp, lp);
    if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN && on_item_activate)
      result |= DLGC_WANTMESSAGE;
    return true;
  }
  if (msg != WM_CONTEXTMENU || !popup_menu_) return false;
  POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  if (pt.x == -1 && pt.y == -1) {  // from the keyboard: below the selected row
    RECT rc{};
    const int row = item_index();
    if (row >= 0 && ListView_GetItemRect(hwnd(), row, &rc, LVIR_BOUNDS)) {
      pt = {rc.left, rc.bottom};
    }
    ClientToScreen(hwnd(), &pt);
  }
  popup_menu_->Popup(pt.x, pt.y);
  result = 0;
  return true;
}

}  // namespace zandrel::gui

// The list view's columns: created from the definition, sized to their
// captions, to their cells or to what the window leaves.
#include "gui/win32/list_view.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "gui/win32/form.h"
#include "platform/handles.h"

namespace zandrel::gui {

void ListView::InsertColumns() {
  for (int i = 0; i < column_count(); ++i) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_MINWIDTH;
    col.pszText = columns_[i].caption.data();
    col.cx = Scale(std::max(columns_[i].width, columns_[i].min_width));
    col.cxMin = Scale(columns_[i].min_width);
    col.iSubItem = i;
    ListView_InsertColumn(hwnd(), i, &col);
  }
  FitCaptions();
}

int ListView::FittingWidth(int index) const {
  HWND header = ListView_GetHeader(hwnd());
  const auto font =
      reinterpret_cast<HFONT>(SendMessageW(header ? header : hwnd(), WM_GETFONT, 0, 0));
  platform::WindowDC dc(hwnd());
  platform::ScopedSelect select(dc.get(), font);
  const std::wstring& caption = columns_.at(index).caption;
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &size);
  // The header's margins on both sides of its text, and a pixel for the divider.
  return size.cx + Scale(kHeaderTextMargin) * 2 + 1;
}

void ListView::FitCaptions() {
  if (!hwnd()) return;
  for (int i = 0; i < column_count(); ++i) {
    const int needed = std::max(FittingWidth(i), Scale(columns_[i].min_width));
    if (ListView_GetColumnWidth(hwnd(), i) < needed) ListView_SetColumnWidth(hwnd(), i, needed);
  }
  FitStretchedColumn();
}

void ListView::SetColumnCaption(int index, const std::wstring& caption) {
  columns_.at(index).caption = caption;
  if (!hwnd()) return;
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = columns_[index].caption.data();
  ListView_SetColumn(hwnd(), index, &col);
  FitCaptions();
}

void ListView::SetColumnWidth(int index, int width) {
  columns_.at(index);
  if (!hwnd()) return;
  if (width == LVSCW_AUTOSIZE_USEHEADER || width == LVSCW_AUTOSIZE)
    return SizeColumnsToCells(index, index + 1, width);
  ListView_SetColumnWidth(hwnd(), index, Scale(width));
  HoldColumnLimits(index);
}

void ListView::HoldColumnLimits(int index) {
  const Column& c = columns_.at(index);
  // The minimum width, and room for the caption, hold whatever was asked for.
  const int needed = std::max(Scale(c.min_width), FittingWidth(index));
  if (ListView_GetColumnWidth(hwnd(), index) < needed)
    ListView_SetColumnWidth(hwnd(), index, needed);
  if (c.stretch) stretch_natural_ = -1;  // taken afresh from the width just set
  FitStretchedColumn();
}

// The control measures every row with a device context of its own, which
// costs a fraction of a millisecond a row under Wine: seconds for a list of
// thousands. Here one context measures them all; the control then sees only
// the rows within a few pixels of the widest (our measure and its own may
// differ by rounding), so the width it sets is the one it would have set.
// Each change of the row count the control sees costs it tens of
// milliseconds under Wine, so the columns are sized in one go.
// Only for an untouched list: hiding rows from the control for a moment would
// lose a selection or a scroll position.
void ListView::SizeColumnsToCells(int first, int end, int how) {
  for (int c = first; c < end; ++c) columns_.at(c);
  if (!hwnd()) return;
  constexpr int kFewRows = 64;
  const bool untouched = item_count() > kFewRows && ListView_GetSelectedCount(hwnd()) == 0 &&
                         ListView_GetNextItem(hwnd(), -1, LVNI_FOCUSED) < 0 &&
                         ListView_GetTopIndex(hwnd()) == 0;
  // Consecutive columns whose widest rows are known are sized together; a
  // column the control has to measure wholly goes alone, in its turn.
  int column = first;
  while (column < end) {
    std::vector<char> chosen;
    int next = column;
    while (untouched && next < end && ChooseWidestRows(next, kFewRows, chosen)) ++next;
    if (next > column) SizeColumnsSeeingRows(column, next, how, chosen);
    if (next < end) {
      ListView_SetColumnWidth(hwnd(), next, how);
      HoldColumnLimits(next);
      ++next;
    }
    column = next;
  }
}

void ListView::SizeColumnsSeeingRows(int first, int end, int how, std::vector<char>& chosen) {
  // At least a page and one row more, so that the control's scroll bar,
  // and with it the room a column sized to the header fills, stay as they are.
  const auto page = static_cast<std::ptrdiff_t>(ListView_GetCountPerPage(hwnd()) + 1);
  std::ptrdiff_t count = std::count(chosen.begin(), chosen.end(), 1);
  for (char& row : chosen) {
    if (count >= page) break;
    if (!row) {
      row = 1;
      ++count;
    }
  }
  for (std::size_t row = 0; row < chosen.size(); ++row)
    if (chosen[row]) sizing_rows_.push_back(static_cast<int>(row));
  // Nothing is drawn meanwhile: each change of the row count would have the
  // control lay out and draw its rows, tens of milliseconds under Wine.
  BeginUpdate();
  ListView_SetItemCountEx(hwnd(), static_cast<int>(sizing_rows_.size()),
                          LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  for (int column = first; column < end; ++column) {
    ListView_SetColumnWidth(hwnd(), column, how);
    HoldColumnLimits(column);
  }
  sizing_rows_.clear();
  EndUpdate();
}

bool ListView::ChooseWidestRows(int column, int most, std::vector<char>& chosen) const {
  constexpr int kSlackPixels = 4;
  const int rows = item_count();
  std::vector<int> widths(static_cast<std::size_t>(rows), 0);
  {
    platform::WindowDC dc(hwnd());
    platform::ScopedSelect select(dc.get(),
                                  reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
    for (int row = 0; row < rows; ++row) {
      const std::wstring text = ItemText(row, column);
      // The control may take less of a very long text than we measure.
      if (text.size() >= 260) return false;
      SIZE size{};
      GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
      widths[static_cast<std::size_t>(row)] = size.cx;
    }
  }
  const int widest = *std::max_element(widths.begin(), widths.end());
  chosen.resize(static_cast<std::size_t>(rows), 0);
  int taken = 0;
  for (int row = 0; row < rows && taken < most; ++row)
    if (widths[static_cast<std::size_t>(row)] >= widest - kSlackPixels) {
      chosen[static_cast<std::size_t>(row)] = 1;
      ++taken;
    }
  return true;
}

void ListView::FitStretchedColumn() {
  if (!hwnd()) return;
  // What the window grew by beyond its design size: the list's own width
  // passes through other values while the window is laid out.
  const int growth = owner() ? owner()->Growth().cx : 0;
  for (int i = 0; i < column_count(); ++i) {
    if (!columns_[i].stretch) continue;
    // Not before the control has the column.
    if (Header_GetItemCount(ListView_GetHeader(hwnd())) <= i) return;
    if (stretch_natural_ < 0) {
      stretch_natural_ = ListView_GetColumnWidth(hwnd(), i);
      stretch_base_ = growth;
    }
    int width =
        std::max<int>(Scale(columns_[i].min_width), stretch_natural_ + (growth - stretch_base_));
    // With rows on show it also takes whatever the other columns leave, so
    // no strip of bare header remains beside it.
    if (item_count() > 0) {
      RECT client{};
      GetClientRect(hwnd(), &client);
      int others = 0;
      for (int k = 0; k < column_count(); ++k)
        if (k != i) others += ListView_GetColumnWidth(hwnd(), k);
      width = std::max<int>(width, client.right - others);
    }
    if (ListView_GetColumnWidth(hwnd(), i) != width) ListView_SetColumnWidth(hwnd(), i, width);
    return;
  }
}

int ListView::column_width(int index) const {
  return hwnd() ? ListView_GetColumnWidth(hwnd(), index) : 0;
}

}  // namespace zandrel::gui

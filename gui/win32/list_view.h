#pragma once
// A report-style list with whole-row selection and a small-image list. The
// rows live here and the control asks for what it shows (a virtual list):
// handing thousands of rows to the control one cell at a time costs far more
// than the rows themselves on some systems.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/win32/component.h"

namespace zandrel::gui {

class ImageList;
class PopupMenu;

class ListView : public Control {
 public:
  ListView(Form* owner, const ComponentDefinition& def);
  void Resolve(const ComponentDefinition& def) override;

  struct Column {
    std::wstring caption;
    int width = 50;        // at 96 DPI
    int min_width = 0;     // at 96 DPI
    bool stretch = false;  // takes the width the other columns leave
  };
  int column_count() const { return static_cast<int>(columns_.size()); }
  std::wstring column_caption(int index) const { return columns_.at(index).caption; }
  void SetColumnCaption(int index, const std::wstring& caption);
  // Width in design units; LVSCW_AUTOSIZE_USEHEADER sizes to header and cells.
  // The column's minimum width always holds.
  void SetColumnWidth(int index, int width);
  // Sizes the columns [first, end) to their cells (LVSCW_AUTOSIZE or
  // LVSCW_AUTOSIZE_USEHEADER) as SetColumnWidth would one by one.
  void SizeColumnsToCells(int first, int end, int how);
  int column_width(int index) const;  // in pixels
  // Gives the stretched column ("Stretch = true") the room the others leave.
  void FitStretchedColumn();

  // Rows are not drawn between BeginUpdate and EndUpdate; rows added in
  // between reach the control together when it ends.
  void BeginUpdate();
  void EndUpdate();
  void Clear();
  int AddItem(int image_index, const std::vector<std::wstring>& sub_items, LPARAM data);
  int item_count() const;
  // The selected row (the first of several), or -1.
  int item_index() const;
  // The row with the focus rectangle, or -1.
  int focused_row() const;
  // Every selected row, top to bottom.
  std::vector<int> selected_rows() const;
  void SetItemIndex(int index);
  // Scrolls the list so that the row shows.
  void ScrollIntoView(int row);
  std::wstring ItemText(int row, int column) const;
  int ItemImage(int row) const;
  LPARAM ItemData(int row) const;

  // Rows that another object holds, for lists too long to copy: the control
  // asks for each cell's text and each row's image as it shows them. Once a
  // source is set, SetSourceRowCount says how many rows there are and the
  // rows added with AddItem are not shown.
  struct RowSource {
    std::function<std::wstring(int row, int column)> text;
    std::function<int(int row)> image;  // -1 for none
  };
  void SetRowSource(RowSource source);
  // Rows on show stay where they are unless `redraw_all` (the rows changed).
  void SetSourceRowCount(int count, bool redraw_all);
  // A click on a column's header (its index).
  std::function<void(int column)> on_column_click;

  ImageList* small_images() const { return small_images_; }
  // The whole text of a cell whose column is too narrow to show it; empty
  // when it fits. A row's tip shows it for the cell under the mouse.
  std::wstring CutCellText(int row, int column) const;
  Handler on_select_item;
  // The mouse starts dragging the selected rows out of the list.
  Handler on_begin_drag;
  // Enter or a double-click on a row. The list keeps Enter from the
  // window's default button while it has the focus.
  Handler on_item_activate;
  void BindEvents(const HandlerLookup& lookup) override;

  bool OnNotify(NMHDR* header, LRESULT& result) override;
  void ApplyFont() override;
  // Rows, header and background in a named style; the platform's look
  // in the plain one.
  void ApplyStyle() override;
  // The pixel width that shows a column's caption whole in the header.
  int FittingWidth(int index) const;

 protected:
  const wchar_t* WindowClass() const override { return WC_LISTVIEWW; }
  DWORD Style() const override;
  void AfterCreate() override;
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void InsertColumns();
  // Tells the control how many rows there are.
  void ShowRowCount();
  // LVN_GETDISPINFO: what the control shows of one cell.
  void FillDisplayInfo(NMLVDISPINFOW* info) const;
  // LVN_GETINFOTIP: the cut cell under the mouse, whole.
  void FillInfoTip(NMLVGETINFOTIPW* tip) const;
  // A named style's painting: whole rows, and the header's items.
  LRESULT DrawRow(NMLVCUSTOMDRAW* draw);
  LRESULT DrawHeader(NMCUSTOMDRAW* draw);
  // Widens the columns whose captions the header would cut.
  void FitCaptions();
  // The column's minimum width and room for its caption, and the stretched
  // column's share, after its width was set.
  void HoldColumnLimits(int index);
  // For sizing a column to its cells: marks in `chosen` (one entry a row) at
  // most `most` rows the control needs to see, those whose text is widest by
  // our own measure; false when it must see all of them.
  bool ChooseWidestRows(int column, int most, std::vector<char>& chosen) const;
  // Sizes the columns [first, end) to their cells while the control sees only
  // the rows marked in `chosen` (and enough others to fill a page).
  void SizeColumnsSeeingRows(int first, int end, int how, std::vector<char>& chosen);
  static constexpr int kHeaderTextMargin = 6;  // at 96 DPI, each side
  std::vector<Column> columns_;
  // The width the stretched column was last given and how much the window
  // had grown beyond its design size then (pixels): the column grows and
  // shrinks with the window from there.
  bool multi_select_ = false;  // "MultiSelect": several rows at once, Ctrl+A all
  int stretch_natural_ = -1;
  int stretch_base_ = 0;
  ImageList* small_images_ = nullptr;
  PopupMenu* popup_menu_ = nullptr;
  int update_depth_ = 0;
  struct Row {
    int image = -1;
    std::vector<std::wstring> texts;  // one per column; the first column's is empty
    LPARAM data = 0;
  };
  std::vector<Row> rows_;
  RowSource source_;
  int source_rows_ = 0;
  // While a column is sized: the rows the control sees, by index.
  std::vector<int> sizing_rows_;
};

}  // namespace zandrel::gui

#pragma once
// A scrolling sheet of pictures: each entry shows its picture on a
// checkerboard (so that transparency shows), no larger than kMaxSide, with
// lines of text beside it and a check box. The keyboard moves between the
// entries (Up, Down, Home, End, Page Up, Page Down), Space ticks the current
// one, Ctrl+C raises on_copy.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gui/win32/component.h"
#include "platform/handles.h"

namespace zandrel::gui {

class ImageSheet : public Control {
 public:
  static constexpr int kMaxSide = 256;  // larger pictures are scaled down to this

  struct Entry {
    std::uint32_t width = 0;  // of the pixels; 0 for an entry without a picture
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba;  // straight RGBA, top row first
    std::vector<std::wstring> lines;
    bool checked = true;
  };

  using Control::Control;
  ~ImageSheet() override;

  void SetEntries(std::vector<Entry> entries);
  const std::vector<Entry>& entries() const { return entries_; }
  void SetChecked(std::size_t index, bool checked);
  // The entry with the focus, or -1.
  int current() const { return current_; }
  void SetCurrent(int index);

  Handler on_copy;   // Ctrl+C
  Handler on_check;  // a box was ticked or cleared

  void BindEvents(const HandlerLookup& lookup) override;

 protected:
  const wchar_t* WindowClass() const override;
  DWORD Style() const override { return WS_VSCROLL | WS_TABSTOP; }
  DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void ApplyStyle() override;

 private:
  struct Layout {
    int top = 0;  // in the sheet, before scrolling
    int height = 0;
    int side_w = 0;  // the picture's place
    int side_h = 0;
  };
  void Relayout();
  void Paint(HDC dc);
  void PaintEntry(HDC dc, std::size_t index, int y, const RECT& client);
  RECT CheckBoxRect(int y) const;
  void ScrollTo(int y);
  void EnsureVisible(int index);
  int EntryAt(int y) const;

  std::vector<Entry> entries_;
  std::vector<platform::UniqueBitmap> bitmaps_;  // premultiplied copies for AlphaBlend
  std::vector<Layout> layout_;
  int content_height_ = 0;
  int scroll_ = 0;
  int current_ = -1;
};

}  // namespace zandrel::gui

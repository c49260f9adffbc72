#pragma once
// The standard controls the program's windows are made of.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "gui/win32/component.h"
#include "platform/handles.h"

namespace zandrel::gui {

// A tab control without tabs, used as a panel that holds other controls.
class TabStrip : public Control {
 public:
  using Control::Control;
  std::vector<std::wstring_view> TextProperties() const override { return {kHint}; }
  // The (empty) tab list, kept for translators.
  std::vector<std::wstring>& tabs() { return tabs_; }

 protected:
  const wchar_t* WindowClass() const override { return WC_TABCONTROLW; }
  bool IsContainer() const override { return true; }
  RECT ChildArea() const override;
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void Paint(HDC dc, bool with_background);
  std::vector<std::wstring> tabs_;
};

class GroupBox : public Control {
 public:
  using Control::Control;
  std::vector<std::wstring_view> TextProperties() const override { return {kCaption, kHint}; }

 protected:
  const wchar_t* WindowClass() const override { return L"BUTTON"; }
  DWORD Style() const override { return BS_GROUPBOX; }
  bool IsContainer() const override { return true; }
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  RECT ChildArea() const override;

 public:
  // Where the caption is drawn, measured with the box's own font, so it is
  // never cut.
  RECT CaptionRect(HDC dc) const;

 private:
  void Paint(HDC dc);
  static constexpr int kCaptionIndent = 8;  // at 96 DPI
};

class Button : public Control {
 public:
  Button(Form* owner, const ComponentDefinition& def);
  std::vector<std::wstring_view> TextProperties() const override { return {kCaption, kHint}; }
  bool OnCommand(WORD code) override;
  void SetCaption(const std::wstring& caption) { SetText(kCaption, caption); }
  // The default button's look; the form keeps which button is the default.
  void SetDefaultLook(bool is_default);
  // Caption weight, used while the button has the focus.
  void SetBold(bool bold);

 protected:
  const wchar_t* WindowClass() const override { return L"BUTTON"; }
  DWORD Style() const override { return BS_PUSHBUTTON | BS_NOTIFY; }
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  // A named style's look: a rounded face, the accent for the default button.
  void Paint(HDC dc);
  bool hot_ = false;
};

// A flat button that draws itself and never shows a pressed look.
class SpeedButton : public Control {
 public:
  SpeedButton(Form* owner, const ComponentDefinition& def);
  std::vector<std::wstring_view> TextProperties() const override { return {kCaption, kHint}; }
  bool OnCommand(WORD code) override;
  bool OnDrawItem(DRAWITEMSTRUCT* item) override;
  // A free flag kept for the window's own use.
  bool allow_all_up = false;

 protected:
  const wchar_t* WindowClass() const override { return L"BUTTON"; }
  DWORD Style() const override { return BS_OWNERDRAW; }
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  bool hot_ = false;
};

class CheckBox : public Control {
 public:
  CheckBox(Form* owner, const ComponentDefinition& def);
  std::vector<std::wstring_view> TextProperties() const override { return {kCaption, kHint}; }
  bool checked() const;
  // Changing the state runs the click handler, as a user's click does.
  void SetChecked(bool checked);
  bool OnCommand(WORD code) override;
  bool OnControlColor(HDC dc, HBRUSH& brush) override;

 protected:
  const wchar_t* WindowClass() const override { return L"BUTTON"; }
  DWORD Style() const override { return BS_CHECKBOX | BS_NOTIFY; }
  void AfterCreate() override;
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void Paint(HDC dc);
  bool checked_ = false;
};

// Single-line edit.
class Edit : public Control {
 public:
  Edit(Form* owner, const ComponentDefinition& def);
  std::vector<std::wstring_view> TextProperties() const override {
    return {kHint, kText, kTextHint};
  }
  std::wstring GetText(std::wstring_view property) const override;
  std::wstring text() const { return GetText(kText); }
  void SetTextValue(const std::wstring& text) { SetText(kText, text); }
  bool OnControlColor(HDC dc, HBRUSH& brush) override;
  // The text changed, by typing or by the program ("OnChange").
  Handler on_change;
  void BindEvents(const HandlerLookup& lookup) override;
  bool OnCommand(WORD code) override;

 protected:
  const wchar_t* WindowClass() const override { return L"EDIT"; }
  std::wstring_view WindowTextProperty() const override { return kText; }
  DWORD Style() const override;
  DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
  void AfterCreate() override;
  void OnTextChanged(std::wstring_view property) override;
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  bool read_only_ = false;
  bool pressed_ = false;  // the left button went down on the field
};

// The multi-line log. Lines are appended at the end without rewriting the
// whole text, and handed to the edit control in batches: each insertion
// costs the control about as much as a whole batch (it lays out, scrolls
// and redraws its scroll bar), so while a long operation processes messages
// between its steps, lines are handed over at most every
// kBatchIntervalMs. Reading the log, and the program waiting for input,
// hand everything over at once; scrolling to the end comes with the lines
// still held back.
class Memo : public Control {
 public:
  Memo(Form* owner, const ComponentDefinition& def);
  void Clear();
  void AppendLine(const std::wstring& line);
  std::wstring text();
  int line_count();
  void ScrollToEnd();
  bool FlushPending(FlushKind kind) override;
  bool OnControlColor(HDC dc, HBRUSH& brush) override;
  void ApplyStyle() override;

  static constexpr ULONGLONG kBatchIntervalMs = 250;

 protected:
  const wchar_t* WindowClass() const override { return L"EDIT"; }
  DWORD Style() const override;
  DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
  void AfterCreate() override;
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void HandOver();

  bool has_lines_ = false;
  std::wstring pending_;  // lines not yet in the control, each led by a line break
  ULONGLONG handed_at_ = 0;  // GetTickCount64 of the last batch
  bool scroll_to_end_ = false;  // asked for while lines were held back
};

// A progress bar. Its position reaches the control when messages are next
// processed or the bar is repainted; setting it never forces a repaint. The
// control paints itself for each new position, which costs milliseconds on
// some systems, so while an operation runs (kWhenDue) a position is handed
// over only once it changes what the bar shows, its filled width, and at
// most every kFrameIntervalMs; waiting for input hands over the last one.
class ProgressBar : public Control {
 public:
  using Control::Control;
  void SetRange(int min, int max);
  void SetPosition(int position);
  int position() const { return position_; }
  int max() const { return max_; }
  bool FlushPending(FlushKind kind) override;

  static constexpr ULONGLONG kFrameIntervalMs = 33;
  // In a named style the bar is drawn in the style's accent on its frame
  // colour.
  void ApplyStyle() override;

 protected:
  const wchar_t* WindowClass() const override { return PROGRESS_CLASSW; }
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  // The pixels of a bar `bar_width` wide that `position` fills.
  int FilledWidth(int position, int bar_width) const;

  int position_ = 0;
  int min_ = 0;
  int max_ = 100;
  int shown_position_ = 0;
  ULONGLONG shown_at_ = 0;  // GetTickCount64 when a position was last handed over
};

enum class TextAlign { kLeft, kCenter, kRight };
enum class TextLayout { kTop, kCenter, kBottom };

// A label that draws its own text (alignment in both directions, link look).
class Label : public Control {
 public:
  Label(Form* owner, const ComponentDefinition& def);
  std::vector<std::wstring_view> TextProperties() const override { return {kCaption, kHint}; }
  std::wstring caption() const { return GetText(kCaption); }
  void SetCaption(const std::wstring& text) { SetText(kCaption, text); }

 protected:
  const wchar_t* WindowClass() const override;
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void OnTextChanged(std::wstring_view property) override;
  // A label grows to show its whole caption: to the left when right-aligned,
  // to both sides when centred, to the right otherwise.
  void FitToContent(RECT& rect) const override;

 private:
  void Paint(HDC dc);
  TextAlign align_ = TextAlign::kLeft;
  TextLayout layout_ = TextLayout::kTop;
  ColorRole color_ = ColorRole::kWindowText;
};

// A picture: an icon drawn centred and scaled to the control.
class Image : public Control {
 public:
  using Control::Control;
  ~Image() override;
  void SetIcon(platform::UniqueIcon icon);

 protected:
  const wchar_t* WindowClass() const override;
  bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  platform::UniqueIcon icon_;
};

// Registers the window classes of the self-drawn controls.
void RegisterControlClasses();

}  // namespace zandrel::gui

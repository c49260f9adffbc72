#include "gui/win32/controls.h"

#include <commctrl.h>
#include <windowsx.h>
#include <uxtheme.h>

#include <algorithm>
#include <utility>

#include "core/text.h"
#include "gui/win32/application.h"
#include "gui/win32/component_factory.h"
#include "gui/win32/form.h"
#include "gui/win32/paint.h"
#include "platform/handles.h"
#include "platform/wide.h"

namespace zandrel::gui {

namespace {

const wchar_t kLabelClass[] = L"ZandrelLabel";
const wchar_t kImageClass[] = L"ZandrelImage";

using platform::ScopedPaint;
using platform::ScopedSelect;
using platform::WindowDC;

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int TextHeight(HWND hwnd, HFONT font) {
  WindowDC dc(hwnd);
  ScopedSelect select(dc.get(), font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc.get(), &tm);
  return tm.tmHeight;
}

// Text on the window colour (editable edits and the log) or on the face
// (read-only edits and check boxes, which ask with WM_CTLCOLORSTATIC).
HBRUSH ColorsForText(HDC dc, bool on_face) {
  const auto& style = CurrentStyle();
  const ColorRole back = on_face ? ColorRole::kFace : ColorRole::kWindow;
  SetTextColor(dc, style.Color(ColorRole::kWindowText));
  SetBkColor(dc, style.Color(back));
  return style.Brush(back);
}

}  // namespace

void RegisterControlKinds(ComponentFactory& factory) {
  factory.Register<TabStrip>(u"TabStrip");
  factory.Register<GroupBox>(u"GroupBox");
  factory.Register<Button>(u"Button");
  factory.Register<SpeedButton>(u"SpeedButton");
  factory.Register<CheckBox>(u"CheckBox");
  factory.Register<Edit>(u"Edit");
  factory.Register<Memo>(u"Memo");
  factory.Register<ProgressBar>(u"ProgressBar");
  factory.Register<Label>(u"Label");
  factory.Register<Image>(u"Image");
}

void RegisterControlClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  for (const wchar_t* name : {kLabelClass, kImageClass}) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = Application::Instance().instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
  }
}

// --- TabStrip ------------------------------------------------------------------

RECT TabStrip::ChildArea() const {
  RECT r{};
  if (hwnd()) GetClientRect(hwnd(), &r);
  return r;
}

bool TabStrip::SubclassMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  // Without tabs the strip is a panel: the dialog colour with a light frame.
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd(), &rc);
      FillRect(reinterpret_cast<HDC>(wp), &rc, CurrentStyle().Brush(ColorRole::kFace));
      result = TRUE;
      return true;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp), true);
      result = 0;
      return true;
    case WM_PAINT: {
      ScopedPaint paint(hwnd());
      Paint(paint.dc(), false);
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

void TabStrip::Paint(HDC dc, bool with_background) {
  const auto& style = CurrentStyle();
  RECT rc;
  GetClientRect(hwnd(), &rc);
  if (with_background) FillRect(dc, &rc, style.Brush(ColorRole::kFace));
  FrameRect(dc, &rc, style.Brush(ColorRole::kPanelFrame));
}

// --- GroupBox ------------------------------------------------------------------

RECT GroupBox::ChildArea() const {
  RECT r{};
  if (!hwnd()) return r;
  GetClientRect(hwnd(), &r);
  const StyleMetrics& metrics = CurrentStyle().metrics();
  r.top += TextHeight(hwnd(), font_handle()) + Scale(metrics.group_caption_gap);
  InflateRect(&r, -Scale(metrics.group_padding), -Scale(metrics.group_padding));
  return r;
}

bool GroupBox::SubclassMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd(), &rc);
      PaintParentBackground(hwnd(), reinterpret_cast<HDC>(wp), rc);
      result = TRUE;
      return true;
    }
    case WM_PRINTCLIENT: {
      RECT rc;
      GetClientRect(hwnd(), &rc);
      PaintParentBackground(hwnd(), reinterpret_cast<HDC>(wp), rc);
      Paint(reinterpret_cast<HDC>(wp));
      result = 0;
      return true;
    }
    case WM_PAINT: {
      // Drawn here rather than by the system's group box, which measures its
      // caption with a font of its own and may cut the last letters.
      ScopedPaint paint(hwnd());
      Paint(paint.dc());
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

RECT GroupBox::CaptionRect(HDC dc) const {
  const std::wstring caption = GetText(kCaption);
  ScopedSelect select(dc, font_handle());
  SIZE size{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  const int left = Scale(kCaptionIndent);
  return RECT{left, 0, left + size.cx, size.cy};
}

void GroupBox::Paint(HDC dc) {
  const auto& style = CurrentStyle();
  RECT rc;
  GetClientRect(hwnd(), &rc);
  const std::wstring caption = GetText(kCaption);
  RECT text = CaptionRect(dc);
  RECT frame = rc;
  frame.top = (text.bottom - text.top) / 2;
  if (style.plain()) {
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  } else {
    FrameRect(dc, &frame, style.Brush(ColorRole::kPanelFrame));
  }
  if (caption.empty()) return;
  // The frame stops short of the caption on both sides.
  RECT gap{text.left - Scale(2), text.top, text.right + Scale(2), text.bottom};
  PaintParentBackground(hwnd(), dc, gap);
  ScopedSelect select(dc, font_handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, style.Color(enabled() ? ColorRole::kFaceText : ColorRole::kGrayText));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

// --- Button --------------------------------------------------------------------

Button::Button(Form* owner, const ComponentDefinition& def) : Control(owner, def) {}

bool Button::OnCommand(WORD code) {
  switch (code) {
    case BN_CLICKED:
      FireEvent(on_click);
      return true;
    case BN_SETFOCUS:
      FireEvent(on_enter);
      return true;
    case BN_KILLFOCUS:
      FireEvent(on_exit);
      return true;
    default:
      return false;
  }
}

void Button::SetDefaultLook(bool is_default) {
  if (!hwnd()) return;
  SendMessageW(hwnd(), BM_SETSTYLE, (is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY,
               TRUE);
}

bool Button::SubclassMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (TrackHot(hwnd(), msg, hot_) && !PlainLook()) Invalidate();
  return StyledPaintMessage(hwnd(), msg, wp, result, [this](HDC dc) { Paint(dc); });
}

void Button::Paint(HDC dc) {
  const auto& style = CurrentStyle();
  RECT rc;
  GetClientRect(hwnd(), &rc);
  PaintParentBackground(hwnd(), dc, rc);
  // The dialog manager moves the default look between buttons as the focus
  // moves, so the window style says which button has it now.
  const bool is_default =
      (GetWindowLongW(hwnd(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON && enabled();
  const auto state = SendMessageW(hwnd(), BM_GETSTATE, 0, 0);
  const bool pressed = (state & BST_PUSHED) != 0;
  ColorRole fill = ColorRole::kButtonFace;
  ColorRole text = enabled() ? ColorRole::kFaceText : ColorRole::kGrayText;
  if (is_default) {
    fill = ColorRole::kAccent;
    text = ColorRole::kAccentText;
  } else if (enabled() && (pressed || hot_)) {
    fill = ColorRole::kMenuHot;
  }
  FillRounded(dc, rc, fill, is_default ? ColorRole::kAccent : ColorRole::kButtonFrame, Scale(4));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, style.Color(text));
  platform::ScopedSelect select(dc, font_handle());
  const std::wstring caption = GetText(kCaption);
  RECT box = rc;
  if (pressed) OffsetRect(&box, 0, 1);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &box,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (GetFocus() == hwnd()) {
    InflateRect(&rc, -Scale(3), -Scale(3));
    SetTextColor(dc, style.Color(text));
    SetBkColor(dc, style.Color(fill));
    DrawFocusRect(dc, &rc);
  }
}

void Button::SetBold(bool bold) {
  FontSpec f = font();
  if (f.bold == bold) return;
  f.bold = bold;
  SetFont(f);
}

// --- SpeedButton ---------------------------------------------------------------

SpeedButton::SpeedButton(Form* owner, const ComponentDefinition& def) : Control(owner, def) {}

bool SpeedButton::OnCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  FireEvent(on_click);
  return true;
}

bool SpeedButton::OnDrawItem(DRAWITEMSTRUCT* item) {
  HDC dc = item->hDC;
  RECT rc = item->rcItem;
  const auto& style = CurrentStyle();
  PaintParentBackground(hwnd(), dc, rc);
  if (hot_ && enabled()) FillRect(dc, &rc, style.Brush(ColorRole::kHotFace));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, style.Color(enabled() ? ColorRole::kFaceText : ColorRole::kGrayText));
  ScopedSelect select(dc, font_handle());
  const std::wstring caption = GetText(kCaption);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rc,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (item->itemState & ODS_FOCUS) {
    InflateRect(&rc, -Scale(2), -Scale(2));
    SetTextColor(dc, style.Color(ColorRole::kFaceText));
    SetBkColor(dc, style.Color(ColorRole::kFace));
    DrawFocusRect(dc, &rc);
  }
  return true;
}

bool SpeedButton::SubclassMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
  if (TrackHot(hwnd(), msg, hot_)) Invalidate();
  return false;
}

// --- CheckBox ------------------------------------------------------------------

CheckBox::CheckBox(Form* owner, const ComponentDefinition& def)
    : Control(owner, def), checked_(def.Boolean(u"Checked", false)) {}

void CheckBox::AfterCreate() {
  SendMessageW(hwnd(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CheckBox::checked() const {
  return checked_;
}

void CheckBox::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  if (hwnd()) SendMessageW(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  FireEvent(on_click);
}

bool CheckBox::OnControlColor(HDC dc, HBRUSH& brush) {
  brush = ColorsForText(dc, true);
  return true;
}

bool CheckBox::SubclassMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  return StyledPaintMessage(hwnd(), msg, wp, result, [this](HDC dc) { Paint(dc); });
}

void CheckBox::Paint(HDC dc) {
  const auto& style = CurrentStyle();
  RECT rc;
  GetClientRect(hwnd(), &rc);
  PaintParentBackground(hwnd(), dc, rc);
  const int side = Scale(13);
  RECT box{rc.left, (rc.top + rc.bottom - side) / 2, rc.left + side, 0};
  box.bottom = box.top + side;
  if (checked_) {
    FillRounded(dc, box, enabled() ? ColorRole::kAccent : ColorRole::kGrayText,
                enabled() ? ColorRole::kAccent : ColorRole::kGrayText, Scale(2));
    DrawTick(dc, box, enabled() ? ColorRole::kAccentText : ColorRole::kFace);
  } else {
    FillRounded(dc, box, ColorRole::kWindow, ColorRole::kGrayText, Scale(2));
  }
  const std::wstring caption = GetText(kCaption);
  platform::ScopedSelect select(dc, font_handle());
  RECT text{box.right + Scale(5), rc.top, rc.right, rc.bottom};
  RECT needed = text;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &needed,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_CALCRECT);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, style.Color(enabled() ? ColorRole::kFaceText : ColorRole::kGrayText));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (GetFocus() == hwnd()) {
    const int height = needed.bottom - needed.top;
    RECT focus{text.left - 1, (rc.top + rc.bottom - height) / 2 - 1,
               std::min(text.left + (needed.right - needed.left) + 1, rc.right),
               (rc.top + rc.bottom + height) / 2 + 1};
    SetTextColor(dc, style.Color(ColorRole::kFaceText));
    SetBkColor(dc, style.Color(ColorRole::kFace));
    DrawFocusRect(dc, &focus);
  }
}

bool CheckBox::OnCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  SetChecked(!checked_);
  return true;
}

// --- Edit ----------------------------------------------------------------------

Edit::Edit(Form* owner, const ComponentDefinition& def)
    : Control(owner, def), read_only_(def.Boolean(u"ReadOnly", false)) {}

DWORD Edit::Style() const {
  return ES_AUTOHSCROLL | (read_only_ ? ES_READONLY : 0);
}

void Edit::AfterCreate() {
  const std::wstring cue = Component::GetText(kTextHint);
  if (!cue.empty())
    SendMessageW(hwnd(), EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
}

std::wstring Edit::GetText(std::wstring_view property) const {
  if (property == kText && hwnd()) {
    const int n = GetWindowTextLengthW(hwnd());
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd(), text.data(), n + 1);
    text.resize(static_cast<std::size_t>(got));
    return text;
  }
  return Component::GetText(property);
}

void Edit::OnTextChanged(std::wstring_view property) {
  if (!hwnd()) return;
  if (property == kTextHint)
    SendMessageW(hwnd(), EM_SETCUEBANNER, TRUE,
                 reinterpret_cast<LPARAM>(Component::GetText(kTextHint).c_str()));
}

void Edit::BindEvents(const HandlerLookup& lookup) {
  Control::BindEvents(lookup);
  on_change = lookup(u"OnChange");
}

bool Edit::OnCommand(WORD code) {
  if (code != EN_CHANGE || !on_change) return false;
  FireEvent(on_change);
  return true;
}

bool Edit::OnControlColor(HDC dc, HBRUSH& brush) {
  brush = ColorsForText(dc, read_only_);
  return true;
}

bool Edit::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (on_click) {
    switch (msg) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        pressed_ = true;
        break;
      case WM_LBUTTONUP: {
        // A click is a press and a release on the field: a release alone (the
        // end of a double-click in a dialog that closed over the field) is not.
        const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        RECT client{};
        GetClientRect(hwnd(), &client);
        if (std::exchange(pressed_, false) && PtInRect(&client, at)) {
          const LRESULT up = DefSubclassProc(hwnd(), msg, wp, lp);
          FireEvent(on_click);
          result = up;
          return true;
        }
        break;
      }
      case WM_CAPTURECHANGED:
      case WM_KILLFOCUS:
        pressed_ = false;
        break;
      case WM_GETDLGCODE: {
        // Enter and Space reach a field that acts on a click, like a button.
        const auto* key = reinterpret_cast<const MSG*>(lp);
        result = DefSubclassProc(hwnd(), msg, wp, lp);
        if (key && key->message == WM_KEYDOWN &&
            (key->wParam == VK_RETURN || key->wParam == VK_SPACE))
          result |= DLGC_WANTMESSAGE;
        return true;
      }
      case WM_KEYDOWN:
        if (wp == VK_RETURN || wp == VK_SPACE) {
          FireEvent(on_click);
          result = 0;
          return true;
        }
        break;
      case WM_CHAR:
        if (wp == L'\r' || wp == L' ') {
          result = 0;
          return true;
        }
        break;
      default:
        break;
    }
  }
  return StyledEdgeMessage(hwnd(), msg, wp, lp,
                           read_only_ ? ColorRole::kFace : ColorRole::kWindow, result);
}

// --- Memo ----------------------------------------------------------------------

Memo::Memo(Form* owner, const ComponentDefinition& def) : Control(owner, def) {}

DWORD Memo::Style() const {
  return ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL | WS_VSCROLL;
}

void Memo::AfterCreate() {
  SendMessageW(hwnd(), EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
}

void Memo::ApplyStyle() {
  ApplyScrollBarTheme(hwnd());
}

bool Memo::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (StyledEdgeMessage(hwnd(), msg, wp, lp, ColorRole::kWindow, result)) return true;
  if (msg != WM_GETDLGCODE) return false;
  // A multi-line edit asks for every key; the log is read-only, so Tab moves
  // on and Esc reaches the window as in any dialog.
  result = DefSubclassProc(hwnd(), msg, wp, lp) & ~DLGC_WANTTAB;
  const auto* key = reinterpret_cast<const MSG*>(lp);
  if (key && key->message == WM_KEYDOWN && (key->wParam == VK_TAB || key->wParam == VK_ESCAPE))
    result &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
  return true;
}

bool Memo::OnControlColor(HDC dc, HBRUSH& brush) {
  brush = ColorsForText(dc, false);
  return true;
}

void Memo::Clear() {
  Application::Instance().RemovePending(this);
  pending_.clear();
  scroll_to_end_ = false;
  if (hwnd()) SetWindowTextW(hwnd(), L"");
  has_lines_ = false;
}

void Memo::AppendLine(const std::wstring& line) {
  if (!hwnd()) return;
  if (has_lines_ || !pending_.empty() || GetWindowTextLengthW(hwnd()) > 0) pending_ += L"\r\n";
  pending_ += line;
  has_lines_ = true;
  Application::Instance().AddPending(this);
}

bool Memo::FlushPending(FlushKind kind) {
  if (kind == FlushKind::kWhenDue && !pending_.empty() &&
      GetTickCount64() - handed_at_ < kBatchIntervalMs)
    return false;
  HandOver();
  return true;
}

void Memo::HandOver() {
  Application::Instance().RemovePending(this);
  if (pending_.empty() || !hwnd()) return;
  const int length = GetWindowTextLengthW(hwnd());
  SendMessageW(hwnd(), EM_SETSEL, length, length);
  SendMessageW(hwnd(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pending_.c_str()));
  pending_.clear();
  handed_at_ = GetTickCount64();
  if (scroll_to_end_) {
    scroll_to_end_ = false;
    ScrollToEnd();
  }
}

std::wstring Memo::text() {
  if (!hwnd()) return {};
  HandOver();
  const int n = GetWindowTextLengthW(hwnd());
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd(), text.data(), n + 1);
  text.resize(static_cast<std::size_t>(got));
  return text;
}

int Memo::line_count() {
  HandOver();
  return hwnd() ? static_cast<int>(SendMessageW(hwnd(), EM_GETLINECOUNT, 0, 0)) : 0;
}

void Memo::ScrollToEnd() {
  if (!hwnd()) return;
  // With lines still held back, the scroll comes with them.
  if (!pending_.empty()) {
    scroll_to_end_ = true;
    return;
  }
  SendMessageW(hwnd(), EM_LINESCROLL, 0, SendMessageW(hwnd(), EM_GETLINECOUNT, 0, 0));
}

// --- ProgressBar ---------------------------------------------------------------

void ProgressBar::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  if (hwnd()) SendMessageW(hwnd(), PBM_SETRANGE32, min, max);
}

void ProgressBar::SetPosition(int position) {
  position_ = position;
  if (position_ != shown_position_) Application::Instance().AddPending(this);
}

int ProgressBar::FilledWidth(int position, int bar_width) const {
  if (max_ <= min_) return 0;
  return MulDiv(bar_width, std::clamp(position, min_, max_) - min_, max_ - min_);
}

bool ProgressBar::FlushPending(FlushKind kind) {
  if (!hwnd() || position_ == shown_position_) return true;
  const ULONGLONG now = GetTickCount64();
  if (kind == FlushKind::kWhenDue) {
    if (now - shown_at_ < kFrameIntervalMs) return false;
    RECT rc{};
    GetClientRect(hwnd(), &rc);
    if (FilledWidth(position_, rc.right) == FilledWidth(shown_position_, rc.right)) return false;
  }
  SendMessageW(hwnd(), PBM_SETPOS, position_, 0);
  shown_position_ = position_;
  shown_at_ = now;
  return true;
}

void ProgressBar::ApplyStyle() {
  Invalidate();
}

bool ProgressBar::SubclassMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  // The platform's bar takes colours only without its theme, and not on
  // every system; in a named style the bar is drawn here.
  return StyledPaintMessage(hwnd(), msg, wp, result, [this](HDC dc) {
    const auto& style = CurrentStyle();
    RECT rc;
    GetClientRect(hwnd(), &rc);
    FillRect(dc, &rc, style.Brush(ColorRole::kPanelFrame));
    PBRANGE range{};
    SendMessageW(hwnd(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const auto position = static_cast<int>(SendMessageW(hwnd(), PBM_GETPOS, 0, 0));
    if (range.iHigh <= range.iLow || position <= range.iLow) return;
    const int done = std::min(position, range.iHigh) - range.iLow;
    RECT bar = rc;
    bar.right = rc.left + MulDiv(rc.right - rc.left, done, range.iHigh - range.iLow);
    FillRect(dc, &bar, style.Brush(ColorRole::kAccent));
  });
}

// --- Label ---------------------------------------------------------------------

Label::Label(Form* owner, const ComponentDefinition& def) : Control(owner, def) {
  const std::u16string a = def.Word(u"Alignment", u"left");
  align_ = a == u"center"  ? TextAlign::kCenter
           : a == u"right" ? TextAlign::kRight
                           : TextAlign::kLeft;
  const std::u16string l = def.Word(u"Layout", u"top");
  layout_ = l == u"center"   ? TextLayout::kCenter
            : l == u"bottom" ? TextLayout::kBottom
                             : TextLayout::kTop;
  const std::u16string c = def.Word(u"FontColor", u"default");
  if (c == u"blue")
    color_ = ColorRole::kLinkText;
  else if (c == u"black")
    color_ = ColorRole::kStrongText;
}

const wchar_t* Label::WindowClass() const {
  RegisterControlClasses();
  return kLabelClass;
}

void Label::OnTextChanged(std::wstring_view) {
  // A placed label may grow to the new text; either way the text is drawn
  // again (a layout that keeps the rectangle repaints nothing).
  if (parent() && align() == Align::kNone) parent()->LayoutChildren();
  Invalidate();
}

void Label::FitToContent(RECT& rect) const {
  if (!hwnd()) return;
  const std::wstring text = GetText(kCaption);
  RECT needed{0, 0, 0, 0};
  {
    WindowDC dc(hwnd());
    ScopedSelect select(dc.get(), font_handle());
    // Measured the way Paint draws it.
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  }
  const LONG missing = (needed.right - needed.left) - (rect.right - rect.left);
  if (missing <= 0) return;
  if (align_ == TextAlign::kRight) {
    rect.left -= missing;
  } else if (align_ == TextAlign::kCenter) {
    rect.left -= missing / 2;
    rect.right += missing - missing / 2;
  } else {
    rect.right += missing;
  }
}

void Label::Paint(HDC dc) {
  RECT rc;
  GetClientRect(hwnd(), &rc);
  PaintParentBackground(hwnd(), dc, rc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, CurrentStyle().Color(color_));
  ScopedSelect select(dc, font_handle());
  const std::wstring text = caption();
  UINT flags = DT_SINGLELINE | DT_NOPREFIX;
  flags |= align_ == TextAlign::kCenter  ? DT_CENTER
           : align_ == TextAlign::kRight ? DT_RIGHT
                                         : DT_LEFT;
  flags |= layout_ == TextLayout::kCenter   ? DT_VCENTER
           : layout_ == TextLayout::kBottom ? DT_BOTTOM
                                            : DT_TOP;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags);
}

bool Label::SubclassMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg == WM_LBUTTONUP) FireEvent(on_click);
  return SelfPaintMessage(hwnd(), msg, wp, result, [this](HDC dc) { Paint(dc); });
}

// --- Image ---------------------------------------------------------------------

Image::~Image() = default;

const wchar_t* Image::WindowClass() const {
  RegisterControlClasses();
  return kImageClass;
}

void Image::SetIcon(platform::UniqueIcon icon) {
  icon_ = std::move(icon);
  Invalidate();
}

bool Image::SubclassMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  return SelfPaintMessage(hwnd(), msg, wp, result, [this](HDC dc) {
    RECT rc;
    GetClientRect(hwnd(), &rc);
    PaintParentBackground(hwnd(), dc, rc);
    if (!icon_) return;
    const int side = std::min(rc.right - rc.left, rc.bottom - rc.top);
    DrawIconEx(dc, (rc.right - side) / 2, (rc.bottom - side) / 2, icon_.get(), side, side, 0,
               nullptr, DI_NORMAL);
  });
}

}  // namespace zandrel::gui

#include "src/controls/KwRadioButton.h"

#include <algorithm>

#include "platform/rtl/AnsiText.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/StdCtrlsPublish.h"
#include "platform/vcl/WindowPicture.h"

using namespace kw_stdctrls;

KW_REGISTER_CLASS(TKwRadioButton)

void TKwRadioButton::PublishMembers(TPublisher<TKwRadioButton>& P) {
  PublishVisual(P, clBtnFace);
  PublishWinControl(P, false);
  PublishCaption(P);
  P.Property("Alignment", &TKwRadioButton::Alignment, &TKwRadioButton::SetAlignment).Default(taRightSide);
  P.Property("Checked", &TKwRadioButton::Checked, &TKwRadioButton::SetChecked).Default(false);
  P.Property("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Default(false);
}

const TMessageTable& TKwRadioButton::StaticMessageTable() {
  using ThisClass = TKwRadioButton;
  static const TMessageTable table(&TButtonControl::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(CM_DIALOGCHAR, CMDialogChar),
                                   });
  return table;
}

TKwRadioButton::TKwRadioButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 113, 17); }

void TKwRadioButton::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  SetTabStop(Value);
  if (!Value || ComponentState().Contains(csLoading)) return;
  // Only buttons of this family: the system groups radio windows by parent,
  // but the platform's own radio buttons keep their state.
  if (TWinControl* parent = Parent()) {
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* other = ObjectAs<TKwRadioButton>(parent->Controls(i)); other && other != this)
        other->SetChecked(false);
  }
  if (!FClicksDisabled) Click();
}

void TKwRadioButton::ButtonClicked() { SetChecked(true); }

void TKwRadioButton::KeyUp(unsigned short& Key, TShiftState Shift) {
  TButtonControl::KeyUp(Key, Shift);
  if (Key == VK_SPACE) ButtonClicked();
}

void TKwRadioButton::Loaded() {
  TButtonControl::Loaded();
  // A description may check several; the last one read wins.
  if (FChecked && Parent())
    for (int i = 0; i < Parent()->ControlCount(); ++i)
      if (auto* other = ObjectAs<TKwRadioButton>(Parent()->Controls(i));
          other && other != this && other->FChecked && !other->ComponentState().Contains(csLoading)) {
        other->FChecked = false;
        other->SetTabStop(false);
      }
}

void TKwRadioButton::CMDialogChar(TMessage& Message) {
  // The accelerator is the character after a single "&" of the caption.
  AnsiString caption = Caption();
  char accel = 0;
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    accel = caption[i + 1];
    break;
  }
  if (accel && AnsiUpperCase(AnsiString(1, accel)) == AnsiUpperCase(AnsiString(1, static_cast<char>(Message.WParam))) &&
      CanFocus()) {
    SetFocus();
    Message.Result = 1;
  }
}

int TKwRadioButton::CaptionIndent(int Size) {
  struct TStep {
    int From, To, Indent;
  };
  static const TStep steps[] = {
      {1, 8, 17},   {9, 15, 19},  {16, 17, 20}, {18, 23, 21}, {24, 29, 23}, {30, 35, 25},
      {36, 41, 27}, {42, 43, 29}, {44, 60, 31}, {61, 80, 39},
  };
  for (const TStep& s : steps)
    if (Size >= s.From && Size <= s.To) return s.Indent;
  return 44;
}

void TKwRadioButton::PaintCaption(TCanvas& Canvas, const TRect& ClientRect) const {
  TRect r = ClientRect;
  r.Left += CaptionIndent(Font()->Size());
  Canvas.Brush()->SetColor(Color());
  Canvas.Brush()->SetStyle(bsSolid);
  Canvas.Pen()->SetColor(Color());
  Canvas.Rectangle(r.Left - 4, r.Top - 4, r.Right + 4, r.Bottom + 4);
  Canvas.SetFont(Font());
  Canvas.Brush()->SetStyle(bsClear);
  Canvas.DrawText(Caption(), r, DT_SINGLELINE | DT_VCENTER);
}

// ---- Painting ---------------------------------------------------------------------

namespace {

// What the system paints (the circle and its text), then the control's own
// caption over the text.
void PaintKwRadioButton(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& b = static_cast<TKwRadioButton&>(C);
  DrawCheckControl(Canvas, C, R, b.Caption(), b.Checked() ? 1 : 0, true);
  TRect clip = Canvas.ClipRect();
  TPoint origin = Canvas.Origin();
  // The covering rectangle reaches 4 pixels past the control: keep it inside.
  TRect own{origin.X + R.Left, origin.Y + R.Top, origin.X + R.Right, origin.Y + R.Bottom};
  Canvas.SetClipRect({std::max(clip.Left, own.Left), std::max(clip.Top, own.Top), std::min(clip.Right, own.Right),
                      std::min(clip.Bottom, own.Bottom)});
  b.PaintCaption(Canvas, R);
  Canvas.SetClipRect(clip);
}

[[maybe_unused]] const bool kPainterRegistered =
    (RegisterControlPainter(TKwRadioButton::StaticClass(), &PaintKwRadioButton), true);

}  // namespace

#pragma once
// Publishing shared by the standard control classes: the groups of properties
// and events most controls show in their descriptions. Include only in .cpp
// files (it pulls in Publisher.h).

#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Publisher.h"

namespace kw_stdctrls {

// Visibility, enabled state, alignment, colour, font, hints and the mouse
// events of every visible control.
template <class C>
void PublishVisual(TPublisher<C>& P, TColor DefaultColor) {
  P.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  P.Property("Color", &TControl::Color, &TControl::SetColor).Type(TypeInfo_TColor()).Default(DefaultColor);
  P.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
  P.Property("Font", &TControl::Font, &TControl::SetFont);
  P.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
  P.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
  P.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
  P.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
  P.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  P.Property("OnClick", &TControl::OnClick, &TControl::OnClick);
  P.Property("OnDblClick", &TControl::OnDblClick, &TControl::OnDblClick);
}

// Tab order, tab stop and the focus and key events of a windowed control.
template <class C>
void PublishWinControl(TPublisher<C>& P, bool DefaultTabStop) {
  P.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
  P.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(DefaultTabStop);
  P.Property("OnEnter", &TWinControl::OnEnter, &TWinControl::OnEnter);
  P.Property("OnExit", &TWinControl::OnExit, &TWinControl::OnExit);
  P.Property("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::OnKeyDown);
  P.Property("OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::OnKeyPress);
  P.Property("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::OnKeyUp);
}

template <class C>
void PublishCaption(TPublisher<C>& P) {
  P.Property("Caption", &TControl::Caption, &TControl::SetCaption);
}

template <class C>
void PublishText(TPublisher<C>& P) {
  P.Property("Text", &TControl::Text, &TControl::SetText);
}

}  // namespace kw_stdctrls

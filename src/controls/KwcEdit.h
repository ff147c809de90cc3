#pragma once
// Data edits with their own caption label, and with a lookup button beside
// them. The label and the button are components the edit owns; they sit in
// the edit's parent and follow its place, enabled state and visibility.

#include "platform/db/DBCtrls.h"

class TGSpeedButton;

enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };
KW_DECLARE_TYPEINFO(TLabelPosition)

// A data edit that carries a label ("EditLabel") with its caption.
class TKwDBEdit : public TDBEdit {
  KW_DECLARE_CLASS(TKwDBEdit, TDBEdit)
 public:
  static void PublishMembers(TPublisher<TKwDBEdit>& P);
  explicit TKwDBEdit(TComponent* AOwner);
  ~TKwDBEdit() override;

  // The label's text (not the edit's: Text is that).
  AnsiString Caption() const;
  void SetCaption(const AnsiString& Value);
  TLabelPosition LabelPosition() const { return FLabelPosition; }
  void SetLabelPosition(TLabelPosition Value);
  // A negative spacing is ignored.
  int LabelSpacing() const { return FLabelSpacing; }
  void SetLabelSpacing(int Value);
  // nullptr once the label was freed.
  TLabel* EditLabel() const { return FEditLabel; }

  // While the form is designed this also sets Caption to the field's label.
  void SetDataField(const AnsiString& Value);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetParent(TWinControl* AParent) override;
  void SetVisible(bool Value) override;
  void SetEnabled(bool Value) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Places the label (and, in the button edit, the button) by the edit.
  virtual void PlaceAttached();
  // The parent, enabled state and visibility for the attached controls.
  virtual void FollowEdit();
  void PlaceLabel();

 private:
  TLabel* FEditLabel = nullptr;
  TLabelPosition FLabelPosition = lpLeft;
  int FLabelSpacing = 4;
};

// A data edit with a lookup button ("F2Button") right of it; the button's
// click calls OnDialog or, without one, asks the owner window for the
// edit's lookup.
class TKwBtnDBEdit : public TKwDBEdit {
  KW_DECLARE_CLASS(TKwBtnDBEdit, TKwDBEdit)
 public:
  static void PublishMembers(TPublisher<TKwBtnDBEdit>& P);
  explicit TKwBtnDBEdit(TComponent* AOwner);
  ~TKwBtnDBEdit() override;

  int ButtonSpacing() const { return FButtonSpacing; }
  void SetButtonSpacing(int Value);
  int GlyphIndex() const;
  void SetGlyphIndex(int Value);
  AnsiString ButtonHint() const;
  void SetButtonHint(const AnsiString& Value);
  // nullptr once the button was freed.
  TGSpeedButton* Button() const { return FButton; }

  TNotifyEvent OnDialog;
  // What the button's click does.
  void DoDialog();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PlaceAttached() override;
  void FollowEdit() override;

 private:
  static void ButtonClick(void* Data, TObject* Sender);
  TGSpeedButton* FButton = nullptr;
  int FButtonSpacing = 2;
  int FGlyphIndex = 8;
};

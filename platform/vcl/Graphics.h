#pragma once
// Fonts as controls carry them. This is the small part the window layer needs
// (name, height and size, charset, colour, style, pitch, change notification);
// the drawing layer builds on the same class.

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Object.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/IdentMaps.h"
#include "platform/vcl/Sets.h"
#include "platform/vcl/TypeInfo.h"

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };

KW_DECLARE_TYPEINFO(TFontStyle)
KW_DECLARE_TYPEINFO(TFontStyles)
KW_DECLARE_TYPEINFO(TFontPitch)

template <class C>
class TPublisher;

class TFont : public TPersistent {
  KW_DECLARE_CLASS(TFont, TPersistent)
 public:
  static void PublishMembers(TPublisher<TFont>& P);

 public:
  TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value);
  // Negative: the character height in pixels; positive: the cell height.
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  // Points; derived from Height through PixelsPerInch.
  int Size() const;
  void SetSize(int Value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : 96; }

  // Copies another font (one change notification).
  void Assign(const TPersistent* Source) override;
  bool SameAs(const TFont& Other) const;

  // Told after every change.
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();

 private:
  AnsiString FName = "MS Sans Serif";
  int FHeight = -11;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  TFontPitch FPitch = fpDefault;
  int FPixelsPerInch = 96;
};

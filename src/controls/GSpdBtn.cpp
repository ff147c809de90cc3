#include "src/controls/GSpdBtn.h"

#include <algorithm>
#include <mutex>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/DynLib.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/StdCtrlsPublish.h"
#include "platform/vcl/WindowPicture.h"

// The image library's C interface. The library hands each picture over as a
// complete BMP file through the target's Assign call, so neither side needs
// the other's bitmap class; Assign answers non-zero when it took the picture.
extern "C" {
struct BitmoraBitmap {
  void* Context;
  int (*Assign)(void* Context, const void* BmpBytes, unsigned long Length);
};
}

namespace {

using TGetMaxBmpID = int (*)();
using TLoadBmp = int (*)(BitmoraBitmap* Bitmap, int Index);

struct TBitmoraLibrary {
  std::mutex Lock;
  std::vector<AnsiString> Folders;
  bool Tried = false;
  HMODULE Module = nullptr;
  TGetMaxBmpID GetMaxBmpID = nullptr;
  TLoadBmp LoadBmp = nullptr;

  // Call with Lock held.
  void Load() {
    if (Tried) return;
    Tried = true;
    Module = LoadLibrary("Bitmora.dll", Folders, reinterpret_cast<const void*>(&BitmoraMaxBmpID));
    if (!Module) return;
    GetMaxBmpID = reinterpret_cast<TGetMaxBmpID>(GetProcAddress(Module, "GetMaxBmpID"));
    LoadBmp = reinterpret_cast<TLoadBmp>(GetProcAddress(Module, "LoadBmp"));
    if (!GetMaxBmpID || !LoadBmp) {
      FreeLibrary(Module);
      Module = nullptr;
      GetMaxBmpID = nullptr;
      LoadBmp = nullptr;
    }
  }
  void Unload() {
    if (Module) FreeLibrary(Module);
    Module = nullptr;
    GetMaxBmpID = nullptr;
    LoadBmp = nullptr;
    Tried = false;
  }
  ~TBitmoraLibrary() { Unload(); }
};

TBitmoraLibrary& Library() {
  static TBitmoraLibrary library;
  return library;
}

// What the library's Assign call reports back: an exception cannot cross the
// C boundary, so a picture that does not decode is carried out as a message.
struct TLoadTarget {
  TBitmap* Bitmap;
  bool Failed = false;
  AnsiString Error;
};

int AssignBmp(void* Context, const void* BmpBytes, unsigned long Length) {
  auto* target = static_cast<TLoadTarget*>(Context);
  try {
    target->Bitmap->LoadFromBytes(AnsiString(static_cast<const char*>(BmpBytes), Length));
    return 1;
  } catch (const Exception& E) {
    target->Failed = true;
    target->Error = E.Message;
  } catch (...) {
    target->Failed = true;
  }
  return 0;
}

}  // namespace

void SetBitmoraFolders(const std::vector<AnsiString>& Folders) {
  TBitmoraLibrary& lib = Library();
  std::lock_guard<std::mutex> guard(lib.Lock);
  lib.Unload();
  lib.Folders = Folders;
}

int BitmoraMaxBmpID() {
  TBitmoraLibrary& lib = Library();
  std::lock_guard<std::mutex> guard(lib.Lock);
  lib.Load();
  return lib.GetMaxBmpID ? lib.GetMaxBmpID() : 0;
}

bool BitmoraLoadBmp(TBitmap& Bitmap, int Index) {
  TLoadBmp load;
  {
    TBitmoraLibrary& lib = Library();
    std::lock_guard<std::mutex> guard(lib.Lock);
    lib.Load();
    load = lib.LoadBmp;
  }
  if (!load) return false;
  TLoadTarget target{&Bitmap, false, {}};
  BitmoraBitmap handle{&target, &AssignBmp};
  bool ok = load(&handle, Index) != 0;
  if (target.Failed) throw EInvalidGraphic(target.Error.empty() ? AnsiString("Bitmap image is not valid") : target.Error);
  return ok && !Bitmap.Empty();
}

// ---- TGSpeedButton ----------------------------------------------------------------

KW_REGISTER_CLASS(TGSpeedButton)

void TGSpeedButton::PublishMembers(TPublisher<TGSpeedButton>& P) {
  // The picture comes from the library by number: a description keeps the
  // number, never the pixels.
  P.Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph).Stored(false);
  P.Property("GlyphIndex", &TGSpeedButton::GlyphIndex, &TGSpeedButton::SetGlyphIndex).Default(0);
  P.Property("HintIndex", &TGSpeedButton::HintIndex, &TGSpeedButton::SetHintIndex).Default(0);
}

TGSpeedButton::TGSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

void TGSpeedButton::SetGlyphIndex(int Value) {
  if (Value == FGlyphIndex) return;
  FGlyphIndex = Value;
  SetCaption(IntToStr(Value));
  try {
    if (Value == 0 || Value > BitmoraMaxBmpID()) {
      SetGlyph(nullptr);
      return;
    }
    TBitmap picture;
    if (BitmoraLoadBmp(picture, Value)) {
      SetGlyph(&picture);
      SetCaption(AnsiString());
      SetNumGlyphs(picture.Width() / picture.Height());
    } else {
      // The number stays as the caption; no stale picture of an earlier number.
      SetGlyph(nullptr);
    }
  } catch (const Exception&) {
    SetGlyph(nullptr);
    MessageDlg(GB("读取 BMP 发生错误"), mtError, TMsgDlgButtons{mbOK});
  }
}

// ---- Painting ---------------------------------------------------------------------

namespace {

// A flat button shows its picture (the disabled frame when the button is
// disabled and the strip has one) centred on the face; without a picture,
// the speed button's own look with its caption.
void PaintGSpeedButton(TControl& C, TCanvas& Canvas, const TRect& R) {
  auto& b = static_cast<TGSpeedButton&>(C);
  const TBitmap* glyph = b.Glyph();
  if (!glyph || glyph->Empty()) {
    if (TControlPainter base = FindControlPainter(TSpeedButton::StaticClass())) base(C, Canvas, R);
    return;
  }
  if (!b.Flat() || b.Down()) DrawPushButton(Canvas, C, R, AnsiString(), b.Down(), false);
  const int frames = std::max(1, b.NumGlyphs());
  const int w = glyph->Width() / frames;
  const int frame = !b.Enabled() && frames >= 2 ? 1 : 0;
  TBitmap picture(w, glyph->Height());
  picture.Canvas()->CopyRect({0, 0, w, glyph->Height()}, *glyph->Canvas(),
                             {frame * w, 0, (frame + 1) * w, glyph->Height()});
  picture.SetTransparent(true);
  int x = R.Left + (R.Width() - w) / 2;
  int y = R.Top + (R.Height() - glyph->Height()) / 2;
  if (b.Down()) ++x, ++y;
  Canvas.Draw(x, y, picture);
}

[[maybe_unused]] const bool kPainterRegistered =
    (RegisterControlPainter(TGSpeedButton::StaticClass(), &PaintGSpeedButton), true);

}  // namespace

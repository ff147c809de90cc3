#include "platform/qr/PageMetafile.h"

#include <cmath>
#include <limits>
#include <map>
#include <tuple>

#include "platform/rtl/Exceptions.h"

namespace {

// Ordering keys so interning is a map look-up rather than a scan: a run
// with many distinct fonts (a designer preview of every size) stays cheap.
auto FontKey(const TPageFont& F) {
  return std::make_tuple(F.Name, F.Size, static_cast<unsigned>(F.Style.Bits()), static_cast<int>(F.Charset),
                         static_cast<int64_t>(F.Color));
}

}  // namespace

struct TPageResources::TImpl {
  mutable std::mutex Lock;
  std::vector<TPageFont> Fonts;
  std::vector<TPagePen> Pens;
  std::vector<TPageBrush> Brushes;
  std::vector<std::shared_ptr<const TBitmap>> Pictures;
  std::map<decltype(FontKey(TPageFont{})), int16_t> FontIndex;
  std::map<const TBitmap*, int32_t> PictureIndex;
};

TPageResources::TPageResources() : FImpl(std::make_unique<TImpl>()) {}
TPageResources::~TPageResources() = default;

namespace {

template <class T>
int16_t InternLinear(std::vector<T>& Table, const T& Value) {
  for (size_t i = 0; i < Table.size(); ++i)
    if (Table[i] == Value) return static_cast<int16_t>(i);
  if (Table.size() >= static_cast<size_t>(std::numeric_limits<int16_t>::max()))
    throw Exception("Too many distinct drawing resources on the report pages");
  Table.push_back(Value);
  return static_cast<int16_t>(Table.size() - 1);
}

}  // namespace

int16_t TPageResources::AddFont(const TPageFont& Font) {
  std::lock_guard<std::mutex> Guard(FImpl->Lock);
  auto Key = FontKey(Font);
  auto It = FImpl->FontIndex.find(Key);
  if (It != FImpl->FontIndex.end()) return It->second;
  if (FImpl->Fonts.size() >= static_cast<size_t>(std::numeric_limits<int16_t>::max()))
    throw Exception("Too many distinct fonts on the report pages");
  FImpl->Fonts.push_back(Font);
  auto Index = static_cast<int16_t>(FImpl->Fonts.size() - 1);
  FImpl->FontIndex.emplace(std::move(Key), Index);
  return Index;
}

int16_t TPageResources::AddPen(const TPagePen& Pen) {
  std::lock_guard<std::mutex> Guard(FImpl->Lock);
  return InternLinear(FImpl->Pens, Pen);
}

int16_t TPageResources::AddBrush(const TPageBrush& Brush) {
  std::lock_guard<std::mutex> Guard(FImpl->Lock);
  return InternLinear(FImpl->Brushes, Brush);
}

int32_t TPageResources::AddPicture(std::shared_ptr<const TBitmap> Picture) {
  if (!Picture) return -1;
  std::lock_guard<std::mutex> Guard(FImpl->Lock);
  auto It = FImpl->PictureIndex.find(Picture.get());
  if (It != FImpl->PictureIndex.end()) return It->second;
  FImpl->Pictures.push_back(Picture);
  auto Index = static_cast<int32_t>(FImpl->Pictures.size() - 1);
  FImpl->PictureIndex.emplace(Picture.get(), Index);
  return Index;
}

TPageFont TPageResources::Font(int16_t Index) const {
  std::lock_guard<std::mutex> Guard(FImpl->Lock);
  if (Index < 0 || static_cast<size_t>(Index) >= FImpl->Fonts.size()) return TPageFont{};
  return FImpl->Fonts[Index];
}

TPagePen TPageResources::Pen(int16_t Index) const {
  std::lock_guard<std::mutex> Guard(FImpl->Lock);
  if (Index < 0 || static_cast<size_t>(Index) >= FImpl->Pens.size()) return TPagePen{};
  return FImpl->Pens[Index];
}

TPageBrush TPageResources::Brush(int16_t Index) const {
  std::lock_guard<std::mutex> Guard(FImpl->Lock);
  if (Index < 0 || static_cast<size_t>(Index) >= FImpl->Brushes.size()) return TPageBrush{};
  return FImpl->Brushes[Index];
}

std::shared_ptr<const TBitmap> TPageResources::Picture(int32_t Index) const {
  std::lock_guard<std::mutex> Guard(FImpl->Lock);
  if (Index < 0 || static_cast<size_t>(Index) >= FImpl->Pictures.size()) return nullptr;
  return FImpl->Pictures[Index];
}

int TPageResources::FontCount() const {
  std::lock_guard<std::mutex> Guard(FImpl->Lock);
  return static_cast<int>(FImpl->Fonts.size());
}

void TPageMetafile::AddText(const TPageRect& Box, uint16_t Flags, int16_t Font, const AnsiString& Text,
                            int16_t Brush) {
  TPageRecord R;
  R.Kind = TPageRecordKind::Text;
  R.Flags = Flags;
  R.Font = Font;
  R.Brush = Brush;
  R.Box = Box;
  R.TextOffset = static_cast<uint32_t>(FText.size());
  R.TextLength = static_cast<uint32_t>(Text.size());
  FText.append(Text);
  FRecords.push_back(R);
}

void TPageMetafile::AddLine(TPageUnit X1, TPageUnit Y1, TPageUnit X2, TPageUnit Y2, int16_t Pen) {
  TPageRecord R;
  R.Kind = TPageRecordKind::Line;
  R.Pen = Pen;
  R.Box = {X1, Y1, X2, Y2};
  FRecords.push_back(R);
}

void TPageMetafile::AddRectangle(const TPageRect& Box, int16_t Pen, int16_t Brush) {
  TPageRecord R;
  R.Kind = TPageRecordKind::Rectangle;
  R.Pen = Pen;
  R.Brush = Brush;
  R.Box = Box;
  FRecords.push_back(R);
}

void TPageMetafile::AddEllipse(const TPageRect& Box, int16_t Pen, int16_t Brush) {
  TPageRecord R;
  R.Kind = TPageRecordKind::Ellipse;
  R.Pen = Pen;
  R.Brush = Brush;
  R.Box = Box;
  FRecords.push_back(R);
}

void TPageMetafile::AddPicture(const TPageRect& Box, int32_t Picture) {
  TPageRecord R;
  R.Kind = TPageRecordKind::Picture;
  R.Picture = Picture;
  R.Box = Box;
  FRecords.push_back(R);
}

AnsiString TPageMetafile::TextOf(const TPageRecord& Record) const {
  if (Record.Kind != TPageRecordKind::Text) return AnsiString();
  if (static_cast<size_t>(Record.TextOffset) + Record.TextLength > FText.size()) return AnsiString();
  return FText.substr(Record.TextOffset, Record.TextLength);
}

AnsiString TPageMetafile::PlainText() const {
  AnsiString Result;
  for (const auto& R : FRecords) {
    if (R.Kind != TPageRecordKind::Text) continue;
    Result.append(FText, R.TextOffset, R.TextLength);
    Result.push_back('\n');
  }
  return Result;
}

size_t TPageMetafile::MemoryUsed() const {
  return sizeof(*this) + FRecords.capacity() * sizeof(TPageRecord) + (FText.capacity() > 15 ? FText.capacity() + 1 : 0);
}

void TPageMetafile::Shrink() {
  FRecords.shrink_to_fit();
  FText.shrink_to_fit();
}

int PageToPixels(TPageUnit Value, int Dpi) {
  // 2540 hundredths of a millimetre to the inch; round half away from zero
  // so a length and its negation map symmetrically.
  double Pixels = static_cast<double>(Value) * Dpi / 2540.0;
  return static_cast<int>(std::lround(Pixels));
}

TPageUnit PixelsToPage(int Pixels, int Dpi) {
  if (Dpi <= 0) return 0;
  return static_cast<TPageUnit>(std::lround(static_cast<double>(Pixels) * 2540.0 / Dpi));
}

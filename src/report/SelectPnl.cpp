#include "src/report/SelectPnl.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrlsPublish.h"
#include "src/controls/F2Button.h"
#include "src/report/LibStrs.h"
#include "src/report/SelectPnlParts.h"

KW_DEFINE_ENUM_TYPEINFO(TSelectStyle, "sp_Range", "sp_Discrete", "sp_UserChoice")
KW_DEFINE_ENUM_TYPEINFO(TValueType, "vt_String", "vt_Number", "vt_Date", "vt_Time", "vt_Float",
                        "vt_OtherMask")
KW_DEFINE_ENUM_TYPEINFO(TDateType, "dt_NoneCare", "dt_YYYYMMDD", "dt_MMDDYYYY", "dt_DDMMYYYY",
                        "dt_YYMMDD", "dt_YYYMMDD")
KW_DEFINE_ENUM_TYPEINFO(TCheckDuplicate, "cd_None", "cd_CheckCase", "cd_CaseInsensitive")
KW_DEFINE_EVENT_TYPEINFO(TOpenWinClickEvent)
KW_DEFINE_EVENT_TYPEINFO(TStyleChangingEvent)
KW_DEFINE_EVENT_TYPEINFO(TStyleChangeEvent)
KW_DEFINE_EVENT_TYPEINFO(TListViewSelectItemEvent)
KW_DEFINE_EVENT_TYPEINFO(TQelItemChangeEvent)
KW_DEFINE_EVENT_TYPEINFO(TQelItemChangingEvent)

KW_REGISTER_CLASS(TSelectPanel)

// A string list that tells its panel after every change, also when a form
// description fills it in place.
class TSelectPanel::TWordList : public TStringList {
 public:
  explicit TWordList(std::function<void()> OnChanged) : FOnChanged(std::move(OnChanged)) {}

 protected:
  void Changed() override {
    if (FBusy) return;
    FBusy = true;
    try {
      FOnChanged();
    } catch (...) {
      FBusy = false;
      throw;
    }
    FBusy = false;
  }

 private:
  std::function<void()> FOnChanged;
  bool FBusy = false;
};

namespace {

// The etched frame of the group box, inside which the pages keep 2 pixels
// clear on the right and at the bottom.
constexpr int kFrame = 2;
constexpr int kButtonSize = 23;
constexpr int kEditHeight = 24;
constexpr int kDeleteGlyph = 47;
constexpr int kClearGlyph = 4;

const char* const kStyleNames[] = {"sp_Range", "sp_Discrete", "sp_UserChoice"};

[[noreturn]] void ParseError() { throw Exception("parse spSaveValue error"); }

void SetWordsFrom(TStrings* Target, TStrings* Source) {
  if (Source)
    Target->Assign(Source);
  else
    Target->Clear();
}

// Splits at every occurrence of Sep (a text without Sep gives one field).
std::vector<AnsiString> SplitAll(const AnsiString& S, char Sep) {
  std::vector<AnsiString> parts;
  std::size_t from = 0;
  for (;;) {
    std::size_t at = S.find(Sep, from);
    if (at == AnsiString::npos) {
      parts.push_back(S.substr(from));
      return parts;
    }
    parts.push_back(S.substr(from, at - from));
    from = at + 1;
  }
}

bool AllDigits(const AnsiString& S) {
  return !S.empty() && std::all_of(S.begin(), S.end(), [](char C) { return C >= '0' && C <= '9'; });
}

// A float bound rewritten as its integer part and its fraction digits, so
// that "1.5x" or "abc" cannot reach the comparison as text.
AnsiString NormaliseFloatText(const AnsiString& Text) {
  AnsiString t = Trim(Text);
  std::size_t dot = t.find('.');
  AnsiString intPart = Trim(t.substr(0, dot));
  int64_t value = StrToInt64Def(intPart, 0);
  AnsiString result = (value == 0 && !intPart.empty() && intPart[0] == '-' ? "-" : "") +
                      IntToStr(static_cast<long long>(value));
  if (dot == AnsiString::npos) return result;
  // The fraction keeps its digits as they are: read as an integer, "05"
  // would become 5 and 1.05 would turn into 1.5.
  AnsiString frac = Trim(t.substr(dot + 1));
  return result + "." + (AllDigits(frac) ? frac : AnsiString("0"));
}

}  // namespace

// ===========================================================================
// Publishing

void TSelectPanel::PublishMembers(TPublisher<TSelectPanel>& P) {
  P.Property("AutoChangeDateSite", &TSelectPanel::AutoChangeDateSite, &TSelectPanel::SetAutoChangeDateSite)
      .Default(true);
  P.Property("BeginWords", &TSelectPanel::BeginWords, &TSelectPanel::SetBeginWords);
  P.Property("CanOpenWin", &TSelectPanel::CanOpenWin, &TSelectPanel::SetCanOpenWin).Default(true);
  P.Property("CheckDuplicate", &TSelectPanel::CheckDuplicate, &TSelectPanel::SetCheckDuplicate)
      .Default(cd_None);
  P.Property("ChildHints", &TSelectPanel::ChildHints, &TSelectPanel::SetChildHints);
  P.Property("ColumnCaptions", &TSelectPanel::ColumnCaptions, &TSelectPanel::SetColumnCaptions)
      .Stored(false);
  P.Property("Columns", &TSelectPanel::Columns, &TSelectPanel::SetColumns);
  P.Property("ColumnsAutoSize", &TSelectPanel::ColumnsAutoSize, &TSelectPanel::SetColumnsAutoSize)
      .Default(true);
  P.Property("DateSign", &TSelectPanel::DateSign, &TSelectPanel::SetDateSign);
  P.Property("DateType", &TSelectPanel::DateType, &TSelectPanel::SetDateType).Default(dt_NoneCare);
  P.Property("Discard", &TSelectPanel::Discard, &TSelectPanel::SetDiscard);
  P.Property("EditMask", &TSelectPanel::EditMask, &TSelectPanel::SetEditMask);
  P.Property("FinalWords", &TSelectPanel::FinalWords, &TSelectPanel::SetFinalWords);
  P.Property("GlyphIndex", &TSelectPanel::GlyphIndex, &TSelectPanel::SetGlyphIndex).Default(8);
  P.Property("HideSelection", &TSelectPanel::HideSelection, &TSelectPanel::SetHideSelection)
      .Default(false);
  P.Property("HintWord", &TSelectPanel::HintWord, &TSelectPanel::SetHintWord);
  // The chosen rows, after Columns so each row finds its columns.
  P.Property("Items", &TSelectPanel::Items, &TSelectPanel::SetItems);
  P.Property("OtherHeight", &TSelectPanel::OtherHeight, &TSelectPanel::SetOtherHeight).Default(105);
  P.Property("OtherWidth", &TSelectPanel::OtherWidth, &TSelectPanel::SetOtherWidth).Default(200);
  P.Property("ShowColumnHeader", &TSelectPanel::ShowColumnHeader, &TSelectPanel::SetShowColumnHeader)
      .Default(false);
  P.Property("SortListBox", &TSelectPanel::SortListBox, &TSelectPanel::SetSortListBox).Default(false);
  // Style before the properties that only count in one style (UserChoice,
  // UseVertical), so a description applies them in a sensible order.
  P.Property("Style", &TSelectPanel::Style, &TSelectPanel::SetStyle).Default(sp_Range);
  P.Property("UseDiscard", &TSelectPanel::UseDiscard, &TSelectPanel::SetUseDiscard).Default(false);
  P.Property("UserChoice", &TSelectPanel::UserChoice, &TSelectPanel::SetUserChoice).Default(true);
  P.Property("UseVertical", &TSelectPanel::UseVertical, &TSelectPanel::SetUseVertical).Default(false);
  P.Property("ValueType", &TSelectPanel::ValueType, &TSelectPanel::SetValueType).Default(vt_String);
  P.Property("OnClearClick", &TSelectPanel::OnClearClick, &TSelectPanel::OnClearClick);
  P.Property("OnDeleteClick", &TSelectPanel::OnDeleteClick, &TSelectPanel::OnDeleteClick);
  P.Property("OnItemChange", &TSelectPanel::OnItemChange, &TSelectPanel::OnItemChange);
  P.Property("OnItemChanging", &TSelectPanel::OnItemChanging, &TSelectPanel::OnItemChanging);
  P.Property("OnItemSelect", &TSelectPanel::OnItemSelect, &TSelectPanel::OnItemSelect);
  P.Property("OnOpenWinClick", &TSelectPanel::OnOpenWinClick, &TSelectPanel::OnOpenWinClick);
  P.Property("OnStyleChange", &TSelectPanel::OnStyleChange, &TSelectPanel::OnStyleChange);
  P.Property("OnStyleChanging", &TSelectPanel::OnStyleChanging, &TSelectPanel::OnStyleChanging);
  P.Property("OnTypeClick", &TSelectPanel::OnTypeClick, &TSelectPanel::OnTypeClick);
}

const TMessageTable& TSelectPanel::StaticMessageTable() {
  using ThisClass = TSelectPanel;
  static const TMessageTable table(&TCustomGroupBox::StaticMessageTable(),
                                   {
                                       KW_ON_MESSAGE(CM_FONTCHANGED, CMFontChanged),
                                       KW_ON_MESSAGE(CM_TEXTCHANGED, CMTextChanged),
                                   });
  return table;
}

// ===========================================================================
// Construction

TSelectPanel::TSelectPanel(TComponent* AOwner) : TGroupBox(AOwner) {
  FHintWord = GB("区间选择");
  FBeginWords = std::make_unique<TWordList>([this] { ApplyWords(); });
  FFinalWords = std::make_unique<TWordList>([this] { ApplyWords(); });
  FChildHints = std::make_unique<TWordList>([this] { ApplyChildHints(); });
  FColumnCaptions = std::make_unique<TWordList>([this] {
    if (FLayingOut == 0) SetColumnCaptions(FColumnCaptions.get());
  });

  auto page = [this] {
    auto* p = new TPanel(this);
    p->SetParent(this);
    p->SetBevelInner(bvNone);
    p->SetBevelOuter(bvNone);
    p->SetCaption(" ");
    p->OnClick = Bind<&TSelectPanel::PartClick>(this);
    p->OnDblClick = Bind<&TSelectPanel::PartDblClick>(this);
    return p;
  };
  auto label = [this](TWinControl* Parent) {
    auto* l = new TLabel(this);
    l->SetParent(Parent);
    l->SetAutoSize(true);
    l->OnClick = Bind<&TSelectPanel::PartClick>(this);
    l->OnDblClick = Bind<&TSelectPanel::PartDblClick>(this);
    return l;
  };
  auto edit = [this](TWinControl* Parent) {
    auto* e = new TQelMaskEdit(this);
    e->SetParent(Parent);
    e->SetHeight(kEditHeight);
    e->OnClick = Bind<&TSelectPanel::PartClick>(this);
    e->OnDblClick = Bind<&TSelectPanel::PartDblClick>(this);
    e->OnKeyDown = Bind<&TSelectPanel::PartKeyDown>(this);
    e->OnKeyUp = Bind<&TSelectPanel::PartKeyUp>(this);
    e->OnKeyPress = Bind<&TSelectPanel::PartKeyPress>(this);
    return e;
  };
  auto button = [this](TWinControl* Parent, TGSpeedButton* B) {
    B->SetParent(Parent);
    B->SetFlat(true);
    B->SetBounds(0, 0, kButtonSize, kButtonSize);
    return B;
  };

  FStyleSwitch = new TQelCheckBox(this);
  FStyleSwitch->SetParent(this);
  FStyleSwitch->SetChecked(true);
  FStyleSwitch->OnClick = Bind<&TSelectPanel::StyleSwitchClick>(this);

  FRangePage = page();
  FBeginLabel = label(FRangePage);
  FBeginEdit = edit(FRangePage);
  FBeginButton = static_cast<TF2Button*>(button(FRangePage, new TF2Button(this)));
  FFinalLabel = label(FRangePage);
  FFinalEdit = edit(FRangePage);
  FFinalButton = static_cast<TF2Button*>(button(FRangePage, new TF2Button(this)));

  FListPage = page();
  FList = new TQelListView(this);
  FList->SetParent(FListPage);
  FList->SetViewStyle(vsReport);
  FList->SetMultiSelect(true);
  FList->SetRowSelect(true);
  FList->SetReadOnly(true);
  FList->SetShowColumnHeaders(false);
  FList->SetHideSelection(false);
  FList->SetCursor(crHandPoint);
  FList->Columns()->Add()->SetCaption("Data");
  FList->OnClick = Bind<&TSelectPanel::PartClick>(this);
  FList->OnDblClick = Bind<&TSelectPanel::PartDblClick>(this);
  FList->OnKeyDown = Bind<&TSelectPanel::PartKeyDown>(this);
  FList->OnKeyUp = Bind<&TSelectPanel::PartKeyUp>(this);
  FList->OnKeyPress = Bind<&TSelectPanel::PartKeyPress>(this);
  FList->OnSelectItem = Bind<&TSelectPanel::ListSelectItem>(this);
  FList->OnItemChange = Bind<&TSelectPanel::ListItemChange>(this);
  FList->OnItemChanging = Bind<&TSelectPanel::ListItemChanging>(this);

  FListButton = static_cast<TF2Button*>(button(FListPage, new TF2Button(this)));
  FDeleteButton = button(FListPage, new TGSpeedButton(this));
  FClearButton = button(FListPage, new TGSpeedButton(this));
  FDeleteButton->SetGlyphIndex(kDeleteGlyph);
  FDeleteButton->SetNumGlyphs(1);
  FClearButton->SetGlyphIndex(kClearGlyph);
  FClearButton->SetNumGlyphs(2);
  for (TF2Button* b : {FBeginButton, FFinalButton, FListButton})
    b->OnClick = Bind<&TSelectPanel::LookupButtonClick>(this);
  FDeleteButton->OnClick = Bind<&TSelectPanel::DeleteButtonClick>(this);
  FClearButton->OnClick = Bind<&TSelectPanel::ClearButtonClick>(this);

  FBeginWords->Add(GB("起"));
  FBeginWords->Add(GB("起"));
  FFinalWords->Add(GB("止"));
  FFinalWords->Add(GB("止"));
  for (const char* hint : {"用户自定输入方式", "区间选择-起始信息", "区间选择-起始信息开窗",
                           "区间选择-截止信息", "区间选择-截止信息开窗", "多选-己选择的信息",
                           "多选-信息开窗", "多选-删除一笔信息", "多选-删除己选信息"})
    FChildHints->Add(Utf8ToGB(hint));

  FConstructed = true;
  ApplyChildHints();
  SetGlyphIndex(FGlyphIndex);
  FStyleSwitch->SetCaption(FHintWord);
  ApplyWords();
  SetBounds(Left(), Top(), 353, 45);
  UpdateVisibility();
  LayoutParts();
}

TSelectPanel::~TSelectPanel() {
  // The parts go while the panel is whole: their events point back at it.
  Destroying();
  DestroyComponents();
}

bool TSelectPanel::Designing() const { return ComponentState().Contains(csDesigning); }
bool TSelectPanel::Loading() const { return ComponentState().Contains(csLoading); }

// ===========================================================================
// Style

bool TSelectPanel::UserChoice() const { return FStyleSwitch->Checked(); }

void TSelectPanel::SetUserChoice(bool Value) {
  // A description may give UserChoice before Style: while loading the value
  // is kept whatever the style.
  if (FStyle != sp_UserChoice && !Loading()) return;
  if (FStyleSwitch->Checked() == Value) return;
  // Setting the switch from code fires its OnClick; that is not a person's
  // click, so OnTypeClick stays quiet.
  ++FLayingOut;
  FStyleSwitch->SetChecked(Value);
  --FLayingOut;
  UpdateVisibility();
  LayoutParts();
}

bool TSelectPanel::IsRangeEntry() const {
  return FStyle == sp_Range || (FStyle == sp_UserChoice && FStyleSwitch->Checked());
}

void TSelectPanel::SetStyle(TSelectStyle Value) {
  if (Value == FStyle) return;
  const TSelectStyle old = FStyle;
  if (!Designing()) {
    bool accept = true;
    OnStyleChanging(this, old, Value, accept);
    if (!accept) return;
  }
  FStyle = Value;
  UpdateVisibility();
  const bool parentLoading = Parent() && Parent()->ComponentState().Contains(csLoading);
  if ((old == sp_Range) != (Value == sp_Range) && !FUseVertical && !Loading() && !parentLoading &&
      !Designing()) {
    const int w = Width();
    const int h = Height();
    const int ow = FOtherWidth;
    const int oh = FOtherHeight;
    FOtherWidth = w;
    FOtherHeight = h;
    SetBounds(Left(), Top(), ow, oh);
  }
  ApplyWords();
  LayoutParts();
  if (!Designing()) OnStyleChange(this, old, Value);
}

void TSelectPanel::SetUseVertical(bool Value) {
  if (FUseVertical == Value) return;
  if (FStyle != sp_Range && !Loading()) return;
  FUseVertical = Value;
  ApplyWords();
  LayoutParts();
}

void TSelectPanel::UpdateVisibility() {
  FStyleSwitch->SetVisible(FStyle == sp_UserChoice);
  const bool range = IsRangeEntry();
  FRangePage->SetVisible(range);
  FListPage->SetVisible(!range);
}

void TSelectPanel::StyleSwitchClick(TObject*) {
  if (FLayingOut > 0 || Designing() || FStyle != sp_UserChoice) return;
  UpdateVisibility();
  LayoutParts();
  OnTypeClick(this);
}

// ===========================================================================
// Layout

int TSelectPanel::TextHeightOf(const AnsiString& Text) const {
  int h = MeasureText(*Font(), Text).Height;
  return h > 0 ? h : MeasureText(*Font(), "W").Height;
}

void TSelectPanel::Resize() {
  LayoutParts();
  TGroupBox::Resize();
}

void TSelectPanel::Loaded() {
  TGroupBox::Loaded();
  UpdateVisibility();
  ApplyWords();
  LayoutParts();
}

void TSelectPanel::CMFontChanged(TMessage& Message) {
  DispatchFrom(&TCustomGroupBox::StaticMessageTable(), Message);
  LayoutParts();
}

void TSelectPanel::CMTextChanged(TMessage& Message) {
  DispatchFrom(&TCustomGroupBox::StaticMessageTable(), Message);
  LayoutParts();
}

void TSelectPanel::LayoutParts() {
  if (!FConstructed || FLayingOut > 0) return;
  ++FLayingOut;
  try {
    const TTextExtent hint = MeasureText(*Font(), FHintWord);
    FStyleSwitch->SetBounds(FStyleSwitch->Left(), FStyleSwitch->Top(), hint.Width + 24,
                            TextHeightOf(FHintWord) + 2);
    const int captionHeight = TextHeightOf(Caption());
    int pageTop = captionHeight + 3;
    if (FStyle == sp_UserChoice) {
      const int switchTop = captionHeight + 1;
      FStyleSwitch->SetBounds(16, switchTop, FStyleSwitch->Width(), FStyleSwitch->Height());
      pageTop = switchTop + TextHeightOf(FHintWord) + 2;
    }
    const int pageWidth = Width() - 2 - 2 - kFrame;
    const int pageHeight = Height() - pageTop - 2 - kFrame;
    FRangePage->SetBounds(2, pageTop, pageWidth, pageHeight);
    FListPage->SetBounds(2, pageTop, pageWidth, pageHeight);
    switch (FStyle) {
      case sp_Range:
        if (FUseVertical)
          LayoutRangeVertical();
        else
          LayoutRangeHorizontal();
        break;
      case sp_Discrete:
        LayoutList();
        break;
      case sp_UserChoice:
        LayoutRangeVertical();
        LayoutList();
        break;
    }
  } catch (...) {
    --FLayingOut;
    throw;
  }
  --FLayingOut;
}

void TSelectPanel::LayoutRangeVertical() {
  const int pageWidth = FRangePage->Width();
  const int gap = (FRangePage->Height() - FBeginEdit->Height() - FFinalEdit->Height()) / 3;
  const bool buttons = FCanOpenWin;
  FBeginLabel->SetBounds(2, gap, FBeginLabel->Width(), FBeginLabel->Height());
  const int editLeft = FBeginLabel->Left() + FBeginLabel->Width() + 2;
  const int editWidth =
      buttons ? pageWidth - editLeft - FBeginButton->Width() - 4 : pageWidth - editLeft - 2;
  FBeginEdit->SetBounds(editLeft, gap, editWidth, FBeginEdit->Height());
  FBeginButton->SetBounds(editLeft + editWidth + 1, gap, FBeginButton->Width(), FBeginButton->Height());
  const int endTop = gap + FBeginLabel->Top() + FBeginEdit->Height();
  FFinalLabel->SetBounds(FBeginLabel->Left(), endTop, FFinalLabel->Width(), FFinalLabel->Height());
  FFinalEdit->SetBounds(editLeft, endTop, editWidth, FFinalEdit->Height());
  FFinalButton->SetBounds(FBeginButton->Left(), endTop, FFinalButton->Width(), FFinalButton->Height());
}

void TSelectPanel::LayoutRangeHorizontal() {
  const int pageWidth = FRangePage->Width();
  const int pageHeight = FRangePage->Height();
  const bool buttons = FCanOpenWin;
  const int labelLeft = 2;
  const int editWidth =
      buttons ? (pageWidth - labelLeft - FBeginLabel->Width() - FBeginButton->Width() -
                 FFinalButton->Width() - FFinalLabel->Width() - 8) /
                    2
              : (pageWidth - labelLeft - FBeginLabel->Width() - FFinalLabel->Width() - 4) / 2;
  auto centred = [pageHeight](TControl* C) { return (pageHeight - C->Height()) / 2; };
  FBeginLabel->SetBounds(labelLeft, centred(FBeginLabel), FBeginLabel->Width(), FBeginLabel->Height());
  int x = FBeginLabel->Left() + FBeginLabel->Width() + 1;
  FBeginEdit->SetBounds(x, centred(FBeginEdit), editWidth, FBeginEdit->Height());
  x += editWidth;
  if (buttons) {
    FBeginButton->SetBounds(x + 2, centred(FBeginButton), FBeginButton->Width(), FBeginButton->Height());
    x = FBeginButton->Left() + FBeginButton->Width() + 2;
  } else {
    x += 4;
  }
  FFinalLabel->SetBounds(x, centred(FFinalLabel), FFinalLabel->Width(), FFinalLabel->Height());
  x = FFinalLabel->Left() + FFinalLabel->Width() + 2;
  FFinalEdit->SetBounds(x, centred(FFinalEdit), editWidth, FFinalEdit->Height());
  FFinalButton->SetBounds(x + editWidth + 2, centred(FFinalButton), FFinalButton->Width(),
                          FFinalButton->Height());
}

void TSelectPanel::LayoutList() {
  const int pageWidth = FListPage->Width();
  const int listLeft = 0;
  const int listWidth = pageWidth - listLeft - FListButton->Width() - 3;
  FList->SetBounds(listLeft, 0, listWidth, FListPage->Height());
  int top = 0;
  for (TGSpeedButton* b : {static_cast<TGSpeedButton*>(FListButton), FDeleteButton, FClearButton}) {
    if (!b->Visible()) continue;
    b->SetBounds(listLeft + listWidth + 2, top, b->Width(), b->Height());
    top += b->Height();
  }
}

// ===========================================================================
// Texts

void TSelectPanel::SetHintWord(const AnsiString& Value) {
  FHintWord = Value;
  FStyleSwitch->SetCaption(Value);
  LayoutParts();
}

TStrings* TSelectPanel::BeginWords() const { return FBeginWords.get(); }
void TSelectPanel::SetBeginWords(TStrings* Value) { SetWordsFrom(FBeginWords.get(), Value); }
TStrings* TSelectPanel::FinalWords() const { return FFinalWords.get(); }
void TSelectPanel::SetFinalWords(TStrings* Value) { SetWordsFrom(FFinalWords.get(), Value); }

void TSelectPanel::ApplyWords() {
  for (TStrings* words : {static_cast<TStrings*>(FBeginWords.get()), static_cast<TStrings*>(FFinalWords.get())})
    while (words->Count() > 2) words->Delete(words->Count() - 1);
  if (!FConstructed) return;
  // Entry 1 belongs to the vertical layout (sp_UserChoice, or a vertical
  // range), entry 0 to the horizontal one and the list styles.
  const bool vertical = FStyle == sp_UserChoice || (FStyle == sp_Range && FUseVertical);
  auto word = [vertical](TStrings* Words) {
    if (Words->Count() == 0) return AnsiString();
    if (Words->Count() == 1) return Words->Strings(0);
    return Words->Strings(vertical ? 1 : 0);
  };
  FBeginLabel->SetCaption(word(FBeginWords.get()));
  FFinalLabel->SetCaption(word(FFinalWords.get()));
  LayoutParts();
}

TStrings* TSelectPanel::ChildHints() const { return FChildHints.get(); }
void TSelectPanel::SetChildHints(TStrings* Value) { SetWordsFrom(FChildHints.get(), Value); }

void TSelectPanel::ApplyChildHints() {
  if (!FConstructed) return;
  TControl* parts[] = {FStyleSwitch, FBeginEdit, FBeginButton, FFinalEdit, FFinalButton,
                       FList,        FListButton, FDeleteButton, FClearButton};
  for (int i = 0; i < 9 && i < FChildHints->Count(); ++i) parts[i]->SetHint(FChildHints->Strings(i));
}

void TSelectPanel::SetCanOpenWin(bool Value) {
  FCanOpenWin = Value;
  ApplyButtonsVisible();
  LayoutParts();
}

void TSelectPanel::ApplyButtonsVisible() {
  for (TF2Button* b : {FBeginButton, FFinalButton, FListButton}) b->SetVisible(FCanOpenWin);
}

void TSelectPanel::SetGlyphIndex(int Value) {
  FGlyphIndex = Value;
  const int glyph = Value >= 1 && Value <= BitmoraMaxBmpID() ? Value : 0;
  for (TF2Button* b : {FBeginButton, FFinalButton, FListButton}) {
    b->SetGlyphIndex(glyph);
    b->SetNumGlyphs(1);
  }
}

void TSelectPanel::SetEditMask(const AnsiString& Value) {
  const AnsiString remembered = FBeginEdit->Text();
  FBeginEdit->SetSuppressChange(true);
  try {
    FBeginEdit->SetText(AnsiString());
    FBeginEdit->SetEditMask(Value);
    FFinalEdit->SetEditMask(Value);
    FBlankMaskText = FBeginEdit->Text();
    FBeginEdit->SetText(remembered);
  } catch (...) {
    FBeginEdit->SetSuppressChange(false);
    throw;
  }
  FBeginEdit->SetSuppressChange(false);
  FEditMask = Value;
}

// ===========================================================================
// The list

TCheckDuplicate TSelectPanel::CheckDuplicate() const { return FList->CheckDuplicate(); }

void TSelectPanel::SetCheckDuplicate(TCheckDuplicate Value) {
  FList->SetCheckDuplicate(Value);
  if (Value == cd_None) return;
  FList->SetSortByText(true);
  if (!IsRangeEntry()) FList->RemoveDuplicates();
}

bool TSelectPanel::SortListBox() const { return FList->SortByText(); }
void TSelectPanel::SetSortListBox(bool Value) { FList->SetSortByText(Value); }
TListColumns* TSelectPanel::Columns() const { return FList->Columns(); }
void TSelectPanel::SetColumns(TListColumns* Value) { FList->SetColumns(Value); }

TStrings* TSelectPanel::ColumnCaptions() const {
  // Refreshed on every read; FLayingOut keeps the refresh from rebuilding
  // the columns through the list's change notice.
  auto* self = const_cast<TSelectPanel*>(this);
  ++self->FLayingOut;
  FColumnCaptions->BeginUpdate();
  FColumnCaptions->Clear();
  for (int i = 0; i < FList->Columns()->Count(); ++i)
    FColumnCaptions->Add(FList->Columns()->Items(i)->Caption());
  FColumnCaptions->EndUpdate();
  --self->FLayingOut;
  return FColumnCaptions.get();
}

void TSelectPanel::SetColumnCaptions(TStrings* Value) {
  std::vector<AnsiString> captions;
  if (Value)
    for (int i = 0; i < Value->Count(); ++i) captions.push_back(Value->Strings(i));
  FList->Columns()->Clear();
  for (const AnsiString& c : captions) {
    TListColumn* col = FList->Columns()->Add();
    col->SetCaption(c);
    col->SetAutoSize(true);
  }
}

bool TSelectPanel::ColumnsAutoSize() const { return FList->ColumnsAutoSize(); }
void TSelectPanel::SetColumnsAutoSize(bool Value) { FList->SetColumnsAutoSize(Value); }
bool TSelectPanel::ShowColumnHeader() const { return FList->ShowColumnHeaders(); }
void TSelectPanel::SetShowColumnHeader(bool Value) { FList->SetShowColumnHeaders(Value); }
bool TSelectPanel::HideSelection() const { return FList->HideSelection(); }
void TSelectPanel::SetHideSelection(bool Value) { FList->SetHideSelection(Value); }
TListItems* TSelectPanel::Items() const { return FList->Items(); }
void TSelectPanel::SetItems(TListItems* Value) { FList->SetItems(Value); }

void TSelectPanel::DeleteSelectedRows() {
  bool accept = true;
  if (!Designing()) OnDeleteClick(this, accept);
  if (!accept) return;
  for (int i = FList->Items()->Count() - 1; i >= 0; --i)
    if (FList->Items()->Item(i)->Selected()) FList->Items()->Delete(i);
}

void TSelectPanel::ClearRows() {
  FList->Clear();
  if (FList->CanFocus()) FList->SetFocus();
  if (!Designing()) OnClearClick(this);
}

void TSelectPanel::DeleteButtonClick(TObject*) { DeleteSelectedRows(); }
void TSelectPanel::ClearButtonClick(TObject*) { ClearRows(); }

void TSelectPanel::LookupButtonClick(TObject* Sender) {
  if (Sender == FBeginButton)
    OpenLookup(FBeginEdit);
  else if (Sender == FFinalButton)
    OpenLookup(FFinalEdit);
  else
    OpenLookup(FList);
}

void TSelectPanel::OpenLookup(TWinControl* Target) {
  if (Designing() || !Target) return;
  if (Target->CanFocus()) {
    Target->SetFocus();
    // A field that kept the focus (its check on leaving failed) stops the
    // lookup: the person first has to put that field right.
    TCustomForm* form = GetParentForm(Target);
    if (form && form->ActiveControl() != Target) return;
  }
  if (auto* window = ObjectAs<TWinControl>(Owner()))
    SendMessage(window->Handle(), WM_LOOKUPREQUEST, 0, ObjectToLParam(static_cast<TControl*>(Target)));
  OnOpenWinClick(this, Target);
}

// ===========================================================================
// Ordering the bounds

TDateTime TSelectPanel::ReadDateBound(const AnsiString& Text) const {
  AnsiString t = Trim(Text);
  if (t.empty() || t == Trim(FBlankMaskText)) return TDateTime(0);
  if (FDateType == dt_NoneCare || FDateSign.empty()) return TDateTime(0);
  int signs = 0;
  for (std::size_t at = t.find(FDateSign); at != AnsiString::npos; at = t.find(FDateSign, at + FDateSign.size()))
    ++signs;
  if (signs == 1) {
    if (FDateType == dt_MMDDYYYY)
      t = Copy(t, 1, 2) + FDateSign + "01" + Copy(t, 3, static_cast<int>(t.size()));
    else if (FDateType == dt_DDMMYYYY)
      t = "01" + FDateSign + t;
    else
      t = t + FDateSign + "01";
  } else if (signs != 2) {
    return TDateTime(0);
  }
  std::vector<int> n;
  std::size_t from = 0;
  for (int i = 0; i < 3; ++i) {
    std::size_t at = i < 2 ? t.find(FDateSign, from) : AnsiString::npos;
    AnsiString part = Trim(t.substr(from, at == AnsiString::npos ? AnsiString::npos : at - from));
    if (!AllDigits(part) || part.size() > 9) return TDateTime(0);
    n.push_back(StrToInt(part));
    if (at != AnsiString::npos) from = at + FDateSign.size();
  }
  int y = 0, m = 0, d = 0;
  switch (FDateType) {
    case dt_YYYYMMDD: y = n[0]; m = n[1]; d = n[2]; break;
    case dt_MMDDYYYY: m = n[0]; d = n[1]; y = n[2]; break;
    case dt_DDMMYYYY: d = n[0]; m = n[1]; y = n[2]; break;
    case dt_YYMMDD:
    case dt_YYYMMDD: y = n[0] + 1911; m = n[1]; d = n[2]; break;
    default: return TDateTime(0);
  }
  TDateTime date;
  return TryEncodeDate(y, m, d, date) ? date : TDateTime(0);
}

bool TSelectPanel::OrderBounds() {
  // The exchange moves the edits' own texts; the comparison sees them trimmed.
  const AnsiString rawBegin = FBeginEdit->Text();
  const AnsiString rawEnd = FFinalEdit->Text();
  AnsiString b = rawBegin;
  AnsiString e = rawEnd;
  if (FEditMask.empty() || FEditMask[0] != '!') {
    b = Trim(b);
    e = Trim(e);
    // A masked edit keeps its characters in their mask positions: written
    // back, "2024/03/  " trimmed would shift into the wrong places.
    if (!FBeginEdit->IsMasked() && b != rawBegin) FBeginEdit->SetText(b);
    if (!FFinalEdit->IsMasked() && e != rawEnd) FFinalEdit->SetText(e);
  }
  if (b.empty() || e.empty()) return false;

  const AnsiString blank = Trim(FBlankMaskText);
  const AnsiString discard = Trim(FDiscard);
  auto isBlank = [&](const AnsiString& S) { return S == FBlankMaskText || Trim(S) == blank; };
  auto isDiscard = [&](const AnsiString& S) { return FUseDiscard && Trim(S) == discard; };
  bool exchange = false;
  switch (FValueType) {
    case vt_Number:
      exchange = StrToInt64Def(Trim(e), 0) < StrToInt64Def(Trim(b), 0);
      break;
    case vt_Date:
      if (!FAutoChangeDateSite || isBlank(b) || isBlank(e) || isDiscard(b) || isDiscard(e)) break;
      if (FDateType == dt_NoneCare)
        exchange = CompareStr(b, e) > 0;
      else
        exchange = ReadDateBound(b).Value > ReadDateBound(e).Value;
      break;
    case vt_Float:
      b = NormaliseFloatText(b);
      e = NormaliseFloatText(e);
      FBeginEdit->SetText(b);
      FFinalEdit->SetText(e);
      exchange = StrToFloatOr(e, 0) < StrToFloatOr(b, 0);
      break;
    case vt_OtherMask:
      break;
    case vt_String:
    case vt_Time:
      if (isBlank(b) || isBlank(e) || isDiscard(b) || isDiscard(e)) break;
      exchange = CompareStr(b, e) > 0;
      break;
  }
  if (exchange) {
    const AnsiString begin = FBeginEdit->Text();
    FBeginEdit->SetText(FFinalEdit->Text());
    FFinalEdit->SetText(begin);
  }
  return exchange;
}

void TSelectPanel::DoExit() {
  if (Designing()) return;
  OrderBounds();
  TGroupBox::DoExit();
}

// ===========================================================================
// Focus and enabled state

void TSelectPanel::SetFocus() {
  if (IsRangeEntry())
    FBeginEdit->SetFocus();
  else
    FList->SetFocus();
}

namespace {
void EnableTree(TWinControl* Parent, bool Value) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    c->SetEnabled(Value);
    if (auto* w = ObjectAs<TWinControl>(c)) EnableTree(w, Value);
  }
}
}  // namespace

void TSelectPanel::SetEnabled(bool Value) {
  TGroupBox::SetEnabled(Value);
  EnableTree(this, Value);
}

// ===========================================================================
// Saved value and condition value

AnsiString TSelectPanel::RowsText() const {
  AnsiString s;
  for (int i = 0; i < FList->Items()->Count(); ++i) {
    TListItem* item = FList->Items()->Item(i);
    s += item->Caption();
    for (int k = 0; k < item->SubItems()->Count(); ++k) s += SaveColumnSep + item->SubItems()->Strings(k);
    s += SaveRowEnd;
  }
  return s;
}

void TSelectPanel::LoadRows(const AnsiString& Rows) {
  // Every row is closed by the character 4: text after the last one is a row
  // cut short, and the whole value is refused before the list is touched.
  if (!Rows.empty() && Rows.back() != SaveRowEnd) ParseError();
  std::vector<AnsiString> rows = SplitAll(Rows, SaveRowEnd);
  rows.pop_back();  // the empty text after the last closing character
  FList->Clear();
  for (const AnsiString& row : rows) {
    if (row.empty()) continue;
    if (!FList->AddRow(SplitAll(row, SaveColumnSep))) ParseError();
  }
}

AnsiString TSelectPanel::SaveValue() const {
  AnsiString s = kStyleNames[FStyle];
  s += SaveFieldSep;
  if (FStyle == sp_Range) return s + FBeginEdit->Text() + SaveFieldSep + FFinalEdit->Text();
  if (FStyle == sp_Discrete) return s + RowsText();
  if (FStyleSwitch->Checked()) return s + "True" + SaveFieldSep + FBeginEdit->Text() + SaveFieldSep + FFinalEdit->Text();
  return s + "False" + SaveFieldSep + RowsText();
}

void TSelectPanel::LoadValue(const AnsiString& Value) {
  std::vector<AnsiString> parts = SplitAll(Value, SaveFieldSep);
  auto part = [&parts](std::size_t I) { return I < parts.size() ? parts[I] : AnsiString(); };
  const AnsiString& style = parts[0];
  if (style == "sp_Range") {
    FBeginEdit->SetText(part(1));
    FFinalEdit->SetText(part(2));
  } else if (style == "sp_Discrete") {
    // The rows are one field: a value without it, or with more fields, was
    // not written by a panel.
    if (parts.size() != 2) ParseError();
    LoadRows(parts[1]);
  } else if (style == "sp_UserChoice") {
    const bool range = part(1) == "True";
    SetUserChoice(range);
    if (range) {
      FBeginEdit->SetText(part(2));
      FFinalEdit->SetText(part(3));
    } else {
      if (parts.size() > 3) ParseError();
      LoadRows(part(2));
    }
  }
}

Variant TSelectPanel::ConditionValue() const {
  if (IsRangeEntry())
    return VarArrayOf({Variant(AnsiString(1, '\x04')), Variant(FBeginEdit->Text()), Variant(FFinalEdit->Text())});
  const int n = FList->Items()->Count();
  Variant list = VarArrayCreate({0, n}, varVariant);
  list.PutElement({0}, Variant(AnsiString(1, '\x05')));
  for (int i = 0; i < n; ++i) {
    TListItem* item = FList->Items()->Item(i);
    const int subs = item->SubItems()->Count();
    Variant row = VarArrayCreate({0, subs}, varVariant);
    row.PutElement({0}, Variant(item->Caption()));
    for (int k = 0; k < subs; ++k) row.PutElement({k + 1}, Variant(item->SubItems()->Strings(k)));
    list.PutElement({i + 1}, row);
  }
  return list;
}

// ===========================================================================
// Events of the parts

void TSelectPanel::PartClick(TObject* Sender) {
  if (Designing()) return;
  const bool own = Sender == FBeginEdit || Sender == FFinalEdit || Sender == FList;
  OnClick(own ? Sender : this);
}

void TSelectPanel::PartDblClick(TObject* Sender) {
  if (Designing()) return;
  const bool own = Sender == FBeginEdit || Sender == FFinalEdit || Sender == FList;
  OnDblClick(own ? Sender : this);
}

void TSelectPanel::PartKeyDown(TObject* Sender, unsigned short& Key, TShiftState Shift) {
  if (!Designing()) OnKeyDown(Sender, Key, Shift);
}

void TSelectPanel::PartKeyUp(TObject* Sender, unsigned short& Key, TShiftState Shift) {
  if (!Designing()) OnKeyUp(Sender, Key, Shift);
}

void TSelectPanel::PartKeyPress(TObject* Sender, char& Key) {
  if (!Designing()) OnKeyPress(Sender, Key);
}

void TSelectPanel::ListSelectItem(TObject* Sender, TListItem* Item, bool Selected) {
  if (Designing() || FList->Sorting() || !Item) return;
  OnItemSelect(Sender, Item, Item->Index(), Selected);
}

void TSelectPanel::ListItemChange(TObject* Sender, TListItem* Item, TItemChangeKind Change) {
  if (!Designing()) OnItemChange(Sender, Item, Change);
}

void TSelectPanel::ListItemChanging(TObject* Sender, TListItem* Item, TItemChangeKind Change,
                                    bool& Allow) {
  if (!Designing()) OnItemChanging(Sender, Item, Change, Allow);
}

// Published properties: registration, lookup, typed and generic access by
// name and by dotted path, enumerations and sets as text, identifier maps,
// defaults and stored flags, collections.

#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"
#include "tests/vcl/fixtures_components.h"

namespace {

TEST(PropInfo, KindsTypeNamesAndOrder) {
  struct Case {
    const char* Name;
    TTypeKind Kind;
    const char* TypeName;
  };
  const Case Cases[] = {
      {"Name", tkLString, "String"},       {"Tag", tkInteger, "Integer"},
      {"Left", tkInteger, "Integer"},      {"Caption", tkLString, "String"},
      {"Hint", tkWString, "WideString"},   {"Visible", tkEnumeration, "Boolean"},
      {"Color", tkInteger, "TColor"},      {"Cursor", tkInteger, "TCursor"},
      {"Bevel", tkEnumeration, "TTestBevel"}, {"Ratio", tkFloat, "Double"},
      {"Accel", tkChar, "Char"},           {"Big", tkInt64, "Int64"},
      {"Value", tkVariant, "Variant"},     {"Font", tkClass, "TTestFont"},
      {"Items", tkClass, "TStrings"},      {"Panels", tkClass, "TTestPanels"},
      {"Partner", tkClass, "TTestControl"}, {"OnClick", tkMethod, "TNotifyEvent"},
      {"OnKeyPress", tkMethod, "TKeyPressEvent"},
  };
  TTestControl C(nullptr);
  for (const Case& K : Cases) {
    const TPropInfo* P = GetPropInfo(&C, K.Name);
    ASSERT_NE(P, nullptr) << K.Name;
    EXPECT_EQ(P->Kind(), K.Kind) << K.Name;
    EXPECT_EQ(P->PropType->Name, K.TypeName) << K.Name;
  }
  EXPECT_EQ(GetPropInfo(&C, "cAPTION"), GetPropInfo(&C, "Caption"));
  EXPECT_EQ(GetPropInfo(&C, "NoSuch"), nullptr);
  const TTypeInfo* Style = GetPropInfo(C.Font(), "Style")->PropType;
  EXPECT_EQ(Style->Kind, tkSet);
  EXPECT_EQ(Style->CompType->Name, "TTestFontStyle");

  // Ancestors' properties come first, then the class's own in registration order.
  auto List = GetPropList(&C);
  ASSERT_GE(List.size(), 4u);
  EXPECT_EQ(List[0]->Name, "Name");
  EXPECT_EQ(List[1]->Name, "Tag");
  EXPECT_EQ(List[2]->Name, "Left");
  auto Methods = GetPropList(&C, TTypeKinds{tkMethod});
  ASSERT_EQ(Methods.size(), 3u);
  EXPECT_EQ(Methods[0]->Name, "OnClick");
  // A form inherits the control's table without registering it again.
  TTestForm F(nullptr);
  EXPECT_EQ(GetPropInfo(&F, "Caption"), GetPropInfo(&C, "Caption"));
}

TEST(PropAccess, TypedHelpersByName) {
  TTestControl C(nullptr);
  SetOrdProp(&C, "Left", 12);
  EXPECT_EQ(C.Left, 12);
  EXPECT_EQ(GetOrdProp(&C, "left"), 12);
  SetStrProp(&C, "Caption", "OK");
  EXPECT_EQ(GetStrProp(&C, "Caption"), "OK");
  SetFloatProp(&C, "Ratio", 0.25);
  EXPECT_DOUBLE_EQ(GetFloatProp(&C, "Ratio"), 0.25);
  SetEnumProp(&C, "Bevel", "tbSunken");
  EXPECT_EQ(C.Bevel, tbSunken);
  EXPECT_EQ(GetEnumProp(&C, "Bevel"), "tbSunken");
  SetSetProp(C.Font(), "Style", " [ tfBold , tfUnderline ] ");
  EXPECT_TRUE(C.Font()->Style.Contains(tfBold));
  EXPECT_TRUE(C.Font()->Style.Contains(tfUnderline));
  EXPECT_FALSE(C.Font()->Style.Contains(tfItalic));
  EXPECT_EQ(GetSetProp(C.Font(), "Style", true), "[tfBold,tfUnderline]");
  EXPECT_EQ(GetObjectProp(&C, "Font"), C.Font());

  // Wide strings travel through the process code page.
  SetStrProp(&C, "Hint", GB("提示"));
  EXPECT_EQ(C.Hint, u"提示");
  EXPECT_EQ(GetStrProp(&C, "Hint"), GB("提示"));
}

TEST(PropAccess, ErrorsOfKindNameRangeAndElement) {
  TTestControl C(nullptr);
  struct Case {
    const char* What;
    std::function<void()> Act;
    const char* Message;
  };
  const Case Cases[] = {
      {"missing", [&] { SetOrdProp(&C, "NoSuch", 1); }, "Property NoSuch does not exist"},
      {"string as ordinal", [&] { SetOrdProp(&C, "Caption", 1); }, "Invalid property type: String"},
      {"ordinal as string", [&] { GetStrProp(&C, "Left"); }, "Invalid property type: Integer"},
      {"enum out of range", [&] { SetOrdProp(&C, "Bevel", 3); }, "Range check error"},
      {"charset out of range", [&] { SetOrdProp(C.Font(), "Charset", 256); }, "Range check error"},
      {"unknown enum name", [&] { SetEnumProp(&C, "Bevel", "tbFlat"); }, "Invalid property element: tbFlat"},
      {"unknown set element", [&] { SetSetProp(C.Font(), "Style", "[tfBold,tfHuge]"); }, "Invalid property element: tfHuge"},
      {"read-only", [&] { SetObjectProp(&C, "Font", nullptr); }, "Property is read-only"},
      {"wrong class", [&] { SetObjectProp(&C, "Partner", C.Font()); }, "Invalid property value: TTestFont is not a TTestControl"},
      {"method as value", [&] { GetPropValue(&C, "OnClick"); }, "Invalid property type: TNotifyEvent"},
      {"path through a non-object", [&] { SetPropValue(&C, "Left.X", 1); }, "Invalid property path"},
      {"path through a missing object", [&] { SetPropValue(&C, "Partner.Left", 1); }, "Invalid property path"},
      {"missing step", [&] { SetPropValue(&C, "Fnt.Charset", 1); }, "Property Fnt does not exist"},
  };
  for (const Case& K : Cases) {
    try {
      K.Act();
      ADD_FAILURE() << K.What << ": no error";
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message, K.Message) << K.What;
    }
  }
  EXPECT_EQ(C.Bevel, tbNone);
  EXPECT_EQ(C.Font()->Charset(), DEFAULT_CHARSET);
  EXPECT_TRUE(C.Font()->Style.Empty());
}

TEST(PropAccess, ValuesByDottedPath) {
  TTestControl C(nullptr);
  TTestControl Other(nullptr);
  // Text values become numbers, names, sets and identifiers as the type needs.
  struct Case {
    const char* Path;
    Variant Value;
    const char* Text;  // GetPropText afterwards
  };
  const Case Cases[] = {
      {"Font.Charset", Variant("GB2312_CHARSET"), "GB2312_CHARSET"},
      {"Font.Charset", Variant(136), "CHINESEBIG5_CHARSET"},
      {"Font.Charset", Variant(" 77 "), "MAC_CHARSET"},
      {"Font.Color", Variant("clRed"), "clRed"},
      {"font.color", Variant(0xAFFFFF), "11534335"},
      {"Font.Color", Variant("$00FF0000"), "clBlue"},
      {"Font.Style", Variant("  [tfBold]  "), "[tfBold]"},
      {"Font.Style", Variant(6), "[tfItalic,tfUnderline]"},
      {"Font.Name", Variant("Tahoma"), "Tahoma"},
      {"Font.Size", Variant("11"), "11"},
      {"Cursor", Variant("crHourGlass"), "crHourGlass"},
      {"Cursor", Variant(-17), "crSQLWait"},
      {"Color", Variant("clBtnFace"), "clBtnFace"},
      {"Visible", Variant(false), "False"},
      {"Visible", Variant("true"), "True"},
      {"Bevel", Variant(" tbRaised"), "tbRaised"},
      {"Ratio", Variant("1.5"), "1.5"},
      {"Ratio", Variant(2), "2"},
      {"Big", Variant(int64_t{1} << 40), "1099511627776"},
      {"Accel", Variant("&"), "&"},
      {"Value", Variant(42), "42"},
  };
  for (const Case& K : Cases) {
    SetPropValue(&C, K.Path, K.Value);
    EXPECT_EQ(GetPropText(&C, K.Path), K.Text) << K.Path;
  }
  EXPECT_EQ(C.Font()->Charset(), MAC_CHARSET);
  EXPECT_EQ(C.Font()->Color(), clBlue);
  EXPECT_EQ(C.Cursor, crSQLWait);

  // Values as Variants: enumerations as names, Boolean as a boolean.
  EXPECT_EQ(VarToStr(GetPropValue(&C, "Bevel")), "tbRaised");
  EXPECT_EQ(GetPropValue(&C, "Bevel", false).AsInteger(), 1);
  EXPECT_EQ(GetPropValue(&C, "Visible").VarType(), varBoolean);
  EXPECT_EQ(VarToStr(GetPropValue(&C, "Font.Style")), "tfItalic,tfUnderline");
  EXPECT_EQ(GetPropValue(&C, "Font.Charset").AsInteger(), 77);

  // Texts through SetPropText, including class-typed values by component name.
  TComponent Owner(nullptr);
  auto* A = new TTestControl(&Owner);
  A->SetName("pnlA");
  auto* B = new TTestControl(&Owner);
  B->SetName("pnlB");
  SetPropText(A, "Partner", "PNLB");
  EXPECT_EQ(A->Partner, B);
  EXPECT_EQ(GetPropText(A, "Partner"), "pnlB");
  SetPropText(A, "Partner", "");
  EXPECT_EQ(A->Partner, nullptr);
  EXPECT_THROW(SetPropText(A, "Partner", "pnlNone"), EPropertyConvertError);
  EXPECT_THROW(SetPropText(&C, "Left", "abc"), EConvertError);
  EXPECT_TRUE(IsPublishedProp(&C, "Font.Charset"));
  EXPECT_FALSE(IsPublishedProp(&C, "Font.Weight"));
  EXPECT_FALSE(IsPublishedProp(&C, "Partner.Left"));
}

TEST(PropAccess, EnumerationAndSetTextHelpers) {
  const TTypeInfo* Bevel = TypeInfoOf<TTestBevel>();
  EXPECT_EQ(GetEnumName(Bevel, 2), "tbSunken");
  EXPECT_EQ(GetEnumName(Bevel, 3), "");
  EXPECT_EQ(GetEnumValue(Bevel, "TBRAISED"), 1);
  EXPECT_EQ(GetEnumValue(Bevel, "tbFlat"), -1);
  EXPECT_EQ(GetEnumValue(TypeInfoOf<bool>(), "true"), 1);
  const TTypeInfo* Styles = TypeInfoOf<TTestFontStyles>();
  EXPECT_EQ(SetToString(Styles, 0, true), "[]");
  EXPECT_EQ(SetToString(Styles, 0b1001, false), "tfBold,tfStrikeOut");
  EXPECT_EQ(StringToSet(Styles, "[]"), 0u);
  EXPECT_EQ(StringToSet(Styles, "tfItalic"), 0b10u);
  EXPECT_THROW(StringToSet(Styles, "[tfBold,,tfItalic]"), EPropertyConvertError);
  EXPECT_EQ(FindTypeInfo("tcolor"), &TypeInfo_TColor());
}

TEST(IdentMaps, ColoursCursorsCharsets) {
  struct ColorCase {
    const char* Text;
    TColor Color;
    const char* Back;
  };
  const ColorCase Colors[] = {
      {"clRed", clRed, "clRed"},
      {"CLWINDOWTEXT", clWindowText, "clWindowText"},
      {"clBtnFace", static_cast<TColor>(0x8000000F), "clBtnFace"},
      {"$00AFFFFF", 0xAFFFFF, "$00AFFFFF"},
      {"11534335", 0xAFFFFF, "$00AFFFFF"},
      {"clNone", clNone, "clNone"},
  };
  for (const ColorCase& C : Colors) {
    EXPECT_EQ(StringToColor(C.Text), C.Color) << C.Text;
    EXPECT_EQ(ColorToString(C.Color), C.Back) << C.Text;
  }
  EXPECT_THROW(StringToColor("clReddish"), EConvertError);
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);

  EXPECT_EQ(StringToCursor("crHourGlass"), crHourGlass);
  EXPECT_EQ(CursorToString(crSQLWait), "crSQLWait");
  EXPECT_EQ(CursorToString(5), "5");

  int32_t Charset = -1;
  EXPECT_TRUE(IdentToCharset("gb2312_charset", Charset));
  EXPECT_EQ(Charset, 134);
  AnsiString Ident;
  EXPECT_TRUE(CharsetToIdent(136, Ident));
  EXPECT_EQ(Ident, "CHINESEBIG5_CHARSET");
  EXPECT_FALSE(CharsetToIdent(3, Ident));
}

TEST(Defaults, StoredFlagsAndDefaultValues) {
  TTestControl C(nullptr);
  auto Default = [&](const char* Name) { return IsDefaultPropValue(&C, GetPropInfo(&C, Name)); };
  EXPECT_TRUE(Default("Visible"));
  EXPECT_TRUE(Default("Color"));
  EXPECT_TRUE(Default("Caption"));
  EXPECT_TRUE(Default("Ratio"));
  EXPECT_TRUE(Default("OnClick"));
  EXPECT_FALSE(Default("Big"));  // no default declared: always written
  C.Visible = false;
  C.Caption = "x";
  C.Ratio = 1;
  C.OnClick = TNotifyEvent([](void*, TObject*) {}, nullptr);
  EXPECT_FALSE(Default("Visible"));
  EXPECT_FALSE(Default("Caption"));
  EXPECT_FALSE(Default("Ratio"));
  EXPECT_FALSE(Default("OnClick"));

  EXPECT_FALSE(IsStoredProp(&C, GetPropInfo(&C, "Name")));
  EXPECT_TRUE(IsStoredProp(&C, GetPropInfo(&C, "Font")));
  C.SetParentFont(true);
  EXPECT_FALSE(IsStoredProp(&C, GetPropInfo(&C, "Font")));
}

TEST(Collections, ItemsIdsUpdatesAndAssign) {
  TComponent Owner(nullptr);
  auto* C = new TTestControl(&Owner);
  C->SetName("sbMain");
  TTestPanels* Panels = C->Panels();
  Panels->Updates = 0;
  auto* First = static_cast<TTestPanelItem*>(Panels->Add());
  auto* Second = static_cast<TTestPanelItem*>(Panels->Add());
  EXPECT_EQ(Panels->Updates, 2);
  First->Text = "a";
  Second->Text = "b";
  EXPECT_EQ(Second->Index(), 1);
  EXPECT_EQ(Second->GetNamePath(), "sbMain.Panels[1]");
  Second->SetIndex(0);
  EXPECT_EQ(Panels->Item(0), Second);
  EXPECT_EQ(Panels->FindItemID(First->ID()), First);

  Panels->BeginUpdate();
  Panels->Add();
  Panels->Add();
  int Before = Panels->Updates;
  Panels->EndUpdate();
  EXPECT_EQ(Panels->Updates, Before + 1);

  // Items without an Assign of their own copy their published properties.
  TTestPanels Copy(nullptr);
  Copy.Assign(Panels);
  ASSERT_EQ(Copy.Count(), 4);
  EXPECT_EQ(Copy.Item(0)->Text, "b");
  EXPECT_EQ(Copy.Item(1)->Text, "a");
  delete Panels->Items(0);
  EXPECT_EQ(Panels->Count(), 3);
  EXPECT_THROW(Panels->Delete(3), EListError);
  Panels->Clear();
  EXPECT_EQ(Panels->Count(), 0);
  EXPECT_EQ(Copy.Count(), 4);
}

TEST(AssignPublished, CopiesValuesAssignsSubObjectsAndSharesReferences) {
  TComponent Owner(nullptr);
  auto* Src = new TTestControl(&Owner);
  auto* Dst = new TTestControl(&Owner);
  auto* Mate = new TTestControl(&Owner);
  Src->Caption = "Src";
  Src->Left = 5;
  Src->Partner = Mate;
  Src->Font()->SetCharset(GB2312_CHARSET);
  Src->Items()->Add("one");
  AssignPublishedProperties(Dst, Src);
  EXPECT_EQ(Dst->Caption, "Src");
  EXPECT_EQ(Dst->Left, 5);
  EXPECT_EQ(Dst->Partner, Mate);
  EXPECT_NE(Dst->Font(), Src->Font());
  EXPECT_EQ(Dst->Font()->Charset(), GB2312_CHARSET);
  EXPECT_EQ(Dst->Items()->Text(), "one\r\n");
  EXPECT_EQ(Dst->Name(), "");  // not stored
}

}  // namespace

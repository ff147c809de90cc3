// Published properties read and written by name.

#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/Component.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Publisher.h"
#include "src/report/PropHelpers.h"

namespace {

class TPropProbe : public TComponent {
  KW_DECLARE_CLASS(TPropProbe, TComponent)
  KW_PUBLISHED(TPropProbe)
 public:
  explicit TPropProbe(TComponent* AOwner) : TComponent(AOwner) {}

  TFont* Font() const { return FFont.get(); }
  const AnsiString& Code() const { return FCode; }

  AnsiString Caption;
  WideString Hint;
  int Count = 0;
  bool Checked = false;
  double Ratio = 0;
  TNotifyEvent OnClick;

 private:
  std::unique_ptr<TFont> FFont = std::make_unique<TFont>();
  AnsiString FCode = "fixed";
};

}  // namespace

KW_REGISTER_CLASS(TPropProbe)
void TPropProbe::PublishMembers(TPublisher<TPropProbe>& P) {
  P.Property("Caption", &TPropProbe::Caption, &TPropProbe::Caption);
  P.Property("Hint", &TPropProbe::Hint, &TPropProbe::Hint);
  P.Property("Count", &TPropProbe::Count, &TPropProbe::Count);
  P.Property("Checked", &TPropProbe::Checked, &TPropProbe::Checked);
  P.Property("Ratio", &TPropProbe::Ratio, &TPropProbe::Ratio);
  P.Property("Font", &TPropProbe::Font);
  P.Property("Code", &TPropProbe::Code, nullptr);
  P.Property("OnClick", &TPropProbe::OnClick, &TPropProbe::OnClick);
}

namespace {

void Clicked(void* Data, TObject*) { ++*static_cast<int*>(Data); }

class LibStrsProps : public ::testing::Test {
 protected:
  std::unique_ptr<TPropProbe> Probe{NewComponent<TPropProbe>(nullptr)};
};

TEST_F(LibStrsProps, TextsByNameAnyCaseAndWide) {
  SetStrPropByName(Probe.get(), "caption", "OK");
  EXPECT_EQ(Probe->Caption, "OK");
  EXPECT_EQ(GetStrPropByName(Probe.get(), "Caption"), "OK");
  SetStrPropByName(Probe.get(), "Hint", GB("确定"));
  EXPECT_EQ(Probe->Hint, u"确定");
  EXPECT_EQ(GetStrPropByName(Probe.get(), "Hint"), GB("确定"));
  EXPECT_EQ(GetStrPropByName(Probe.get(), "Code"), "fixed");
  SetStrPropByName(Probe.get(), "Code", "changed");  // read-only: nothing happens
  EXPECT_EQ(Probe->Code(), "fixed");
}

TEST_F(LibStrsProps, OrdinalsAndDottedPaths) {
  SetOrdPropByName(Probe.get(), "Count", 42);
  EXPECT_EQ(GetOrdPropByName(Probe.get(), "Count"), 42);
  SetOrdPropByName(Probe.get(), "Checked", 1);
  EXPECT_TRUE(Probe->Checked);
  SetOrdPropByName(Probe.get(), "Font.Charset", 134);
  EXPECT_EQ(Probe->Font()->Charset(), 134);
  EXPECT_EQ(GetOrdPropByName(Probe.get(), "Font.Charset"), 134);
  EXPECT_TRUE(HasPropByName(Probe.get(), "Font.Charset"));
}

TEST_F(LibStrsProps, EventsKeepTheirIdentity) {
  int clicks = 0;
  const TNotifyEvent handler(&Clicked, &clicks);
  SetMethodPropByName(Probe.get(), "OnClick", handler.Method);
  EXPECT_EQ(GetMethodPropByName(Probe.get(), "OnClick"), handler.Method);
  Probe->OnClick(Probe.get());
  EXPECT_EQ(clicks, 1);
  SetMethodPropByName(Probe.get(), "OnClick", TMethod());
  EXPECT_FALSE(Probe->OnClick.Assigned());
}

TEST_F(LibStrsProps, MissingComponentNameOrPropertyIsNoError) {
  struct Case {
    TObject* Component;
    const char* Name;
  } cases[] = {
      {nullptr, "Caption"},
      {Probe.get(), ""},
      {Probe.get(), "Missing"},
      {Probe.get(), "Font.Missing"},
      {Probe.get(), "Caption.Length"},
      {Probe.get(), "Ratio"},  // a float is neither text, ordinal nor event
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetStrPropByName(c.Component, c.Name), "") << c.Name;
    EXPECT_EQ(GetOrdPropByName(c.Component, c.Name), 0) << c.Name;
    EXPECT_FALSE(GetMethodPropByName(c.Component, c.Name).Assigned()) << c.Name;
    EXPECT_NO_THROW(SetStrPropByName(c.Component, c.Name, "x")) << c.Name;
    EXPECT_NO_THROW(SetOrdPropByName(c.Component, c.Name, 1)) << c.Name;
    EXPECT_NO_THROW(SetMethodPropByName(c.Component, c.Name, TMethod{&cases, &cases})) << c.Name;
  }
  EXPECT_EQ(Probe->Ratio, 0);
  EXPECT_FALSE(Probe->OnClick.Assigned());
  EXPECT_FALSE(HasPropByName(nullptr, "Caption"));
  EXPECT_FALSE(HasPropByName(Probe.get(), ""));
  EXPECT_FALSE(HasPropByName(Probe.get(), "Missing"));
  EXPECT_TRUE(HasPropByName(Probe.get(), "ratio"));
}

TEST_F(LibStrsProps, KindMismatchLeavesTheValueAlone) {
  Probe->Caption = "keep";
  Probe->Count = 5;
  SetOrdPropByName(Probe.get(), "Caption", 7);
  SetStrPropByName(Probe.get(), "Count", "9");
  EXPECT_EQ(Probe->Caption, "keep");
  EXPECT_EQ(Probe->Count, 5);
  EXPECT_EQ(GetStrPropByName(Probe.get(), "Count"), "");
  EXPECT_EQ(GetOrdPropByName(Probe.get(), "OnClick"), 0);
}

}  // namespace

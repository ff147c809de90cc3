// Language files: applying a document to a window by property paths, the
// controller's life cycle and errors, the language folder by code page and
// the message look-up helpers.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "environment_fixture.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Publisher.h"
#include "src/environment/LanguageController.h"

// ---- Small components of our own ---------------------------------------------

class TLangTestPanel : public TCollectionItem {
  KW_DECLARE_CLASS(TLangTestPanel, TCollectionItem)
  KW_PUBLISHED(TLangTestPanel)
 public:
  using TCollectionItem::TCollectionItem;
  AnsiString Text;
};
KW_REGISTER_CLASS(TLangTestPanel)
void TLangTestPanel::PublishMembers(TPublisher<TLangTestPanel>& P) {
  P.Property("Text", &TLangTestPanel::Text, &TLangTestPanel::Text);
}

// A label-like component with a font, a line list and a collection.
class TLangTestLabel : public TComponent {
  KW_DECLARE_CLASS(TLangTestLabel, TComponent)
  KW_PUBLISHED(TLangTestLabel)
 public:
  explicit TLangTestLabel(TComponent* AOwner)
      : TComponent(AOwner),
        FFont(std::make_unique<TFont>()),
        FItems(std::make_unique<TStringList>()),
        FPanels(std::make_unique<TCollection>(this, ItemClassOf<TLangTestPanel>())) {}
  AnsiString Caption;
  AnsiString Hint;
  int Width = 10;
  TFont* Font() const { return FFont.get(); }
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  TCollection* Panels() const { return FPanels.get(); }
  TLangTestPanel* Panel(int i) const { return static_cast<TLangTestPanel*>(FPanels->Items(i)); }

 private:
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TStringList> FItems;
  std::unique_ptr<TCollection> FPanels;
};
KW_REGISTER_CLASS(TLangTestLabel)
void TLangTestLabel::PublishMembers(TPublisher<TLangTestLabel>& P) {
  P.Property("Caption", &TLangTestLabel::Caption, &TLangTestLabel::Caption);
  P.Property("Hint", &TLangTestLabel::Hint, &TLangTestLabel::Hint);
  P.Property("Width", &TLangTestLabel::Width, &TLangTestLabel::Width);
  P.Property("Font", &TLangTestLabel::Font);
  P.Property("Items", &TLangTestLabel::Items, &TLangTestLabel::SetItems);
  P.Property("Panels", &TLangTestLabel::Panels);
}

namespace {

using kwtest::Lines;
using kwtest::WriteAll;

// A window named frmTest with lblTitle (two lines, two panels) and
// pnlBox owning lblInner.
struct TTestWindow {
  TTestWindow() : Form(std::make_unique<TForm>(nullptr)) {
    Form->SetName("frmTest");
    Form->SetCaption("Old window");
    Title = new TLangTestLabel(Form.get());
    Title->SetName("lblTitle");
    Title->Caption = "Old";
    Title->Hint = "Old hint";
    Title->Items()->Add("zero");
    Title->Items()->Add("one");
    Title->Panels()->Add();
    Title->Panels()->Add();
    Box = new TLangTestLabel(Form.get());
    Box->SetName("pnlBox");
    Box->Caption = "Old box";
    Inner = new TLangTestLabel(Box);
    Inner->SetName("lblInner");
    Inner->Caption = "Old inner";
  }
  std::unique_ptr<TForm> Form;
  TLangTestLabel* Title;
  TLangTestLabel* Box;
  TLangTestLabel* Inner;
};

// Loads Xml as text and applies it to the window.
void Apply(const std::string& Xml, TTestWindow& W, const std::vector<AnsiString>& Exclude = {}) {
  TKwLangController c(nullptr);
  for (const auto& name : Exclude) c.ExcludeControls()->Add(name);
  TStringList text;
  text.SetText(Xml);
  c.SetXmlText(&text);
  c.SetActive(true);
  c.GetReader()->ReadComponent(W.Form.get());
}

struct TPathCase {
  const char* Attributes;  // on the element lblTitle
  std::function<void(const TTestWindow&)> Check;
};

TEST(LanguageReader, AttributePathForms) {
  const std::vector<TPathCase> cases = {
      {R"(Caption="New" Hint="Tip")",
       [](const TTestWindow& w) {
         EXPECT_EQ(w.Title->Caption, "New");
         EXPECT_EQ(w.Title->Hint, "Tip");
       }},
      {R"(Font.Name="Tahoma" Font.Color="clRed")",
       [](const TTestWindow& w) {
         EXPECT_EQ(w.Title->Font()->Name(), "Tahoma");
         EXPECT_EQ(w.Title->Font()->Color(), clRed);
       }},
      {R"(Font.Style="  [fsBold]  ")",
       [](const TTestWindow& w) { EXPECT_TRUE(w.Title->Font()->Style().Contains(fsBold)); }},
      {R"(Items_5="six")",
       [](const TTestWindow& w) {
         EXPECT_EQ(Lines(*w.Title->Items()),
                   (std::vector<AnsiString>{"zero", "one", "", "", "", "six"}));
       }},
      {R"(Items_0="first")",
       [](const TTestWindow& w) {
         EXPECT_EQ(Lines(*w.Title->Items()), (std::vector<AnsiString>{"first", "one"}));
       }},
      {R"(Panels.Items_1.Text="Ready")",
       [](const TTestWindow& w) {
         EXPECT_EQ(w.Title->Panel(0)->Text, "");
         EXPECT_EQ(w.Title->Panel(1)->Text, "Ready");
       }},
      // Out of range: the walk stays on the collection, which has no Text.
      {R"(Panels.Items_9.Text="Lost")",
       [](const TTestWindow& w) {
         EXPECT_EQ(w.Title->Panels()->Count(), 2);
         EXPECT_EQ(w.Title->Panel(0)->Text, "");
         EXPECT_EQ(w.Title->Panel(1)->Text, "");
       }},
      // Missing properties, a bad value and indexes that are not numbers are
      // skipped one attribute at a time; the attributes after them still apply.
      {R"(Missing="x" Font.Missing="x" Nope.Caption="x" Width="wide" Items_x="x" Items_-1="x" Caption="Kept going")",
       [](const TTestWindow& w) {
         EXPECT_EQ(w.Title->Caption, "Kept going");
         EXPECT_EQ(w.Title->Width, 10);
         EXPECT_EQ(Lines(*w.Title->Items()), (std::vector<AnsiString>{"zero", "one"}));
       }},
      {R"(Width="42")", [](const TTestWindow& w) { EXPECT_EQ(w.Title->Width, 42); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Attributes);
    TTestWindow w;
    Apply(std::string("<frmTest><lblTitle ") + c.Attributes + "/></frmTest>", w);
    c.Check(w);
  }
}

TEST(LanguageReader, DocumentElementAppliesToTheFormAndTagsMatchComponentNames) {
  TTestWindow w;
  Apply(R"(<Root Caption="New window">
             <Group><LBLTITLE Caption="wrong case"/><lblTitle Caption="First"/></Group>
             <lblTitle Caption="Second"/>
             <lblNobody Caption="Nobody"/>
           </Root>)",
        w);
  EXPECT_EQ(w.Form->Caption(), "New window");
  // The first element of the name in document order; tags compare with case.
  EXPECT_EQ(w.Title->Caption, "First");
  EXPECT_EQ(w.Box->Caption, "Old box");
  EXPECT_EQ(w.Inner->Caption, "Old inner");
}

TEST(LanguageReader, FormNameElementIsAppliedAfterTheDocumentElement) {
  TTestWindow w;
  Apply(R"(<Root Caption="From root"><frmTest Caption="From element"/></Root>)", w);
  EXPECT_EQ(w.Form->Caption(), "From element");
}

TEST(LanguageReader, ExcludedComponentKeepsItsTextsButItsComponentsAreRead) {
  TTestWindow w;
  Apply(R"(<frmTest><pnlBox Caption="New box"/><lblInner Caption="New inner"/>
           <lblTitle Caption="New title"/></frmTest>)",
        w, {"  PNLBOX "});
  EXPECT_EQ(w.Box->Caption, "Old box");
  EXPECT_EQ(w.Inner->Caption, "New inner");
  EXPECT_EQ(w.Title->Caption, "New title");
}

TEST(LanguageReader, AttributesByPositionAndByName) {
  TTestWindow w;
  auto doc = TLangDocument::LoadFromText(R"(<a><lblTitle Caption="C" Hint="H"/></a>)");
  TLangNode* node = doc->SelectSingleNode("//lblTitle");
  ASSERT_NE(node, nullptr);
  auto reader = TReaderFactory::CreateReader(w.Title, node);
  reader->ReadAttribute(Variant(1));
  EXPECT_EQ(w.Title->Caption, "Old");
  EXPECT_EQ(w.Title->Hint, "H");
  reader->ReadAttribute(Variant(AnsiString("Caption")));
  EXPECT_EQ(w.Title->Caption, "C");
  w.Title->Caption = "Old";
  reader->ReadAttribute(Variant(2.5));  // neither a position nor a name
  reader->ReadAttribute(Variant(7));    // no such attribute
  EXPECT_EQ(w.Title->Caption, "Old");
}

TEST(LanguageReader, AttributeTextIsTurnedIntoTheProcessCodePage) {
  const unsigned saved = GetACP();
  SetACP(936);
  const AnsiString gb = Utf8ToAnsi("\xe7\xa1\xae\xe5\xae\x9a", 936);  // "OK" in Chinese
  ASSERT_EQ(gb.size(), 4u);
  char dir[] = "/tmp/kw_language_XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string utf8File = std::string(dir) + "/utf8.Lng";
  const std::string gbFile = std::string(dir) + "/gb.Lng";
  WriteAll(utf8File, std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a><lblTitle Caption=\"") +
                         "\xe7\xa1\xae\xe5\xae\x9a" + "\"/></a>");
  WriteAll(gbFile, "<?xml version=\"1.0\" encoding=\"GB2312\"?><a><lblTitle Caption=\"" + gb +
                       "\"/></a>");
  for (const auto& file : {utf8File, gbFile}) {
    SCOPED_TRACE(file);
    TTestWindow w;
    TKwLangController c(nullptr);
    c.SetFileName(file);
    c.SetActive(true);
    c.GetReader()->ReadComponent(w.Form.get());
    EXPECT_EQ(w.Title->Caption, gb);
  }
  // Text held by the controller is already in the process code page.
  TTestWindow w;
  Apply("<a><lblTitle Caption=\"" + gb + "\"/></a>", w);
  EXPECT_EQ(w.Title->Caption, gb);
  std::filesystem::remove_all(dir);
  SetACP(saved);
}

// ---- Controller ---------------------------------------------------------------

class ControllerEvents {
 public:
  void BeforeOpen(TObject*) { Log.push_back("BeforeOpen"); }
  void AfterOpen(TObject*) { Log.push_back("AfterOpen"); }
  void BeforeClose(TObject*) { Log.push_back("BeforeClose"); }
  void AfterClose(TObject*) { Log.push_back("AfterClose"); }
  void BeforeLoad(TComponent* C, TLangNode* N) {
    Log.push_back("Before " + C->Name() + " " + NodeName(N));
  }
  void AfterLoad(TComponent* C, TLangNode* N) { Log.push_back("After " + C->Name()); }
  std::vector<AnsiString> Log;
};

TEST(LanguageController, EventsAroundOpenCloseAndEachComponentRead) {
  ControllerEvents e;
  TKwLangController c(nullptr);
  c.BeforeOpen = Bind<&ControllerEvents::BeforeOpen>(&e);
  c.AfterOpen = Bind<&ControllerEvents::AfterOpen>(&e);
  c.BeforeClose = Bind<&ControllerEvents::BeforeClose>(&e);
  c.AfterClose = Bind<&ControllerEvents::AfterClose>(&e);
  c.BeforeLoadComponent = Bind<&ControllerEvents::BeforeLoad>(&e);
  c.AfterLoadComponent = Bind<&ControllerEvents::AfterLoad>(&e);
  TStringList text;
  text.SetText(R"(<Root Caption="x"><lblInner Caption="y"/></Root>)");
  c.SetXmlText(&text);
  c.SetActive(true);
  TTestWindow w;
  c.GetReader()->ReadComponent(w.Form.get());
  c.SetActive(false);
  EXPECT_EQ(e.Log, (std::vector<AnsiString>{"BeforeOpen", "AfterOpen", "Before frmTest Root",
                                            "After frmTest", "Before lblInner lblInner",
                                            "After lblInner", "BeforeClose", "AfterClose"}));
}

TEST(LanguageController, LoadHandlersReachTheReaderOnlyWhenItIsMade) {
  ControllerEvents e;
  TKwLangController c(nullptr);
  TStringList text;
  text.SetText(R"(<Root/>)");
  c.SetXmlText(&text);
  c.SetActive(true);
  c.BeforeLoadComponent = Bind<&ControllerEvents::BeforeLoad>(&e);
  TTestWindow w;
  c.GetReader()->ReadComponent(w.Form.get());
  EXPECT_TRUE(e.Log.empty());
  c.SetActive(false);
  c.SetActive(true);
  c.GetReader()->ReadComponent(w.Form.get());
  EXPECT_EQ(e.Log, (std::vector<AnsiString>{"Before frmTest Root"}));
}

TEST(LanguageController, ErrorsAsLanguageControllerError) {
  char dir[] = "/tmp/kw_language_XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string bad = std::string(dir) + "/bad.Lng";
  WriteAll(bad, "<frmTest><lblTitle Caption=\"x\"></frmTest>");
  struct TCase {
    const char* What;
    std::function<void(TKwLangController&)> Setup;
    std::function<void(const std::string&)> CheckMessage;
  };
  const std::vector<TCase> cases = {
      {"no file and no text", [](TKwLangController&) {},
       [](const std::string& m) { EXPECT_EQ(m, "Cannot Find File !"); }},
      {"not well-formed file", [&](TKwLangController& c) { c.SetFileName(bad); },
       [](const std::string& m) { EXPECT_NE(m.find("Opening and ending tag mismatch"), std::string::npos); }},
      {"not well-formed text",
       [](TKwLangController& c) {
         TStringList t;
         t.SetText("<a b=></a>");
         c.SetXmlText(&t);
       },
       [](const std::string& m) { EXPECT_NE(m.find("AttValue"), std::string::npos) << m; }},
      {"missing file", [&](TKwLangController& c) { c.SetFileName(std::string(dir) + "/none.Lng"); },
       [](const std::string& m) { EXPECT_FALSE(m.empty()); }},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.What);
    TKwLangController c(nullptr);
    k.Setup(c);
    try {
      c.SetActive(true);
      ADD_FAILURE() << "no exception";
    } catch (const LanguageControllerError& e) {
      k.CheckMessage(e.Message);
    }
    EXPECT_FALSE(c.Active());
    try {
      c.GetReader();
      ADD_FAILURE() << "no exception";
    } catch (const LanguageControllerError& e) {
      EXPECT_EQ(e.Message, "No active LanguageController!");
    }
  }
  std::filesystem::remove_all(dir);
}

TEST(LanguageController, FileNameAndXmlTextReplaceEachOtherAndDeactivate) {
  char dir[] = "/tmp/kw_language_XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/a.Lng";
  WriteAll(file, "<a/>");
  TKwLangController c(nullptr);
  c.SetFileName(file);
  c.SetActive(true);
  EXPECT_TRUE(c.Active());
  c.SetFileName(file);  // the same name keeps the document
  EXPECT_TRUE(c.Active());

  c.XmlText()->Add("<b/>");  // an edit in place counts as a change
  EXPECT_FALSE(c.Active());
  EXPECT_EQ(c.FileName(), "");
  c.SetActive(true);
  EXPECT_EQ(NodeName(c.Document()->DocumentElement()), "b");

  c.SetFileName(file);
  EXPECT_FALSE(c.Active());
  EXPECT_EQ(c.XmlText()->Count(), 0);
  c.SetActive(true);
  EXPECT_EQ(NodeName(c.Document()->DocumentElement()), "a");

  TStringList text;
  text.Add("<c/>");
  c.SetXmlText(&text);
  EXPECT_FALSE(c.Active());
  EXPECT_EQ(c.FileName(), "");
  c.SetActive(true);
  EXPECT_EQ(NodeName(c.Document()->DocumentElement()), "c");
  std::filesystem::remove_all(dir);
}

TEST(LanguageController, ExcludeControlsReachTheActiveReaderAtOnce) {
  TKwLangController c(nullptr);
  TStringList text;
  text.SetText(R"(<a><lblTitle Caption="New"/></a>)");
  c.SetXmlText(&text);
  c.SetActive(true);
  TStringList exclude;
  exclude.Add("lblTitle");
  c.SetExcludeControls(&exclude);
  TTestWindow w;
  c.GetReader()->ReadComponent(w.Form.get());
  EXPECT_EQ(w.Title->Caption, "Old");
  c.ExcludeControls()->Clear();
  c.GetReader()->ReadComponent(w.Form.get());
  EXPECT_EQ(w.Title->Caption, "New");
}

TEST(LanguageController, ActiveStoredWithTheFormAppliesWhenLoadingEnds) {
  TKwLangController c(nullptr);
  TStringList text;
  text.SetText("<a/>");
  c.SetXmlText(&text);
  c.SetComponentStateFlag(csLoading, true);
  c.SetActive(true);
  EXPECT_FALSE(c.Active());
  c.Loaded();
  EXPECT_TRUE(c.Active());
}

TEST(LanguageController, PublishedProperties) {
  TKwLangController c(nullptr);
  std::vector<AnsiString> names;
  for (const TPropInfo* p : GetPropList(&c)) names.push_back(p->Name);
  for (const char* n : {"Active", "AfterClose", "AfterOpen", "BeforeClose", "BeforeOpen",
                        "AfterLoadComponent", "BeforeLoadComponent", "ExcludeControls",
                        "LangPackageName", "DesignType"})
    EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
  SetPropText(&c, "DesignType", "dtServer");
  EXPECT_EQ(c.DesignType(), dtServer);
}

// ---- Language folder and messages ------------------------------------------------

class LanguageFiles : public kwtest::Installation {
 protected:
  void ClientCodePage(const std::string& CodePage) {
    WriteAll(Install + "TandrilC.ini",
             CodePage.empty() ? "[Server]\n" : "[CodePage]\nUICodePage=" + CodePage + "\n");
  }
  void Folder(const std::string& Code) {
    std::filesystem::create_directories(Install + "MultiLanguage/" + Code);
  }
};

TEST_F(LanguageFiles, LanguageFolderByInterfaceCodePage) {
  struct TCase {
    unsigned SystemCodePage;
    const char* UICodePage;  // in TandrilC.ini; empty: not given
    const char* Folder;      // expected below Install; empty: ""
  };
  const std::vector<TCase> cases = {
      {936, "936", "MultiLanguage/CHS/"}, {936, "950", "MultiLanguage/CHT/"},
      {936, "437", "MultiLanguage/ENG/"}, {936, "", "MultiLanguage/CHS/"},
      {950, "", "MultiLanguage/CHT/"},    {1252, "", "MultiLanguage/ENG/"},
      {936, "1252", ""},                  {936, "65001", ""},
  };
  RegisterInstall();
  Folder("CHS");
  Folder("CHT");
  Folder("ENG");
  for (const auto& k : cases) {
    SCOPED_TRACE(std::to_string(k.SystemCodePage) + " / " + k.UICodePage);
    SetACP(k.SystemCodePage);
    ClientCodePage(k.UICodePage);
    const AnsiString expected = *k.Folder ? Install + k.Folder : "";
    EXPECT_EQ(GetLanguageFolder(dtClient), expected);
  }
}

TEST_F(LanguageFiles, MissingFolderOrInstallationGivesEmptyFolder) {
  SetACP(1252);
  EXPECT_EQ(GetLanguageFolder(dtClient), "");  // no registry key at all
  RegisterInstall();
  ClientCodePage("");
  EXPECT_EQ(GetLanguageFolder(dtClient), "");  // ENG folder does not exist
  Folder("ENG");
  EXPECT_EQ(GetLanguageFolder(dtClient), Install + "MultiLanguage/ENG/");
}

TEST_F(LanguageFiles, ServerDesignTypeFollowsTheServerConfiguration) {
  SetACP(936);
  WriteRegistry("ClientPath=" + Install + "\nServerPath=" + Root + "/server/\n");
  ClientCodePage("936");
  WriteAll(Root + "/server/TandrilS.ini", "[CodePage]\nUICodePage=950\n");
  Folder("CHS");
  std::filesystem::create_directories(Root + "/server/MultiLanguage/CHT");
  EXPECT_EQ(GetLanguageFolder(dtClient), Install + "MultiLanguage/CHS/");
  EXPECT_EQ(GetLanguageFolder(dtServer), Root + "/server/MultiLanguage/CHT/");
}

TEST_F(LanguageFiles, PackageNameResolvesTheFileAndTheSameNameKeepsItActive) {
  SetACP(936);
  RegisterInstall();
  ClientCodePage("936");
  Folder("CHS");
  WriteAll(Install + "MultiLanguage/CHS/TfrmBaseGene.Lng", "<TfrmBaseGene Caption=\"Base\"/>");
  TKwLangController c(nullptr);
  c.SetLangPackageName("TfrmBaseGene");
  EXPECT_EQ(c.FileName(), Install + "MultiLanguage/CHS/TfrmBaseGene.Lng");
  c.SetActive(true);
  c.SetLangPackageName("TfrmBaseGene");
  EXPECT_TRUE(c.Active());
  c.SetLangPackageName("TfrmOther");
  EXPECT_FALSE(c.Active());
  EXPECT_EQ(c.FileName(), Install + "MultiLanguage/CHS/TfrmOther.Lng");
}

TEST_F(LanguageFiles, MessageLookUpWithDefaults) {
  SetACP(936);
  RegisterInstall();
  ClientCodePage("936");
  Folder("CHS");
  const std::string dir = Install + "MultiLanguage/CHS/";
  WriteAll(dir + "TfrmBaseGene.Lng",
           R"(<TfrmBaseGene><sOption Msg="Options"/><sNoMsg Text="x"/>)"
           R"(<Deep><sCount Msg="%d rows in %s"/></Deep></TfrmBaseGene>)");
  WriteAll(dir + "TfrmBroken.Lng", R"(<TfrmBroken><sOption Msg="Options"></TfrmBroken>)");
  struct TCase {
    const char* Package;
    const char* Key;
    const char* Expected;
  };
  const std::vector<TCase> cases = {
      {"TfrmBaseGene", "sOption", "Options"},
      {"TfrmBaseGene", "sAbsent", "default"},
      {"TfrmBaseGene", "sNoMsg", "default"},   // element without a Msg attribute
      {"TfrmBaseGene", "sCount", "%d rows in %s"},
      {"TfrmBaseGene", "bad key[", "default"},  // not an XPath step
      {"TfrmBaseGene", "", "default"},
      {"TfrmMissing", "sOption", "default"},
      {"TfrmBroken", "sOption", "default"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(std::string(k.Package) + "/" + k.Key);
    EXPECT_EQ(GetPackageMessage(dtClient, k.Package, k.Key, "default"), k.Expected);
    EXPECT_EQ(GetLangMessage(dir + k.Package + ".Lng", k.Key, "default"), k.Expected);
  }
  EXPECT_EQ(FormatPackageMessage(dtClient, "TfrmBaseGene", "sCount", {3, "T1"}, "%d of %s"),
            "3 rows in T1");
  EXPECT_EQ(FormatPackageMessage(dtClient, "TfrmBaseGene", "sNone", {3, "T1"}, "%d of %s"),
            "3 of T1");
}

TEST(LanguageHelpers, AttributeTextAndObjectProperty) {
  auto doc = TLangDocument::LoadFromText(R"(<a><b Msg="text">inner</b></a>)");
  EXPECT_EQ(GetAttributeText(doc->SelectSingleNode("//b/@Msg")), "text");
  EXPECT_EQ(GetAttributeText(doc->SelectSingleNode("//b")), "");  // an element
  EXPECT_EQ(GetAttributeText(nullptr), "");

  TLangTestLabel label(nullptr);
  EXPECT_EQ(GetObjectProperty(&label, "Font"), label.Font());
  EXPECT_EQ(GetObjectProperty(&label, "Caption"), nullptr);
  EXPECT_EQ(GetObjectProperty(&label, "Missing"), nullptr);
  EXPECT_THROW(SetPropertyByPath(&label, "Width", "wide"), Exception);
  EXPECT_FALSE(TrySetPropertyByPath(&label, "Width", "wide"));
  EXPECT_TRUE(TrySetPropertyByPath(&label, "Missing", "x"));  // nothing to do is no error
  EXPECT_TRUE(TrySetPropertyByPath(&label, "Font.Color", " clBlue "));
  EXPECT_EQ(label.Font()->Color(), clBlue);
}

}  // namespace

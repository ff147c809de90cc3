// The host automation object itself: found by class name, its plain answers
// and the service requests it records.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/HostManager.h"
#include "platform/com/ComObj.h"
#include "tests/host/support_demo.h"

namespace {

TEST(Manager, IsCreatedByClassNameWithTheRegisteredSettings) {
  THostSettings settings = DemoHostSettings();
  settings.VersionType = 2;
  settings.ProductID = 5;
  RegisterHostManager(settings);
  Variant host = CreateOleObject("cortanworkcenter.manager");  // class names ignore case
  EXPECT_EQ(OleGet(host, "VersionType").AsInteger(), 2);
  EXPECT_EQ(OleGet(host, "ProductID").AsInteger(), 5);
  for (const char* sub : {"Com_Counter", "Com_Validator", "Com_F2Window"}) {
    Variant object = OleCall(host, sub);
    EXPECT_TRUE(VarIsDispatch(object)) << sub;
    EXPECT_EQ(object.AsDispatch(), OleCall(host, sub).AsDispatch()) << sub;
  }
  // Another object of the class has sub-objects of its own.
  EXPECT_NE(OleCall(CreateOleObject(HostClassName), "Com_Counter").AsDispatch(),
            OleCall(host, "Com_Counter").AsDispatch());
}

TEST(Manager, HelpAndFormStylesAreReportedAsServiceRequests) {
  std::vector<AnsiString> lines;
  THostSettings settings = DemoHostSettings();
  settings.OnServiceRequest = [&](const AnsiString& Line) { lines.push_back(Line); };
  RegisterHostManager(settings);
  Variant host = CreateOleObject(HostClassName);
  OleCall(host, "CallHelp", {VarArrayOf({Variant("ABC"), Variant("12070000")})});
  OleCall(host, "SetFormCreateStyle", {Variant("Layout 1")});
  EXPECT_EQ(VarToStr(OleGet(host, "FormCreateStyle")), "Layout 1");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "help: system ABC topic 12070000");
  EXPECT_EQ(lines[1], "form create style: Layout 1");
  EXPECT_THROW(OleCall(host, "CallHelp", {VarArrayOf({Variant("ABC")})}), EOleException);
  EXPECT_THROW(OleCall(host, "CallHelp", {Variant("ABC")}), EOleException);
}

TEST(Manager, GetFileListDescribesFilesOfThePackageFoldersOnly) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("kw_host_files_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder / "S_PKG");
  std::ofstream(folder / "S_PKG" / "ZKPW31S.so") << "module";
  std::ofstream(folder / "secret.txt") << "x";
  THostSettings settings = DemoHostSettings();
  settings.PackageFolders = {(folder / "missing").string(), (folder / "S_PKG").string()};
  RegisterHostManager(settings);
  Variant host = CreateOleObject(HostClassName);

  const AnsiString answer = VarToStr(OleCall(host, "GetFileList", {VarArrayOf({Variant("zkpw31s.so")})}));
  const std::string path = (folder / "S_PKG" / "ZKPW31S.so").string();
  ASSERT_EQ(answer.rfind("<Modify>", 0), 0u) << answer;
  // yyyymmddhhnnss
  EXPECT_EQ(answer.find("</Modify>"), 8u + 14u) << answer;
  EXPECT_NE(answer.find("<Path>" + path + "</Path>"), AnsiString::npos) << answer;
  for (const char* name : {"other.so", "../secret.txt", "", "*.so"})
    EXPECT_EQ(VarToStr(OleCall(host, "GetFileList", {VarArrayOf({Variant(name)})})), "") << name;
  std::filesystem::remove_all(folder);
}

TEST(Manager, UnknownMembersAndBadArgumentCountsRaiseAsAutomationDoes) {
  Variant host = NewDemoHost();
  EXPECT_THROW(OleCall(host, "Com_Phrase"), EOleError);
  EXPECT_THROW(OleCall(host, "GetMessage", {Variant("E")}), EOleSysError);
}

}  // namespace

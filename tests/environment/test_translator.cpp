// The GB/Big5 translator over the conversion library "Quillex.dll".

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "environment_fixture.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DynLib.h"
#include "platform/rtl/Exceptions.h"
#include "src/environment/TranslatorU.h"

namespace {

const std::vector<AnsiString> kLibraryFolder = {KW_QUILLEX_DIR};

// 资产 in GB and 資產 in Big5.
const AnsiString kAssetsGB = "\xD7\xCA\xB2\xFA";
const AnsiString kAssetsBig5 = "\xB8\xEA\xB2\xA3";

struct ConversionCase {
  const char* Name;
  AnsiString GB;
  AnsiString Big5;
};

TEST(Translator, ConvertsBothWays) {
  TTranslator t(kLibraryFolder);
  ASSERT_NE(t.Handle(), nullptr);
  const ConversionCase cases[] = {
      {"simplified to traditional", kAssetsGB, kAssetsBig5},
      {"letters and digits stay", "Voucher 2024-03/05", "Voucher 2024-03/05"},
      {"mixed text", "No." + kAssetsGB + "!", "No." + kAssetsBig5 + "!"},
      {"the same character in both scripts", Utf8ToAnsi("中文", 936), Utf8ToAnsi("中文", 950)},
      {"empty text", "", ""},
      {"an embedded NUL byte is kept", AnsiString("a\0b", 3) + kAssetsGB, AnsiString("a\0b", 3) + kAssetsBig5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(t.ToBig5(c.GB), c.Big5);
    EXPECT_EQ(t.LastReplacements(), 0);
    EXPECT_EQ(t.ToGB(c.Big5), c.GB);
    EXPECT_EQ(t.LastReplacements(), 0);
  }
}

TEST(Translator, ReplacesAndCountsWhatHasNoCounterpart) {
  TTranslator t(kLibraryFolder);
  struct Case {
    const char* Name;
    AnsiString Text;
    bool ToBig5;
    AnsiString Expected;
    int Replacements;
  };
  const AnsiString diaeresis = "\xA1\xA7";  // GB's "¨", which Big5 lacks
  const Case cases[] = {
      {"GB symbol without a Big5 form", "a" + diaeresis + kAssetsGB, true, "a?" + kAssetsBig5, 1},
      {"two of them", diaeresis + diaeresis, true, "??", 2},
      {"GB lead byte cut off at the end", kAssetsGB + "\x81", true, kAssetsBig5 + "?", 1},
      {"Big5 lead byte before a byte that cannot follow it", "\xB8 " + kAssetsBig5, false, "? " + kAssetsGB, 1},
      {"Big5 lead byte cut off at the end", "x\xB8", false, "x?", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const AnsiString out = c.ToBig5 ? t.ToBig5(c.Text) : t.ToGB(c.Text);
    EXPECT_EQ(out, c.Expected);
    EXPECT_EQ(t.LastReplacements(), c.Replacements);
  }
}

// Once a process has loaded the library, the system finds it by name
// wherever it lies, so these run in a fresh process of their own.
void ExpectLoadFailure(const std::function<void()>& Load, const char* Message) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        try {
          Load();
        } catch (const Exception& e) {
          std::fprintf(stderr, "<%s>", e.Message.c_str());
          std::_Exit(0);
        }
        std::_Exit(1);
      },
      ::testing::ExitedWithCode(0), Message);
}

TEST(TranslatorDeathTest, MissingLibraryNamesIt) {
  // Without the build folder there is no libQuillex.so to be found.
  ExpectLoadFailure([] { TTranslator t(std::vector<AnsiString>{}); }, "<Load Library Quillex\\.dll Error!>");
}

TEST(Translator, LibraryWithoutOneDirectionIsRefused) {
  try {
    TTranslator t(std::vector<AnsiString>{KW_QUILLEX_FIXTURE_DIR}, "QuillexWithoutBig5ToGB.dll");
    FAIL() << "a library without BIG5toGB was accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Get Library Procedure Address Error!");
  }
}

class TranslatorInstallation : public kwtest::Installation {};

TEST_F(TranslatorInstallation, FindsTheLibraryInThePackageFolders) {
  RegisterInstall();
  kwtest::WriteAll(Install + "TandrilC.ini", std::string("[WorkDLLPath]\nQuillex=") + KW_QUILLEX_DIR + "\n");
  const std::vector<AnsiString> folders = TTranslator::PackageFolders();
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0], Install);
  EXPECT_EQ(folders[1], AnsiString(KW_QUILLEX_DIR) + "/");
  TTranslator t;
  EXPECT_EQ(t.ToBig5(kAssetsGB), kAssetsBig5);
}

TEST(TranslatorDeathTest, WithoutConfigurationOnlyTheUsualPlacesAreSearched) {
  // Nothing to clean up here: the child process ends inside the statement.
  kwtest::ScopedEnv registry("KWE_REGISTRY", "/nonexistent/kw_registry.ini");
  EXPECT_TRUE(TTranslator::PackageFolders().empty());
  ExpectLoadFailure([] { TTranslator t; }, "<Load Library Quillex\\.dll Error!>");
}

}  // namespace

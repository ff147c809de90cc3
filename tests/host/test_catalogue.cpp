// The host's message catalogue: every message the plug-in raises, served in
// the database code page and formatted with the arguments the plug-in passes.

#include <gtest/gtest.h>

#include <vector>

#include "host/MessageCatalogue.h"
#include "platform/com/ComObj.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"
#include "tests/host/support_demo.h"

namespace {

struct TMessageCase {
  const char* Type;
  const char* Number;
  std::vector<Variant> Args;  // as the plug-in passes them
  const char* Expected;       // UTF-8, after Format
};

// Formats as the plug-in does: the catalogue text with Variant arguments.
AnsiString FormatWith(const AnsiString& Text, const std::vector<Variant>& Args) {
  std::vector<TVarRec> recs;
  for (const Variant& a : Args) recs.emplace_back(a);
  return FormatV(Text, recs);
}

TEST(Catalogue, EveryMessageThePlugInRaisesIsServedFormattedInTheDatabaseCodePage) {
  const std::vector<TMessageCase> cases = {
      {"E", "000003", {Variant(Db("选择单别"))}, "选择单别 不可空白，请输入！"},
      {"E", "000005", {Variant("")}, "日期格式错误，请输入正确的日期！"},
      {"E", "000006", {Variant("")}, "无法连接应用服务器，请检查服务器设置与网络连接！"},
      {"E", "000015", {Variant("")}, "找不到客户端安装信息(Software\\KWE\\Tandril)，请重新安装客户端！"},
      {"E", "000016", {Variant("")}, "客户端配置中没有设置应用服务器，请设置服务器名称！"},
      {"E", "000025",
       {Variant("10.0.0.5"), Variant("211"), Variant(""), Variant(""), Variant(""), Variant("")},
       "无法从应用服务器 10.0.0.5:211 读取数据，请检查网络连接！"},
      {"E", "000030", {Variant("")}, "打印日期错误，请输入正确的打印日期！"},
      {"E", "000030", {Variant(Db("打印日期"))}, "打印日期错误打印日期，请输入正确的打印日期！"},
      {"E", "000036", {Variant("")}, "程序代号与窗口不符，无法运行此程序！"},
      {"E", "000037", {Variant("")}, "必须输入的栏位不可空白！"},
      {"E", "000038", {Variant("")}, "没有取得用户权限，无法运行此程序！"},
      {"E", "100007", {}, "单别不存在或不属于此类单据，请重新输入！"},
      {"E", "100319", {}, "格式名称长度不可超过20个字节！"},
      {"I", "000003", {}, "此程序没有设置任何选项！"},
      {"I", "000011", {}, "打印日期"},
      {"I", "000012",
       {Variant("A4"), Variant("297.0"), Variant("210.0"), Variant("MM")},
       "纸张：A4\r长度：297.0\r宽度：210.0\r单位：MM"},
      {"W", "000002", {Variant(Db("选项")), Variant(9), Variant(8)}, "选项 的项目数错误：应为 9 项，实际上界为 8！"},
      {"W", "000003", {Variant(Db("选项")), Variant(9), Variant(4)}, "选项 共 9 项，第 4 项没有赋值！"},
      {"W", "000004", {Variant(Db("页脚编号"))}, "页脚编号 不存在，请重新输入！"},
      {"W", "000006", {Variant("")}, "没有符合条件的数据！"},
      {"W", "000014", {Variant("")}, "运行条件中指定的控件在窗口中不存在！"},
      {"R", "100235", {}, "页脚编号"},
      {"R", "100236", {}, "签核编号"},
      {"R", "200235", {}, "打开条件方案失败，方案中的条件无法套用到窗口！"},
  };
  Variant host = NewDemoHost();
  for (const TMessageCase& c : cases) {
    SCOPED_TRACE(std::string(c.Type) + " " + c.Number);
    Variant text = OleCall(host, "GetMessage", {Variant(c.Type), Variant(c.Number)});
    ASSERT_TRUE(VarIsStr(text));
    EXPECT_EQ(FormatWith(VarToStr(text), c.Args), Utf8ToAnsi(c.Expected, 936));
  }
}

TEST(Catalogue, NumbersAndTypesAreMatchedAsTheHostFilesThem) {
  const TMessageCatalogue& catalogue = TMessageCatalogue::BuiltIn();
  const std::string* text = catalogue.Find("W", "000004");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(catalogue.Find("w", "4"), text);
  EXPECT_EQ(catalogue.Find("W", "0004"), text);
  for (auto [type, number] : {std::pair{"W", "1000004"}, {"W", "00000x"}, {"WW", "000004"}, {"", "000004"},
                              {"W", ""}, {"4", "000004"}, {"R", "000004"}})
    EXPECT_EQ(catalogue.Find(type, number), nullptr) << type << " " << number;
}

TEST(Catalogue, AnUnknownMessageIsAnsweredClearlyAndSurvivesFormatting) {
  Variant host = NewDemoHost();
  struct TCase {
    const char* Type;
    const char* Number;
    const char* Expected;
  };
  for (const TCase& c : {TCase{"E", "999999", "信息库中没有此信息（类型 E，编号 999999）"},
                         TCase{"%s", "%d%n", "信息库中没有此信息（类型 %s，编号 %d%n）"},
                         TCase{"Q", "0\xff" "1", "信息库中没有此信息（类型 Q，编号 0?1）"}}) {
    AnsiString text = VarToStr(OleCall(host, "GetMessage", {Variant(c.Type), Variant(AnsiString(c.Number))}));
    // The plug-in formats every catalogue text with its arguments.
    EXPECT_EQ(FormatWith(text, {Variant("a"), Variant(1)}), Utf8ToAnsi(c.Expected, 936)) << c.Number;
  }
}

TEST(Catalogue, MalformedCatalogueTextsNameTheLine) {
  struct TCase {
    const char* Text;
    const char* Expected;
  };
  for (const TCase& c : {TCase{"# c\nE 00001 text\n", "x line 2: expected a type letter"},
                         TCase{"E 000001\n", "x line 1: the message E 000001 has no text"},
                         TCase{"E 000001 a\n\ne 000001 b\n", "x line 3: the message E 000001 is given twice"},
                         TCase{"E 000001 a\\t\n", "x line 1: unknown escape \\t"},
                         TCase{"E 000001 a\\", "x line 1: a backslash ends the text"},
                         TCase{"EE 000001 a\n", "x line 1: expected a type letter"}}) {
    try {
      TMessageCatalogue::Parse(c.Text, "x");
      ADD_FAILURE() << "accepted: " << c.Text;
    } catch (const EMessageCatalogueError& e) {
      EXPECT_NE(e.Message.find(c.Expected), AnsiString::npos) << e.Message;
    }
  }
  TMessageCatalogue parsed = TMessageCatalogue::Parse("  # note\r\nI 000001 a\\rb\\\\c  \r\n\nQ 000002  x%sy", "x");
  ASSERT_EQ(parsed.Keys().size(), 2u);
  EXPECT_EQ(*parsed.Find("I", "000001"), "a\rb\\c");
  EXPECT_EQ(*parsed.Find("Q", "000002"), "x%sy");
}

}  // namespace

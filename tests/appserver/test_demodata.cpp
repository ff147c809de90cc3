// The demo company generator and the kwdemo command.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

#include "appserver/CompanyData.h"
#include "appserver/Schema.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/IniFile.h"
#include "tests/appserver/appserver_fixture.h"

using namespace kwtest;

namespace {

// Every row of every table, in key order, as text.
AnsiString Dump(TSqlBackend& Db) {
  AnsiString out;
  for (const TTableDef& table : CompanySchema()) {
    AnsiString order;
    for (const TColumnDef& c : table.Columns) order += (order.empty() ? "" : ", ") + c.Name;
    TRowSet rows = Db.Query("SELECT * FROM " + table.Name + " ORDER BY " + order);
    out += table.Name + "\n";
    for (int r = 0; r < rows.RowCount(); ++r) {
      for (int f = 0; f < rows.FieldCount(); ++f) out += VarToStr(rows.Value(r, f)) + "|";
      out += "\n";
    }
  }
  return out;
}

int Count(TSqlBackend& Db, const AnsiString& Sql) { return Db.Query(Sql).Value(0, 0).AsInteger(); }

TEST(DemoData, TheSameSeedGivesTheSameCompany) {
  TTempFolder one, two, three;
  TDemoOptions options;
  options.Vouchers = 80;
  options.Seed = 99;
  MakeDemoCompany(ConfigFor(TBackendKind::SQLite, one), options);
  MakeDemoCompany(ConfigFor(TBackendKind::SQLite, two), options);
  options.Seed = 100;
  MakeDemoCompany(ConfigFor(TBackendKind::SQLite, three), options);
  auto a = OpenCompanyDatabase(ConfigFor(TBackendKind::SQLite, one), "DEMO");
  auto b = OpenCompanyDatabase(ConfigFor(TBackendKind::SQLite, two), "DEMO");
  auto c = OpenCompanyDatabase(ConfigFor(TBackendKind::SQLite, three), "DEMO");
  AnsiString first = Dump(*a);
  EXPECT_EQ(first, Dump(*b));
  EXPECT_NE(first, Dump(*c));
}

TEST(DemoData, VouchersAreConsistentAndRealistic) {
  TTempFolder folder;
  TDemoOptions options;
  options.Vouchers = 1000;
  TDemoSummary summary = MakeDemoCompany(ConfigFor(TBackendKind::SQLite, folder), options);
  auto db = OpenCompanyDatabase(ConfigFor(TBackendKind::SQLite, folder), "DEMO");
  EXPECT_EQ(summary.Vouchers, 1000);
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTC"), 1000);
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTD"), summary.DetailRows);

  // 1 to 30 lines a voucher, both ends reached.
  TRowSet lines = db->Query("SELECT MIN(n), MAX(n) FROM (SELECT COUNT(*) AS n FROM ASTTD GROUP BY TD001, TD002)");
  EXPECT_EQ(lines.Value(0, 0).AsInteger(), 1);
  EXPECT_EQ(lines.Value(0, 1).AsInteger(), 30);
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTC WHERE NOT EXISTS (SELECT 1 FROM ASTTD WHERE TD001 = TC001 AND TD002 = TC002)"), 0);

  // Totals are the sums of the lines; local amounts follow the rate.
  EXPECT_EQ(Count(*db,
                  "SELECT COUNT(*) FROM ASTTC JOIN (SELECT TD001, TD002, SUM(TDK05) s5, SUM(TDK06) s6, SUM(TDK07) s7, "
                  "SUM(TDK08) s8, SUM(TDK09) s9, SUM(TDK10) s10 FROM ASTTD GROUP BY TD001, TD002) d "
                  "ON d.TD001 = TC001 AND d.TD002 = TC002 WHERE abs(TC049 - s6) > 0.001 OR abs(TC050 - s7) > 0.001 "
                  "OR abs(TC054 - s5) > 0.001 OR abs(TC007 - s9) > 0.001 OR abs(TC052 - s10) > 0.001 "
                  "OR abs(TC053 - s8) > 0.001"),
            0);
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTD JOIN ASTTC ON TD001 = TC001 AND TD002 = TC002 "
                       "WHERE abs(TDK09 - round(TDK06 * TC020, 2)) > 0.011"),
            0);
  // Several voucher types, all asset vouchers (category C1), numbered by month.
  EXPECT_GE(Count(*db, "SELECT COUNT(DISTINCT TC001) FROM ASTTC"), 5);
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTC LEFT JOIN CMSMQ ON MQ001 = TC001 WHERE MQ003 IS NULL OR MQ003 <> 'C1'"), 0);
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTC WHERE length(TC002) <> 11 OR substr(TC002, 1, 6) <> substr(TC027, 1, 6)"), 0);
  // Every reference resolves.
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTC WHERE TC004 NOT IN (SELECT MB001 FROM ASTMB)"), 0);
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTC WHERE TC046 <> '' AND TC046 NOT IN (SELECT MA001 FROM PURMA)"), 0);
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTC WHERE CREATOR NOT IN (SELECT MF001 FROM ADMMF)"), 0);
  EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM ASTTC WHERE TC046 = ''"), 0);
  EXPECT_GT(Count(*db, "SELECT COUNT(*) FROM ASTTC WHERE TCK10 <> 0"), 0);

  // Names are Chinese.
  TRowSet asset = db->Query("SELECT MB002, MB003 FROM ASTMB ORDER BY MB001 LIMIT 1");
  WideString name = AnsiToWide(VarToStr(asset.Value(0, 0)), 936);
  ASSERT_FALSE(name.empty());
  EXPECT_GE(name[0], u'\u4e00');
  TRowSet type = db->Query("SELECT MQ002 FROM CMSMQ WHERE MQ001 = 'A2'");
  EXPECT_EQ(VarToStr(type.Value(0, 0)), GB("资产改良单"));
}

TEST(DemoData, ADetailRowTargetIsMetExactly) {
  TTempFolder folder;
  TDemoOptions options;
  options.DetailRows = 2345;
  TDemoSummary summary = MakeDemoCompany(ConfigFor(TBackendKind::SQLite, folder), options);
  EXPECT_EQ(summary.DetailRows, 2345);
  auto db = OpenCompanyDatabase(ConfigFor(TBackendKind::SQLite, folder), "DEMO");
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTD"), 2345);
  EXPECT_EQ(Count(*db, "SELECT COUNT(*) FROM ASTTC"), summary.Vouchers);
}

// The kwdemo command of this build: in the build folder's "appserver",
// two levels above this program's folder ("tests/appserver").
std::string Kwdemo() {
  if (const char* dir = std::getenv("KW_TEST_BINARY_DIR"); dir && *dir) return std::string(dir) + "/appserver/kwdemo";
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  return (self.parent_path().parent_path().parent_path() / "appserver" / "kwdemo").string();
}

int RunCommand(const std::string& Command) {
  int status = std::system((Command + " > /dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DemoInstallation, KwdemoMakesAFolderTheServerCanUse) {
  TTempFolder folder;
  const std::string path = folder.Path() + "/demo";
  ASSERT_EQ(RunCommand(Kwdemo() + " " + path + " --vouchers 30 --seed 5"), 0);

  TMemIniFile registry(path + "/registry.ini");
  const AnsiString key = "HKEY_LOCAL_MACHINE\\Software\\KWE\\Tandril";
  EXPECT_EQ(registry.ReadString(key, "ClientPath", ""), path + "/");
  EXPECT_EQ(registry.ReadString(key, "ProfileType", ""), "0");
  TMemIniFile client(path + "/TandrilC.ini");
  EXPECT_EQ(client.ReadString("Server Information", "ComputerName", ""), "127.0.0.1");
  EXPECT_EQ(client.ReadInteger("Server Information", "ServerPort", 0), 211);
  EXPECT_EQ(client.ReadString("CodePage", "DBCodePage", ""), "936");
  EXPECT_TRUE(client.SectionExists("Client Components"));

  TDatabaseConfig config = ReadServerDatabaseConfig(path);
  EXPECT_EQ(config.Kind, TBackendKind::SQLite);
  EXPECT_EQ(config.DataFolder, path + "/DATA");
  TCompanyData session(config);
  session.Connect(VarArrayOf({Variant(kDemoProgram), Variant(kDemoAdmin), Variant("01"), Variant("DEMO")}));
  EXPECT_EQ(session.RunQuery("SELECT COUNT(*) FROM $$ASTTC").Value(0, 0).AsInteger(), 30);

  // Made again over itself, with another size.
  ASSERT_EQ(RunCommand(Kwdemo() + " " + path + " --vouchers 7"), 0);
  TCompanyData again(config);
  again.Connect(VarArrayOf({Variant(kDemoProgram), Variant(kDemoAdmin), Variant("01"), Variant("DEMO")}));
  EXPECT_EQ(again.RunQuery("SELECT COUNT(*) FROM $$ASTTC").Value(0, 0).AsInteger(), 7);

  EXPECT_EQ(RunCommand(Kwdemo()), 2);
  EXPECT_EQ(RunCommand(Kwdemo() + " " + path + " --vouchers many"), 2);
  EXPECT_EQ(RunCommand(Kwdemo() + " " + path + " --company-db ../x"), 1);
}

TEST(DemoInstallation, KwdemoFillsAPostgreSQLCompanyDatabase) {
  TTempFolder folder;
  const std::string path = folder.Path() + "/demo";
  ASSERT_EQ(RunCommand(Kwdemo() + " " + path + " --vouchers 20 --company-db PGDEMO --postgres '" + PostgresConnection() + "'"), 0);
  TDatabaseConfig config = ReadServerDatabaseConfig(path);
  ASSERT_EQ(config.Kind, TBackendKind::PostgreSQL);
  TCompanyData session(config);
  session.Connect(VarArrayOf({Variant(kDemoProgram), Variant(kDemoAdmin), Variant("01"), Variant("PGDEMO")}));
  EXPECT_EQ(session.RunQuery("SELECT COUNT(*) FROM $$ASTTC").Value(0, 0).AsInteger(), 20);
}

TEST(DemoInstallation, TheSchemaCanBePrinted) {
  TTempFolder folder;
  const std::string out = folder.Path() + "/schema.sql";
  ASSERT_EQ(std::system((Kwdemo() + " --schema postgresql > " + out).c_str()), 0);
  std::ifstream in(out);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const TTableDef& table : CompanySchema())
    EXPECT_NE(text.find("CREATE TABLE " + table.Name + " ("), std::string::npos) << table.Name;
  EXPECT_NE(text.find("TC004 VARCHAR(20) DEFAULT '',  -- 资产编号"), std::string::npos);
}

}  // namespace

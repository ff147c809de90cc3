#include "appserver/DemoData.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "appserver/AppServerErrors.h"
#include "platform/rtl/AnsiText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFile.h"

namespace {

// splitmix64: tiny, fast and the same on every platform, unlike the
// standard distributions.
class TDemoRandom {
 public:
  explicit TDemoRandom(uint64_t Seed) : FState(Seed) {}
  uint64_t Next() {
    uint64_t z = (FState += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Lo..Hi inclusive.
  int64_t Range(int64_t Lo, int64_t Hi) { return Lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(Hi - Lo + 1)); }
  double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
  bool Chance(int Percent) { return Range(1, 100) <= Percent; }
  template <class T>
  const T& Pick(const std::vector<T>& Items) { return Items[static_cast<std::size_t>(Range(0, static_cast<int64_t>(Items.size()) - 1))]; }

 private:
  uint64_t FState;
};

// Texts are written here in UTF-8 and go to the database in its code page.
struct TText {
  explicit TText(unsigned CodePage) : CodePage(CodePage) {}
  AnsiString operator()(const std::string& Utf8) const { return Utf8ToAnsi(Utf8, CodePage); }
  unsigned CodePage;
};

AnsiString Digits(int64_t Value, int Width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*lld", Width, static_cast<long long>(Value));
  return buffer;
}

AnsiString Date8(TDateTime Date) {
  int year, month, day;
  DecodeDate(Date, year, month, day);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", year, month, day);
  return buffer;
}

Variant Money(int64_t Cents) { return Variant(Currency::FromScaled(Cents * 100)); }
Variant Rate(int64_t TenThousandths) { return Variant(Currency::FromScaled(TenThousandths)); }

struct TAssetKind {
  const char* Code;      // asset class and the prefix of asset numbers
  const char* Caption;   // class name
  const char* Unit;
  int64_t MinCost, MaxCost;  // yuan
  int LifeMonths;
  std::vector<std::pair<const char*, std::vector<const char*>>> Items;  // name, specifications
};

const std::vector<TAssetKind>& AssetKinds() {
  static const std::vector<TAssetKind> kinds = {
      {"DZ", "电子设备", "台", 3000, 80000, 36,
       {{"笔记本电脑", {"联想 ThinkPad X1 Carbon 14英寸", "戴尔 Latitude 7440 i7/16G/512G", "华为 MateBook X Pro"}},
        {"台式电脑", {"联想 启天 M437 i5/8G/1T", "惠普 ProDesk 400 G9", "戴尔 OptiPlex 7010"}},
        {"服务器", {"戴尔 PowerEdge R740 双路", "华为 FusionServer 2288H V5", "浪潮 NF5280M6"}},
        {"激光打印机", {"惠普 LaserJet M404dn", "兄弟 HL-L5100DN", "佳能 LBP325x"}},
        {"投影仪", {"爱普生 CB-X50 3600流明", "明基 MX560"}},
        {"核心交换机", {"华为 S5735-L48T4X", "新华三 S5130-52S"}},
        {"不间断电源", {"山特 C10KS 10kVA", "艾默生 UHA1R-0100L"}}}},
      {"JQ", "机器设备", "台", 50000, 1800000, 120,
       {{"数控车床", {"沈阳机床 CAK6150 1500mm", "大连机床 CKA6150"}},
        {"立式加工中心", {"海天精工 VMC850 三轴", "北京精雕 JDGR400"}},
        {"注塑机", {"海天 MA1600/540 160吨", "震雄 EF-180"}},
        {"螺杆空压机", {"阿特拉斯 GA37 37kW", "复盛 SA-50A"}},
        {"电动叉车", {"杭叉 CPD30 3吨", "合力 CPD25 2.5吨"}},
        {"焊接机器人", {"安川 MA1440 六轴", "发那科 ARC Mate 100iD"}}}},
      {"YS", "运输设备", "辆", 90000, 450000, 96,
       {{"小型轿车", {"大众 帕萨特 330TSI", "丰田 凯美瑞 2.0G"}},
        {"商务车", {"别克 GL8 ES 陆尊", "本田 奥德赛 2.0L"}},
        {"厢式货车", {"江铃 顺达 4.2米", "福田 欧马可 S1"}}}},
      {"BG", "办公设备", "套", 2000, 60000, 60,
       {{"柜式空调", {"格力 KFR-72LW 3匹", "美的 KFR-51LW 2匹"}},
        {"会议系统", {"宝利通 Group 500", "华为 Board2 86英寸"}},
        {"办公桌椅", {"震旦 DS-1814 主管桌组", "圣奥 S-2000 工位组"}},
        {"保险柜", {"得力 4078 大型保管箱", "永发 BGX-1200"}}}},
      {"FW", "房屋建筑", "栋", 800000, 12000000, 240,
       {{"生产厂房", {"钢结构 三千平方米", "框架结构 五千平方米"}},
        {"成品仓库", {"钢结构 一千五百平方米", "砖混结构 八百平方米"}},
        {"办公楼", {"框架结构 六层", "框架结构 四层"}}}}};
  return kinds;
}

struct TVoucherType {
  const char* Code;
  const char* Name;
  const char* PrintedName;
  int Weight;
  bool Improvement;  // detail lines carry improvement costs
  bool Supplier;     // a supplier is named
};

const std::vector<TVoucherType>& VoucherTypes() {
  static const std::vector<TVoucherType> types = {
      {"A1", "资产取得单", "固定资产取得凭证", 30, false, true},
      {"A2", "资产改良单", "固定资产改良凭证", 25, true, true},
      {"A3", "资产重估单", "固定资产重估凭证", 10, false, false},
      {"A4", "资产减值单", "固定资产减值凭证", 10, false, false},
      {"A5", "资产出售单", "固定资产出售凭证", 15, false, true},
      {"A6", "资产报废单", "固定资产报废凭证", 10, false, false}};
  return types;
}

const std::vector<const char*> kSurnames = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                            "徐", "孙", "马", "朱", "胡", "郭", "何", "林", "罗", "高"};
const std::vector<const char*> kGivenNames = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "洋", "艳", "勇",
                                              "军", "杰", "娟", "涛", "明", "超", "秀英", "建华", "志强",
                                              "海燕", "晓明", "文博", "子涵"};
const std::vector<const char*> kCities = {"上海", "苏州", "深圳", "北京", "广州", "杭州",
                                          "南京", "宁波", "东莞", "天津", "成都", "武汉"};
const std::vector<const char*> kFirmWords = {"华东", "恒信", "鼎盛", "宏达", "联创", "金桥",
                                             "瑞丰", "永安", "天成", "中科", "新世纪", "博远"};
const std::vector<std::pair<const char*, const char*>> kTrades = {
    {"电子设备", "电子"}, {"机械制造", "机械"}, {"信息科技", "科技"}, {"办公用品", "办公"},
    {"汽车销售服务", "汽车"}, {"建筑工程", "建筑"}, {"自动化设备", "自动化"}, {"空调工程", "空调"}};
const std::vector<const char*> kRemarks = {"", "", "", "依采购合同办理", "年度资产盘点后补录", "总经理特批",
                                           "随货附发票及保修卡", "分期付款，首付三成", "旧设备以旧换新",
                                           "已办理产权登记", "研发中心专用设备", "转入在建工程核算"};
const std::vector<const char*> kDetailTexts = {"设备款", "安装调试费", "运输费", "配件及备品", "软件许可",
                                               "改造工程款", "检测认证费", "技术服务费", "评估费", "拆除清理费"};
const std::vector<const char*> kLocations = {"一号厂房", "二号厂房", "总部大楼", "研发中心", "成品仓库", "华南办事处"};

struct TDepartment {
  const char* Code;
  const char* Name;
};
const std::vector<TDepartment> kDepartments = {{"D100", "总经理室"}, {"D200", "财务部"}, {"D300", "资产管理部"},
                                               {"D400", "生产部"}, {"D500", "研发中心"}, {"D600", "信息部"}};

struct TAsset {
  AnsiString Code, Department;
  int64_t CostCents;
  int LifeMonths;
};

class TDemoGenerator {
 public:
  TDemoGenerator(TSqlBackend& Backend, const TDemoOptions& Options)
      : FDb(Backend), FOptions(Options), FRandom(Options.Seed), FText(Backend.CodePage()) {}

  TDemoSummary Run() {
    FDb.SetBulkLoading(true);
    FDb.BeginTransaction();
    try {
      Company();
      Users();
      Programs();
      VoucherTypesAndTexts();
      Suppliers();
      Assets();
      Vouchers();
      SignOffHistory();
      FDb.Commit();
    } catch (...) {
      FDb.Rollback();
      FDb.SetBulkLoading(false);
      throw;
    }
    FDb.SetBulkLoading(false);
    return FSummary;
  }

 private:
  // Standard columns first: COMPANY, CREATOR, USR_GROUP, CREATE_DATE.
  std::vector<AnsiString> Columns(std::initializer_list<const char*> Own) {
    std::vector<AnsiString> columns = {"COMPANY", "CREATOR", "USR_GROUP", "CREATE_DATE"};
    for (const char* c : Own) columns.push_back(c);
    return columns;
  }
  void Standard(std::vector<Variant>& Row, const AnsiString& Creator = kDemoAdmin, const AnsiString& Date = "20230101") {
    Row.clear();
    Row.push_back(Variant(FOptions.CompanyCode));
    Row.push_back(Variant(Creator));
    Row.push_back(Variant(AnsiString("ADMIN")));
    Row.push_back(Variant(Date));
  }
  Variant T(const std::string& Utf8) { return Variant(FText(Utf8)); }
  std::string PersonName() {
    std::string surname = FRandom.Pick(kSurnames);
    return surname + FRandom.Pick(kGivenNames);
  }

  void Company() {
    auto out = FDb.BulkInsert("CMSML", Columns({"ML001", "ML002", "ML003", "ML004", "ML005", "ML006", "ML007", "ML008", "ML009"}));
    std::vector<Variant> row;
    Standard(row);
    for (Variant v : {Variant(FOptions.CompanyCode), T("示范精密机械有限公司"), T("上海示范精密机械制造有限公司"),
                      Variant("91310115MA1K4XXX8N"), Variant("021-58880000"), Variant("021-58880001"),
                      T("上海市浦东新区张江高科技园区碧波路690号"), T("陈建华"), Variant("Demo Precision Machinery Co., Ltd.")})
      row.push_back(v);
    out->Add(row);
    out->Finish();

    struct TSetting {
      const char* Key;
      std::string Value;
      const char* Caption;
    };
    const TSetting settings[] = {{"KWE002", "示范精密机械有限公司", "公司简称"},
                                 {"Sys001", "1", "日期显示格式"},
                                 {"Sys002", "/", "日期分隔符"},
                                 {"Sys026", "1", "民国年显示"},
                                 {"Sys042", "Y", "启用传真及电子邮件"},
                                 {"Sys060", "Y", "启用电子签核"},
                                 {"Sys174", "N", "签核使用网络服务"}};
    auto ss = FDb.BulkInsert("ADMSS", Columns({"SS001", "SS002", "SS003", "SS004"}));
    for (const TSetting& s : settings) {
      Standard(row);
      row.push_back(Variant(FOptions.CompanyCode));
      row.push_back(Variant(s.Key));
      row.push_back(T(s.Value));
      row.push_back(T(s.Caption));
      ss->Add(row);
    }
    ss->Finish();
  }

  void Users() {
    auto out = FDb.BulkInsert("ADMMF", Columns({"MF001", "MF002", "MF004", "MF005", "MF006", "MF007", "MF008"}));
    std::vector<Variant> row;
    Standard(row);
    for (Variant v : {Variant(kDemoAdmin), T("系统管理员"), Variant("ADMIN"), Variant("admin@demo.example.com"),
                      Variant("021-58880000"), Variant("Y"), Variant("D600")})
      row.push_back(v);
    out->Add(row);
    FUsers.push_back(kDemoAdmin);
    FUserNames.push_back("系统管理员");
    for (int i = 1; i <= 12; ++i) {
      AnsiString code = "U" + Digits(i, 3);
      const TDepartment& dept = kDepartments[static_cast<std::size_t>(1 + i % 4)];
      std::string name = PersonName();
      Standard(row);
      for (Variant v : {Variant(code), T(name), Variant(i % 3 == 0 ? "AC" : "FA"),
                        Variant(LowerCase(code) + "@demo.example.com"), Variant("021-5888" + Digits(1000 + i, 4)),
                        Variant("N"), Variant(dept.Code)})
        row.push_back(v);
      out->Add(row);
      FUsers.push_back(code);
      FUserNames.push_back(name);
    }
    out->Finish();
    FSummary.Users = static_cast<int>(FUsers.size());

    // Rights: the administrator may do everything; the asset group prints
    // but sees no cost amounts; the accounting group sees them too and its
    // rows are limited to audited vouchers.
    auto rights = FDb.BulkInsert("ADMMG", Columns({"MG001", "MG002", "MG003", "MG004", "MG005", "MG006", "MG007",
                                                   "MG008", "MG009", "MG010", "MG011", "MG012"}));
    struct TRight {
      const char* Who;
      const char* Program;
      const char* Rights;
      const char* Condition;
      const char* TableRights;
    };
    const TRight entries[] = {{kDemoAdmin, "*", "YYYYYYYY", "", "N"},
                              {"FA", kDemoProgram, "YYNYYYNY", "", "N"},
                              {"AC", kDemoProgram, "YNNYYYYY", "TC015='Y'", "Y"}};
    for (const TRight& r : entries) {
      Standard(row);
      for (Variant v : {Variant(r.Who), Variant(r.Program), Variant(r.Rights), Variant("R"), Variant("Y"),
                        Variant("N"), Variant(""), Variant(""), Variant(r.Condition), Variant(r.TableRights),
                        Variant(""), Variant("")})
        row.push_back(v);
      rights->Add(row);
    }
    rights->Finish();
    auto tables = FDb.BulkInsert("ADMMH", Columns({"MH001", "MH002", "MH003", "MH004"}));
    Standard(row);
    for (Variant v : {Variant("AC"), Variant(kDemoProgram), Variant("ASTTC"), Variant("TC015<>'V'")}) row.push_back(v);
    tables->Add(row);
    tables->Finish();
  }

  void Programs() {
    std::vector<Variant> row;
    auto programs = FDb.BulkInsert("ADMMB", Columns({"MB001", "MB002", "MB003", "MB004", "MB005", "MB006", "MB007",
                                                     "MB008", "MB009"}));
    Standard(row);
    for (Variant v : {Variant(kDemoProgram), T("资产异动凭证"), Variant("AST"), Variant("R"), Variant("9.0.0.0"),
                      Variant("Y"), T("固定资产交易凭证打印"), Variant("Y"), Variant("Asset Transaction Voucher")})
      row.push_back(v);
    programs->Add(row);
    programs->Finish();

    auto settings = FDb.BulkInsert("CMSMT", Columns({"MT001", "MT002", "MT003", "MT004", "MT005", "MT006", "MT007",
                                                     "MT008", "MT009", "MT010", "MT011", "MT012", "MT013", "MT014"}));
    Standard(row);
    for (Variant v : {Variant(kDemoProgram), Variant("N01"), Variant("Y"), Variant("N"), Variant(""), Variant(""),
                      Variant(""), Variant("S01"), Variant("Y"), Variant("N"), Variant(""), Variant(""),
                      T("固定资产异动凭证"), Variant("")})
      row.push_back(v);
    settings->Add(row);
    settings->Finish();
  }

  void VoucherTypesAndTexts() {
    std::vector<Variant> row;
    auto types = FDb.BulkInsert("CMSMQ", Columns({"MQ001", "MQ002", "MQ003", "MQ004", "MQ005", "MQ006", "MQ007",
                                                  "MQ008", "MQ009", "MQ010", "MQ011", "MQ012", "MQ013", "MQ014",
                                                  "MQ015", "MQ016"}));
    for (const TVoucherType& t : VoucherTypes()) {
      Standard(row);
      for (Variant v : {Variant(t.Code), T(t.Name), Variant(kDemoCategory), Variant("N01"), Variant("Y"),
                        Variant(t.Code[1] == '1' ? "S02" : "S01"), Variant("Y"), Variant("2"), Variant(5),
                        Variant("N"), Variant("Y"), Variant(""), Variant("Y"), T(t.PrintedName), Variant("Y"),
                        Variant("N")})
        row.push_back(v);
      types->Add(row);
    }
    // A voucher type of another category, which the asset report never lists.
    Standard(row);
    for (Variant v : {Variant("B1"), T("折旧计提单"), Variant("C2"), Variant(""), Variant("Y"), Variant(""),
                      Variant("Y"), Variant("2"), Variant(5), Variant("N"), Variant("N"), Variant(""), Variant("Y"),
                      T("折旧计提凭证"), Variant("Y"), Variant("N")})
      row.push_back(v);
    types->Add(row);
    types->Finish();

    auto texts = FDb.BulkInsert("CMSMS", Columns({"MS001", "MS002", "MS003", "MS004", "MS005", "MS006"}));
    struct TCommonText {
      const char* Kind;
      const char* Code;
      const char* Caption;
      const char* Lines[3];
    };
    const TCommonText common[] = {
        {"1", "N01", "资产凭证页脚", {"本凭证一式三联", "第一联：财务部留存", "第二联：资产管理部留存"}},
        {"1", "N02", "简要页脚", {"如有疑问请洽资产管理部", "", ""}},
        {"2", "S01", "三级签核", {"核准：", "审核：", "制单："}},
        {"2", "S02", "四级签核", {"总经理：", "财务经理：", "部门经理：经办人："}}};
    for (const TCommonText& c : common) {
      Standard(row);
      for (Variant v : {Variant(c.Kind), Variant(c.Code), T(c.Caption), T(c.Lines[0]), T(c.Lines[1]), T(c.Lines[2])})
        row.push_back(v);
      texts->Add(row);
    }
    texts->Finish();

    // The acquisition voucher runs through the sign-off workflow.
    auto signOff = FDb.BulkInsert("ADMMQ", Columns({"MQ001", "MQ002", "MQ003", "MQ004", "MQ005"}));
    Standard(row);
    for (Variant v : {Variant(kDemoProgram), Variant("A1"), Variant("WF-AST-01"), Variant("Y"), T("资产取得签核流程")})
      row.push_back(v);
    signOff->Add(row);
    signOff->Finish();
    auto service = FDb.BulkInsert("SGSMC", Columns({"MC001", "MC002", "MC003", "MC004", "MC005"}));
    Standard(row);
    for (Variant v : {Variant(kDemoProgram), Variant("A1"), Variant("ASTA1"), Variant("Y"),
                      Variant("http://127.0.0.1/signoff/service")})
      row.push_back(v);
    service->Add(row);
    service->Finish();
  }

  void Suppliers() {
    auto out = FDb.BulkInsert("PURMA", Columns({"MA001", "MA002", "MA003", "MA004", "MA005", "MA006", "MA007", "MA008",
                                                "MA009", "MA010", "MA011"}));
    std::vector<Variant> row;
    const int count = 40;
    for (int i = 1; i <= count; ++i) {
      const char* city = FRandom.Pick(kCities);
      const char* word = kFirmWords[static_cast<std::size_t>((i - 1) % kFirmWords.size())];
      const auto& trade = kTrades[static_cast<std::size_t>(FRandom.Range(0, static_cast<int64_t>(kTrades.size()) - 1))];
      AnsiString code = "V" + Digits(i, 4);
      std::string contact = PersonName();
      // One draw a statement: the order of draws must not depend on the compiler.
      int64_t area = FRandom.Range(20, 29);
      int64_t phone = FRandom.Range(50000000, 89999999);
      const char* street = kFirmWords[static_cast<std::size_t>(FRandom.Range(0, 11))];
      int64_t house = FRandom.Range(1, 999);
      Standard(row);
      for (Variant v : {Variant(code), T(std::string(word) + trade.second), T(std::string(city) + word + trade.first + "有限公司"),
                        Variant("9131" + Digits(FRandom.Range(10000000, 99999999), 8) + "X"),
                        Variant(i % 5 == 0 ? "IMP" : "DOM"), T(contact),
                        Variant("0" + Digits(area, 2) + "-" + Digits(phone, 8)),
                        Variant(""), Variant("sales@" + LowerCase(code) + ".example.com"),
                        T(std::string(city) + "市" + street + "路" + std::to_string(house) + "号"),
                        Variant(i % 5 == 0 ? "USD" : "RMB")})
        row.push_back(v);
      out->Add(row);
      FSuppliers.push_back(code);
    }
    out->Finish();
    FSummary.Suppliers = count;
  }

  void Assets() {
    int count = FOptions.DetailRows > 0 ? FOptions.DetailRows / 100 : FOptions.Vouchers / 10;
    count = std::max(60, std::min(count, 20000));
    auto out = FDb.BulkInsert("ASTMB", Columns({"MB001", "MB002", "MB003", "MB004", "MB005", "MB006", "MB007", "MB008",
                                                "MB009", "MB010", "MB011", "MB012", "MB013", "MB014"}));
    std::vector<Variant> row;
    const auto& kinds = AssetKinds();
    for (int i = 1; i <= count; ++i) {
      // Many small items, few buildings.
      static const int kKindWeights[] = {40, 25, 8, 24, 3};
      int64_t roll = FRandom.Range(1, 100), k = 0;
      for (int acc = kKindWeights[0]; roll > acc; acc += kKindWeights[++k]) {
      }
      const TAssetKind& kind = kinds[static_cast<std::size_t>(k)];
      const auto& item = kind.Items[static_cast<std::size_t>(FRandom.Range(0, static_cast<int64_t>(kind.Items.size()) - 1))];
      const char* spec = item.second[static_cast<std::size_t>(FRandom.Range(0, static_cast<int64_t>(item.second.size()) - 1))];
      TAsset asset;
      asset.Code = AnsiString(kind.Code) + Digits(i, 6);
      asset.Department = kDepartments[static_cast<std::size_t>(FRandom.Range(0, 5))].Code;
      asset.CostCents = FRandom.Range(kind.MinCost, kind.MaxCost) * 100;
      asset.CostCents += FRandom.Range(0, 99);
      asset.LifeMonths = kind.LifeMonths;
      TDateTime acquired = EncodeDate(2015, 1, 1) + static_cast<double>(FRandom.Range(0, 2900));
      Standard(row);
      for (Variant v : {Variant(asset.Code), T(item.first), T(spec), T(kind.Unit), T(kind.Caption),
                        Variant(asset.Department), Variant(FRandom.Pick(FUsers)), Variant(Date8(acquired)),
                        Money(asset.CostCents), Variant(kind.LifeMonths), Money(asset.CostCents / 20),
                        T(FRandom.Pick(kLocations)), Variant(FRandom.Pick(FSuppliers)), Variant("Y")})
        row.push_back(v);
      out->Add(row);
      FAssets.push_back(asset);
    }
    out->Finish();
    FSummary.Assets = count;
  }

  void Vouchers() {
    auto header = FDb.BulkInsert(
        "ASTTC", Columns({"TC001", "TC002", "TC003", "TC004", "TC005", "TC006", "TC007", "TC008", "TC009", "TC010",
                          "TC011", "TC012", "TC013", "TC014", "TC015", "TC016", "TC017", "TC019", "TC020", "TC021",
                          "TC023", "TC024", "TC027", "TC028", "TC031", "TC032", "TC033", "TC037", "TC046", "TC047",
                          "TC048", "TC049", "TC050", "TC051", "TC052", "TC053", "TC054", "TCK02", "TCK10", "TCK11",
                          "UDF01", "UDF02", "UDF51", "FLAG"}));
    auto detail = FDb.BulkInsert(
        "ASTTD", Columns({"TD001", "TD002", "TD003", "TD004", "TD005", "TD006", "TD007", "TDK01", "TDK02", "TDK03",
                          "TDK04", "TDK05", "TDK06", "TDK07", "TDK08", "TDK09", "TDK10", "FLAG"}));
    const auto& types = VoucherTypes();
    int totalWeight = 0;
    for (const TVoucherType& t : types) totalWeight += t.Weight;
    // The vouchers spread over two years; numbers run per type and month.
    const TDateTime first = EncodeDate(2023, 1, 3);
    const int days = 727;
    const int planned = FOptions.DetailRows > 0 ? std::max(1, FOptions.DetailRows * 10 / 107) : FOptions.Vouchers;
    std::vector<std::vector<int>> sequence(types.size(), std::vector<int>(25, 0));
    std::vector<Variant> row, line;
    std::vector<AnsiString> detailText;
    for (const char* text : kDetailTexts) detailText.push_back(FText(text));
    std::vector<Variant> remarks;
    for (const char* text : kRemarks) remarks.push_back(T(text));
    const Variant udfProject = T("技改项目"), empty("");

    for (int v = 0;; ++v) {
      if (FOptions.DetailRows > 0 ? FSummary.DetailRows >= FOptions.DetailRows : v >= FOptions.Vouchers) break;
      int64_t roll = FRandom.Range(1, totalWeight);
      std::size_t ti = 0;
      for (int acc = types[0].Weight; roll > acc; acc += types[++ti].Weight) {
      }
      const TVoucherType& type = types[ti];
      const int dayOffset = static_cast<int>(static_cast<int64_t>(std::min(v, planned - 1)) * days / std::max(1, planned));
      TDateTime docDate = first + static_cast<double>(dayOffset);
      int year, month, day;
      DecodeDate(docDate, year, month, day);
      int monthIndex = (year - 2023) * 12 + month - 1;
      if (monthIndex > 24) monthIndex = 24;
      int seq = ++sequence[ti][static_cast<std::size_t>(monthIndex)];
      AnsiString number = Digits(year, 4) + Digits(month, 2) + Digits(seq, 5);
      AnsiString docDate8 = Date8(docDate);
      AnsiString transDate8 = Date8(docDate - static_cast<double>(FRandom.Range(0, 3)));
      const TAsset& asset = FRandom.Pick(FAssets);
      AnsiString creator = FRandom.Pick(FUsers);

      // Currency, rate (four decimals) and tax.
      int64_t currencyRoll = FRandom.Range(1, 100);
      AnsiString currency = currencyRoll <= 85 ? "RMB" : currencyRoll <= 95 ? "USD" : "EUR";
      int64_t rate = currency == "RMB" ? 10000 : currency == "USD" ? FRandom.Range(70500, 72900) : FRandom.Range(76000, 79900);
      static const int64_t kTaxRates[] = {1300, 900, 600};
      int64_t taxRate = kTaxRates[FRandom.Range(0, 2)];

      // 1 to 30 lines, mostly few.
      int lines = 1 + static_cast<int>(std::floor(29.0 * std::pow(FRandom.Unit(), 2.0) + 0.5));
      if (FOptions.DetailRows > 0) lines = std::min(lines, FOptions.DetailRows - FSummary.DetailRows);
      int64_t sumPre = 0, sumTax = 0, sumImp = 0, sumPreLocal = 0, sumTaxLocal = 0, sumImpLocal = 0;
      for (int l = 1; l <= lines; ++l) {
        int64_t pre = FRandom.Range(500, 200000) * 100;
        pre += FRandom.Range(0, 99);
        int64_t tax = (pre * taxRate + 5000) / 10000;
        int64_t imp = type.Improvement ? pre : 0;
        int64_t preLocal = (pre * rate + 5000) / 10000, taxLocal = (tax * rate + 5000) / 10000,
                impLocal = (imp * rate + 5000) / 10000;
        sumPre += pre, sumTax += tax, sumImp += imp;
        sumPreLocal += preLocal, sumTaxLocal += taxLocal, sumImpLocal += impLocal;
        TDateTime sourceDate = docDate - static_cast<double>(FRandom.Range(0, 20));
        Standard(line, creator, docDate8);
        line.push_back(Variant(type.Code));
        line.push_back(Variant(number));
        line.push_back(Variant(Digits(l, 4)));
        line.push_back(Variant(asset.Code));
        line.push_back(Variant(detailText[static_cast<std::size_t>(FRandom.Range(0, static_cast<int64_t>(detailText.size()) - 1))]));
        line.push_back(Variant(static_cast<int>(FRandom.Range(1, 5))));
        line.push_back(Variant(asset.Department));
        line.push_back(Variant(Digits(l, 4)));
        line.push_back(Variant(type.Supplier ? "3301" : "3601"));
        line.push_back(Variant(Date8(sourceDate).substr(0, 6) + Digits(FRandom.Range(1, 99999), 5)));
        line.push_back(Variant(Date8(sourceDate)));
        line.push_back(Money(imp));
        line.push_back(Money(pre));
        line.push_back(Money(tax));
        line.push_back(Money(impLocal));
        line.push_back(Money(preLocal));
        line.push_back(Money(taxLocal));
        line.push_back(Variant(1));
        detail->Add(line);
      }
      FSummary.DetailRows += lines;

      int64_t audit = FRandom.Range(1, 100);
      AnsiString audited = audit <= 80 ? "Y" : audit <= 95 ? "N" : "V";
      // An acquisition brings the asset in at the voucher's amount with no
      // depreciation yet; the other transactions act on an asset in use.
      const bool acquisition = type.Code[1] == '1';
      int64_t used = acquisition ? 0 : std::min<int64_t>(asset.LifeMonths, FRandom.Range(0, asset.LifeMonths));
      int64_t cost = acquisition ? sumPreLocal : asset.CostCents;
      int64_t depreciation = cost * 95 / 100 * used / std::max(1, asset.LifeMonths);
      int64_t impairment = type.Code[1] == '4' ? cost / FRandom.Range(10, 40) : 0;
      bool posted = audited == "Y" && FRandom.Chance(70);
      Standard(row, creator, docDate8);
      for (Variant value :
           {Variant(type.Code), Variant(number), Variant(transDate8), Variant(asset.Code), Variant(asset.Department),
            Money(cost), Money(sumPreLocal), Money(depreciation), Variant(static_cast<int>(asset.LifeMonths - used)),
            Money(cost / 20), Variant(Currency::FromScaled(FRandom.Range(1, 3) * 10000)), T("台"),
            remarks[static_cast<std::size_t>(FRandom.Range(0, static_cast<int64_t>(remarks.size()) - 1))],
            Variant(FRandom.Pick(FUsers)), Variant(audited), Variant(FRandom.Chance(30) ? static_cast<int>(FRandom.Range(1, 3)) : 0),
            Variant(audited == "Y" ? docDate8 : AnsiString()), Variant(currency), Rate(rate),
            T(FRandom.Pick(kLocations)), Variant(posted ? "9100" : ""),
            Variant(posted ? number : AnsiString()), Variant(docDate8),
            Variant(audited == "Y" ? FRandom.Pick(FUsers) : AnsiString()), Variant(posted ? "Y" : "N"),
            Variant(type.Code[1] == '1' ? (audited == "Y" ? "3" : "1") : "N"), Variant(0),
            Money(0), Variant(type.Supplier ? FRandom.Pick(FSuppliers) : AnsiString()),
            Variant(FRandom.Chance(80) ? "2" : "1"), Rate(taxRate), Money(sumPre), Money(sumTax), Money(sumPre + sumTax),
            Money(sumTaxLocal), Money(sumImpLocal), Money(sumImp), Money(type.Improvement ? sumImpLocal : 0),
            Money(type.Improvement ? cost + sumImpLocal : 0), Money(impairment),
            type.Improvement && FRandom.Chance(40) ? udfProject : empty, Variant(""),
            Money(FRandom.Chance(10) ? FRandom.Range(1, 500) * 100 : 0), Variant(1)})
        row.push_back(value);
      header->Add(row);
      ++FSummary.Vouchers;
      if (acquisition) FSignedVouchers.push_back({type.Code, number, docDate, creator, audited == "Y"});
    }
    header->Finish();
    detail->Finish();
  }

  // The acquisition vouchers run through the sign-off workflow (ADMMQ): the
  // audited ones are approved at every step; the others wait at a step or
  // were rejected there. Drawn from a random stream of their own so that the
  // vouchers stay the same whether or not this runs.
  void SignOffHistory() {
    struct TStep {
      const char* Role;
      const char* Title;
      const char* Position;
      std::size_t Signer;  // index into the users
    };
    const TStep steps[] = {{"部门审核", "部门经理", "D300-M", 1},
                           {"财务审核", "财务经理", "D200-M", 3},
                           {"总经理核准", "总经理", "D100-G", 0}};
    const std::vector<const char*> approvals = {"同意", "同意，请续办", "核准", "拟同意，按合同付款", "同意购置"};
    const std::vector<const char*> rejections = {"金额超出预算，请重新报价", "请补附合同及发票", "非本年度采购计划项目"};
    TDemoRandom random(FOptions.Seed ^ 0x5A5A5A5AULL);
    auto out = FDb.BulkInsert("SGSMH", Columns({"MH001", "MH002", "MH003", "MH004", "MH005", "MH006", "MH007",
                                                "MH008", "MH009", "MH010", "MH011", "MH012", "MH013", "MH014",
                                                "MH015", "MH016", "MH017", "MH018"}));
    std::vector<Variant> row;
    for (const TSignedVoucher& voucher : FSignedVouchers) {
      // Approved throughout, or stopped at step `stop`: pending, or rejected.
      int stop = voucher.Approved ? 3 : static_cast<int>(random.Range(0, 2));
      bool rejected = !voucher.Approved && random.Chance(25);
      TDateTime when = voucher.Date;
      for (int i = 0; i <= std::min(stop, 2); ++i) {
        const TStep& step = steps[i];
        const std::size_t signer = std::min(step.Signer, FUsers.size() - 1);
        const bool signedNow = i < stop || rejected;
        TDateTime received = when;
        when = when + static_cast<double>(random.Range(0, 2));
        AnsiString state = !signedNow ? "待签核" : (i == stop ? "驳回" : "核准");
        const char* opinion = !signedNow ? "" : (i == stop ? random.Pick(rejections) : random.Pick(approvals));
        Standard(row, voucher.Creator, Date8(voucher.Date));
        for (Variant v : {Variant(voucher.Type), Variant(voucher.Number), Variant(""), Variant(""),
                          Variant(std::to_string(i + 1)), Variant("1"), Variant(Digits(i + 1, 4)), T(step.Role),
                          Variant(Date8(received)), Variant(signedNow ? Date8(when) : AnsiString()), T(state),
                          Variant(FUsers[signer]), T(FUserNames[signer]),
                          Variant(signedNow ? FUsers[signer] : AnsiString()),
                          signedNow ? T(FUserNames[signer]) : Variant(""), Variant(step.Position), T(step.Title),
                          T(opinion)})
          row.push_back(v);
        out->Add(row);
        if (!signedNow || i == stop) break;
      }
    }
    out->Finish();
  }

  struct TSignedVoucher {
    AnsiString Type, Number;
    TDateTime Date;
    AnsiString Creator;
    bool Approved;
  };

  TSqlBackend& FDb;
  TDemoOptions FOptions;
  TDemoRandom FRandom;
  TText FText;
  TDemoSummary FSummary;
  std::vector<AnsiString> FUsers, FSuppliers;
  std::vector<std::string> FUserNames;  // UTF-8, by the users' order
  std::vector<TSignedVoucher> FSignedVouchers;
  std::vector<TAsset> FAssets;
};

void WriteIni(const AnsiString& File, std::initializer_list<std::array<const char*, 3>> Lines,
              const std::vector<std::array<AnsiString, 3>>& More = {}) {
  DeleteFile(File);
  TMemIniFile ini(File);
  for (const auto& l : Lines) ini.WriteString(l[0], l[1], l[2]);
  for (const auto& l : More) ini.WriteString(l[0], l[1], l[2]);
  ini.UpdateFile();
}

}  // namespace

TDemoSummary FillDemoCompany(TSqlBackend& Backend, const TDemoOptions& Options) {
  if (Options.Vouchers < 0 || Options.DetailRows < 0)
    throw EAppServerError("The number of vouchers and detail lines cannot be negative");
  return TDemoGenerator(Backend, Options).Run();
}

TDemoInstallation CreateDemoInstallation(const AnsiString& Folder, const TDemoOptions& Options,
                                         const AnsiString& PostgresConnection) {
  TDemoInstallation result;
  result.Folder = IncludeTrailingPathDelimiter(ExpandFileName(Folder));
  if (!ForceDirectories(result.Folder + "C_DATA"))
    throw EAppServerError("Cannot create the installation folder " + result.Folder);
  result.DataFolder = result.Folder + "DATA";

  WriteIni(result.Folder + "TandrilC.ini",
           {{"CodePage", "UICodePage", "936"},
            {"CodePage", "DBCodePage", "936"},
            {"Server Information", "ComputerName", "127.0.0.1"},
            {"Server Information", "ServerPort", "211"},
            {"Server Information", "SupportCallBack", "0"},
            {"Client Components", "LangType", "CHS"},
            {"Client Components", "RTBuilderDataPath", ""},
            {"Client Components", "SQLBuilderEnabled", "1"},
            {"ProductVersion", "Version", "9.0.0.0"}});
  std::vector<std::array<AnsiString, 3>> database;
  if (PostgresConnection.empty()) {
    database = {{"DBE Setting", "MainDBType", "SQLITE"}, {"DBE Setting", "MainDBName", "DATA"}};
  } else {
    database = {{"DBE Setting", "MainDBType", "POSTGRESQL"}, {"DBE Setting", "MainConnection", PostgresConnection}};
  }
  WriteIni(result.Folder + "TandrilS.ini",
           {{"CodePage", "UICodePage", "936"}, {"CodePage", "DBCodePage", "936"}, {"ProductVersion", "Version", "9.0.0.0"}},
           database);
  result.RegistryFile = result.Folder + "registry.ini";
  WriteIni(result.RegistryFile, {}, {{"HKEY_LOCAL_MACHINE\\Software\\KWE\\Tandril", "ClientPath", result.Folder},
                                     {"HKEY_LOCAL_MACHINE\\Software\\KWE\\Tandril", "ServerPath", result.Folder},
                                     {"HKEY_LOCAL_MACHINE\\Software\\KWE\\Tandril", "ProfileType", "0"}});

  TDatabaseConfig config = ReadServerDatabaseConfig(result.Folder);
  std::unique_ptr<TSqlBackend> backend = CreateCompanyDatabase(config, Options.CompanyDatabase, true);
  result.Summary = FillDemoCompany(*backend, Options);
  return result;
}

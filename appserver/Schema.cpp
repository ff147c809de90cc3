#include "appserver/Schema.h"

#include <initializer_list>

#include "platform/rtl/AnsiText.h"

namespace {

TColumnDef T(const char* Name, int Size, const char* Caption) { return {Name, TColumnType::Text, Size, Caption}; }
TColumnDef M(const char* Name, const char* Caption) { return {Name, TColumnType::Memo, 0, Caption}; }
TColumnDef I(const char* Name, const char* Caption) { return {Name, TColumnType::Integer, 0, Caption}; }
TColumnDef N(const char* Name, const char* Caption) { return {Name, TColumnType::Amount, 0, Caption}; }
TColumnDef R(const char* Name, const char* Caption) { return {Name, TColumnType::Rate, 0, Caption}; }

// The user-defined columns of the voucher tables: six texts, six amounts.
void AddUserFields(std::vector<TColumnDef>& Columns) {
  static const char* const kText[] = {"UDF01", "UDF02", "UDF03", "UDF04", "UDF05", "UDF06"};
  static const char* const kAmount[] = {"UDF51", "UDF52", "UDF53", "UDF54", "UDF55", "UDF56"};
  static const char* const kCaption[] = {"用户自定义字段1", "用户自定义字段2",  "用户自定义字段3",
                                         "用户自定义字段4", "用户自定义字段5",  "用户自定义字段6",
                                         "用户自定义字段7", "用户自定义字段8",  "用户自定义字段9",
                                         "用户自定义字段10", "用户自定义字段11", "用户自定义字段12"};
  for (int i = 0; i < 6; ++i) Columns.push_back(T(kText[i], 255, kCaption[i]));
  for (int i = 0; i < 6; ++i) Columns.push_back(N(kAmount[i], kCaption[6 + i]));
}

TTableDef Table(const char* Name, const char* Caption, std::vector<TColumnDef> Own,
                std::vector<AnsiString> PrimaryKey, std::vector<std::vector<AnsiString>> Indexes = {}) {
  TTableDef table{Name, Caption, {}, std::move(PrimaryKey), std::move(Indexes)};
  // The standard columns lead, as in every table of the ERP; a table that
  // has one of them as its own column (the scheme table) keeps its own.
  const TColumnDef standard[] = {T("COMPANY", 10, "公司别"),    T("CREATOR", 10, "创建者"),
                                 T("USR_GROUP", 10, "用户组"),  T("CREATE_DATE", 8, "创建日期"),
                                 T("MODIFIER", 10, "修改者"),   T("MODI_DATE", 8, "修改日期"),
                                 I("FLAG", "修改标记")};
  for (const TColumnDef& column : standard) {
    bool own = false;
    for (const TColumnDef& c : Own) own = own || c.Name == column.Name;
    if (!own) table.Columns.push_back(column);
  }
  for (TColumnDef& column : Own) table.Columns.push_back(std::move(column));
  return table;
}

std::vector<TTableDef> BuildSchema() {
  std::vector<TTableDef> tables;

  std::vector<TColumnDef> tc = {
      T("TC001", 4, "单别"),         T("TC002", 11, "单号"),         T("TC003", 8, "交易日期"),
      T("TC004", 20, "资产编号"),    T("TC005", 10, "部门编号"),     N("TC006", "取得成本"),
      N("TC007", "本币税前金额"),    N("TC008", "累积折旧"),         I("TC009", "未摊月数"),
      N("TC010", "净残值"),          N("TC011", "数量"),             T("TC012", 6, "单位"),
      T("TC013", 255, "备注"),       T("TC014", 10, "保管人"),       T("TC015", 1, "审核码"),
      I("TC016", "打印次数"),        T("TC017", 8, "审核日期"),      T("TC018", 6, "申报年月"),
      T("TC019", 4, "币种"),         R("TC020", "汇率"),             T("TC021", 10, "存放地点"),
      T("TC022", 1, "异动类别"),     T("TC023", 4, "凭证单别"),      T("TC024", 11, "凭证单号"),
      T("TC025", 4, "来源单别"),     T("TC026", 11, "来源单号"),     T("TC027", 8, "单据日期"),
      T("TC028", 10, "审核者"),      T("TC029", 10, "项目编号"),     T("TC030", 1, "折旧方法"),
      T("TC031", 1, "生成分录"),     T("TC032", 1, "签核状态码"),    I("TC033", "传送次数"),
      N("TC034", "异动前成本"),      N("TC035", "异动后成本"),       I("TC036", "耐用月数"),
      N("TC037", "工作量"),          N("TC038", "累积工作量"),       T("TC039", 10, "折旧科目"),
      T("TC040", 10, "资产科目"),    T("TC041", 10, "累积折旧科目"), T("TC042", 10, "减值科目"),
      T("TC043", 1, "结案码"),       T("TC044", 8, "结案日期"),      T("TC045", 10, "成本中心"),
      T("TC046", 10, "供应商编号"),  T("TC047", 1, "税种"),          R("TC048", "税率"),
      N("TC049", "原币税前金额"),    N("TC050", "原币税额"),         N("TC051", "原币税后金额"),
      N("TC052", "本币税额"),        N("TC053", "本币改良成本"),     N("TC054", "原币改良成本"),
      T("TCK01", 10, "工程编号"),    N("TCK02", "在建工程合计"),     N("TCK03", "转固金额"),
      T("TCK04", 8, "转固日期"),     R("TCK05", "预计残值率"),       N("TCK06", "重估增值"),
      N("TCK07", "处置收入"),        N("TCK08", "处置费用"),         N("TCK09", "处置损益"),
      N("TCK10", "改良后成本"),      N("TCK11", "减值准备")};
  AddUserFields(tc);
  tables.push_back(Table("ASTTC", "资产异动单头", std::move(tc), {"TC001", "TC002"},
                         {{"TC004"}, {"TC003"}, {"TC027"}}));

  std::vector<TColumnDef> td = {
      T("TD001", 4, "单别"),          T("TD002", 11, "单号"),        T("TD003", 4, "序号"),
      T("TD004", 20, "资产编号"),     T("TD005", 255, "摘要"),       N("TD006", "数量"),
      T("TD007", 10, "部门编号"),     T("TD008", 255, "备注"),       T("TDK01", 4, "序号"),
      T("TDK02", 4, "来源单别"),      T("TDK03", 11, "来源单号"),    T("TDK04", 8, "单据日期"),
      N("TDK05", "原币改良成本"),     N("TDK06", "原币税前金额"),    N("TDK07", "原币税额"),
      N("TDK08", "本币改良成本"),     N("TDK09", "本币税前金额"),    N("TDK10", "本币税额")};
  AddUserFields(td);
  tables.push_back(Table("ASTTD", "资产异动单身", std::move(td), {"TD001", "TD002", "TD003"}));

  tables.push_back(Table("CMSMQ", "单据性质",
                         {T("MQ001", 4, "单别"), T("MQ002", 20, "单别名称"), T("MQ003", 2, "单据性质"),
                          T("MQ004", 6, "页脚编号"), T("MQ005", 1, "页脚可修改"), T("MQ006", 6, "签核编号"),
                          T("MQ007", 1, "签核可修改"), T("MQ008", 1, "编码方式"), I("MQ009", "流水号码数"),
                          T("MQ010", 1, "每页打印页脚"), T("MQ011", 1, "每页打印签核"),
                          T("MQ012", 20, "凭证格式"), T("MQ013", 1, "格式可修改"),
                          T("MQ014", 40, "单据名称"), T("MQ015", 1, "每页打印合计"),
                          T("MQ016", 1, "审核后打印")},
                         {"MQ001"}, {{"MQ003"}}));

  tables.push_back(Table("ASTMB", "资产资料",
                         {T("MB001", 20, "资产编号"), T("MB002", 60, "资产名称"), T("MB003", 60, "资产规格"),
                          T("MB004", 6, "单位"), T("MB005", 10, "资产类别"), T("MB006", 10, "部门编号"),
                          T("MB007", 10, "保管人"), T("MB008", 8, "取得日期"), N("MB009", "取得成本"),
                          I("MB010", "耐用月数"), N("MB011", "净残值"), T("MB012", 10, "存放地点"),
                          T("MB013", 10, "供应商编号"), T("MB014", 1, "状态")},
                         {"MB001"}));

  tables.push_back(Table("ADMMF", "用户资料",
                         {T("MF001", 10, "用户代号"), T("MF002", 30, "用户名称"), T("MF004", 10, "用户组"),
                          T("MF005", 60, "电子邮件"), T("MF006", 20, "电话"), T("MF007", 1, "超级用户"),
                          T("MF008", 10, "部门编号")},
                         {"MF001"}));

  tables.push_back(Table("PURMA", "供应商资料",
                         {T("MA001", 10, "供应商编号"), T("MA002", 40, "简称"), T("MA003", 80, "全名"),
                          T("MA004", 20, "统一编号"), T("MA005", 10, "供应商类别"), T("MA006", 20, "联系人"),
                          T("MA007", 20, "电话"), T("MA008", 20, "传真"), T("MA009", 60, "电子邮件"),
                          T("MA010", 120, "地址"), T("MA011", 4, "币种")},
                         {"MA001"}));

  tables.push_back(Table("ADMMB", "程序资料",
                         {T("MB001", 10, "程序代号"), T("MB002", 40, "程序名称"), T("MB003", 4, "系统代号"),
                          T("MB004", 1, "程序类型"), T("MB005", 10, "版本"), T("MB006", 1, "记录日志"),
                          T("MB007", 60, "说明"), T("MB008", 1, "可用"), T("MB009", 60, "英文名称")},
                         {"MB001"}));

  tables.push_back(Table("CMSML", "公司资料",
                         {T("ML001", 10, "公司代号"), T("ML002", 60, "公司名称"), T("ML003", 120, "公司全名"),
                          T("ML004", 20, "统一编号"), T("ML005", 20, "电话"), T("ML006", 20, "传真"),
                          T("ML007", 120, "地址"), T("ML008", 30, "负责人"), T("ML009", 60, "英文名称")},
                         {"ML001"}));

  tables.push_back(Table("CMSMT", "程序设定",
                         {T("MT001", 10, "程序代号"), T("MT002", 6, "页脚编号"), T("MT003", 1, "页脚可修改"),
                          T("MT004", 1, "每页打印页脚"), T("MT005", 1, "保留一"), T("MT006", 1, "保留二"),
                          T("MT007", 1, "保留三"), T("MT008", 6, "签核编号"), T("MT009", 1, "签核可修改"),
                          T("MT010", 1, "每页打印签核"), T("MT011", 1, "保留四"), T("MT012", 1, "保留五"),
                          T("MT013", 40, "单据名称"), T("MT014", 20, "凭证格式")},
                         {"MT001"}));

  tables.push_back(Table("CMSMS", "常用文字",
                         {T("MS001", 1, "类别"), T("MS002", 6, "编号"), T("MS003", 40, "说明"),
                          T("MS004", 255, "第一行"), T("MS005", 255, "第二行"), T("MS006", 255, "第三行")},
                         {"MS001", "MS002"}));

  tables.push_back(Table("WARRANT", "凭证格式",
                         {T("NT001", 40, "格式类别"), T("NT002", 20, "格式名称"), T("NT003", 10, "版本"),
                          M("NT004", "选项状态"), M("NT005", "格式内容"), I("NT006", "大小")},
                         {"NT001", "NT002"}));

  tables.push_back(Table("ADMTA", "传送记录",
                         {T("TA001", 10, "程序代号"), T("TA002", 60, "接收者"), T("TA003", 1, "成功码"),
                          T("TA004", 255, "信息"), T("TA005", 8, "时间"), T("TA006", 8, "日期")},
                         {}, {{"TA001", "TA006"}}));

  tables.push_back(Table("ADMMQ", "签核设定",
                         {T("MQ001", 10, "程序代号"), T("MQ002", 4, "单别"), T("MQ003", 20, "流程代号"),
                          T("MQ004", 1, "启用"), T("MQ005", 60, "说明")},
                         {"MQ001", "MQ002"}, {{"MQ002"}}));

  tables.push_back(Table("SGSMC", "签核单据设定",
                         {T("MC001", 10, "程序代号"), T("MC002", 4, "单别"), T("MC003", 20, "表单代号"),
                          T("MC004", 1, "启用"), T("MC005", 120, "服务地址")},
                         {"MC001", "MC002"}, {{"MC002"}}));

  // The sign-off history of each voucher as the workflow recorded it: one
  // row a step, keyed by the voucher's keys (type, number and up to two more
  // values) and the step's serial number.
  tables.push_back(Table("SGSMH", "签核历程",
                         {T("MH001", 10, "单别"), T("MH002", 20, "单号"), T("MH003", 20, "参数三"),
                          T("MH004", 20, "参数四"), T("MH005", 4, "关号"), T("MH006", 4, "支号"),
                          T("MH007", 4, "流水号"), T("MH008", 20, "流程角色"), T("MH009", 8, "收件时间"),
                          T("MH010", 8, "签核时间"), T("MH011", 10, "签核状态"), T("MH012", 10, "收件人ID"),
                          T("MH013", 30, "收件人姓名"), T("MH014", 10, "签核人ID"), T("MH015", 30, "签核人姓名"),
                          T("MH016", 10, "部门职位代号"), T("MH017", 20, "签核人职称"), T("MH018", 255, "签核意见")},
                         {"MH001", "MH002", "MH003", "MH004", "MH007"}));

  tables.push_back(Table("GENES", "条件方案",
                         {T("NCONDITION", 20, "方案名称"), T("CREATOR", 10, "创建者"),
                          T("CREATE_DATE", 8, "创建日期"), T("PROGRAMME", 10, "程序代号"),
                          M("SCONDITION", "属性列表"), M("VCONDITION", "属性值")},
                         {"NCONDITION", "CREATOR", "PROGRAMME"}, {{"CREATOR", "PROGRAMME"}}));

  tables.push_back(Table("ADMMG", "用户程序权限",
                         {T("MG001", 10, "用户代号"), T("MG002", 10, "程序代号"), T("MG003", 20, "权限字符"),
                          T("MG004", 20, "权限字段一"), T("MG005", 1, "权限标记二"), T("MG006", 1, "权限标记三"),
                          T("MG007", 20, "权限字段五"), T("MG008", 20, "权限字段六"),
                          T("MG009", 255, "数据权限条件"), T("MG010", 1, "表格权限"),
                          T("MG011", 255, "附加信息一"), T("MG012", 255, "附加信息二")},
                         {"MG001", "MG002"}));

  tables.push_back(Table("ADMMH", "表格数据权限",
                         {T("MH001", 10, "用户代号"), T("MH002", 10, "程序代号"), T("MH003", 10, "表名"),
                          T("MH004", 255, "条件")},
                         {"MH001", "MH002", "MH003"}));

  tables.push_back(Table("ADMSS", "系统参数",
                         {T("SS001", 10, "公司代号"), T("SS002", 20, "参数代号"), T("SS003", 255, "参数值"),
                          T("SS004", 60, "说明")},
                         {"SS001", "SS002"}));
  return tables;
}

}  // namespace

const TColumnDef* TTableDef::FindColumn(const AnsiString& ColumnName) const {
  for (const TColumnDef& column : Columns)
    if (SameText(column.Name, ColumnName)) return &column;
  return nullptr;
}

const std::vector<TTableDef>& CompanySchema() {
  static const std::vector<TTableDef> schema = BuildSchema();
  return schema;
}

const TTableDef* FindTable(const AnsiString& Name) {
  for (const TTableDef& table : CompanySchema())
    if (SameText(table.Name, Name)) return &table;
  return nullptr;
}

bool IsTextColumnName(const AnsiString& Name) {
  bool text = false;
  for (const TTableDef& table : CompanySchema()) {
    const TColumnDef* column = table.FindColumn(Name);
    if (!column) continue;
    if (column->Type != TColumnType::Text && column->Type != TColumnType::Memo) return false;
    text = true;
  }
  return text;
}

AnsiString ColumnTypeSql(const TColumnDef& Column) {
  switch (Column.Type) {
    case TColumnType::Text: return "VARCHAR(" + std::to_string(Column.Size) + ")";
    case TColumnType::Memo: return "TEXT";
    case TColumnType::Integer: return "INTEGER";
    case TColumnType::Amount: return "NUMERIC(18,4)";
    case TColumnType::Rate: return "NUMERIC(12,4)";
  }
  return "TEXT";
}

std::string SchemaSql(TSqlDialect) {
  std::string out;
  for (const TTableDef& table : CompanySchema()) {
    out += "-- " + table.Caption + "\nCREATE TABLE " + table.Name + " (\n";
    // Each line carries its comma before the caption comment.
    std::vector<std::string> lines;
    for (const TColumnDef& column : table.Columns) {
      bool key = false;
      for (const AnsiString& k : table.PrimaryKey) key = key || k == column.Name;
      std::string line = "  " + column.Name + " " + ColumnTypeSql(column);
      if (key) line += " NOT NULL";
      line += column.Type == TColumnType::Text || column.Type == TColumnType::Memo ? " DEFAULT ''" : " DEFAULT 0";
      lines.push_back(line);
    }
    if (!table.PrimaryKey.empty()) {
      std::string line = "  PRIMARY KEY (";
      for (std::size_t i = 0; i < table.PrimaryKey.size(); ++i) line += (i ? ", " : "") + table.PrimaryKey[i];
      lines.push_back(line + ")");
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      out += lines[i];
      if (i + 1 < lines.size()) out += ",";
      if (i < table.Columns.size()) out += "  -- " + table.Columns[i].Caption;
      out += "\n";
    }
    out += ");\n";
    for (const std::vector<AnsiString>& index : table.Indexes) {
      AnsiString name = table.Name, columns;
      for (const AnsiString& c : index) {
        name += "_" + c;
        columns += (columns.empty() ? "" : ", ") + c;
      }
      out += "CREATE INDEX " + name + " ON " + table.Name + " (" + columns + ");\n";
    }
    out += "\n";
  }
  return out;
}

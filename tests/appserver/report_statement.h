#pragma once
// The asset voucher report's statement in the join dialect, exactly as the
// option window assembles it: select list, FROM, the six joins, a WHERE
// section and ORDER BY.

#include "platform/rtl/AnsiStrings.h"

namespace kwtest {

inline const char* const kReportSelect =
    "SELECT TC001,TC002,TC003,TC004,TC007,TC009,TC010,TC013,TC015,MQ002 AS CMSMQ002,ASTMB.MB002 AS MB002,"
    "ASTMB.MB003 AS MB003,TC023,TC024,TC011,TC012,TC027,TC032 ,TC016,TC028,TC031,A.MF002 AS MF002C1,"
    "B.MF002 AS MF002C2,ASTTC.CREATOR AS CREATOR  ,ASTTC.UDF01 AS UDF01D, ASTTC.UDF02 AS UDF02D, ASTTC.UDF03 AS "
    "UDF03D, ASTTC.UDF04 AS UDF04D, ASTTC.UDF05 AS UDF05D, ASTTC.UDF06 AS UDF06D,  ASTTC.UDF51 AS UDF51D, "
    "ASTTC.UDF52 AS UDF52D, ASTTC.UDF53 AS UDF53D, ASTTC.UDF54 AS UDF54D, ASTTC.UDF55 AS UDF55D, ASTTC.UDF56 AS "
    "UDF56D ,TC046,PURMA.MA002 AS PURMA002 ,TC019,TC020,TC047,TC048,TC049,TC050,TC054,TC052,TC053,TC006,TCK10,"
    "TC008,TCK11,TC037,TCK02,TDK01,TDK02,TDK03,TDK04,TDK05,TDK06,TDK07,TDK08,TDK09,TDK10 ,CASE WHEN TCK10=0 THEN "
    "ISNULL(TC006-TC008-TCK11,0) ELSE ISNULL(TCK10-TC008-TCK11,0) END AS TC004C ";
inline const char* const kReportFrom = "FROM $$ASTTC AS ASTTC ";
inline const char* const kReportJoin =
    "LEFT JOIN $$CMSMQ AS CMSMQ ON TC001=MQ001  LEFT JOIN $$ASTTD AS ASTTD ON TD001=TC001 AND TD002=TC002  "
    "LEFT JOIN $$ASTMB AS ASTMB ON TC004=MB001  LEFT JOIN $$ADMMF AS A ON TC028=A.MF001  LEFT JOIN $$ADMMF AS B "
    "ON ASTTC.CREATOR=B.MF001  LEFT JOIN $$PURMA AS PURMA ON TC046=MA001 ";
inline const char* const kReportOrder = "ORDER BY TC001,TC002 ";

// The statement with the given WHERE section (which ends with a blank, as
// the section setter leaves it).
inline AnsiString ReportStatement(const AnsiString& Where) {
  return AnsiString(kReportSelect) + kReportFrom + kReportJoin + Where + kReportOrder;
}

// Voucher type "A1", audited, not printed, after the rights step.
inline const char* const kReportWhere = "WHERE (1=1  and (TC001='A1') and (TC015='Y') and (TC016= 0 )) ";

}  // namespace kwtest

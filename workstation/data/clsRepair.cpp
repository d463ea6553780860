#include "clsRepair.h"

TRepair::TRepair()
{
    BaseSQL = QStringLiteral("SELECT * FROM V_REPAIR");
    Columns.reserve(15);
    AddColumn(QStringLiteral("ID"), QStringLiteral("编号"), 6, 50);
    AddColumn(QStringLiteral("REPAIR_DATE"), QStringLiteral("送修日期"), 10, 80);
    AddColumn(QStringLiteral("CAR_NO"), QStringLiteral("车牌号码"), 32, 80);
    AddColumn(QStringLiteral("CAR_OWNER"), QStringLiteral("客户姓名"), 16, 80);
    AddColumn(QStringLiteral("PHONE"), QStringLiteral("联系电话"), 32, 100);
    AddColumn(QStringLiteral("ADDRESS"), QStringLiteral("联系地址"), 128, 100);
    AddColumn(QStringLiteral("OIL"), QStringLiteral("油量"), 8, 50);
    AddColumn(QStringLiteral("FAULT"), QStringLiteral("故障描述"), 512, 100);
    AddColumn(QStringLiteral("EARNEST"), QStringLiteral("定金"), 8, 50);
    AddColumn(QStringLiteral("QUOTE"), QStringLiteral("报价"), 8, 50);
    AddColumn(QStringLiteral("PAID"), QStringLiteral("实收金额"), 8, 80);
    AddColumn(QStringLiteral("ACCEPTER_NAME"), QStringLiteral("接车人"), 32, 80);
    AddColumn(QStringLiteral("OPERATOR_NAME"), QStringLiteral("制单人"), 32, 80);
    AddColumn(QStringLiteral("IS_PAY"), QStringLiteral("结账"), 8, 50);
    AddColumn(QStringLiteral("MEMO"), QStringLiteral("备注"), 128, 80);
}

void TRepair::Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result)
{
    if (!BeginSave(proc, mode, QStringLiteral("SP_UD_REPAIR"), QStringLiteral("SP_DEL_REPAIR"), result))
        return;
    AddText(proc, QStringLiteral("CAR_NO"));
    AddText(proc, QStringLiteral("CAR_OWNER"));
    AddText(proc, QStringLiteral("PHONE"));
    AddText(proc, QStringLiteral("ADDRESS"));
    AddDecimal(proc, QStringLiteral("OIL"));
    AddText(proc, QStringLiteral("FAULT"));
    AddDecimal(proc, QStringLiteral("EARNEST"));
    AddDecimal(proc, QStringLiteral("QUOTE"));
    AddKey(proc, QStringLiteral("ACCEPTER_ID"), QStringLiteral("ACCEPTER_NAME"));
    AddKey(proc, QStringLiteral("OPERATOR_ID"), QStringLiteral("OPERATOR_NAME"));
    AddText(proc, QStringLiteral("MEMO"));
    RunProc(proc, result);
}

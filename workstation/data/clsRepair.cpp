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

void TRepair::Execute(TStoredProc* proc, int mode, TSPResultInfo& result)
{
    if (mode == ExecDelete) {
        RunDelete(proc, QStringLiteral("SP_DEL_REPAIR"), result);
        return;
    }
    if (mode != 0 && mode != 1)
        return;
    int id = 0;
    if (!KeyValue(&id)) {
        result = TSPResultInfo();
        return;
    }
    BeginProc(proc, QStringLiteral("SP_UD_REPAIR"));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("ID"), TFbValue::FromInt(id));
    AddInput(proc, TFieldType::ftString, QStringLiteral("CAR_NO"), TFbValue::FromText(GetValue(QStringLiteral("CAR_NO"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("CAR_OWNER"), TFbValue::FromText(GetValue(QStringLiteral("CAR_OWNER"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("PHONE"), TFbValue::FromText(GetValue(QStringLiteral("PHONE"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("ADDRESS"), TFbValue::FromText(GetValue(QStringLiteral("ADDRESS"))));
    AddInput(proc, TFieldType::ftFloat, QStringLiteral("OIL"), TFbValue::FromDouble(FloatValue(QStringLiteral("OIL"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("FAULT"), TFbValue::FromText(GetValue(QStringLiteral("FAULT"))));
    AddInput(proc, TFieldType::ftFloat, QStringLiteral("EARNEST"), TFbValue::FromDouble(FloatValue(QStringLiteral("EARNEST"))));
    AddInput(proc, TFieldType::ftFloat, QStringLiteral("QUOTE"), TFbValue::FromDouble(FloatValue(QStringLiteral("QUOTE"))));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("ACCEPTER_ID"), TFbValue::FromInt(GetKey(QStringLiteral("ACCEPTER_NAME"))));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("OPERATOR_ID"), TFbValue::FromInt(GetKey(QStringLiteral("OPERATOR_NAME"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("MEMO"), TFbValue::FromText(GetValue(QStringLiteral("MEMO"))));
    RunProc(proc, result);
}

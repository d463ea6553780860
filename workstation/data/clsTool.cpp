#include "clsTool.h"

TTool::TTool()
{
    BaseSQL = QStringLiteral("SELECT * FROM TB_TOOL");
    Columns.reserve(8);
    AddColumn(QStringLiteral("ID"), QStringLiteral("编号"), 6, 50);
    AddColumn(QStringLiteral("TOOL_NAME"), QStringLiteral("工具名称"), 32, 200);
    AddColumn(QStringLiteral("TOOL_COUNT"), QStringLiteral("工具数量"), 8, 80);
    AddColumn(QStringLiteral("BUY_DATE"), QStringLiteral("购买日期"), 10, 80);
    AddColumn(QStringLiteral("CHECK_DATE"), QStringLiteral("最近送检"), 10, 80);
    AddColumn(QStringLiteral("MANUFACTURER"), QStringLiteral("生产厂家"), 64, 150);
    AddColumn(QStringLiteral("AFTERMARKET_PHONE"), QStringLiteral("售后电话"), 32, 100);
    AddColumn(QStringLiteral("MEMO"), QStringLiteral("备注"), 128, 150);
}

void TTool::Execute(TStoredProc* proc, int mode, TSPResultInfo& result)
{
    if (mode == ExecDelete) {
        RunDelete(proc, QStringLiteral("SP_DEL_TOOL"), result);
        return;
    }
    if (mode != 0 && mode != 1)
        return;
    int id = 0;
    if (!KeyValue(&id)) {
        result = TSPResultInfo();
        return;
    }
    BeginProc(proc, QStringLiteral("SP_UD_TOOL"));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("ID"), TFbValue::FromInt(id));
    AddInput(proc, TFieldType::ftString, QStringLiteral("TOOL_NAME"), TFbValue::FromText(GetValue(QStringLiteral("TOOL_NAME"))));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("TOOL_COUNT"), TFbValue::FromInt(IntValue(QStringLiteral("TOOL_COUNT"))));
    AddInput(proc, TFieldType::ftDate, QStringLiteral("BUY_DATE"), TFbValue::FromDate(GetDateValue(QStringLiteral("BUY_DATE"))));
    AddInput(proc, TFieldType::ftDate, QStringLiteral("CHECK_DATE"), TFbValue::FromDate(GetDateValue(QStringLiteral("CHECK_DATE"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("MANUFACTURER"), TFbValue::FromText(GetValue(QStringLiteral("MANUFACTURER"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("AFTERMARKET_PHONE"), TFbValue::FromText(GetValue(QStringLiteral("AFTERMARKET_PHONE"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("MEMO"), TFbValue::FromText(GetValue(QStringLiteral("MEMO"))));
    RunProc(proc, result);
}

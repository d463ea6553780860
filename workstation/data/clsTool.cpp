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

void TTool::Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result)
{
    if (!BeginSave(proc, mode, QStringLiteral("SP_UD_TOOL"), QStringLiteral("SP_DEL_TOOL"), result))
        return;
    AddText(proc, QStringLiteral("TOOL_NAME"));
    AddInteger(proc, QStringLiteral("TOOL_COUNT"));
    AddDate(proc, QStringLiteral("BUY_DATE"));
    AddDate(proc, QStringLiteral("CHECK_DATE"));
    AddText(proc, QStringLiteral("MANUFACTURER"));
    AddText(proc, QStringLiteral("AFTERMARKET_PHONE"));
    AddText(proc, QStringLiteral("MEMO"));
    RunProc(proc, result);
}

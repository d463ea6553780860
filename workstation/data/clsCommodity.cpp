#include "clsCommodity.h"

TCommodity::TCommodity()
{
    BaseSQL = QStringLiteral("SELECT * FROM V_COMMODITY");
    Columns.reserve(4);
    AddColumn(QStringLiteral("ID"), QStringLiteral("编号"), 6, 50);
    AddColumn(QStringLiteral("COMMODITY_NAME"), QStringLiteral("商品名"), 32, 200);
    AddColumn(QStringLiteral("UNIT_NAME"), QStringLiteral("单位"), 32, 80);
    AddColumn(QStringLiteral("STANDARD_NAME"), QStringLiteral("规格"), 32, 80);
}

void TCommodity::Execute(TStoredProc* proc, int mode, TSPResultInfo& result)
{
    if (mode == ExecDelete) {
        RunDelete(proc, QStringLiteral("SP_DEL_COMMODITY"), result);
        return;
    }
    if (mode != 0 && mode != 1)
        return;
    int id = 0;
    if (!KeyValue(&id)) {
        result = TSPResultInfo();
        return;
    }
    BeginProc(proc, QStringLiteral("SP_UD_COMMODITY"));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("ID"), TFbValue::FromInt(id));
    AddInput(proc, TFieldType::ftString, QStringLiteral("COMMODITY_NAME"), TFbValue::FromText(GetValue(QStringLiteral("COMMODITY_NAME"))));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("UNIT_ID"), TFbValue::FromInt(GetKey(QStringLiteral("UNIT_NAME"))));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("STANDARD_ID"), TFbValue::FromInt(GetKey(QStringLiteral("STANDARD_NAME"))));
    RunProc(proc, result);
}

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

void TCommodity::Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result)
{
    if (!BeginSave(proc, mode, QStringLiteral("SP_UD_COMMODITY"), QStringLiteral("SP_DEL_COMMODITY"), result))
        return;
    AddText(proc, QStringLiteral("COMMODITY_NAME"));
    AddKey(proc, QStringLiteral("UNIT_ID"), QStringLiteral("UNIT_NAME"));
    AddKey(proc, QStringLiteral("STANDARD_ID"), QStringLiteral("STANDARD_NAME"));
    RunProc(proc, result);
}

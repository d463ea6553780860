#include "clsStock.h"

TStock::TStock()
{
    BaseSQL = QStringLiteral("SELECT * FROM V_STOCK");
    Columns.reserve(7);
    AddColumn(QStringLiteral("ID"), QStringLiteral("编号"), 6, 50);
    AddColumn(QStringLiteral("COMMODITY_ID"), QStringLiteral("商品编码"), 8, 80);
    AddColumn(QStringLiteral("COMMODITY_NAME"), QStringLiteral("商品名"), 32, 200);
    AddColumn(QStringLiteral("UNIT_NAME"), QStringLiteral("单位"), 32, 50);
    AddColumn(QStringLiteral("STANDARD_NAME"), QStringLiteral("规格"), 32, 80);
    AddColumn(QStringLiteral("REFER_PRICE"), QStringLiteral("参考售价"), 8, 80);
    AddColumn(QStringLiteral("STOCK_COUNT"), QStringLiteral("库存数量"), 8, 80);
}

void TStock::Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result)
{
    Q_UNUSED(proc);
    Q_UNUSED(mode);
    Q_UNUSED(result);
}

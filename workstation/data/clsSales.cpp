#include "clsSales.h"

TSales::TSales()
{
    BaseSQL = QStringLiteral("SELECT * FROM V_SALES_SUMMARY");
    Columns.reserve(6);
    AddColumn(QStringLiteral("ID"), QStringLiteral("单号"), 6, 50);
    AddColumn(QStringLiteral("OUT_DATE"), QStringLiteral("销售日期"), 10, 80);
    AddColumn(QStringLiteral("TOTAL_COUNT"), QStringLiteral("总数量"), 8, 50);
    AddColumn(QStringLiteral("TOTAL_PRICE"), QStringLiteral("总金额"), 8, 50);
    AddColumn(QStringLiteral("SALES_TYPE"), QStringLiteral("销售类型"), 8, 80);
    AddColumn(QStringLiteral("GROSS_PROFIX"), QStringLiteral("毛利润"), 8, 80);
}

void TSales::Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result)
{
    Q_UNUSED(proc);
    Q_UNUSED(mode);
    Q_UNUSED(result);
}

#include "clsStorage.h"

TStorage::TStorage()
{
    BaseSQL = QStringLiteral("SELECT * FROM V_STORAGE_SUMMARY");
    Columns.reserve(5);
    AddColumn(QStringLiteral("ID"), QStringLiteral("单号"), 6, 50);
    AddColumn(QStringLiteral("IN_DATE"), QStringLiteral("入库日期"), 10, 80);
    AddColumn(QStringLiteral("TOTAL_COUNT"), QStringLiteral("整单总数"), 8, 80);
    AddColumn(QStringLiteral("TOTAL_PRICE"), QStringLiteral("总金额"), 8, 80);
    AddColumn(QStringLiteral("GROSS_PROFIX"), QStringLiteral("毛利润"), 8, 80);
}

void TStorage::Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result)
{
    Q_UNUSED(proc);
    Q_UNUSED(mode);
    Q_UNUSED(result);
}

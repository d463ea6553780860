#include "clsSupplier.h"

TSupplier::TSupplier()
{
    BaseSQL = QStringLiteral("SELECT * FROM TB_SUPPLIER");
    Columns.reserve(7);
    AddColumn(QStringLiteral("ID"), QStringLiteral("编号"), 6, 50);
    AddColumn(QStringLiteral("SUPPLIER_NAME"), QStringLiteral("供应商名称"), 64, 200);
    AddColumn(QStringLiteral("CONTACTOR"), QStringLiteral("联系人"), 16, 80);
    AddColumn(QStringLiteral("MAIN_PRODUCT"), QStringLiteral("主营产品"), 64, 200);
    AddColumn(QStringLiteral("PHONE"), QStringLiteral("联系电话"), 32, 100);
    AddColumn(QStringLiteral("ADDRESS"), QStringLiteral("联系地址"), 128, 100);
    AddColumn(QStringLiteral("MEMO"), QStringLiteral("备注"), 128, 100);
}

void TSupplier::Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result)
{
    if (!BeginSave(proc, mode, QStringLiteral("SP_UD_SUPPLIER"), QStringLiteral("SP_DEL_SUPPLIER"), result))
        return;
    AddText(proc, QStringLiteral("SUPPLIER_NAME"));
    AddText(proc, QStringLiteral("CONTACTOR"));
    AddText(proc, QStringLiteral("MAIN_PRODUCT"));
    AddText(proc, QStringLiteral("PHONE"));
    AddText(proc, QStringLiteral("ADDRESS"));
    AddText(proc, QStringLiteral("MEMO"));
    RunProc(proc, result);
}

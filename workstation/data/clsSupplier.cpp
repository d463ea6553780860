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

void TSupplier::Execute(TStoredProc* proc, int mode, TSPResultInfo& result)
{
    if (mode == ExecDelete) {
        RunDelete(proc, QStringLiteral("SP_DEL_SUPPLIER"), result);
        return;
    }
    if (mode != 0 && mode != 1)
        return;
    int id = 0;
    if (!KeyValue(&id)) {
        result = TSPResultInfo();
        return;
    }
    BeginProc(proc, QStringLiteral("SP_UD_SUPPLIER"));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("ID"), TFbValue::FromInt(id));
    AddInput(proc, TFieldType::ftString, QStringLiteral("SUPPLIER_NAME"), TFbValue::FromText(GetValue(QStringLiteral("SUPPLIER_NAME"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("CONTACTOR"), TFbValue::FromText(GetValue(QStringLiteral("CONTACTOR"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("MAIN_PRODUCT"), TFbValue::FromText(GetValue(QStringLiteral("MAIN_PRODUCT"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("PHONE"), TFbValue::FromText(GetValue(QStringLiteral("PHONE"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("ADDRESS"), TFbValue::FromText(GetValue(QStringLiteral("ADDRESS"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("MEMO"), TFbValue::FromText(GetValue(QStringLiteral("MEMO"))));
    RunProc(proc, result);
}

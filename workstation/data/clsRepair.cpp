#include "clsRepair.h"

#include "ConPool.h"
#include "FbClient.h"

TPlateHistory ReadPlateHistory(TConPool& pool, const QString& carNo)
{
    TPlateHistory h;
    const QString plate = carNo.trimmed();
    if (plate.isEmpty())
        return h;
    const TFbValue p = TFbValue::FromText(plate);
    const TFbResult count = pool.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_REPAIR WHERE CAR_NO = ?"), {p});
    h.Orders = count.RowCount() ? int(count.At(0, 0).AsInt64()) : 0;
    if (h.Orders == 0)
        return h;
    const TFbResult last =
        pool.Execute(QStringLiteral(
                         "SELECT FIRST 1 CAR_OWNER, PHONE, ADDRESS FROM TB_REPAIR WHERE CAR_NO = ? ORDER BY ID DESC"),
                     {p});
    if (last.RowCount()) {
        h.CarOwner = last.At(0, 0).AsString();
        h.Phone = last.At(0, 1).AsString();
        h.Address = last.At(0, 2).AsString();
    }
    return h;
}

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
    // Amounts keep room for every NUMERIC(15,2) value: a cut would store another number.
    AddColumn(QStringLiteral("OIL"), QStringLiteral("油量"), AmountLength, 50);
    AddColumn(QStringLiteral("FAULT"), QStringLiteral("故障描述"), 512, 100);
    AddColumn(QStringLiteral("EARNEST"), QStringLiteral("定金"), AmountLength, 50);
    AddColumn(QStringLiteral("QUOTE"), QStringLiteral("报价"), AmountLength, 50);
    AddColumn(QStringLiteral("PAID"), QStringLiteral("实收金额"), AmountLength, 80);
    AddColumn(QStringLiteral("ACCEPTER_NAME"), QStringLiteral("接车人"), 32, 80);
    AddColumn(QStringLiteral("OPERATOR_NAME"), QStringLiteral("制单人"), 32, 80);
    AddColumn(QStringLiteral("IS_PAY"), QStringLiteral("结账"), 8, 50);
    AddColumn(QStringLiteral("MEMO"), QStringLiteral("备注"), 128, 80);
}

void TRepair::Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result)
{
    if (!BeginSave(proc, mode, QStringLiteral("SP_UD_REPAIR"), QStringLiteral("SP_DEL_REPAIR"), result))
        return;
    AddText(proc, QStringLiteral("CAR_NO"));
    AddText(proc, QStringLiteral("CAR_OWNER"));
    AddText(proc, QStringLiteral("PHONE"));
    AddText(proc, QStringLiteral("ADDRESS"));
    AddDecimal(proc, QStringLiteral("OIL"));
    AddText(proc, QStringLiteral("FAULT"));
    AddDecimal(proc, QStringLiteral("EARNEST"));
    AddDecimal(proc, QStringLiteral("QUOTE"));
    AddKey(proc, QStringLiteral("ACCEPTER_ID"), QStringLiteral("ACCEPTER_NAME"));
    AddKey(proc, QStringLiteral("OPERATOR_ID"), QStringLiteral("OPERATOR_NAME"));
    AddText(proc, QStringLiteral("MEMO"));
    RunProc(proc, result);
}

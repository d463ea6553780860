#include "Session.h"

#include "ConPool.h"
#include "FbClient.h"

QString FindUser(TConPool& pool, const QString& userName, const QString& digest, bool* departed)
{
    const TFbResult r =
        pool.Execute(QStringLiteral("SELECT ID, STATUS FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME=? AND PW=?"),
                     {TFbValue::FromText(userName), TFbValue::FromText(digest)});
    if (departed)
        *departed = r.RowCount() > 0 && !r.At(0, 1).IsNull() && r.At(0, 1).AsInt64() == 1;
    return r.RowCount() > 0 ? r.At(0, 0).AsString() : QString();
}

TTheUnit ReadTheUnit(TConPool& pool)
{
    const TFbResult r =
        pool.Execute(QStringLiteral("SELECT THEUNIT_NAME, PER_IN_CHAR, PHONE, ADDRESS FROM TB_THEUNIT"));
    TTheUnit unit;
    if (r.RowCount() > 0) {
        unit.TheUnitName = r.At(0, 0).AsString();
        unit.PerInChar = r.At(0, 1).AsString();
        unit.Phone = r.At(0, 2).AsString();
        unit.Address = r.At(0, 3).AsString();
    }
    return unit;
}

void SaveTheUnit(TConPool& pool, const TTheUnit& unit)
{
    // The table is meant to hold one row; every row it has is updated so that whichever the
    // reading finds first shows what was saved. A database without the row gets it here.
    pool.Execute(QStringLiteral("MERGE INTO TB_THEUNIT T "
                                "USING (SELECT CAST(? AS VARCHAR(64)) AS N, CAST(? AS VARCHAR(16)) AS P, "
                                "CAST(? AS VARCHAR(32)) AS H, CAST(? AS VARCHAR(128)) AS A FROM RDB$DATABASE) S "
                                "ON (1 = 1) "
                                "WHEN MATCHED THEN UPDATE SET THEUNIT_NAME = S.N, PER_IN_CHAR = S.P, PHONE = S.H, "
                                "ADDRESS = S.A "
                                "WHEN NOT MATCHED THEN INSERT (THEUNIT_NAME, PER_IN_CHAR, PHONE, ADDRESS) "
                                "VALUES (S.N, S.P, S.H, S.A)"),
                 {TFbValue::FromText(unit.TheUnitName), TFbValue::FromText(unit.PerInChar),
                  TFbValue::FromText(unit.Phone), TFbValue::FromText(unit.Address)});
}

void ApplyRightRow(TRightInfo& info, const QString& read, const QString& append, const QString& alter,
                   const QString& del)
{
    const auto one = [](const QString& t) { return t.compare(QLatin1String("1"), Qt::CaseInsensitive) == 0; };
    if (one(read))
        info.Grants |= RightBit(rtRead);
    if (one(append))
        info.Grants |= RightBit(rtAppend);
    if (one(alter))
        info.Grants |= RightBit(rtAlter);
    if (one(del))
        info.Grants |= RightBit(rtDelete);
    if (!HasRight(info.Grants, rtRead))
        info.Grants = 0;
}

void ReadRights(TConPool& pool, const QString& userId, TRightInfo (&rights)[RightCount])
{
    for (TRightInfo& info : rights)
        info.Grants = 0;
    bool ok = false;
    const qint64 id = userId.toLongLong(&ok);
    if (!ok)
        return;
    const TFbResult r =
        pool.Execute(QStringLiteral(
                         "SELECT FUNCTION_NAME,IS_READ,IS_APPEND,IS_ALTER,IS_DELETE FROM TB_RIGHT WHERE USER_ID=?"),
                     {TFbValue::FromInt(id)});
    for (int row = 0; row < r.RowCount(); ++row) {
        const QString name = r.At(row, 0).AsString();
        for (TRightInfo& info : rights)
            if (info.FunctionName.compare(name, Qt::CaseInsensitive) == 0)
                ApplyRightRow(info, r.At(row, 1).AsString(), r.At(row, 2).AsString(), r.At(row, 3).AsString(),
                              r.At(row, 4).AsString());
    }
}

bool ChangePassword(TConPool& pool, const QString& userId, const QString& digest)
{
    bool ok = false;
    const qint64 id = userId.toLongLong(&ok);
    if (!ok)
        return false;
    const TFbResult r = pool.Execute(QStringLiteral("UPDATE TB_EMPLOYEE SET PW = ? WHERE ID = ?"),
                                     {TFbValue::FromText(digest), TFbValue::FromInt(id)});
    return r.RowsAffected > 0;
}

qint64 CarryForwardStock(TConPool& pool)
{
    TQueryLoan q(&pool);
    q->Clear();
    q->SetSQL(QStringLiteral("DELETE FROM TB_STOCK WHERE STOCK_COUNT = 0"));
    return q->ExecSQL();
}

#include "DbCheck.h"

#include "DbAccount.h"
#include "FbClient.h"
#include "SchemaTables.h"

#include <QSet>

namespace {

// The tables whose rows a user recognises, in the order they are named to him.
const struct {
    const char* Table;
    const char* Caption;
} MainTables[] = {
    {"TB_EMPLOYEE", "员工"},   {"TB_CUSTOMER", "客户"},  {"TB_REPAIR", "维修单"},
    {"TB_SUPPLIER", "供应商"}, {"TB_COMMODITY", "配件"}, {"TB_STORAGE", "入库明细"},
    {"TB_STOCK", "库存批次"},  {"TB_SALES", "销售明细"}, {"TB_TOOL", "工具"},
};

TDbCheck Refused(const QString& reason)
{
    TDbCheck c;
    c.Reason = reason;
    return c;
}

}   // namespace

QStringList SchemaTables()
{
    return SchemaTableNames();
}

QString AdministratorName()
{
    return QStringLiteral("管理员");
}

QString TDbCheck::CountsText() const
{
    QStringList parts;
    for (const TTableCount& c : Counts)
        parts << QStringLiteral("%1 %2").arg(c.Caption).arg(c.Rows);
    return parts.join(QStringLiteral("，"));
}

TDbCheck CheckDatabase(const QString& file)
{
    TFbConnection db;
    try {
        db.Attach(file, DbAccount::UserName(), DbAccount::Password());
    } catch (const TFbError& e) {
        return Refused(QStringLiteral("数据库文件无法打开：%1").arg(e.Text()));
    }
    try {
        // A restore that stopped half way leaves its file shut for maintenance.
        const TFbResult mode = db.Execute(QStringLiteral("SELECT MON$SHUTDOWN_MODE FROM MON$DATABASE"));
        if (mode.RowCount() != 1 || mode.At(0, 0).AsInt64() != 0)
            return Refused(QStringLiteral("数据库处于维护关闭状态：恢复没有做完。"));

        const TFbResult tables =
            db.Execute(QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS "
                                      "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NULL"));
        QSet<QString> present;
        for (int r = 0; r < tables.RowCount(); ++r)
            present.insert(tables.At(r, 0).AsString().toUpper());
        QStringList missing;
        for (const QString& t : SchemaTables())
            if (!present.contains(t))
                missing << t;
        if (!missing.isEmpty())
            return Refused(QStringLiteral("数据库缺少数据表：%1").arg(missing.join(QStringLiteral(", "))));

        const TFbResult admin = db.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = ?"),
                                           {TFbValue::FromText(AdministratorName())});
        if (admin.RowCount() != 1 || admin.At(0, 0).AsInt64() < 1)
            return Refused(QStringLiteral("数据库中没有“%1”的帐号。").arg(AdministratorName()));

        TDbCheck c;
        for (const auto& m : MainTables) {
            const QString table = QString::fromLatin1(m.Table);
            if (!present.contains(table))
                continue;   // a table the schema no longer has
            // The name comes from the list above, never from outside.
            const TFbResult n = db.Execute(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
            c.Counts.push_back({table, QString::fromUtf8(m.Caption), n.At(0, 0).AsInt64()});
        }
        c.Ok = true;
        return c;
    } catch (const TFbError& e) {
        return Refused(QStringLiteral("检查数据库时出错：%1").arg(e.Text()));
    }
}

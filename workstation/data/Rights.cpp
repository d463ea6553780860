#include "Rights.h"

#include "ConPool.h"
#include "DbErrors.h"
#include "FbClient.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

// The account that holds every permission without rows of its own.
const QString Administrator = QStringLiteral("管理员");

// How often the creation of an employee's rows starts again after meeting the rows another
// workstation was creating at the same moment; each round sees what that one committed.
constexpr int CreateAttempts = 5;

// A function name as the database compares it: blanks at the end do not count.
QString NameKey(const QString& name)
{
    QString s = name;
    while (!s.isEmpty() && s.back() == QLatin1Char(' '))
        s.chop(1);
    return s.toCaseFolded();
}

bool ParseId(const QString& text, qint64* id)
{
    bool ok = false;
    *id = text.trimmed().toLongLong(&ok);
    return ok && *id > 0;
}

QVector<TRightRow> ReadRows(TConPool& pool, qint64 userId)
{
    // A flag reads "1" only where it grants: the main window grants on 1 alone.
    const TFbResult r = pool.Execute(
        QStringLiteral("SELECT ID, OBJECT_TYPE, FUNCTION_NAME, IIF(IS_READ = 1, 1, 0), IIF(IS_APPEND = 1, 1, 0), "
                       "IIF(IS_ALTER = 1, 1, 0), IIF(IS_DELETE = 1, 1, 0) FROM TB_RIGHT WHERE USER_ID = ? ORDER BY ID"),
        {TFbValue::FromInt(userId)});
    QVector<TRightRow> rows;
    rows.reserve(r.RowCount());
    for (int k = 0; k < r.RowCount(); ++k)
        rows.push_back({r.At(k, 0).AsString(), r.At(k, 1).AsString(), r.At(k, 2).AsString(), r.At(k, 3).AsString(),
                        r.At(k, 4).AsString(), r.At(k, 5).AsString(), r.At(k, 6).AsString()});
    return rows;
}

// The function names the rows lack, in their order.
QStringList Missing(const QVector<TRightRow>& rows, const QStringList& functionNames)
{
    QSet<QString> present;
    for (const TRightRow& row : rows)
        present.insert(NameKey(row.FunctionName));
    QStringList missing;
    for (const QString& name : functionNames)
        if (!present.contains(NameKey(name)))
            missing << name;
    return missing;
}

bool IsFlag(const QString& text)
{
    return text == QLatin1String("0") || text == QLatin1String("1");
}

}   // namespace

QVector<TRightDepartment> LoadRightTree(TConPool& pool)
{
    QVector<TRightDepartment> tree;
    const TFbResult d = pool.Execute(QStringLiteral("SELECT ID, DEPARTMENT_NAME FROM TB_DEPARTMENT ORDER BY ID"));
    if (d.RowCount() == 0)
        return tree;
    QHash<qint64, int> at;
    for (int k = 0; k < d.RowCount(); ++k) {
        TRightDepartment dep;
        dep.ID = d.At(k, 0).AsInt64();
        dep.Name = d.At(k, 1).AsString();
        at.insert(dep.ID, tree.size());
        tree.push_back(dep);
    }
    const TFbResult e = pool.Execute(QStringLiteral("SELECT ID, EMPLOYEE_NAME, DEPARTMENT_ID FROM TB_EMPLOYEE "
                                                    "WHERE STATUS = 0 AND EMPLOYEE_NAME <> ? ORDER BY ID"),
                                     {TFbValue::FromText(Administrator)});
    for (int k = 0; k < e.RowCount(); ++k) {
        if (e.At(k, 2).IsNull())
            continue;   // no department: no node
        const auto it = at.constFind(e.At(k, 2).AsInt64());
        if (it == at.constEnd())
            continue;   // a department that is not listed
        tree[it.value()].Employees.push_back({e.At(k, 0).AsString(), e.At(k, 1).AsString()});
    }
    return tree;
}

QVector<TRightRow> LoadEmployeeRights(TConPool& pool, const QString& userId, const QStringList& functionNames)
{
    qint64 user = 0;
    if (!ParseId(userId, &user))
        throw TFbError(QStringLiteral("没有选择员工，不能读取权限。"));
    QVector<TRightRow> rows = ReadRows(pool, user);
    QStringList missing = Missing(rows, functionNames);

    for (int attempt = 1; !missing.isEmpty(); ++attempt) {
        bool employeeThere = true;
        try {
            pool.RunInTransaction([&] {
                if (pool.Execute(QStringLiteral("SELECT 1 FROM TB_EMPLOYEE WHERE ID = ?"), {TFbValue::FromInt(user)})
                        .RowCount()
                    == 0) {
                    employeeThere = false;
                    return;
                }
                // Each row is written only where none of that name is there yet; one that
                // another workstation writes at this moment makes the unique key refuse ours
                // once it commits, and the next round finds it.
                for (const QString& name : missing)
                    pool.Execute(QStringLiteral("INSERT INTO TB_RIGHT (ID, USER_ID, OBJECT_TYPE, FUNCTION_NAME, "
                                                "IS_READ, IS_APPEND, IS_ALTER, IS_DELETE) "
                                                "SELECT NEXT VALUE FOR GEN_RIGHT_ID, ?, CAST(? AS VARCHAR(16)), "
                                                "CAST(? AS VARCHAR(32)), 0, 0, 0, 0 FROM RDB$DATABASE "
                                                "WHERE NOT EXISTS (SELECT 1 FROM TB_RIGHT R "
                                                "WHERE R.USER_ID = ? AND R.FUNCTION_NAME = CAST(? AS VARCHAR(32)))"),
                                 {TFbValue::FromInt(user), TFbValue::FromText(RightObjectType),
                                  TFbValue::FromText(name), TFbValue::FromInt(user), TFbValue::FromText(name)});
            });
        } catch (const std::exception& e) {
            if (ClassifyError(e) != TDbErrorKind::Duplicate || attempt >= CreateAttempts)
                throw;
        }
        if (!employeeThere)
            throw TFbError(QStringLiteral("这名员工已不在人事档案中（可能刚被其他电脑删除），没有为他建立权限。"
                                          "请关闭权限管理窗口后重新打开。"));
        rows = ReadRows(pool, user);
        missing = Missing(rows, functionNames);
        if (!missing.isEmpty() && attempt >= CreateAttempts)
            throw TFbError(QStringLiteral("没能为这名员工建立全部权限记录，请稍后再试。"));
    }

    // The functions in their order; any other row after them, as it was read (by ID).
    QHash<QString, int> order;
    for (int k = 0; k < functionNames.size(); ++k)
        order.insert(NameKey(functionNames[k]), k);
    std::stable_sort(rows.begin(), rows.end(), [&](const TRightRow& a, const TRightRow& b) {
        return order.value(NameKey(a.FunctionName), functionNames.size())
            < order.value(NameKey(b.FunctionName), functionNames.size());
    });
    return rows;
}

TRightSaveReport SaveEmployeeRights(TConPool& pool, const QString& userId, const QVector<TRightRow>& rows)
{
    TRightSaveReport report;
    qint64 user = 0;
    if (userId.trimmed().isEmpty() || !ParseId(userId, &user)) {
        report.Error = NoEmployeeChosen;
        return report;
    }
    if (rows.isEmpty()) {
        report.Error = QStringLiteral("这名员工没有可保存的权限记录，请重新选择该员工。");
        return report;
    }
    QVector<qint64> ids;
    for (int k = 0; k < rows.size(); ++k) {
        const TRightRow& row = rows[k];
        qint64 id = 0;
        if (!ParseId(row.ID, &id)) {
            report.Error = row.ID.trimmed().isEmpty()
                ? NoEmployeeChosen
                : QStringLiteral("第%1行的编号“%2”不是已保存的权限记录，没有保存。").arg(k + 1).arg(row.ID);
            return report;
        }
        for (const QString* flag : {&row.IsRead, &row.IsAppend, &row.IsAlter, &row.IsDelete}) {
            if (!IsFlag(*flag)) {
                report.Error = QStringLiteral("“%1”的权限值“%2”不对：只能是0（禁止）或1（可用）。没有保存任何改动。")
                                   .arg(row.FunctionName, *flag);
                return report;
            }
        }
        ids << id;
    }

    QString gone;
    try {
        pool.RunInTransaction([&] {
            gone.clear();
            for (int k = 0; k < rows.size(); ++k) {
                const TRightRow& row = rows[k];
                // The employee is part of the condition: a row that went, or that is another
                // employee's, changes nothing, and the whole save is undone.
                const TFbResult r =
                    pool.Execute(QStringLiteral(
                                     "UPDATE TB_RIGHT SET IS_READ = ?, IS_APPEND = ?, IS_ALTER = ?, IS_DELETE = ? "
                                     "WHERE ID = ? AND USER_ID = ?"),
                                 {TFbValue::FromInt(row.IsRead.toInt()), TFbValue::FromInt(row.IsAppend.toInt()),
                                  TFbValue::FromInt(row.IsAlter.toInt()), TFbValue::FromInt(row.IsDelete.toInt()),
                                  TFbValue::FromInt(ids[k]), TFbValue::FromInt(user)});
                if (r.RowsAffected != 1) {
                    gone = row.FunctionName.isEmpty() ? row.ID : row.FunctionName;
                    throw TFbError(gone);
                }
            }
        });
    } catch (const std::exception& e) {
        if (!gone.isEmpty()) {
            report.Error = QStringLiteral("“%1”的权限记录已不在（可能刚被其他电脑删除），或不属于这名员工。"
                                          "没有保存任何改动，请重新选择该员工后再试。")
                               .arg(gone);
            return report;
        }
        const TErrorText t = DescribeError(e);
        report.Error = t.Text;
        report.ErrorDetail = t.Detail;
    }
    return report;
}

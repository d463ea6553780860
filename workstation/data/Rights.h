#pragma once
// The per-employee permission rows of TB_RIGHT as the permission window edits them: the
// tree of departments and their employees, an employee's rows (created on the first visit),
// and the save of the four flags. Plain functions over the pool; a test calls them without
// a window. Every value is bound; row IDs come from the table's generator.
#include <QString>
#include <QStringList>
#include <QVector>

class TConPool;

// One employee still employed, other than the administrator. The window's tree node
// carries ID, so that two employees of one name are never mistaken for each other.
struct TRightEmployee {
    QString ID;
    QString Name;
};

// One department with its listed employees, in the order the database returns them.
struct TRightDepartment {
    qint64 ID = 0;
    QString Name;
    QVector<TRightEmployee> Employees;
};

// The departments (ordered by ID) and under each its employees with STATUS 0, ordered by
// ID; the administrator ("管理员") is left out, and so is an employee whose department is
// not listed (none, or one that is gone). Throws TFbError.
QVector<TRightDepartment> LoadRightTree(TConPool& pool);

// One TB_RIGHT row as the grid shows it, every cell as text. The flags are "1" where the
// row grants, else "0" (a stored NULL or other number grants nothing, and reads "0").
struct TRightRow {
    QString ID;
    QString ObjectType;
    QString FunctionName;
    QString IsRead;
    QString IsAppend;
    QString IsAlter;
    QString IsDelete;
};

// What new rows carry in OBJECT_TYPE.
inline const QString RightObjectType = QStringLiteral("命令按钮");

// The employee's rows, one per function name in the order of functionNames (the window
// passes FunctionNames()), then any row of another name in ID order. Function names the
// employee has no row for yet get one ("命令按钮", all flags 0), all of them in one
// transaction; a row another workstation created meanwhile is taken as it is, not made
// twice. Throws TFbError: a database error, or an employee who is no longer there (nothing
// is created for him).
QVector<TRightRow> LoadEmployeeRights(TConPool& pool, const QString& userId, const QStringList& functionNames);

// What a save did: Error is empty when every row was written; otherwise nothing was, and
// Error is the sentence for the user (ErrorDetail the database's own words, if any).
struct TRightSaveReport {
    QString Error;
    QString ErrorDetail;
    bool Ok() const { return Error.isEmpty(); }
};

// The sentence a save without a chosen employee answers.
inline const QString NoEmployeeChosen = QStringLiteral("请先在左边选择一名员工，再保存权限。");

// Writes IS_READ, IS_APPEND, IS_ALTER and IS_DELETE of every row, for the employee userId,
// in one transaction: all rows or none. Refused before anything is written: no employee
// chosen (userId empty), no rows, a row without a saved ID, a flag other than "0" or "1".
// Refused whole, rolled back: a row that is gone meanwhile or belongs to another employee.
// Database errors come back as the report's Error, never thrown.
TRightSaveReport SaveEmployeeRights(TConPool& pool, const QString& userId, const QVector<TRightRow>& rows);

#pragma once
// Whether a database file can serve the workshop: it attaches, it is online, it holds every
// table of the schema and the administrator's account. A restore checks its new file with
// it before that file replaces the live database.
#include <QString>
#include <QStringList>
#include <QVector>

struct TTableCount {
    QString Table;   // TB_REPAIR
    QString Caption;   // 维修单
    qint64 Rows = 0;
};

struct TDbCheck {
    bool Ok = false;
    QString Reason;   // why not, in Chinese, with the server's text where it has one
    QVector<TTableCount> Counts;   // rows of the main tables, when Ok
    QString CountsText() const;   // "员工 21，维修单 300，…"
};

// file: a path on the machine of the database server, attached through the local server.
TDbCheck CheckDatabase(const QString& file);

// The tables of database/schema.sql, as the program was built with it.
QStringList SchemaTables();
// The administrator's account that must exist (TB_EMPLOYEE.EMPLOYEE_NAME).
QString AdministratorName();

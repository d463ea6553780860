// The data beneath the permission window against a real database: the tree lists the
// employees still employed under their departments, by ID; an employee's first visit makes
// the 15 rows in the function order in one go, an older employee gets the rows he lacks, and
// two workstations opening the same new employee at once leave exactly 15; a save writes
// every shown row or none, and refuses bad flags, a missing employee and rows that went or
// belong to someone else. The desks are processes of this test program ("--rights LOCATION").
#include "ConPool.h"
#include "Desks.h"
#include "FbClient.h"
#include "GlobalHead.h"
#include "Rights.h"
#include "TestDb.h"
#include "Values.h"

#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <memory>

namespace {

using TestValues::I;
using TestValues::T;

// One command: "L userId" loads (creating) the employee's rows; the answer is
// "OK id,id,..." in the order returned, or "ERR text".
int RunRightsDesk(const QString& location)
{
    TConPool pool;
    try {
        pool.Open(location);
    } catch (const std::exception& e) {
        std::printf("ERR %s\n", QString::fromUtf8(e.what()).simplified().toUtf8().constData());
        return 1;
    }
    return ServeCommands([&](const QStringList& w) {
        if (w.size() != 2 || w[0] != QLatin1String("L"))
            return QStringLiteral("ERR unknown command");
        try {
            QStringList ids;
            for (const TRightRow& row : LoadEmployeeRights(pool, w[1], FunctionNames()))
                ids << row.ID;
            return QStringLiteral("OK ") + ids.join(QLatin1Char(','));
        } catch (const std::exception& e) {
            return QStringLiteral("ERR ") + QString::fromUtf8(e.what()).simplified();
        }
    });
}

QStringList Names(const QVector<TRightRow>& rows)
{
    QStringList out;
    for (const TRightRow& r : rows)
        out << r.FunctionName;
    return out;
}

// A row as one text: "function|read|append|alter|delete".
QString Flags(const TRightRow& r)
{
    return QStringList{r.FunctionName, r.IsRead, r.IsAppend, r.IsAlter, r.IsDelete}.join(QLatin1Char('|'));
}

enum class TSaveCase { AllRows, BadFlag, NoEmployee, BlankRow, RowGone, OthersRow, NotAnId };

}   // namespace

Q_DECLARE_METATYPE(TSaveCase)

class TestRights : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> FDb;
    std::unique_ptr<TConPool> FPool;
    std::unique_ptr<TFbConnection> FLook;   // another workstation
    int FSerial = 0;

    QString AddEmployee(const QString& name, int status = 0, const TFbValue& department = I(1))
    {
        return FLook
            ->Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, STATUS, DEPARTMENT_ID) "
                                     "VALUES (NEXT VALUE FOR GEN_EMPLOYEE_ID, ?, ?, ?) RETURNING ID"),
                      {T(name), I(status), department})
            .At(0, 0)
            .AsString();
    }

    QString NewName(const char* stem) { return QStringLiteral("%1%2").arg(QString::fromUtf8(stem)).arg(++FSerial); }

    qint64 Count(const QString& userId)
    {
        return FLook
            ->Execute(QStringLiteral("SELECT COUNT(*) FROM TB_RIGHT WHERE USER_ID = ?"), {I(userId.toLongLong())})
            .At(0, 0)
            .AsInt64();
    }

    // The stored rows of an employee as Flags() writes them, in ID order.
    QStringList Stored(const QString& userId)
    {
        const TFbResult r =
            FLook->Execute(QStringLiteral("SELECT FUNCTION_NAME, IS_READ, IS_APPEND, IS_ALTER, IS_DELETE FROM TB_RIGHT "
                                          "WHERE USER_ID = ? ORDER BY ID"),
                           {I(userId.toLongLong())});
        QStringList out;
        for (int k = 0; k < r.RowCount(); ++k) {
            QStringList cells;
            for (int c = 0; c < 5; ++c)
                cells << r.At(k, c).AsString();
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }

    // Every employee the tree lists, "department:ID:name".
    QStringList Listed(const QVector<TRightDepartment>& tree)
    {
        QStringList out;
        for (const TRightDepartment& d : tree)
            for (const TRightEmployee& e : d.Employees)
                out << QStringLiteral("%1:%2:%3").arg(d.ID).arg(e.ID, e.Name);
        return out;
    }

private slots:
    void initTestCase()
    {
        FDb = std::make_unique<TTestDb>();
        QVERIFY2(FDb->Ok(), qPrintable(FDb->Error()));
        FLook = std::make_unique<TFbConnection>();
        FLook->Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        FPool = std::make_unique<TConPool>();
        FPool->Open(FDb->Location());
        QCOMPARE(FunctionNames().size(), RightCount);
    }

    void cleanupTestCase()
    {
        FPool.reset();
        FLook.reset();
        FDb.reset();
    }

    void treeListsTheEmployed_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("department");   // false: none (NULL)
        QTest::addColumn<bool>("listed");
        QTest::newRow("employed") << 0 << true << true;
        QTest::newRow("departed") << 1 << true << false;
        QTest::newRow("no department") << 0 << false << false;
        QTest::newRow("departed, no department") << 1 << false << false;
    }

    void treeListsTheEmployed()
    {
        QFETCH(int, status);
        QFETCH(bool, department);
        QFETCH(bool, listed);
        const QString name = NewName("员工");
        const QString id = AddEmployee(name, status, department ? I(2) : TFbValue());
        // The administrator in a department is left out all the same.
        FLook->Execute(QStringLiteral("UPDATE TB_EMPLOYEE SET DEPARTMENT_ID = 1 WHERE EMPLOYEE_NAME = '管理员'"));
        const QVector<TRightDepartment> tree = LoadRightTree(*FPool);
        QStringList departments;
        for (const TRightDepartment& d : tree)
            departments << QStringLiteral("%1:%2").arg(d.ID).arg(d.Name);
        QCOMPARE(departments, (QStringList{"1:维修部", "2:配件部", "3:财务部", "4:办公室"}));
        const QStringList all = Listed(tree);
        QCOMPARE(all.contains(QStringLiteral("2:%1:%2").arg(id, name)), listed);
        for (const QString& entry : all) {
            QVERIFY2(!entry.endsWith(QStringLiteral(":管理员")), qPrintable(entry));
            QVERIFY2(!entry.contains(QLatin1Char(':') + id + QLatin1Char(':')) || listed, qPrintable(entry));
        }
    }

    // Before version 10 a department could be deleted under its employees.
    void treeLeavesOutAGoneDepartment()
    {
        TTestDb db(QStringLiteral("DATA.FDB"), {QStringLiteral("--version"), QStringLiteral("9")});
        QVERIFY2(db.Ok(), qPrintable(db.Error()));
        TFbConnection c;
        c.Attach(db.Location(), TConPool::UserName, TConPool::Password);
        c.Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, STATUS, DEPARTMENT_ID) "
                                 "VALUES (20, '留下', 0, 3)"));
        c.Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME, STATUS, DEPARTMENT_ID) "
                                 "VALUES (21, '部门没了', 0, 4)"));
        c.Execute(QStringLiteral("DELETE FROM TB_DEPARTMENT WHERE ID = 4"));
        TConPool pool;
        pool.Open(db.Location());
        const QVector<TRightDepartment> tree = LoadRightTree(pool);
        QCOMPARE(tree.size(), 3);
        QCOMPARE(Listed(tree), QStringList{"3:20:留下"});
        // And with no department at all the tree is empty.
        c.Execute(QStringLiteral("DELETE FROM TB_DEPARTMENT"));
        QVERIFY(LoadRightTree(pool).isEmpty());
    }

    void firstVisitCreatesTheRows()
    {
        const QString id = AddEmployee(NewName("新员工"));
        const qint64 before =
            FLook->Execute(QStringLiteral("SELECT GEN_ID(GEN_RIGHT_ID, 0) FROM RDB$DATABASE")).At(0, 0).AsInt64();
        const QVector<TRightRow> rows = LoadEmployeeRights(*FPool, id, FunctionNames());
        QCOMPARE(Names(rows), FunctionNames());
        QCOMPARE(Count(id), qint64(RightCount));
        qint64 last = before;
        for (const TRightRow& r : rows) {
            QCOMPARE(r.ObjectType, QStringLiteral("命令按钮"));
            QCOMPARE(Flags(r), r.FunctionName + QStringLiteral("|0|0|0|0"));
            QVERIFY(r.ID.toLongLong() > last);   // from the generator, one after the other
            last = r.ID.toLongLong();
        }
        // The second visit finds them and makes none.
        const QVector<TRightRow> again = LoadEmployeeRights(*FPool, id, FunctionNames());
        QCOMPARE(Count(id), qint64(RightCount));
        QCOMPARE(again.size(), rows.size());
        for (int k = 0; k < rows.size(); ++k)
            QCOMPARE(again[k].ID, rows[k].ID);
    }

    void olderEmployeeGetsTheMissingRows_data()
    {
        QTest::addColumn<QStringList>("present");   // "function|read|append|alter|delete"
        QTest::addColumn<QStringList>("extra");   // rows after the 15, as Flags() writes them
        QTest::newRow("three rows") << QStringList{"工具管理|1|0|0|1", "本单位|1|1|1|1", "供应商|0|1|0|0"}
                                    << QStringList();
        QTest::newRow("all but one") << [] {
            QStringList all;
            for (const QString& n : FunctionNames())
                if (n != QLatin1String("维修历史"))
                    all << n + QStringLiteral("|1|0|1|0");
            return all;
        }() << QStringList();
        QTest::newRow("a flag stored otherwise reads 0") << QStringList{"通讯录|2|<null>|1|0"} << QStringList();
        QTest::newRow("a name of no function")
            << QStringList{"维修登记|1|0|0|0", "库存盘点|1|1|0|0"} << QStringList{"维修登记|1|0|0|0"};
    }

    void olderEmployeeGetsTheMissingRows()
    {
        QFETCH(QStringList, present);
        QFETCH(QStringList, extra);
        const QString id = AddEmployee(NewName("老员工"));
        QHash<QString, QString> expected;   // function -> flags as read
        QHash<QString, QString> ids;
        for (const QString& p : present) {
            const QStringList c = p.split(QLatin1Char('|'));
            const auto flag = [](const QString& s) { return s == QLatin1String("<null>") ? TFbValue() : I(s.toInt()); };
            ids[c[0]] = FLook
                            ->Execute(QStringLiteral("INSERT INTO TB_RIGHT (ID, USER_ID, OBJECT_TYPE, FUNCTION_NAME, "
                                                     "IS_READ, IS_APPEND, IS_ALTER, IS_DELETE) VALUES "
                                                     "(NEXT VALUE FOR GEN_RIGHT_ID, ?, '树节点', ?, ?, ?, ?, ?) "
                                                     "RETURNING ID"),
                                      {I(id.toLongLong()), T(c[0]), flag(c[1]), flag(c[2]), flag(c[3]), flag(c[4])})
                            .At(0, 0)
                            .AsString();
            QStringList read = c;
            for (int k = 1; k < 5; ++k)
                read[k] = c[k] == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
            expected[c[0]] = read.join(QLatin1Char('|'));
        }
        const QVector<TRightRow> rows = LoadEmployeeRights(*FPool, id, FunctionNames());
        QCOMPARE(rows.size(), RightCount + extra.size());
        QCOMPARE(Names(rows.mid(0, RightCount)), FunctionNames());
        QStringList tail;
        for (const TRightRow& r : rows.mid(RightCount))
            tail << Flags(r);
        QCOMPARE(tail, extra);
        QCOMPARE(Count(id), qint64(rows.size()));
        for (const TRightRow& r : rows) {
            if (ids.contains(r.FunctionName)) {   // kept as it was
                QCOMPARE(r.ID, ids[r.FunctionName]);
                QCOMPARE(r.ObjectType, QStringLiteral("树节点"));
                QCOMPARE(Flags(r), expected[r.FunctionName]);
            } else {   // made now
                QCOMPARE(r.ObjectType, QStringLiteral("命令按钮"));
                QCOMPARE(Flags(r), r.FunctionName + QStringLiteral("|0|0|0|0"));
            }
        }
    }

    void loadRefusesAnEmployeeWhoIsGone()
    {
        QVERIFY_THROWS_EXCEPTION(TFbError, LoadEmployeeRights(*FPool, QStringLiteral("987654"), FunctionNames()));
        QCOMPARE(Count(QStringLiteral("987654")), qint64(0));
        QVERIFY_THROWS_EXCEPTION(TFbError, LoadEmployeeRights(*FPool, QString(), FunctionNames()));
    }

    // Two workstations choose the same new employee at the same moment, many times over.
    void twoDesksOpenTheSameNewEmployee()
    {
        auto first = StartDesk(QStringLiteral("--rights"), FDb->Location());
        auto second = StartDesk(QStringLiteral("--rights"), FDb->Location());
        QVERIFY(first && second);
        for (int round = 0; round < 20; ++round) {
            const QString id = AddEmployee(NewName("同时"));
            const QByteArray line = "L " + id.toUtf8() + '\n';
            first->write(line);
            second->write(line);
            first->waitForBytesWritten(5000);
            second->waitForBytesWritten(5000);
            const QString a = ReadDeskLine(*first);
            const QString b = ReadDeskLine(*second);
            QVERIFY2(a.startsWith(QLatin1String("OK ")), qPrintable(a));
            QVERIFY2(b.startsWith(QLatin1String("OK ")), qPrintable(b));
            QCOMPARE(a, b);   // both show the same rows
            QCOMPARE(a.mid(3).split(QLatin1Char(',')).size(), RightCount);
            QCOMPARE(Count(id), qint64(RightCount));
        }
        StopDesk(*first);
        StopDesk(*second);
    }

    void twoEmployeesOfOneName()
    {
        // The login index tells the names apart; the window's name search did not.
        const QString lower = AddEmployee(QStringLiteral("Zhang"));
        const QString upper = AddEmployee(QStringLiteral("ZHANG"));
        const QStringList listed = Listed(LoadRightTree(*FPool));
        QVERIFY(listed.contains(QStringLiteral("1:%1:Zhang").arg(lower)));
        QVERIFY(listed.contains(QStringLiteral("1:%1:ZHANG").arg(upper)));

        QVector<TRightRow> mine = LoadEmployeeRights(*FPool, lower, FunctionNames());
        const QVector<TRightRow> theirs = LoadEmployeeRights(*FPool, upper, FunctionNames());
        QCOMPARE(Count(lower), qint64(RightCount));
        QCOMPARE(Count(upper), qint64(RightCount));
        QSet<QString> ids;
        for (const TRightRow& r : mine + theirs)
            ids.insert(r.ID);
        QCOMPARE(ids.size(), 2 * RightCount);
        for (TRightRow& r : mine)
            r.IsRead = QStringLiteral("1");
        QVERIFY(SaveEmployeeRights(*FPool, lower, mine).Ok());
        for (const QString& s : Stored(lower))
            QVERIFY2(s.contains(QStringLiteral("|1|0|0|0")), qPrintable(s));
        for (const QString& s : Stored(upper))
            QVERIFY2(s.endsWith(QStringLiteral("|0|0|0|0")), qPrintable(s));
        // The other one's rows are not saved as this one's.
        QVERIFY(!SaveEmployeeRights(*FPool, upper, mine).Ok());
    }

    void save_data()
    {
        QTest::addColumn<TSaveCase>("kind");
        QTest::addColumn<QString>("value");   // the bad flag
        QTest::addColumn<QString>("message");   // part of the refusal; empty: saved
        QTest::newRow("every row") << TSaveCase::AllRows << QString() << QString();
        QTest::newRow("flag 2") << TSaveCase::BadFlag << "2"
                                << "只能是0（禁止）或1（可用）";
        QTest::newRow("flag empty") << TSaveCase::BadFlag << ""
                                    << "只能是0（禁止）或1（可用）";
        QTest::newRow("flag with a blank") << TSaveCase::BadFlag << " 1"
                                           << "只能是0（禁止）或1（可用）";
        QTest::newRow("flag full width") << TSaveCase::BadFlag << "１"
                                         << "只能是0（禁止）或1（可用）";
        QTest::newRow("flag as SQL") << TSaveCase::BadFlag << "1, IS_READ = 1"
                                     << "只能是0（禁止）或1（可用）";
        QTest::newRow("no employee chosen") << TSaveCase::NoEmployee << QString() << NoEmployeeChosen;
        QTest::newRow("the blank row") << TSaveCase::BlankRow << QString() << NoEmployeeChosen;
        QTest::newRow("a row gone meanwhile") << TSaveCase::RowGone << QString() << "没有保存任何改动";
        QTest::newRow("another employee's row") << TSaveCase::OthersRow << QString() << "不属于这名员工";
        QTest::newRow("not an ID") << TSaveCase::NotAnId << QString() << "不是已保存的权限记录";
    }

    // Every flag of every row changes; a refusal anywhere, even in the last row, writes none.
    void save()
    {
        QFETCH(TSaveCase, kind);
        QFETCH(QString, value);
        QFETCH(QString, message);
        const QString id = AddEmployee(NewName("保存"));
        QVector<TRightRow> rows = LoadEmployeeRights(*FPool, id, FunctionNames());
        const QStringList before = Stored(id);
        for (int k = 0; k < rows.size(); ++k) {
            rows[k].IsRead = QString::number(k % 2);
            rows[k].IsAppend = QString::number((k / 2) % 2);
            rows[k].IsAlter = QString::number((k / 4) % 2);
            rows[k].IsDelete = QStringLiteral("1");
        }
        QStringList wanted;
        for (const TRightRow& r : rows)
            wanted << Flags(r);
        QString user = id;
        switch (kind) {
        case TSaveCase::AllRows: break;
        case TSaveCase::BadFlag: rows.last().IsAlter = value; break;
        case TSaveCase::NoEmployee: user.clear(); break;
        case TSaveCase::BlankRow:
            user.clear();
            rows = {TRightRow()};
            break;
        case TSaveCase::RowGone:
            FLook->Execute(QStringLiteral("DELETE FROM TB_RIGHT WHERE ID = ?"), {I(rows.last().ID.toLongLong())});
            break;
        case TSaveCase::OthersRow: {
            const QString other = AddEmployee(NewName("别人"));
            rows.last().ID = LoadEmployeeRights(*FPool, other, FunctionNames()).last().ID;
            break;
        }
        case TSaveCase::NotAnId: rows.last().ID = QStringLiteral("1 OR 1=1"); break;
        }
        const QStringList stored = Stored(id);
        const TRightSaveReport report = SaveEmployeeRights(*FPool, user, rows);
        QVERIFY(!FPool->InTransaction());
        if (message.isEmpty()) {
            QVERIFY2(report.Ok(), qPrintable(report.Error));
            QCOMPARE(Stored(id), wanted);
            return;
        }
        QVERIFY(!report.Ok());
        QVERIFY2(report.Error.contains(message), qPrintable(report.Error));
        QCOMPARE(Stored(id), stored);   // nothing written
        if (kind != TSaveCase::RowGone)
            QCOMPARE(stored, before);
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--rights") == 0) {
        QCoreApplication app(argc, argv);
        return RunRightsDesk(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestRights test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rights.moc"

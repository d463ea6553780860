// The workstations' own database user: Haskett makes it at start with the password of
// server.xml and grants it its rights; a workstation whose configure.xml names it attaches as
// it and does a day's work; what the programs never do (changing the schema, the users, the
// security database) Firebird refuses it. Settings without the account attach as SYSDBA.
#include "Bills.h"
#include "ConPool.h"
#include "DbAccount.h"
#include "DbUser.h"
#include "Dictionary.h"
#include "GlobalHead.h"
#include "Main.h"
#include "PartSearch.h"
#include "Recorder.h"
#include "Session.h"
#include "TestDb.h"
#include "clsEmployee.h"
#include "clsRepair.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

using TWork = std::function<void(TConPool&)>;

bool WriteFile(const QString& path, const QString& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) >= 0;
}

QString ServerXml(const QString& extra)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<server>\n  <port>0</port>\n"
                          "  <dbpath>x</dbpath>\n  <lastdate></lastdate>\n  <lastpath></lastpath>\n%1</server>\n")
        .arg(extra);
}

QString Escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString AccountXml(const QString& user, const QString& password)
{
    return QStringLiteral("  <dbuser>%1</dbuser>\n  <dbpassword>%2</dbpassword>\n").arg(Escaped(user), Escaped(password));
}

QString CurrentUser(TFbConnection& c)
{
    return c.Execute(QStringLiteral("SELECT CURRENT_USER FROM RDB$DATABASE")).At(0, 0).AsString().trimmed();
}

}   // namespace

Q_DECLARE_METATYPE(TWork)

class TestDbUser : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> FDb;   // a server program folder: DATA/DATA.FDB with demo data
    std::unique_ptr<TFbConnection> FSys;   // SYSDBA
    std::unique_ptr<TConPool> FPool;   // the workstation, as its own user
    // Unique on the shared server, so that test runs side by side never share a user; the
    // password has both quotes in it, which the server's statements must carry as they are.
    QString FUser = QStringLiteral("TARNWELL_T%1").arg(QCoreApplication::applicationPid());
    QString FPassword = QStringLiteral("Pw'1\"x%1").arg(QCoreApplication::applicationPid());

    QString Folder() const { return FDb->Folder(); }

    // Haskett started on the folder with server.xml as given; the messages it showed.
    QStringList StartHaskett(const QString& accountXml, bool* listening = nullptr)
    {
        if (!WriteFile(Folder() + QStringLiteral("/server.xml"), ServerXml(accountXml)))
            return {QStringLiteral("cannot write server.xml")};
        TRecorder rec;
        TfrmHaskett frm(Folder());
        if (listening)
            *listening = frm.Listening();
        return rec.Texts();
    }

    bool CanAttach(const QString& user, const QString& password)
    {
        try {
            TFbConnection c;
            c.Attach(FDb->Location(), user, password);
            return CurrentUser(c) == user.toUpper();
        } catch (const TFbError&) {
            return false;
        }
    }

    qint64 Count(const QString& sql, const QVector<TFbValue>& params = {})
    {
        return FSys->Execute(sql, params).At(0, 0).AsInt64();
    }

private slots:
    void initTestCase()
    {
        FDb = std::make_unique<TTestDb>(QStringLiteral("DATA/DATA.FDB"),
                                        QStringList{QStringLiteral("--demo"), QStringLiteral("30")});
        QVERIFY2(FDb->Ok(), qPrintable(FDb->Error()));
        FSys = std::make_unique<TFbConnection>();
        FSys->Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        TfrmHaskett::SetTrayForTests(false);
    }

    void cleanupTestCase()
    {
        FPool.reset();
        if (FSys) {
            try {
                DropWorkstationUser(*FSys, FUser);
            } catch (const TFbError& e) {
                QFAIL(qPrintable(e.Text()));
            }
            QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM SEC$USERS WHERE SEC$USER_NAME = ?"),
                           {TFbValue::FromText(FUser)}),
                     qint64(0));
        }
        TfrmHaskett::SetTrayForTests(std::nullopt);
        FSys.reset();
        FDb.reset();
    }

    // At start Haskett makes the user named in server.xml, with its password, and grants it
    // the rights on every table, view, procedure and generator; started again with another
    // password it changes the password: that is how an installation changes it.
    void haskettMakesTheUser()
    {
        QVERIFY(!CanAttach(FUser, FPassword));
        bool listening = false;
        QCOMPARE(StartHaskett(AccountXml(FUser.toLower(), FPassword), &listening), QStringList());
        QVERIFY(listening);
        QVERIFY(CanAttach(FUser, FPassword));
        const QVector<TFbValue> user{TFbValue::FromText(FUser)};
        // Every object of the schema, the right kinds of right on each.
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM RDB$RELATIONS r WHERE COALESCE(r.RDB$SYSTEM_FLAG, 0) = 0 "
                                      "AND NOT EXISTS (SELECT 1 FROM RDB$USER_PRIVILEGES p WHERE p.RDB$USER = ? "
                                      "AND p.RDB$RELATION_NAME = r.RDB$RELATION_NAME AND p.RDB$PRIVILEGE = 'S')"),
                       user),
                 qint64(0));
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM RDB$PROCEDURES r WHERE COALESCE(r.RDB$SYSTEM_FLAG, 0) = 0 "
                                      "AND NOT EXISTS (SELECT 1 FROM RDB$USER_PRIVILEGES p WHERE p.RDB$USER = ? "
                                      "AND p.RDB$RELATION_NAME = r.RDB$PROCEDURE_NAME AND p.RDB$PRIVILEGE = 'X')"),
                       user),
                 qint64(0));
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM RDB$GENERATORS r WHERE COALESCE(r.RDB$SYSTEM_FLAG, 0) = 0 "
                                      "AND NOT EXISTS (SELECT 1 FROM RDB$USER_PRIVILEGES p WHERE p.RDB$USER = ? "
                                      "AND p.RDB$RELATION_NAME = r.RDB$GENERATOR_NAME AND p.RDB$PRIVILEGE = 'G')"),
                       user),
                 qint64(0));
        // Views are read, never written; no right is given on to anyone.
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM RDB$USER_PRIVILEGES p JOIN RDB$RELATIONS r "
                                      "ON r.RDB$RELATION_NAME = p.RDB$RELATION_NAME WHERE p.RDB$USER = ? "
                                      "AND r.RDB$VIEW_BLR IS NOT NULL AND p.RDB$PRIVILEGE <> 'S'"),
                       user),
                 qint64(0));
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM RDB$USER_PRIVILEGES WHERE RDB$USER = ? "
                                      "AND (RDB$GRANT_OPTION = 1 OR RDB$PRIVILEGE IN ('R', 'M', 'O'))"),
                       user),
                 qint64(0));
        const qint64 grants = Count(QStringLiteral("SELECT COUNT(*) FROM RDB$USER_PRIVILEGES WHERE RDB$USER = ?"), user);
        QVERIFY(grants > 0);

        // Again, with a new password: the old one no longer opens the database, the grants
        // are the same (nothing doubled).
        const QString changed = FPassword + QStringLiteral("-2");
        QCOMPARE(StartHaskett(AccountXml(FUser, changed)), QStringList());
        QVERIFY(CanAttach(FUser, changed));
        QVERIFY(!CanAttach(FUser, FPassword));
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM RDB$USER_PRIVILEGES WHERE RDB$USER = ?"), user), grants);
        QCOMPARE(StartHaskett(AccountXml(FUser, FPassword)), QStringList());
        QVERIFY(CanAttach(FUser, FPassword));
    }

    // An object added later (as an upgrade would) is covered when the grants run again.
    void grantsCoverNewObjects()
    {
        FSys->Execute(QStringLiteral("CREATE TABLE TB_DBUSER_LATER (ID INTEGER)"));
        TFbConnection c;
        c.Attach(FDb->Location(), FUser, FPassword);
        QVERIFY_THROWS_EXCEPTION(TFbError, c.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_DBUSER_LATER")));
        GrantWorkstationRights(*FSys, FUser);
        c.Detach();
        c.Attach(FDb->Location(), FUser, FPassword);
        c.Execute(QStringLiteral("INSERT INTO TB_DBUSER_LATER (ID) VALUES (1)"));
        QCOMPARE(c.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_DBUSER_LATER")).At(0, 0).AsInt64(), qint64(1));
        c.Detach();
        FSys->Execute(QStringLiteral("DROP TABLE TB_DBUSER_LATER"));
    }

    // What server.xml names that Haskett will not make: it says so, serves all the same (the
    // workstations on the old default are not concerned), and makes no user.
    void haskettRefusesABadAccount_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::newRow("not a plain name") << AccountXml(QStringLiteral("A\" TO PUBLIC; --"), QStringLiteral("x12345678"));
        QTest::newRow("SYSDBA") << AccountXml(QStringLiteral("sysdba"), QStringLiteral("x12345678"));
        QTest::newRow("no password") << QStringLiteral("  <dbuser>TARNWELL_TX</dbuser>\n");
    }

    void haskettRefusesABadAccount()
    {
        QFETCH(QString, xml);
        bool listening = false;
        const QStringList shown = StartHaskett(xml, &listening);
        QVERIFY(listening);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].contains(QStringLiteral("数据库用户")), qPrintable(shown[0]));
        QCOMPARE(Count(QStringLiteral("SELECT COUNT(*) FROM SEC$USERS WHERE SEC$USER_NAME IN "
                                      "('A', 'A\" TO PUBLIC; --', 'TARNWELL_TX')")),
                 qint64(0));
        QVERIFY(CanAttach(TConPool::UserName, TConPool::Password));   // SYSDBA's password unchanged
    }

    // A day's work of the workstation, as its own user after the grants.
    void workstationWorks_data()
    {
        QTest::addColumn<TWork>("work");
        QTest::newRow("login") << TWork([](TConPool& p) {
            QVERIFY(!FindUser(p, QStringLiteral("管理员"), QStringLiteral("e10adc3949ba59abbe56e057f20f883e")).isEmpty());
            ReadTheUnit(p);
            TRightInfo rights[RightCount];
            ReadRights(p, QStringLiteral("1"), rights);
        });
        QTest::newRow("part search") << TWork([](TConPool& p) {
            TPartSearch s(p, TPartSource::Commodity);
            s.Start(QStringLiteral("滤"), 20);
            TPartSearch lots(p, TPartSource::Stock);
            lots.Start(QStringLiteral("滤"), 20);
            QVERIFY(s.RowCount() > 0);
        });
        QTest::newRow("stock-in and sales bills") << TWork([](TConPool& p) {
            const qint64 part = p.Execute(QStringLiteral("SELECT MIN(ID) FROM TB_COMMODITY")).At(0, 0).AsInt64();
            TStorageBill in;
            in.OperatorId = 1;
            in.Lines = {{part, QStringLiteral("4"), QStringLiteral("8.50"), QStringLiteral("12")}};
            const TStorageSaved got = SaveStorageBill(p, in);
            QVERIFY(got.BillNo > 0);
            TSalesBill out;
            out.OperatorId = 1;
            out.Lines = {{got.LotIds.value(0), QStringLiteral("1"), QStringLiteral("12")}};
            QVERIFY(SaveSalesBill(p, out).BillNo > 0);
        });
        QTest::newRow("dictionary change") << TWork([](TConPool& p) {
            TDic dic;
            TDataSetLoan set(&p);
            TQueryLoan query(&p);
            dic.SetDataSet(set.get());
            dic.SetQuery(query.get());
            TDicGrid g;
            dic.LoadDictionary(QStringLiteral("单位"), g);
            if (!g.Cell(0, g.RowCount() - 1).isEmpty())
                g.SetRowCount(g.RowCount() + 1);
            const int row = g.RowCount() - 1;
            g.SetCell(0, row, QStringLiteral("0"));
            g.SetCell(1, row, QStringLiteral("箱%1").arg(QCoreApplication::applicationPid() % 1000));
            g.SetCell(2, row, DicMark::Add);
            const TDicSaveReport report = dic.ApplyChanges(g);
            QVERIFY2(!report.Stopped(), qPrintable(report.Error));
        });
        QTest::newRow("list page") << TWork([](TConPool& p) {
            TDataSetLoan set(&p);
            TRepair r;
            r.SetDataSet(set.get());
            r.Open();
            QVERIFY(r.TotalCount > 0);
            r.Close();
        });
        QTest::newRow("employee save") << TWork([](TConPool& p) {
            TEmployee e;
            e.SetValue(QStringLiteral("ID"), QStringLiteral("0"));
            e.SetValue(QStringLiteral("EMPLOYEE_NAME"), QStringLiteral("钱七"));
            e.SetValue(QStringLiteral("SEX"), QStringLiteral("1"));
            e.SetValue(QStringLiteral("BIRTHDAY"), QStringLiteral("1990-01-02"));
            e.SetValue(QStringLiteral("EDUCATION"), QStringLiteral("5"));
            e.SetValue(QStringLiteral("STATUS"), QStringLiteral("0"));
            e.SetValue(QStringLiteral("ENTRY_DATE"), QString());
            e.SetValue(QStringLiteral("OFFICE_TYPE"), QStringLiteral("2"));
            TStoredProcLoan sp(&p);
            TSPResultInfo result;
            e.Execute(sp.get(), ExecSave, result);
            QVERIFY(result.Success);
            QCOMPARE(p.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = '钱七'"))
                         .At(0, 0)
                         .AsInt64(),
                     qint64(1));
        });
        QTest::newRow("carry-forward") << TWork([](TConPool& p) { CarryForwardStock(p); });
    }

    void workstationWorks()
    {
        QFETCH(TWork, work);
        if (!FPool) {
            FPool = std::make_unique<TConPool>();
            FPool->SetAccount(FUser, FPassword);
            FPool->Open(FDb->Location());
        }
        QCOMPARE(CurrentUser(FPool->Connection()), FUser);
        try {
            work(*FPool);
        } catch (const TFbError& e) {
            QFAIL(qPrintable(e.Text()));
        }
    }

    // What the programs never run, Firebird refuses the workstation's user.
    void refused_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("DROP TABLE") << "DROP TABLE TB_UNIT";
        QTest::newRow("ALTER TABLE") << "ALTER TABLE TB_UNIT ADD X INTEGER";
        QTest::newRow("CREATE TABLE") << "CREATE TABLE TB_X (ID INTEGER)";
        QTest::newRow("DROP VIEW") << "DROP VIEW V_COMMODITY";
        QTest::newRow("a procedure") << "CREATE PROCEDURE P_X AS BEGIN END";
        QTest::newRow("a generator reset") << "ALTER SEQUENCE GEN_UNIT_ID RESTART WITH 0";
        QTest::newRow("a new user") << "CREATE USER X_NEW PASSWORD 'x'";
        QTest::newRow("SYSDBA's password") << "ALTER USER SYSDBA PASSWORD 'x'";
        QTest::newRow("rights given on") << "GRANT SELECT ON TB_EMPLOYEE TO PUBLIC";
        QTest::newRow("an index") << "CREATE INDEX IX_X ON TB_UNIT (UNIT_NAME)";
    }

    void refused()
    {
        QFETCH(QString, sql);
        TFbConnection c;
        c.Attach(FDb->Location(), FUser, FPassword);
        QVERIFY_THROWS_EXCEPTION(TFbError, c.Execute(sql));
        QVERIFY(CanAttach(TConPool::UserName, TConPool::Password));
    }

    // The other users stay hidden from it, and the security database shut.
    void usersHidden()
    {
        TFbConnection c;
        c.Attach(FDb->Location(), FUser, FPassword);
        const TFbResult r = c.Execute(QStringLiteral("SELECT SEC$USER_NAME FROM SEC$USERS"));
        QCOMPARE(r.RowCount(), 1);
        QCOMPARE(r.At(0, 0).AsString().trimmed(), FUser);
        for (const char* where : {"security.db", "/var/lib/firebird/3.0/system/security3.fdb"}) {
            TFbConnection sec;
            QVERIFY_THROWS_EXCEPTION(
                TFbError, sec.Attach(QStringLiteral("127.0.0.1:") + QLatin1String(where), FUser, FPassword));
        }
    }

    // configure.xml: the account when both elements are there, else SYSDBA as before; the
    // program's start gives the pool the account it read.
    void settingsChooseTheAccount_data()
    {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<bool>("own");
        QTest::newRow("neither element") << "" << false;
        QTest::newRow("no password") << "<dbuser>X</dbuser>" << false;
        QTest::newRow("empty user") << "<dbuser/><dbpassword>x</dbpassword>" << false;
        QTest::newRow("both") << "OWN" << true;
    }

    void settingsChooseTheAccount()
    {
        QFETCH(QString, extra);
        QFETCH(bool, own);
        if (extra == QLatin1String("OWN"))
            extra = AccountXml(FUser.toLower(), FPassword);
        QTemporaryDir program;
        QVERIFY(WriteFile(program.filePath(QStringLiteral("configure.xml")),
                          QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<configure><countperpage>100"
                                         "</countperpage><ip>127.0.0.1</ip><port>4305</port><timeout>5</timeout>"
                                         "<loginlist/>%1</configure>\n")
                              .arg(extra)));
        TRecorder rec;
        QVERIFY(StartUp(program.path()));
        QCOMPARE(rec.Texts(), QStringList());
        QCOMPARE(Symbol.DbUser, own ? FUser : DbAccount::UserName());
        QCOMPARE(Pool->AccountUser(), Symbol.DbUser);
        Pool->Open(FDb->Location());
        QCOMPARE(CurrentUser(Pool->Connection()), Symbol.DbUser.toUpper());
        Pool->Close();
    }
};

QTEST_MAIN(TestDbUser)
#include "tst_dbuser.moc"

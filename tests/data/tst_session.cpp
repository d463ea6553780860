// The session's queries without a window: the credential check, the company data, the rights,
// the password change and the stock carry-forward, against a real database.
#include "ConPool.h"
#include "FbClient.h"
#include "Session.h"
#include "TestDb.h"

#include <QtTest>

namespace {
const QString Digest123456 = QStringLiteral("e10adc3949ba59abbe56e057f20f883e");
}

class TestSession : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    TConPool Pool;
    qint64 Li = 0;

    qint64 Scalar(const QString& sql)
    {
        const TFbResult r = Pool.Execute(sql);
        return r.RowCount() ? r.At(0, 0).AsInt64() : -1;
    }

private slots:
    void initTestCase()
    {
        Db = std::make_unique<TTestDb>();
        QVERIFY2(Db->Ok(), qPrintable(Db->Error()));
        Pool.Open(Db->Location());
        Pool.Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME) VALUES ('测试配件')"));
        Pool.Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW) VALUES ('O''Li', ?)"),
                     {TFbValue::FromText(Digest123456)});
        Li = Scalar(QStringLiteral("SELECT ID FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = 'O''Li'"));
        QVERIFY(Li > 0);
    }

    void findsTheUser_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("digest");
        QTest::addColumn<bool>("found");
        QTest::newRow("right password") << "O'Li" << Digest123456 << true;
        QTest::newRow("wrong password") << "O'Li" << QString(32, QLatin1Char('0')) << false;
        QTest::newRow("quote cannot widen") << "x' OR '1'='1" << Digest123456 << false;
        QTest::newRow("unknown name") << "nobody" << Digest123456 << false;
    }

    void findsTheUser()
    {
        QFETCH(QString, name);
        QFETCH(QString, digest);
        QFETCH(bool, found);
        const QString id = FindUser(Pool, name, digest);
        QCOMPARE(id.isEmpty(), !found);
        if (found)
            QCOMPARE(id.toLongLong(), Li);
    }

    void readsTheCompanyAndTheRights()
    {
        const TTheUnit unit = ReadTheUnit(Pool);
        QVERIFY(!unit.TheUnitName.isEmpty());

        Pool.Execute(QStringLiteral(
                         "INSERT INTO TB_RIGHT (USER_ID, FUNCTION_NAME, IS_READ, IS_APPEND, IS_ALTER, IS_DELETE) "
                         "VALUES (?, '送修登记', 1, 1, 0, 0)"),
                     {TFbValue::FromInt(Li)});
        Pool.Execute(QStringLiteral(
                         "INSERT INTO TB_RIGHT (USER_ID, FUNCTION_NAME, IS_READ, IS_APPEND, IS_ALTER, IS_DELETE) "
                         "VALUES (?, '供应商', 0, 1, 1, 1)"),
                     {TFbValue::FromInt(Li)});
        TRightInfo rights[RightCount];
        rights[0].FunctionName = QStringLiteral("送修登记");
        rights[1].FunctionName = QStringLiteral("供应商");
        rights[2].FunctionName = QStringLiteral("工具管理");
        rights[2].Grants = AllRights;   // left over from an earlier operator: must go
        ReadRights(Pool, QString::number(Li), rights);
        QCOMPARE(rights[0].Grants, TRights(RightBit(rtRead) | RightBit(rtAppend)));
        QCOMPARE(rights[1].Grants, TRights(0));
        QCOMPARE(rights[2].Grants, TRights(0));
    }

    void changesThePassword()
    {
        const QString fresh = QStringLiteral("0123456789abcdef0123456789abcdef");
        QVERIFY(ChangePassword(Pool, QString::number(Li), fresh));
        QCOMPARE(FindUser(Pool, QStringLiteral("O'Li"), fresh).toLongLong(), Li);
        // A record that has gone meanwhile is no success.
        QVERIFY(!ChangePassword(Pool, QStringLiteral("999999"), fresh));
        QVERIFY(!ChangePassword(Pool, QStringLiteral("not a number"), fresh));
    }

    void carriesTheStockForward()
    {
        Pool.Execute(QStringLiteral("INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT) VALUES ((SELECT MIN(ID) FROM TB_COMMODITY), 0)"));
        Pool.Execute(QStringLiteral("INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT) VALUES ((SELECT MIN(ID) FROM TB_COMMODITY), 3)"));
        const qint64 empty = Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_STOCK WHERE STOCK_COUNT = 0"));
        const qint64 all = Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_STOCK"));
        QVERIFY(empty >= 1);
        QCOMPARE(CarryForwardStock(Pool), empty);
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_STOCK")), all - empty);
        QCOMPARE(CarryForwardStock(Pool), qint64(0));
    }

    void cleanupTestCase() { Pool.Close(); }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"

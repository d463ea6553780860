// Four desks save the same new employee name, or a repair order of the same new customer, at
// the same moment: each save answers normally, never with a raw database error. The desks are
// four processes of this test program ("--saver LOCATION"), each with its own attachment,
// that run a save when the test writes it to them all at once.
#include "ConPool.h"
#include "FbClient.h"
#include "Desks.h"
#include "TestDb.h"
#include "Values.h"

#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

using TestValues::D;
using TestValues::I;
using TestValues::T;

// One line in, one line out: "E name" saves a new employee, "R owner phone" a new repair
// order; the answer is "OK <SUCESS>" or "ERR <GDS code> <text>".
int RunSaver(const QString& location)
{
    TFbConnection c;
    try {
        c.Attach(location, TConPool::UserName, TConPool::Password);
    } catch (const std::exception& e) {
        std::printf("ERR 0 %s\n", FbErrorText(e).simplified().toUtf8().constData());
        return 1;
    }
    return ServeCommands([&](const QStringList& w) {
        QString answer;
        try {
            TFbResult r;
            if (w[0] == QLatin1String("E") && w.size() == 2) {
                r = c.Execute(QStringLiteral("SELECT SUCESS FROM SP_UD_EMPLOYEE(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                              {I(0), T(w[1]), T(QStringLiteral("e10adc3949ba59abbe56e057f20f883e")), I(0),
                               TFbValue::FromDate(QDate(1990, 1, 1)), I(4), T(QString()), I(0),
                               TFbValue::FromDate(QDate(2024, 1, 1)), I(0), I(2), I(1), T(QString()),
                               T(QStringLiteral("13800000000")), T(QStringLiteral("北京市"))});
            } else if (w[0] == QLatin1String("R") && w.size() == 3) {
                r = c.Execute(QStringLiteral("SELECT SUCESS FROM SP_UD_REPAIR(?,?,?,?,?,?,?,?,?,?,?,?)"),
                              {I(0), T(QStringLiteral("京A12345")), T(w[1]), T(w[2]), T(QStringLiteral("朝阳区")),
                               D("10"), T(QStringLiteral("常规保养")), D("0"), D("200"), I(1), I(1), T(QString())});
            } else {
                answer = QStringLiteral("ERR 0 unknown command");
            }
            if (answer.isEmpty())
                answer = QStringLiteral("OK %1").arg(r.At(0, 0).AsInt64());
        } catch (const TFbError& e) {
            answer = QStringLiteral("ERR %1 %2").arg(e.GdsCode()).arg(e.Text().simplified());
        } catch (const std::exception& e) {
            answer = QStringLiteral("ERR 0 %1").arg(QString::fromLocal8Bit(e.what()).simplified());
        }
        return answer;
    });
}

constexpr int Desks = 4;
constexpr int Rounds = 40;

}   // namespace

class TestConcurrentSave : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> FDb;
    std::vector<std::unique_ptr<QProcess>> FDesks;

    // The same command to every desk at once, then every answer.
    QStringList All(const QString& command)
    {
        const QByteArray line = command.toUtf8() + '\n';
        for (auto& p : FDesks)
            p->write(line);
        for (auto& p : FDesks)
            p->waitForBytesWritten(5000);
        QStringList answers;
        for (auto& p : FDesks)
            answers << ReadDeskLine(*p);
        return answers;
    }

private slots:
    void initTestCase()
    {
        FDb = std::make_unique<TTestDb>();
        QVERIFY2(FDb->Ok(), qPrintable(FDb->Error()));
        for (int k = 0; k < Desks; ++k) {
            auto p = StartDesk(QStringLiteral("--saver"), FDb->Location());
            QVERIFY(p);
            FDesks.push_back(std::move(p));
        }
    }

    void cleanupTestCase()
    {
        for (auto& p : FDesks)
            StopDesk(*p);
        FDesks.clear();
        FDb.reset();
    }

    void sameNewEmployee()
    {
        TFbConnection look;
        look.Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        for (int round = 0; round < Rounds; ++round) {
            const QString name = QStringLiteral("同名%1").arg(round);
            const QStringList answers = All(QStringLiteral("E ") + name);
            int saved = 0;
            for (const QString& a : answers) {
                QVERIFY2(a.startsWith(QLatin1String("OK ")),
                         qPrintable(QStringLiteral("round %1: %2").arg(round).arg(answers.join(QLatin1String(" / ")))));
                if (a != QLatin1String("OK 0"))
                    ++saved;
            }
            QCOMPARE(saved, 1);
            QCOMPARE(look.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = ?"), {T(name)})
                         .At(0, 0)
                         .AsInt64(),
                     1);
        }
    }

    void sameNewCustomer()
    {
        TFbConnection look;
        look.Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        for (int round = 0; round < Rounds; ++round) {
            const QString owner = QStringLiteral("新客%1").arg(round);
            const QString phone = QStringLiteral("1390000%1").arg(round, 4, 10, QLatin1Char('0'));
            const QStringList answers = All(QStringLiteral("R %1 %2").arg(owner, phone));
            QSet<qint64> orders;
            for (const QString& a : answers) {
                QVERIFY2(a.startsWith(QLatin1String("OK ")) && a != QLatin1String("OK 0"),
                         qPrintable(QStringLiteral("round %1: %2").arg(round).arg(answers.join(QLatin1String(" / ")))));
                orders.insert(a.mid(3).toLongLong());
            }
            QCOMPARE(orders.size(), Desks);   // every desk's order is saved
            const TFbResult c =
                look.Execute(QStringLiteral("SELECT FIRST_ID FROM TB_CUSTOMER WHERE CAR_OWNER = ? AND PHONE = ?"),
                             {T(owner), T(phone)});
            QCOMPARE(c.RowCount(), 1);   // and the customer once
            QVERIFY(orders.contains(c.At(0, 0).AsInt64()));
            QCOMPARE(look.Execute(QStringLiteral("SELECT COUNT(*) FROM V_CONTACT_C WHERE CONTACT_NAME = ?"), {T(owner)})
                         .At(0, 0)
                         .AsInt64(),
                     1);
        }
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--saver") == 0)
        return RunSaver(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    TestConcurrentSave test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_concurrentsave.moc"

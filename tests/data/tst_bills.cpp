// The bill writer against a real database: a stock-in makes one lot per line tied to that
// line; a sale takes from its lots and keeps lot and cost; a checkout marks the order paid
// once only; whatever is refused leaves nothing behind. Two desks selling the last piece at
// once, and a desk killed in the middle of a save, are child processes of this program
// ("--desk LOCATION"), each with its own attachment.
#include "Bills.h"
#include "ConPool.h"
#include "FbClient.h"
#include "Desks.h"
#include "TestDb.h"
#include "Values.h"

#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

namespace {

using TestValues::I;

qint64 Scalar(TFbConnection& c, const QString& sql, const QVector<TFbValue>& params = {})
{
    return c.Execute(sql, params).At(0, 0).AsInt64();
}

QString Text(TFbConnection& c, const QString& sql, const QVector<TFbValue>& params = {})
{
    const TFbResult r = c.Execute(sql, params);
    QStringList rows;
    for (int row = 0; row < r.RowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < r.Columns.size(); ++col)
            cells << (r.At(row, col).IsNull() ? QStringLiteral("<null>") : r.At(row, col).AsString().trimmed());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char(';'));
}

// The rows the tests need: parts 5 and 9, supplier 3, employee 2 as buyer, repair order 7.
void MakeMasterRows(TFbConnection& c)
{
    c.Execute(QStringLiteral(
        "INSERT INTO TB_COMMODITY (ID, COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (5, '机油滤清器', 0, 0)"));
    c.Execute(QStringLiteral(
        "INSERT INTO TB_COMMODITY (ID, COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (9, '刹车盘', 0, 0)"));
    c.Execute(QStringLiteral("INSERT INTO TB_SUPPLIER (ID, SUPPLIER_NAME) VALUES (3, '天津恒达汽车配件有限公司')"));
    c.Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (ID, EMPLOYEE_NAME) VALUES (2, '王采购')"));
    c.Execute(QStringLiteral(
        "INSERT INTO TB_REPAIR (ID, CAR_NO, CAR_OWNER, PHONE) VALUES (7, '京A12345', '张三', '13800000000')"));
    c.Execute(QStringLiteral(
        "INSERT INTO TB_REPAIR (ID, CAR_NO, CAR_OWNER, PHONE) VALUES (8, '京B54321', '李四', '13900000000')"));
    c.Execute(QStringLiteral("SELECT GEN_ID(GEN_REPAIR_ID, 100) FROM RDB$DATABASE"));   // past the IDs given here
}

TStorageBill TwoLineBill()
{
    TStorageBill b;
    b.SupplierId = 3;
    b.BuyerId = 2;
    b.OperatorId = 1;
    b.Lines = {{5, QStringLiteral("10"), QStringLiteral("8"), QStringLiteral("12")},
               {9, QStringLiteral("1"), QStringLiteral("100"), QStringLiteral("150")}};
    return b;
}

// Everything a refused bill could have touched, as one text.
QString State(TFbConnection& c)
{
    return Text(c,
                QStringLiteral(
                    "SELECT (SELECT COUNT(*) FROM TB_STORAGE), (SELECT COUNT(*) FROM TB_STOCK), "
                    "(SELECT COUNT(*) FROM TB_SALES), (SELECT LIST(ID || ':' || STOCK_COUNT) FROM TB_STOCK), "
                    "(SELECT LIST(ID || ':' || IS_PAY || ':' || PAID) FROM TB_REPAIR) FROM RDB$DATABASE"));
}

// A desk: one command a line, one answer a line. "S lot count" sells, "C order lot count"
// checks an order out, "B lines rounds" saves rounds of big stock-in and sales bills and
// says "saved N" after each. Answers: "OK <bill>", "REFUSED <text>", "ERR <text>".
int RunDesk(const QString& location)
{
    TConPool pool;
    try {
        pool.Open(location);
    } catch (const std::exception& e) {
        std::printf("ERR %s\n", FbErrorText(e).simplified().toUtf8().constData());
        return 1;
    }
    return ServeCommands([&](const QStringList& w) {
        QString answer;
        try {
            if (w[0] == QLatin1String("S") && w.size() == 3) {
                TSalesBill b;
                b.OperatorId = 1;
                b.Lines = {{w[1].toLongLong(), w[2], QStringLiteral("15")}};
                answer = QStringLiteral("OK %1").arg(SaveSalesBill(pool, b).BillNo);
            } else if (w[0] == QLatin1String("C") && w.size() == 4) {
                TCheckout b;
                b.RepairId = w[1].toLongLong();
                b.Paid = QStringLiteral("200");
                b.OperatorId = 1;
                b.Lines = {{w[2].toLongLong(), w[3], QStringLiteral("15")}};
                answer = QStringLiteral("OK %1").arg(SaveCheckout(pool, b).BillNo);
            } else if (w[0] == QLatin1String("B") && w.size() == 3) {
                const int lines = w[1].toInt();
                for (int round = 1; round <= w[2].toInt(); ++round) {
                    TStorageBill in;
                    in.SupplierId = 3;
                    in.BuyerId = 2;
                    in.OperatorId = 1;
                    for (int k = 0; k < lines; ++k)
                        in.Lines.push_back(
                            {k % 2 ? 9 : 5, QStringLiteral("3"), QStringLiteral("8.50"), QStringLiteral("12")});
                    const TStorageSaved got = SaveStorageBill(pool, in);
                    TSalesBill out;
                    out.OperatorId = 1;
                    for (qint64 lot : got.LotIds)
                        out.Lines.push_back({lot, QStringLiteral("2"), QStringLiteral("11")});
                    SaveSalesBill(pool, out);
                    std::printf("saved %d\n", round);
                    std::fflush(stdout);
                }
                answer = QStringLiteral("OK done");
            } else {
                answer = QStringLiteral("ERR unknown command");
            }
        } catch (const TBillRefused& e) {
            answer = QStringLiteral("REFUSED ") + e.Text();
        } catch (const std::exception& e) {
            answer = QStringLiteral("ERR ") + FbErrorText(e).simplified();
        }
        return answer;
    });
}

}   // namespace

class TestBills : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestDb> FDb;
    std::unique_ptr<TConPool> FPool;
    std::unique_ptr<TFbConnection> FLook;   // a second attachment that sees only what was committed

    // Lots of 10 × part 5 (at 8) and 1 × part 9 (at 100), from bill 1.
    TStorageSaved StockIn() { return SaveStorageBill(*FPool, TwoLineBill()); }

private slots:
    void init()
    {
        FDb = std::make_unique<TTestDb>();
        QVERIFY2(FDb->Ok(), qPrintable(FDb->Error()));
        FLook = std::make_unique<TFbConnection>();
        FLook->Attach(FDb->Location(), TConPool::UserName, TConPool::Password);
        MakeMasterRows(*FLook);
        FPool = std::make_unique<TConPool>();
        FPool->Open(FDb->Location());
    }

    void cleanup()
    {
        FPool.reset();
        FLook.reset();
        FDb.reset();
    }

    void stockInMakesOneLotPerLine()
    {
        const TStorageSaved saved = StockIn();
        QCOMPARE(saved.BillNo, qint64(1));   // the first bill ever
        QCOMPARE(saved.LineIds.size(), 2);
        QCOMPARE(saved.LotIds.size(), 2);
        QCOMPARE(Text(*FLook,
                      QStringLiteral("SELECT ID, BILL_NO, COMMODITY_ID, IN_COUNT, SUPPLIER_ID, BUYER_ID, "
                                     "OPERATOR_ID, IN_PRICE, REFER_PRICE FROM TB_STORAGE ORDER BY ID")),
                 QStringLiteral("%1|1|5|10|3|2|1|8.00|12.00;%2|1|9|1|3|2|1|100.00|150.00")
                     .arg(saved.LineIds[0])
                     .arg(saved.LineIds[1]));
        QCOMPARE(Text(*FLook,
                      QStringLiteral("SELECT ID, COMMODITY_ID, STOCK_COUNT, STORAGE_BILL_NO, STORAGE_ID "
                                     "FROM TB_STOCK ORDER BY ID")),
                 QStringLiteral("%1|5|10|1|%2;%3|9|1|1|%4")
                     .arg(saved.LotIds[0])
                     .arg(saved.LineIds[0])
                     .arg(saved.LotIds[1])
                     .arg(saved.LineIds[1]));
        QCOMPARE(StockIn().BillNo, qint64(2));
        QVERIFY(AuditStock(*FPool).isEmpty());
    }

    void stockInWithoutSupplierStoresNone()
    {
        TStorageBill b = TwoLineBill();
        b.SupplierId = 0;
        b.BuyerId = 0;
        SaveStorageBill(*FPool, b);
        QCOMPARE(Text(*FLook, QStringLiteral("SELECT DISTINCT SUPPLIER_ID, BUYER_ID FROM TB_STORAGE")),
                 QStringLiteral("<null>|<null>"));
    }

    // Lots: 0 is part 5's lot (10 at 8), 1 is part 9's (1 at 100).
    void sales_data()
    {
        QTest::addColumn<QList<int>>("lots");   // lot index of each line
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<QString>("refusal");   // empty: saved
        QTest::addColumn<QString>("after");   // lot counts afterwards

        QTest::newRow("one line") << QList<int>{0} << QStringList{"2"} << ""
                                  << "8,1";
        QTest::newRow("two lots") << QList<int>{0, 1} << QStringList{"3", "1"} << ""
                                  << "7,0";
        QTest::newRow("two lines on one lot count together") << QList<int>{0, 1, 0} << QStringList{"6", "1", "4"} << ""
                                                             << "0,0";
        QTest::newRow("two lines on one lot too many together")
            << QList<int>{0, 0} << QStringList{"6", "5"} << "库存数量不足：库存 {A}（机油滤清器）只有 10，本单要 11"
            << "10,1";
        QTest::newRow("the second line more than its lot holds")
            << QList<int>{0, 1} << QStringList{"2", "2"} << "库存数量不足：库存 {B}（刹车盘）只有 1，本单要 2"
            << "10,1";
    }

    void sales()
    {
        QFETCH(QList<int>, lots);
        QFETCH(QStringList, counts);
        QFETCH(QString, refusal);
        QFETCH(QString, after);
        const TStorageSaved in = StockIn();
        TSalesBill b;
        b.OperatorId = 1;
        for (int k = 0; k < lots.size(); ++k)
            b.Lines.push_back({in.LotIds[lots[k]], counts[k], QStringLiteral("35.5")});
        const QString before = State(*FLook);
        if (refusal.isEmpty()) {
            const TSalesSaved saved = SaveSalesBill(*FPool, b);
            QCOMPARE(saved.BillNo, qint64(1));
            QCOMPARE(saved.LineIds.size(), lots.size());
            QStringList expected;
            for (int k = 0; k < lots.size(); ++k)
                expected << QStringLiteral("%1|1|%2|%3|35.50|0|1|%4|%5")
                                .arg(saved.LineIds[k])
                                .arg(lots[k] == 0 ? 5 : 9)
                                .arg(counts[k])
                                .arg(in.LotIds[lots[k]])
                                .arg(lots[k] == 0 ? QStringLiteral("8.00") : QStringLiteral("100.00"));
            QCOMPARE(Text(*FLook,
                          QStringLiteral("SELECT ID, BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, SALES_TYPE, "
                                         "OPERATOR_ID, STOCK_ID, COST_PRICE FROM TB_SALES ORDER BY ID")),
                     expected.join(QLatin1Char(';')));
        } else {
            try {
                SaveSalesBill(*FPool, b);
                QFAIL("saved");
            } catch (const TBillRefused& e) {
                QVERIFY2(e.Text().contains(QString(refusal)
                                               .replace(QLatin1String("{A}"), QString::number(in.LotIds[0]))
                                               .replace(QLatin1String("{B}"), QString::number(in.LotIds[1]))),
                         qPrintable(e.Text()));
            }
            QCOMPARE(State(*FLook), before);
            QVERIFY(!FPool->InTransaction());
            // The next bill saves as usual.
            b.Lines = {{in.LotIds[0], QStringLiteral("1"), QStringLiteral("20")}};
            QVERIFY(SaveSalesBill(*FPool, b).BillNo >= 1);
            after = QStringLiteral("9,1");
        }
        QCOMPARE(Text(*FLook,
                      QStringLiteral(
                          "SELECT LIST(STOCK_COUNT, ',') FROM (SELECT STOCK_COUNT FROM TB_STOCK ORDER BY ID)")),
                 after);
        QVERIFY2(AuditStock(*FPool).isEmpty(), qPrintable(AuditStock(*FPool).join(QLatin1Char('\n'))));
    }

    void checkout()
    {
        const TStorageSaved in = StockIn();
        TCheckout c;
        c.RepairId = 7;
        c.Paid = QStringLiteral("350");
        c.OperatorId = 1;
        c.Lines = {{in.LotIds[0], QStringLiteral("2"), QStringLiteral("30")},
                   {in.LotIds[1], QStringLiteral("1"), QStringLiteral("180")}};
        const TSalesSaved saved = SaveCheckout(*FPool, c);
        QCOMPARE(saved.LineIds.size(), 2);
        QCOMPARE(Text(*FLook, QStringLiteral("SELECT BILL_NO, SALES_TYPE, COUNT(*) FROM TB_SALES GROUP BY 1, 2")),
                 QStringLiteral("%1|7|2").arg(saved.BillNo));
        QCOMPARE(Text(*FLook,
                      QStringLiteral(
                          "SELECT LIST(STOCK_COUNT, ',') FROM (SELECT STOCK_COUNT FROM TB_STOCK ORDER BY ID)")),
                 QStringLiteral("8,0"));
        QCOMPARE(Text(*FLook, QStringLiteral("SELECT IS_PAY, PAID FROM TB_REPAIR WHERE ID = 7")),
                 QStringLiteral("1|350.00"));

        // Again: refused whole, nothing taken from stock.
        const QString before = State(*FLook);
        c.Lines = {{in.LotIds[0], QStringLiteral("1"), QStringLiteral("30")}};
        c.Paid = QStringLiteral("400");
        try {
            SaveCheckout(*FPool, c);
            QFAIL("settled twice");
        } catch (const TBillRefused& e) {
            QVERIFY2(e.Text().contains(QStringLiteral("维修单 7 已经结账")), qPrintable(e.Text()));
        }
        QCOMPARE(State(*FLook), before);
        QVERIFY(AuditStock(*FPool).isEmpty());
    }

    void labourOnlyCheckout()
    {
        TCheckout c;
        c.RepairId = 8;
        c.Paid = QStringLiteral("120.50");
        c.OperatorId = 1;
        const TSalesSaved saved = SaveCheckout(*FPool, c);
        QCOMPARE(saved.BillNo, qint64(0));
        QCOMPARE(Scalar(*FLook, QStringLiteral("SELECT COUNT(*) FROM TB_SALES")), qint64(0));
        QCOMPARE(Text(*FLook, QStringLiteral("SELECT IS_PAY, PAID FROM TB_REPAIR WHERE ID = 8")),
                 QStringLiteral("1|120.50"));
        QCOMPARE(Text(*FLook, QStringLiteral("SELECT IS_PAY, PAID FROM TB_REPAIR WHERE ID = 7")),
                 QStringLiteral("0|0.00"));
    }

    // Refused before anything is written; the sequences are not drawn either.
    void refused_data()
    {
        QTest::addColumn<QString>("kind");   // storage, sales, checkout
        QTest::addColumn<QString>("field");   // which value of the first line (or header) is set
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("refusal");

        QTest::newRow("empty stock-in") << "storage"
                                        << "empty"
                                        << ""
                                        << "入库单中没有任何配件";
        QTest::newRow("empty sale") << "sales"
                                    << "empty"
                                    << ""
                                    << "销售单中没有任何配件";
        QTest::newRow("stock-in count 1.5") << "storage"
                                            << "count"
                                            << "1.5"
                                            << "进货数量“1.5”不是大于 0 的整数";
        QTest::newRow("stock-in count 0") << "storage"
                                          << "count"
                                          << "0"
                                          << "不是大于 0 的整数";
        QTest::newRow("stock-in count -3") << "storage"
                                           << "count"
                                           << "-3"
                                           << "不是大于 0 的整数";
        QTest::newRow("stock-in count letters") << "storage"
                                                << "count"
                                                << "十"
                                                << "不是大于 0 的整数";
        QTest::newRow("stock-in count too big") << "storage"
                                                << "count"
                                                << "99999999999"
                                                << "不是大于 0 的整数";
        QTest::newRow("purchase price letters") << "storage"
                                                << "price"
                                                << "abc"
                                                << "进货价“abc”不是数字";
        QTest::newRow("purchase price negative") << "storage"
                                                 << "price"
                                                 << "-8"
                                                 << "进货价“-8”不能为负数";
        QTest::newRow("purchase price three places") << "storage"
                                                     << "price"
                                                     << "8.125"
                                                     << "最多只能有两位小数";
        QTest::newRow("purchase price 1e2") << "storage"
                                            << "price"
                                            << "1e2"
                                            << "不是数字";
        QTest::newRow("refer price negative") << "storage"
                                              << "refer"
                                              << "-0.01"
                                              << "参考售价“-0.01”不能为负数";
        QTest::newRow("missing supplier") << "storage"
                                          << "supplier"
                                          << "99"
                                          << "供应商（编号 99）不存在";
        QTest::newRow("missing buyer") << "storage"
                                       << "buyer"
                                       << "98"
                                       << "采购员（编号 98）不存在";
        QTest::newRow("missing part") << "storage"
                                      << "part"
                                      << "97"
                                      << "配件（编号 97）不存在";
        QTest::newRow("sale count 1.5") << "sales"
                                        << "count"
                                        << "1.5"
                                        << "销售数量“1.5”不是大于 0 的整数";
        QTest::newRow("sale price letters") << "sales"
                                            << "price"
                                            << "abc"
                                            << "销售价“abc”不是数字";
        QTest::newRow("sale price negative") << "sales"
                                             << "price"
                                             << "-1"
                                             << "不能为负数";
        QTest::newRow("missing lot") << "sales"
                                     << "lot"
                                     << "999"
                                     << "库存 999 不存在";
        QTest::newRow("checkout amount letters") << "checkout"
                                                 << "paid"
                                                 << "三百五"
                                                 << "实收金额“三百五”不是数字";
        QTest::newRow("checkout amount negative") << "checkout"
                                                  << "paid"
                                                  << "-350"
                                                  << "实收金额“-350”不能为负数";
        QTest::newRow("checkout amount empty") << "checkout"
                                               << "paid"
                                               << ""
                                               << "实收金额“”不是数字";
        QTest::newRow("checkout count 1.5") << "checkout"
                                            << "count"
                                            << "1.5"
                                            << "不是大于 0 的整数";
        QTest::newRow("checkout missing order") << "checkout"
                                                << "order"
                                                << "77"
                                                << "维修单 77 不存在";
        QTest::newRow("checkout lot short") << "checkout"
                                            << "count"
                                            << "11"
                                            << "库存数量不足";
    }

    void refused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, refusal);
        const TStorageSaved in = StockIn();
        const QString before = State(*FLook);
        const QString sequences =
            Text(*FLook,
                 QStringLiteral("SELECT GEN_ID(GEN_STORAGE_BILL_NO, 0), GEN_ID(GEN_SALES_BILL_NO, 0), "
                                "GEN_ID(GEN_STORAGE_ID, 0), GEN_ID(GEN_STOCK_ID, 0), "
                                "GEN_ID(GEN_SALES_ID, 0) FROM RDB$DATABASE"));
        QString text;
        try {
            if (kind == QLatin1String("storage")) {
                TStorageBill b = TwoLineBill();
                TStorageLine& l = b.Lines[0];
                if (field == QLatin1String("empty"))
                    b.Lines.clear();
                else if (field == QLatin1String("count"))
                    l.Count = value;
                else if (field == QLatin1String("price"))
                    l.InPrice = value;
                else if (field == QLatin1String("refer"))
                    l.ReferPrice = value;
                else if (field == QLatin1String("supplier"))
                    b.SupplierId = value.toLongLong();
                else if (field == QLatin1String("buyer"))
                    b.BuyerId = value.toLongLong();
                else if (field == QLatin1String("part"))
                    b.Lines[1].CommodityId = value.toLongLong();
                QVERIFY(!CheckStorageBill(b).isEmpty() || field == "supplier" || field == "buyer" || field == "part");
                SaveStorageBill(*FPool, b);
            } else {
                TSalesLine l{in.LotIds[0], QStringLiteral("1"), QStringLiteral("20")};
                if (field == QLatin1String("count"))
                    l.Count = value;
                else if (field == QLatin1String("price"))
                    l.Price = value;
                else if (field == QLatin1String("lot"))
                    l.StockId = value.toLongLong();
                if (kind == QLatin1String("sales")) {
                    TSalesBill b;
                    b.OperatorId = 1;
                    if (field != QLatin1String("empty"))
                        b.Lines = {{in.LotIds[1], QStringLiteral("1"), QStringLiteral("200")}, l};
                    SaveSalesBill(*FPool, b);
                } else {
                    TCheckout c;
                    c.RepairId = field == QLatin1String("order") ? value.toLongLong() : 7;
                    c.Paid = field == QLatin1String("paid") ? value : QStringLiteral("350");
                    c.OperatorId = 1;
                    c.Lines = {{in.LotIds[1], QStringLiteral("1"), QStringLiteral("200")}, l};
                    SaveCheckout(*FPool, c);
                }
            }
            QFAIL("saved");
        } catch (const TBillRefused& e) {
            text = e.Text();
        }
        QVERIFY2(text.contains(refusal), qPrintable(text));
        QCOMPARE(State(*FLook), before);
        if (refusal != QLatin1String("库存数量不足"))
            QCOMPARE(Text(*FLook,
                          QStringLiteral("SELECT GEN_ID(GEN_STORAGE_BILL_NO, 0), GEN_ID(GEN_SALES_BILL_NO, 0), "
                                         "GEN_ID(GEN_STORAGE_ID, 0), GEN_ID(GEN_STOCK_ID, 0), "
                                         "GEN_ID(GEN_SALES_ID, 0) FROM RDB$DATABASE")),
                     sequences);
        QVERIFY(!FPool->InTransaction());
    }

    // Any other error reaches the caller with the database's text, and the bill is undone.
    void databaseErrorUndoesTheBill()
    {
        StockIn();
        const QString before = State(*FLook);
        // A trigger that refuses the second line of any bill, as a stand-in for any database error.
        FLook->Execute(QStringLiteral("CREATE EXCEPTION EX_TEST_LINE 'the second line is refused'"));
        FLook->Execute(QStringLiteral(
            "CREATE TRIGGER TB_STORAGE_TEST FOR TB_STORAGE ACTIVE BEFORE INSERT POSITION 9 AS BEGIN "
            "IF (EXISTS (SELECT 1 FROM TB_STORAGE G WHERE G.BILL_NO = NEW.BILL_NO)) THEN EXCEPTION EX_TEST_LINE; END"));
        FPool->Close();
        FPool->Open(FDb->Location());
        try {
            StockIn();
            QFAIL("saved");
        } catch (const TFbError& e) {
            QVERIFY2(e.Text().contains(QStringLiteral("the second line is refused")), qPrintable(e.Text()));
        }
        QCOMPARE(State(*FLook), before);
        QVERIFY(AuditStock(*FPool).isEmpty());
    }

    void auditFindsWhatIsWrong()
    {
        const TStorageSaved in = StockIn();
        QVERIFY(AuditStock(*FPool).isEmpty());
        // A lot changed behind the bills' back, and a sales bill number drawn twice.
        FLook->Execute(QStringLiteral("UPDATE TB_STOCK SET STOCK_COUNT = 4 WHERE ID = ?"), {I(in.LotIds[0])});
        FLook->Execute(QStringLiteral("INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, OPERATOR_ID, "
                                      "SALES_TYPE, STOCK_ID) VALUES (40, 9, 1, 150, 1, 0, ?)"),
                       {I(in.LotIds[1])});
        FLook->Execute(QStringLiteral("UPDATE TB_STOCK SET STOCK_COUNT = 0 WHERE ID = ?"), {I(in.LotIds[1])});
        FLook->Execute(QStringLiteral("INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, OPERATOR_ID, "
                                      "SALES_TYPE) VALUES (40, 9, 0, 150, 1, 7)"));
        const QStringList found = AuditStock(*FPool);
        QCOMPARE(found.size(), 2);
        QVERIFY2(found[0].contains(QStringLiteral("配件 5：库存合计 4，但入库 10 减去销售 0 是 10")),
                 qPrintable(found[0]));
        QVERIFY2(found[1].contains(QStringLiteral("销售单号 40 被两张以上的销售单使用")), qPrintable(found[1]));

        // The carry-forward's deletions of empty lots keep the sums right and the lines' cost.
        FLook->Execute(QStringLiteral("DELETE FROM TB_SALES WHERE OUT_COUNT = 0"));
        FLook->Execute(QStringLiteral("UPDATE TB_STOCK SET STOCK_COUNT = 10 WHERE ID = ?"), {I(in.LotIds[0])});
        QCOMPARE(FLook->Execute(QStringLiteral("DELETE FROM TB_STOCK WHERE STOCK_COUNT = 0")).RowsAffected, qint64(1));
        QCOMPARE(Text(*FLook, QStringLiteral("SELECT STOCK_ID, COST_PRICE FROM TB_SALES")),
                 QStringLiteral("<null>|100.00"));
        QVERIFY(AuditStock(*FPool).isEmpty());
    }

    // The keys refuse what points nowhere, and the delete procedures answer 0 for it.
    void foreignKeys_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("line of a missing part")
            << "INSERT INTO TB_STORAGE (BILL_NO, COMMODITY_ID, IN_COUNT, SUPPLIER_ID) VALUES (50, 96, 1, 3)";
        QTest::newRow("line of a missing supplier")
            << "INSERT INTO TB_STORAGE (BILL_NO, COMMODITY_ID, IN_COUNT, SUPPLIER_ID) VALUES (50, 5, 1, 96)";
        QTest::newRow("line of a missing buyer")
            << "INSERT INTO TB_STORAGE (BILL_NO, COMMODITY_ID, IN_COUNT, BUYER_ID) VALUES (50, 5, 1, 96)";
        QTest::newRow("lot of a missing line")
            << "INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT, STORAGE_ID) VALUES (5, 1, 9696)";
        QTest::newRow("sale of a missing lot")
            << "INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, STOCK_ID) VALUES (50, 5, 1, 9696)";
        QTest::newRow("sale of a missing part")
            << "INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT) VALUES (50, 96, 1)";
    }

    void foreignKeys()
    {
        QFETCH(QString, sql);
        try {
            FLook->Execute(sql);
            QFAIL("no key refused it");
        } catch (const TFbError& e) {
            QVERIFY2(e.HasCode(FbCodes::ForeignKey), qPrintable(e.Text()));
        }
    }

    void deleteProceduresRefuseReferredRows()
    {
        StockIn();
        QCOMPARE(Scalar(*FLook, QStringLiteral("SELECT SUCESS FROM SP_DEL_SUPPLIER(3)")), qint64(0));
        QCOMPARE(Scalar(*FLook, QStringLiteral("SELECT SUCESS FROM SP_DEL_COMMODITY(5)")), qint64(0));
        QCOMPARE(Scalar(*FLook, QStringLiteral("SELECT SUCESS FROM SP_DEL_EMPLOYEE(2)")), qint64(0));
        QCOMPARE(Scalar(*FLook, QStringLiteral("SELECT COUNT(*) FROM TB_SUPPLIER WHERE ID = 3")), qint64(1));
    }

    // Two desks sell the last piece of a lot at the same moment: one bill, one refusal.
    void twoDesksSellTheLastPiece_data()
    {
        QTest::addColumn<QString>("command");   // %1: the lot, %2: the round
        QTest::newRow("counter sale") << "S %1 1";
        QTest::newRow("checkout") << "C %2 %1 1";
    }

    void twoDesksSellTheLastPiece()
    {
        QFETCH(QString, command);
        std::vector<std::unique_ptr<QProcess>> desks;
        for (int k = 0; k < 2; ++k) {
            desks.push_back(StartDesk(QStringLiteral("--desk"), FDb->Location()));
            QVERIFY(desks.back());
        }
        for (int round = 0; round < 10; ++round) {
            const qint64 lot = StockIn().LotIds[1];   // one piece of part 9
            for (auto& d : desks) {   // each desk its own order
                const qint64 order = Scalar(*FLook,
                                            QStringLiteral("INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE) "
                                                           "VALUES ('京C1', '王五', '1') RETURNING ID"));
                d->write(command.arg(lot).arg(order).toUtf8() + '\n');
            }
            QStringList answers;
            for (auto& d : desks)
                answers << ReadDeskLine(*d);
            const QString all = answers.join(QLatin1String(" / "));
            QCOMPARE(answers.filter(QRegularExpression(QStringLiteral("^OK [1-9]"))).size(), 1);
            QVERIFY2(answers.filter(QStringLiteral("REFUSED 库存数量不足")).size() == 1, qPrintable(all));
            QCOMPARE(Scalar(*FLook, QStringLiteral("SELECT STOCK_COUNT FROM TB_STOCK WHERE ID = ?"), {I(lot)}),
                     qint64(0));
            QCOMPARE(Scalar(*FLook, QStringLiteral("SELECT COUNT(*) FROM TB_SALES WHERE STOCK_ID = ?"), {I(lot)}),
                     qint64(1));
        }
        for (auto& d : desks)
            StopDesk(*d);
        QVERIFY(AuditStock(*FPool).isEmpty());
    }

    // Two desks settle the same order at once: it is paid once, its part taken once.
    void twoDesksSettleOneOrder()
    {
        std::vector<std::unique_ptr<QProcess>> desks;
        for (int k = 0; k < 2; ++k) {
            desks.push_back(StartDesk(QStringLiteral("--desk"), FDb->Location()));
            QVERIFY(desks.back());
        }
        const qint64 lot = StockIn().LotIds[0];
        for (int round = 0; round < 10; ++round) {
            const qint64 order = Scalar(*FLook,
                                        QStringLiteral("INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE) "
                                                       "VALUES ('京C1', '王五', '1') RETURNING ID"));
            const QByteArray line = QStringLiteral("C %1 %2 1\n").arg(order).arg(lot).toUtf8();
            for (auto& d : desks)
                d->write(line);
            QStringList answers;
            for (auto& d : desks)
                answers << ReadDeskLine(*d);
            QCOMPARE(answers.filter(QRegularExpression(QStringLiteral("^OK [1-9]"))).size(), 1);
            QVERIFY2(answers.filter(QStringLiteral("已经结账")).size() == 1, qPrintable(answers.join(" / ")));
            QCOMPARE(Scalar(*FLook, QStringLiteral("SELECT COUNT(*) FROM TB_SALES WHERE SALES_TYPE = ?"), {I(order)}),
                     qint64(1));
        }
        QCOMPARE(Scalar(*FLook, QStringLiteral("SELECT STOCK_COUNT FROM TB_STOCK WHERE ID = ?"), {I(lot)}), qint64(0));
        for (auto& d : desks)
            StopDesk(*d);
        QVERIFY(AuditStock(*FPool).isEmpty());
    }

    // A desk killed while it saves big bills leaves whole bills or none.
    void killedDeskLeavesWholeBills()
    {
        constexpr int Lines = 150;
        auto desk = StartDesk(QStringLiteral("--desk"), FDb->Location());
        QVERIFY(desk);
        desk->write(QStringLiteral("B %1 1000\n").arg(Lines).toUtf8());
        QCOMPARE(ReadDeskLine(*desk), QStringLiteral("saved 1"));
        QCOMPARE(ReadDeskLine(*desk), QStringLiteral("saved 2"));
        // The third pair of bills is under way when the desk dies.
        QTRY_VERIFY_WITH_TIMEOUT(
            Scalar(*FLook, QStringLiteral("SELECT GEN_ID(GEN_STORAGE_BILL_NO, 0) FROM RDB$DATABASE")) >= 3, 30000);
        desk->kill();   // SIGKILL
        QVERIFY(desk->waitForFinished(10000));
        desk.reset();
        // Every bill there is whole.
        QCOMPARE(Text(*FLook, QStringLiteral("SELECT DISTINCT COUNT(*) FROM TB_STORAGE GROUP BY BILL_NO")),
                 QString::number(Lines));
        QCOMPARE(Text(*FLook, QStringLiteral("SELECT DISTINCT COUNT(*) FROM TB_SALES GROUP BY BILL_NO")),
                 QString::number(Lines));
        QVERIFY(Scalar(*FLook, QStringLiteral("SELECT COUNT(DISTINCT BILL_NO) FROM TB_STORAGE")) >= 2);
        QVERIFY2(AuditStock(*FPool).isEmpty(), qPrintable(AuditStock(*FPool).join(QLatin1Char('\n'))));
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--desk") == 0)
        return RunDesk(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    TestBills test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_bills.moc"

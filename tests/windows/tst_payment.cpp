// The repair checkout window against a real database: the parts fitted and the payment
// written in one piece, a settled order shown for reading, a labour-only repair, the amount
// refused before anything is written, and the checkout refused whole when the stock ran out
// or another desk settled the order first.
#include "Bills.h"
#include "ConPool.h"
#include "DataHead.h"
#include "DataTool.h"
#include "FbClient.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "Payment.h"
#include "Recorder.h"
#include "Sales.h"
#include "SalesTest.h"
#include "StringGrid.h"
#include "TestDb.h"
#include "Values.h"
#include "clsRepair.h"
#include "Workstation.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace SalesTest;
using TestValues::I;

class TestPayment : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TFbConnection> Other;
    qint64 Clerk = 0;
    qint64 Filter = 0, Pads = 0, Belt = 0;   // lots: 机油滤清器 20, 刹车片 20, 正时皮带 2

    qint64 Scalar(const QString& sql, const QVector<TFbValue>& params = {})
    {
        return Other->Execute(sql, params).At(0, 0).AsInt64();
    }
    qint64 Held(qint64 lot)
    {
        return Scalar(QStringLiteral("SELECT STOCK_COUNT FROM TB_STOCK WHERE ID = ?"), {I(lot)});
    }
    // The order's state: paid flag and amount, and the lines recorded for it.
    QString Order(qint64 id)
    {
        return Rows(*Other, QStringLiteral("SELECT IS_PAY, PAID FROM TB_REPAIR WHERE ID = ?"), {I(id)}) + QLatin1Char('/')
            + Rows(*Other,
                   QStringLiteral("SELECT STOCK_ID, OUT_COUNT, OUT_PRICE FROM TB_SALES WHERE SALES_TYPE = ? ORDER BY ID"),
                   {I(id)});
    }
    // Everything a refused checkout could have touched.
    QString State()
    {
        return Rows(*Other, QStringLiteral("SELECT (SELECT COUNT(*) FROM TB_SALES), "
                                           "(SELECT LIST(ID || ':' || STOCK_COUNT) FROM TB_STOCK), "
                                           "(SELECT LIST(ID || ':' || IS_PAY || ':' || PAID) FROM TB_REPAIR) "
                                           "FROM RDB$DATABASE"));
    }
    qint64 NewOrder()
    {
        return Pool->Execute(QStringLiteral("INSERT INTO TB_REPAIR (CAR_NO, CAR_OWNER, PHONE) VALUES "
                                            "('京A00001', '王先生', '139') RETURNING ID"))
            .At(0, 0)
            .AsInt64();
    }

    std::unique_ptr<TfrmPayment> Checkout(qint64 order)
    {
        auto w = std::make_unique<TfrmPayment>();
        w->Prepare(QString::number(order));
        w->show();
        QApplication::setActiveWindow(w.get());
        return w;
    }

private slots:
    void initTestCase()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(WriteTestSettings(*Folder));
        QVERIFY(StartUp(Folder->path()));
        Db = std::make_unique<TTestDb>();
        QVERIFY2(Db->Ok(), qPrintable(Db->Error()));
        Pool->Open(Db->Location());
        Other = std::make_unique<TFbConnection>();
        Other->Attach(Db->Location(), TConPool::UserName, TConPool::Password);
        Clerk = Pool->Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW) VALUES ('赵收银', '') "
                                             "RETURNING ID"))
                    .At(0, 0)
                    .AsInt64();
        Symbol.User.ID = QString::number(Clerk);
        const qint64 supplier =
            Pool->Execute(QStringLiteral("INSERT INTO TB_SUPPLIER (SUPPLIER_NAME) VALUES ('恒达配件') RETURNING ID"))
                .At(0, 0)
                .AsInt64();
        const QVector<qint64> lots = StockIn(*Pool, supplier, Clerk,
                                             {{MakePart(*Pool, QStringLiteral("机油滤清器")), 20, "45"},
                                              {MakePart(*Pool, QStringLiteral("刹车片")), 20, "150"},
                                              {MakePart(*Pool, QStringLiteral("正时皮带")), 2, "260"}});
        Filter = lots[0];
        Pads = lots[1];
        Belt = lots[2];
        Pool->Execute(QStringLiteral("INSERT INTO TB_REPAIR (ID, CAR_NO, CAR_OWNER, PHONE, QUOTE) VALUES "
                                     "(7, '京A12345', '张三', '13800000000', 400)"));
        Pool->Execute(QStringLiteral("SELECT GEN_ID(GEN_REPAIR_ID, 100) FROM RDB$DATABASE"));   // past 7
    }

    void cleanupTestCase()
    {
        Other.reset();
        Pool->Close();
    }

    void repair7TwoLinesAnd350()
    {
        TRecorder rec;
        const qint64 filter = Held(Filter), pads = Held(Pads);
        auto w = Checkout(7);
        TfraSales* f = w->fraSales;
        QVERIFY(w->OrderFound());
        QVERIFY(!w->OrderPaid());
        QVERIFY(!f->ReadOnly());
        QVERIFY(f->StockOpen());
        QVERIFY(HasOption(w->dtbPayment->Enableds(), opSave));
        QCOMPARE(w->edtCash->text(), QStringLiteral("0"));
        ChooseLot(f, QStringLiteral("机油滤清器"), Filter);
        AddLine(f, QStringLiteral("2"), QStringLiteral("45"));
        ChooseLot(f, QStringLiteral("刹车片"), Pads);
        AddLine(f, QStringLiteral("1"), QStringLiteral("150"));
        w->edtCash->setText(QStringLiteral("350"));
        Click(w->dtbPayment, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(Order(7), QStringLiteral("1|350.00/%1|2|45.00;%2|1|150.00").arg(Filter).arg(Pads));
        QCOMPARE(Rows(*Other, QStringLiteral("SELECT COUNT(DISTINCT BILL_NO), MIN(BILL_NO) FROM TB_SALES "
                                             "WHERE SALES_TYPE = 7")),
                 QStringLiteral("1|%1").arg(w->Saved().BillNo));
        QCOMPARE(Held(Filter), filter - 2);
        QCOMPARE(Held(Pads), pads - 1);
    }

    // Opened again, from the list of orders as the main window's pop-up does: for reading only.
    void repair7OpenedAgain()
    {
        TRecorder rec;
        TRepair list;
        TDataSetLoan set(Pool);
        list.SetDataSet(set.get());
        list.SetFilter(QStringLiteral("ID = ?"), {I(7)});
        list.Open();
        bool seen = false;
        OnNextDialog([&](QWidget* dialog) {
            auto* w = qobject_cast<TfrmPayment*>(dialog);
            QVERIFY(w);
            seen = true;
            TfraSales* f = w->fraSales;
            QCOMPARE(w->windowTitle(), QStringLiteral("结账"));
            QCOMPARE(w->RepairId(), QStringLiteral("7"));
            QVERIFY(w->OrderPaid());
            QVERIFY(f->ReadOnly());
            QVERIFY(!f->StockOpen());
            QCOMPARE(f->strgrdList->RowCount(), 3);
            QCOMPARE(f->strgrdList->Cells(TfraSales::colStock, 1), QString::number(Filter));
            QCOMPARE(f->strgrdList->Cells(TfraSales::colName, 1), QStringLiteral("机油滤清器"));
            QCOMPARE(f->strgrdList->Cells(TfraSales::colStock, 2), QString::number(Pads));
            QCOMPARE(f->strgrdList->Cells(TfraSales::colCount, 2), QStringLiteral("1"));
            QVERIFY(!w->dtbPayment->Button(opSave)->isEnabled());
            QCOMPARE(w->edtCash->text(), QStringLiteral("350.00"));   // what was received
            QVERIFY(!w->edtCash->isEnabled());
            QVERIFY(!f->edtFind->isEnabled());
            QVERIFY(!f->dtbSub->Button(opAddToList)->isEnabled());
            f->edtFind->setText(QStringLiteral("刹车"));
            QVERIFY(f->dbgrdFind->isHidden());
            w->reject();
        });
        const TModule* module = FindModule(ModuleNames::Payment);
        QVERIFY(module && module->Window);
        module->Window(ModeNew, &list);
        QVERIFY(seen);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        list.Close();
    }

    void amountDefaultsToZero()
    {
        TRecorder rec;
        const qint64 order = NewOrder();
        auto w = Checkout(order);
        ChooseLot(w->fraSales, QStringLiteral("机油滤清器"), Filter);
        AddLine(w->fraSales, QStringLiteral("1"), QStringLiteral("45"));
        Click(w->dtbPayment, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(Order(order), QStringLiteral("1|0.00/%1|1|45.00").arg(Filter));
    }

    // A repair of labour only: no part line, the order is still settled.
    void labourOnly()
    {
        TRecorder rec;
        const qint64 order = NewOrder();
        const qint64 lines = Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_SALES"));
        auto w = Checkout(order);
        QCOMPARE(w->fraSales->strgrdList->RowCount(), 2);   // the blank line only
        w->edtCash->setText(QStringLiteral("120"));
        Click(w->dtbPayment, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(Order(order), QStringLiteral("1|120.00/"));
        QCOMPARE(Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_SALES")), lines);
        QCOMPARE(w->Saved().BillNo, qint64(0));
        // Settled, it opens for reading although it has no lines.
        auto again = Checkout(order);
        QVERIFY(again->OrderPaid());
        QVERIFY(again->fraSales->ReadOnly());
        QVERIFY(!again->fraSales->StockOpen());
        QVERIFY(!HasOption(again->dtbPayment->Enableds(), opSave));
        QVERIFY(!again->fraSales->edtOutCount->isEnabled());
    }

    void amountRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("says");
        QTest::newRow("letters") << "三百五" << NotNumberText;
        QTest::newRow("empty") << "" << NotNumberText;
        QTest::newRow("two points") << "3.5.0" << NotNumberText;
        QTest::newRow("negative") << "-5"
                                  << "实收金额“-5”不能为负数。";
        QTest::newRow("three decimals") << "1.234"
                                        << "实收金额“1.234”最多只能有两位小数。";
        QTest::newRow("too big") << "99999999999999"
                                 << "实收金额“99999999999999”太大。";
    }

    void amountRefused()
    {
        QFETCH(QString, typed);
        QFETCH(QString, says);
        const qint64 order = NewOrder();
        auto w = Checkout(order);
        ChooseLot(w->fraSales, QStringLiteral("刹车片"), Pads);
        AddLine(w->fraSales, QStringLiteral("1"), QStringLiteral("150"));
        const QString before = State();
        TRecorder rec;
        w->edtCash->setText(typed);
        Click(w->dtbPayment, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Text, says);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        QCOMPARE(State(), before);   // nothing written
        QVERIFY(w->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->edtCash));
        QCOMPARE(w->edtCash->text(), typed);
        QCOMPARE(w->fraSales->strgrdList->Cells(TfraSales::colStock, 1), QString::number(Pads));
        QVERIFY(HasOption(w->dtbPayment->Enableds(), opSave));
        // Mended, the same window settles the order.
        w->edtCash->setText(QStringLiteral("180.5"));
        Click(w->dtbPayment, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(Order(order), QStringLiteral("1|180.50/%1|1|150.00").arg(Pads));
    }

    // Paid is the order's own flag: a settled order without lines is not settled again.
    void paidOrderIsReadOnly()
    {
        TRecorder rec;
        const qint64 order = NewOrder();
        Other->Execute(QStringLiteral("UPDATE TB_REPAIR SET IS_PAY = 1, PAID = 80 WHERE ID = ?"), {I(order)});
        auto w = Checkout(order);
        QVERIFY(rec.Messages.isEmpty());
        QVERIFY(w->OrderPaid());
        QVERIFY(w->fraSales->ReadOnly());
        QVERIFY(!w->fraSales->StockOpen());
        QVERIFY(!w->dtbPayment->Button(opSave)->isEnabled());
        QCOMPARE(w->edtCash->text(), QStringLiteral("80.00"));
    }

    void missingOrder()
    {
        TRecorder rec;
        auto w = Checkout(99999);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        QVERIFY2(rec.Last().contains(QStringLiteral("不存在")), qPrintable(rec.Last()));
        QVERIFY(!w->OrderFound());
        QVERIFY(!w->dtbPayment->Button(opSave)->isEnabled());
        QVERIFY(!w->fraSales->StockOpen());
    }

    // Parts recorded for an order that was never settled (an older program wrote the lines
    // and failed on the payment): shown, not taken from stock again; 保存 settles the order.
    void linesWithoutPayment()
    {
        TRecorder rec;
        const qint64 order = NewOrder();
        Other->Execute(QStringLiteral("INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, "
                                      "OPERATOR_ID, SALES_TYPE, STOCK_ID) SELECT NEXT VALUE FOR GEN_SALES_BILL_NO, "
                                      "COMMODITY_ID, 1, 45, ?, ?, ID FROM TB_STOCK WHERE ID = ?"),
                       {I(Clerk), I(order), I(Filter)});
        const qint64 filter = Held(Filter);
        auto w = Checkout(order);
        QVERIFY(!w->OrderPaid());
        QVERIFY(w->fraSales->ReadOnly());
        QCOMPARE(w->fraSales->strgrdList->Cells(TfraSales::colStock, 1), QString::number(Filter));
        QVERIFY(HasOption(w->dtbPayment->Enableds(), opSave));
        w->edtCash->setText(QStringLiteral("200"));
        Click(w->dtbPayment, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(Order(order), QStringLiteral("1|200.00/%1|1|45.00").arg(Filter));
        QCOMPARE(Held(Filter), filter);
    }

    // Between the line and the save another desk sells the lot out, or settles the order:
    // refused whole, and the window keeps the lines for another try.
    void refusedWhole_data()
    {
        QTest::addColumn<bool>("settledElsewhere");
        QTest::addColumn<QString>("says");
        QTest::newRow("lot sold out") << false << "库存数量不足：库存 {lot}（正时皮带）只有 1，本单要 2。";
        QTest::newRow("order settled") << true << "维修单 {order} 已经结账，不能再次结账。";
    }

    void refusedWhole()
    {
        QFETCH(bool, settledElsewhere);
        QFETCH(QString, says);
        TRecorder rec;
        const qint64 order = NewOrder();
        auto w = Checkout(order);
        TfraSales* f = w->fraSales;
        ChooseLot(f, QStringLiteral("机油滤清器"), Filter);
        AddLine(f, QStringLiteral("1"), QStringLiteral("45"));
        if (!settledElsewhere) {
            QCOMPARE(Held(Belt), qint64(2));
            ChooseLot(f, QStringLiteral("正时皮带"), Belt);
            AddLine(f, QStringLiteral("2"), QStringLiteral("260"));
        }
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        {
            TConPool desk;
            desk.Open(Db->Location());
            if (settledElsewhere) {
                TCheckout other;
                other.RepairId = order;
                other.Paid = QStringLiteral("99");
                other.OperatorId = Clerk;
                SaveCheckout(desk, other);
            } else {
                TSalesBill other;
                other.OperatorId = Clerk;
                other.Lines = {{Belt, QStringLiteral("1"), QStringLiteral("260")}};
                SaveSalesBill(desk, other);
            }
            desk.Close();
        }
        const QString before = State();
        w->edtCash->setText(QStringLiteral("500"));
        Click(w->dtbPayment, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        QCOMPARE(rec.Last(), QString(says)
                                 .replace(QStringLiteral("{lot}"), QString::number(Belt))
                                 .replace(QStringLiteral("{order}"), QString::number(order)));
        QCOMPARE(State(), before);   // no line, no stock change, no paid flag of this window
        QCOMPARE(Order(order), settledElsewhere ? QStringLiteral("1|99.00/") : QStringLiteral("0|0.00/"));
        QVERIFY(w->isVisible());
        QCOMPARE(f->strgrdList->Cells(TfraSales::colStock, 1), QString::number(Filter));
        QCOMPARE(f->strgrdList->RowCount(), settledElsewhere ? 2 : 3);
        QVERIFY(HasOption(w->dtbPayment->Enableds(), opSave));
        QCOMPARE(w->edtCash->text(), QStringLiteral("500"));
    }

    void layout()
    {
        auto w = Checkout(NewOrder());
        QCOMPARE(w->windowTitle(), QStringLiteral("结账"));
        QCOMPARE(w->size(), QSize(622, 461));
        QCOMPARE(w->fraSales->pos(), QPoint(0, 40));
        QCOMPARE(w->edtCash->accessibleName(), QStringLiteral("实收金额"));
        QCOMPARE(w->edtCash->parentWidget(), static_cast<QWidget*>(w->dtbPayment));
        QVERIFY(w->edtCash->x() >= 80);   // right of the two buttons
        QCOMPARE(w->dtbPayment->Options(), OptionBit(opSave) | OptionBit(opClose));
        QCOMPARE(w->fraSales->strgrdList->accessibleName(), QStringLiteral("配件清单"));
        QCOMPARE(w->fraSales->dbgrdFind->accessibleName(), QStringLiteral("查询结果"));
    }
};

QTEST_MAIN(TestPayment)
#include "tst_payment.moc"

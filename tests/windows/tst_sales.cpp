// The counter sale window as a user works in it, against a real database: the lot search (a
// screenful at a time, what is typed taken literally, only lots in stock), the lines entered,
// taken back and removed, what a save writes in one piece and what it refuses, the stock a
// line may take, and an existing bill shown for reading.
#include "Bills.h"
#include "ConPool.h"
#include "DataHead.h"
#include "DataTool.h"
#include "FbClient.h"
#include "Functions.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "Recorder.h"
#include "Sales.h"
#include "SalesTest.h"
#include "StringGrid.h"
#include "TestDb.h"
#include "Values.h"
#include "clsSales.h"
#include "Workstation.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QWheelEvent>
#include <QTemporaryDir>
#include <QtTest>

using namespace SalesTest;
using TestValues::I;

class TestSales : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TFbConnection> Other;   // looks at what the window wrote
    qint64 Clerk = 0;
    QVector<qint64> Lots;   // the first stock-in: lots 1 … 12
    QVector<qint64> Bolts;   // 45 lots of one part
    qint64 FilterPart = 0;

    qint64 Scalar(const QString& sql, const QVector<TFbValue>& params = {})
    {
        return Other->Execute(sql, params).At(0, 0).AsInt64();
    }
    qint64 SalesRows() { return Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_SALES")); }
    qint64 Held(qint64 lot)
    {
        return Scalar(QStringLiteral("SELECT STOCK_COUNT FROM TB_STOCK WHERE ID = ?"), {I(lot)});
    }
    // Lot number by its name in the first stock-in.
    qint64 Lot(int n) const { return Lots[n - 1]; }

    std::unique_ptr<TfrmSales> NewSale(const QString& bill = QStringLiteral("0"))
    {
        auto w = std::make_unique<TfrmSales>(bill);
        w->show();
        QApplication::setActiveWindow(w.get());
        return w;
    }

    // One line of the list as text, cells joined by |.
    static QString Line(const TfraSales* f, int row) { return f->strgrdList->RowTexts(row).join(QLatin1Char('|')); }

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
        Clerk = Pool->Execute(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW) VALUES ('李库管', '') "
                                             "RETURNING ID"))
                    .At(0, 0)
                    .AsInt64();
        Symbol.User.ID = QString::number(Clerk);
        const qint64 supplier =
            Pool->Execute(QStringLiteral("INSERT INTO TB_SUPPLIER (SUPPLIER_NAME) VALUES ('恒达配件') RETURNING ID"))
                .At(0, 0)
                .AsInt64();
        QVector<TInLine> in;
        const struct {
            const char* Name;
            int Count;
            const char* Refer;
        } parts[] = {{"机油滤清器", 50, "45"}, {"刹车片", 50, "120"},       {"火花塞", 50, "30"},
                     {"正时皮带", 4, "260"},   {"水泵", 2, "380"},          {"节温器", 1, "90"},
                     {"100%纯机油", 10, "88"}, {"1000号机油", 10, "66"},    {"雨刮_前", 10, "25"},
                     {"雨刮器前", 10, "25"},   {"O'Neil密封圈", 10, "8.5"}, {"空气滤芯", 5, "40"}};
        for (const auto& p : parts)
            in.push_back({MakePart(*Pool, QString::fromUtf8(p.Name)), p.Count, p.Refer});
        FilterPart = in[0].Part;
        Lots = StockIn(*Pool, supplier, Clerk, in);
        QCOMPARE(Lots.size(), 12);
        QCOMPARE(Lots[11], qint64(12));   // a fresh database: lot 12 is the twelfth line's
        const qint64 bolt = MakePart(*Pool, QStringLiteral("轮胎螺栓"));
        Bolts = StockIn(*Pool, supplier, Clerk, QVector<TInLine>(45, {bolt, 8, "3"}));
        // The thermostat's only lot is sold out.
        TSalesBill out;
        out.OperatorId = Clerk;
        out.Lines = {{Lot(6), QStringLiteral("1"), QStringLiteral("90")}};
        SaveSalesBill(*Pool, out);
        QCOMPARE(Held(Lot(6)), qint64(0));
    }

    void cleanupTestCase()
    {
        Other.reset();
        Pool->Close();
    }

    void lot12TwoAt35_5()
    {
        TRecorder rec;
        const qint64 before = SalesRows();
        const qint64 held = Held(12);
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        ChooseLot(f, QStringLiteral("空气滤芯"), 12);
        if (QTest::currentTestFailed())
            return;
        const qint64 part = Scalar(QStringLiteral("SELECT COMMODITY_ID FROM TB_STOCK WHERE ID = 12"));
        QCOMPARE(f->strgrdInfo->RowTexts(1).join(QLatin1Char('|')),
                 QStringLiteral("12|%1|空气滤芯|个|标准|%2").arg(part).arg(held));
        QCOMPARE(f->edtOutPrice->text(), QStringLiteral("40.00"));   // the lot's reference price
        QCOMPARE(f->edtOutCount->text(), QStringLiteral("1"));   // left as it was
        AddLine(f, QStringLiteral("2"), QStringLiteral("35.5"));
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(f->strgrdList->RowCount(), 2);   // written into the blank line
        QCOMPARE(Line(f, 1), QStringLiteral("12|%1|空气滤芯|2|35.5|个|标准").arg(part));
        QCOMPARE(f->strgrdInfo->RowTexts(1).join(QString()), QString());   // the chosen lot is cleared
        QCOMPARE(f->edtOutCount->text(), QStringLiteral("2"));   // the fields keep their texts
        Click(w->dtbSales, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(SalesRows(), before + 1);
        QCOMPARE(Rows(*Other,
                      QStringLiteral("SELECT BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_PRICE, SALES_TYPE, OPERATOR_ID, "
                                     "STOCK_ID FROM TB_SALES ORDER BY ID DESC ROWS 1")),
                 QStringLiteral("%1|%2|2|35.50|0|%3|12").arg(f->SavedBillNo()).arg(part).arg(Clerk));
        QCOMPARE(Held(12), held - 2);
    }

    void threeLinesOneBillNumber()
    {
        TRecorder rec;
        const qint64 before = SalesRows();
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        const char* names[] = {"机油滤清器", "刹车片", "火花塞"};
        for (int k = 0; k < 3; ++k) {
            ChooseLot(f, QString::fromUtf8(names[k]), Lot(k + 1));
            if (QTest::currentTestFailed())
                return;
            AddLine(f, QString::number(k + 1), QStringLiteral("20"));
        }
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(f->strgrdList->RowCount(), 4);
        Click(w->dtbSales, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(SalesRows(), before + 3);
        QCOMPARE(Rows(*Other,
                      QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT ID), MIN(BILL_NO), MAX(BILL_NO) FROM TB_SALES "
                                     "WHERE BILL_NO = ?"),
                      {I(f->SavedBillNo())}),
                 QStringLiteral("3|3|%1|%1").arg(f->SavedBillNo()));
        QCOMPARE(Rows(*Other, QStringLiteral("SELECT STOCK_ID, OUT_COUNT FROM TB_SALES WHERE BILL_NO = ? ORDER BY ID"),
                      {I(f->SavedBillNo())}),
                 QStringLiteral("%1|1;%2|2;%3|3").arg(Lot(1)).arg(Lot(2)).arg(Lot(3)));
    }

    void entryRefused_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("price");
        QTest::addColumn<bool>("choose");   // a lot chosen first
        QTest::addColumn<QString>("says");   // the message, or its start
        QTest::addColumn<QString>("focus");   // "count", "price" or "find"
        QTest::newRow("count 1.5") << "1.5"
                                   << "10" << true << NotNumberText << "count";
        QTest::newRow("count letters") << "两个"
                                       << "10" << true << NotNumberText << "count";
        QTest::newRow("count empty") << ""
                                     << "10" << true << NotNumberText << "count";
        QTest::newRow("count 0") << "0"
                                 << "10" << true << "数量“0”必须是大于 0 的整数！"
                                 << "count";
        QTest::newRow("count negative") << "-3"
                                        << "10" << true << "数量“-3”必须是大于 0 的整数！"
                                        << "count";
        QTest::newRow("price letters") << "1"
                                       << "十元" << true << NotNumberText << "price";
        QTest::newRow("price negative") << "1"
                                        << "-1" << true << "价格“-1”不能为负数。"
                                        << "price";
        QTest::newRow("price three decimals") << "1"
                                              << "1.555" << true << "价格“1.555”最多只能有两位小数。"
                                              << "price";
        QTest::newRow("no lot chosen") << "1"
                                       << "10" << false << TfraSales::NoPartChosen << "find";
        QTest::newRow("more than the lot holds") << "51"
                                                 << "10" << true << "库存数量不足：库存 3（火花塞）只有"
                                                 << "count";
    }

    void entryRefused()
    {
        QFETCH(QString, count);
        QFETCH(QString, price);
        QFETCH(bool, choose);
        QFETCH(QString, says);
        QFETCH(QString, focus);
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        const qint64 held = Held(Lot(3));
        if (choose) {
            ChooseLot(f, QStringLiteral("火花塞"), Lot(3));
            if (QTest::currentTestFailed())
                return;
        }
        if (focus == QStringLiteral("count") && says.startsWith(QStringLiteral("库存")))
            count = QString::number(held + 1);
        TRecorder rec;
        AddLine(f, count, price);
        QCOMPARE(rec.Messages.size(), 1);
        QVERIFY2(rec.Messages[0].Text.startsWith(says), qPrintable(rec.Messages[0].Text));
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        QCOMPARE(f->strgrdList->RowCount(), 2);   // the blank line only
        QCOMPARE(f->strgrdList->RowTexts(1).join(QString()), QString());
        QWidget* field = focus == QStringLiteral("count") ? static_cast<QWidget*>(f->edtOutCount)
            : focus == QStringLiteral("price")           ? static_cast<QWidget*>(f->edtOutPrice)
                                                         : static_cast<QWidget*>(f->edtFind);
        QTRY_COMPARE(QApplication::focusWidget(), field);
        QCOMPARE(f->edtOutCount->text(), count);   // nothing typed is lost
        QCOMPARE(f->edtOutPrice->text(), price);
        if (choose)
            QCOMPARE(f->strgrdInfo->Cells(TfraSales::infStock, 1), QString::number(Lot(3)));
    }

    // Two lines on one lot are counted together; a line taken back is not counted twice.
    void stockCountedAcrossLines()
    {
        TRecorder rec;
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        const qint64 lot = Lot(4);   // 正时皮带: 4
        QCOMPARE(Held(lot), qint64(4));
        ChooseLot(f, QStringLiteral("正时皮带"), lot);
        AddLine(f, QStringLiteral("3"), QStringLiteral("260"));
        ChooseLot(f, QStringLiteral("正时皮带"), lot);
        AddLine(f, QStringLiteral("2"), QStringLiteral("260"));
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Last(), QStringLiteral("库存数量不足：库存 %1（正时皮带）只有 4，本单要 5。").arg(lot));
        QCOMPARE(f->strgrdList->RowCount(), 2);
        AddLine(f, QStringLiteral("1"), QStringLiteral("260"));   // the lot is still chosen
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(f->strgrdList->RowCount(), 3);
        // Line 1 taken back: its own 3 no longer counts, line 2's 1 does.
        ClickLine(f, 1);
        Click(f->dtbSub, opEdit);
        QCOMPARE(f->strgrdInfo->Cells(TfraSales::infHeld, 1), QString());
        AddLine(f, QStringLiteral("4"), QStringLiteral("260"));
        QCOMPARE(rec.Messages.size(), 2);
        QVERIFY2(rec.Last().startsWith(QStringLiteral("库存数量不足")), qPrintable(rec.Last()));
        QVERIFY2(rec.Last().contains(QStringLiteral("只有 4，本单要 5")), qPrintable(rec.Last()));
        QCOMPARE(f->strgrdList->Cells(TfraSales::colCount, 1), QStringLiteral("3"));
        AddLine(f, QStringLiteral("2"), QStringLiteral("250"));
        QCOMPARE(rec.Messages.size(), 2);
        QCOMPARE(f->strgrdList->RowCount(), 3);
        QCOMPARE(f->strgrdList->Cells(TfraSales::colCount, 1), QStringLiteral("2"));
        QCOMPARE(f->strgrdList->Cells(TfraSales::colPrice, 1), QStringLiteral("250"));
        QVERIFY(!f->EditingLine());
    }

    void editRewritesTheLineInPlace()
    {
        TRecorder rec;
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        const char* names[] = {"机油滤清器", "刹车片", "火花塞"};
        for (int k = 0; k < 3; ++k) {
            ChooseLot(f, QString::fromUtf8(names[k]), Lot(k + 1));
            AddLine(f, QStringLiteral("1"), QStringLiteral("10"));
        }
        const QString first = Line(f, 1);
        const QString third = Line(f, 3);
        QVERIFY(!HasOption(f->dtbSub->Enableds(), opEdit));
        ClickLine(f, 2);
        QVERIFY(HasOption(f->dtbSub->Enableds(), opEdit));
        QVERIFY(HasOption(f->dtbSub->Enableds(), opDelete));
        Click(f->dtbSub, opEdit);
        QVERIFY(f->EditingLine());
        QVERIFY(!HasOption(f->dtbSub->Enableds(), opEdit));   // until the next click on a line
        QCOMPARE(f->strgrdInfo->Cells(TfraSales::infStock, 1), QString::number(Lot(2)));
        QCOMPARE(f->strgrdInfo->Cells(TfraSales::infName, 1), QStringLiteral("刹车片"));
        QCOMPARE(f->edtOutCount->text(), QStringLiteral("1"));
        QCOMPARE(f->edtOutPrice->text(), QStringLiteral("10"));
        // Another line clicked meanwhile: the line taken back is still the one written.
        ClickLine(f, 3);
        AddLine(f, QStringLiteral("5"), QStringLiteral("10"));
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(f->strgrdList->RowCount(), 4);
        QCOMPARE(Line(f, 1), first);
        QCOMPARE(f->strgrdList->Cells(TfraSales::colStock, 2), QString::number(Lot(2)));
        QCOMPARE(f->strgrdList->Cells(TfraSales::colCount, 2), QStringLiteral("5"));
        QCOMPARE(Line(f, 3), third);
        QVERIFY(!f->EditingLine());
        // The next line is appended again.
        ChooseLot(f, QStringLiteral("机油滤清器"), Lot(1));
        AddLine(f, QStringLiteral("1"), QStringLiteral("10"));
        QCOMPARE(f->strgrdList->RowCount(), 5);
        // A line deleted above the one taken back moves it up with the others.
        ClickLine(f, 3);
        Click(f->dtbSub, opEdit);
        ClickLine(f, 1);
        Click(f->dtbSub, opDelete);
        QCOMPARE(f->strgrdList->RowCount(), 4);
        AddLine(f, QStringLiteral("7"), QStringLiteral("10"));
        QCOMPARE(f->strgrdList->RowCount(), 4);
        QCOMPARE(f->strgrdList->Cells(TfraSales::colStock, 2), QString::number(Lot(3)));
        QCOMPARE(f->strgrdList->Cells(TfraSales::colCount, 2), QStringLiteral("7"));
    }

    // Deleting the only line leaves no line; saving nothing is refused and writes nothing.
    void emptySaleIsRefused_data()
    {
        QTest::addColumn<bool>("deleteOnlyLine");
        QTest::newRow("nothing entered") << false;
        QTest::newRow("only line deleted") << true;
    }

    void emptySaleIsRefused()
    {
        QFETCH(bool, deleteOnlyLine);
        TRecorder rec;
        const qint64 before = SalesRows();
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        if (deleteOnlyLine) {
            ChooseLot(f, QStringLiteral("火花塞"), Lot(3));
            AddLine(f, QStringLiteral("1"), QStringLiteral("30"));
            ClickLine(f, 1);
            Click(f->dtbSub, opDelete);
            QCOMPARE(f->strgrdList->RowCount(), 1);   // not even a blank line
            QVERIFY(!HasOption(f->dtbSub->Enableds(), opEdit));
            QVERIFY(!HasOption(f->dtbSub->Enableds(), opDelete));
            QVERIFY(!DeleteGridRow(f->strgrdList));   // the caption row stays
        }
        QVERIFY(rec.Messages.isEmpty());
        Click(w->dtbSales, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        QCOMPARE(rec.Last(), QStringLiteral("销售单中没有任何配件，不能保存。"));
        QCOMPARE(SalesRows(), before);
        QVERIFY(w->isVisible());
        QVERIFY(HasOption(w->dtbSales->Enableds(), opSave));
        // A line added afterwards goes into a new line.
        ChooseLot(f, QStringLiteral("火花塞"), Lot(3));
        AddLine(f, QStringLiteral("1"), QStringLiteral("30"));
        QCOMPARE(f->strgrdList->RowCount(), 2);
        QCOMPARE(f->strgrdList->Cells(TfraSales::colStock, 1), QString::number(Lot(3)));
    }

    // Another desk sells the lot out between the line and the save: refused whole.
    void lotSoldOutBeforeTheSave()
    {
        TRecorder rec;
        const qint64 pump = Lot(5);   // 水泵: 2
        QCOMPARE(Held(pump), qint64(2));
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        ChooseLot(f, QStringLiteral("火花塞"), Lot(3));
        AddLine(f, QStringLiteral("1"), QStringLiteral("30"));
        ChooseLot(f, QStringLiteral("水泵"), pump);
        AddLine(f, QStringLiteral("2"), QStringLiteral("380"));
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        {
            TConPool desk;
            desk.Open(Db->Location());
            TSalesBill other;
            other.OperatorId = Clerk;
            other.Lines = {{pump, QStringLiteral("1"), QStringLiteral("400")}};
            SaveSalesBill(desk, other);
            desk.Close();
        }
        const qint64 before = SalesRows();
        const qint64 plugs = Held(Lot(3));
        Click(w->dtbSales, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        QCOMPARE(rec.Last(), QStringLiteral("库存数量不足：库存 %1（水泵）只有 1，本单要 2。").arg(pump));
        QCOMPARE(SalesRows(), before);
        QCOMPARE(Held(Lot(3)), plugs);   // the first line's lot untouched too
        QCOMPARE(Held(pump), qint64(1));
        QVERIFY(w->isVisible());
        QCOMPARE(f->strgrdList->RowCount(), 3);
        QVERIFY(HasOption(w->dtbSales->Enableds(), opSave));
        // The user mends the line and saves.
        ClickLine(f, 2);
        Click(f->dtbSub, opEdit);
        AddLine(f, QStringLiteral("1"), QStringLiteral("380"));
        QCOMPARE(rec.Messages.size(), 1);
        Click(w->dtbSales, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(SalesRows(), before + 2);
        QCOMPARE(Held(pump), qint64(0));
    }

    // A database error that is no refusal reaches the general error display; the lines stay
    // and 保存 comes back.
    void databaseErrorKeepsTheLines()
    {
        TRecorder rec;
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        ChooseLot(f, QStringLiteral("刹车片"), Lot(2));
        AddLine(f, QStringLiteral("1"), QStringLiteral("120"));
        const qint64 before = SalesRows();
        const qint64 mine =
            Pool->Execute(QStringLiteral("SELECT CURRENT_CONNECTION FROM RDB$DATABASE")).At(0, 0).AsInt64();
        Other->Execute(QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = ?"), {I(mine)});
        Click(w->dtbSales, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("错误"));
        QVERIFY(!rec.Messages[0].Detail.isEmpty());
        QCOMPARE(SalesRows(), before);
        QVERIFY(w->isVisible());
        QCOMPARE(f->strgrdList->Cells(TfraSales::colStock, 1), QString::number(Lot(2)));
        QVERIFY(HasOption(w->dtbSales->Enableds(), opSave));
        // The next save attaches again and writes the bill.
        Click(w->dtbSales, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(SalesRows(), before + 1);
    }

    void existingBillIsShownForReading()
    {
        TRecorder rec;
        TSalesBill bill;
        bill.OperatorId = Clerk;
        bill.Lines = {{Lot(1), QStringLiteral("2"), QStringLiteral("45")},
                      {Lot(2), QStringLiteral("1"), QStringLiteral("118.5")}};
        const qint64 no = SaveSalesBill(*Pool, bill).BillNo;
        // Opened from the list of bills, as the main window does on 编辑.
        TSales list;
        TDataSetLoan set(Pool);
        list.SetDataSet(set.get());
        list.SetFilter(QStringLiteral("ID = ?"), {I(no)});
        list.Open();
        QCOMPARE(list.GetFieldText(QStringLiteral("ID")), QString::number(no));
        bool seen = false;
        OnNextDialog([&](QWidget* dialog) {
            auto* w = qobject_cast<TfrmSales*>(dialog);
            QVERIFY(w);
            seen = true;
            TfraSales* f = w->fraSales;
            QVERIFY(f->ReadOnly());
            QVERIFY(!f->StockOpen());
            QCOMPARE(f->strgrdList->RowCount(), 3);
            const qint64 part1 = Scalar(QStringLiteral("SELECT COMMODITY_ID FROM TB_STOCK WHERE ID = ?"), {I(Lot(1))});
            QCOMPARE(Line(f, 1), QStringLiteral("%1|%2|机油滤清器|2|45.00|个|标准").arg(Lot(1)).arg(part1));
            QCOMPARE(f->strgrdList->Cells(TfraSales::colStock, 2), QString::number(Lot(2)));   // 库存编码 too
            QCOMPARE(f->strgrdList->Cells(TfraSales::colPrice, 2), QStringLiteral("118.50"));
            QVERIFY(!HasOption(w->dtbSales->Enableds(), opSave));
            QVERIFY(!w->dtbSales->Button(opSave)->isEnabled());
            QVERIFY(!f->edtFind->isEnabled());
            QVERIFY(!f->edtOutCount->isEnabled());
            QVERIFY(!f->dtbSub->Button(opAddToList)->isEnabled());
            // Typing in the search does nothing.
            f->edtFind->setText(QStringLiteral("刹车"));
            QVERIFY(f->dbgrdFind->isHidden());
            QCOMPARE(f->dbgrdFind->RowCount(), 1);
            w->reject();
        });
        OpenSales(ModeEdit, &list);
        QVERIFY(seen);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        list.Close();
    }

    void newSaleFromTheTree()
    {
        TRecorder rec;
        bool seen = false;
        OnNextDialog([&](QWidget* dialog) {
            auto* w = qobject_cast<TfrmSales*>(dialog);
            QVERIFY(w);
            seen = true;
            QVERIFY(!w->fraSales->ReadOnly());
            QVERIFY(w->fraSales->StockOpen());
            QCOMPARE(w->fraSales->strgrdList->RowCount(), 2);
            QVERIFY(HasOption(w->dtbSales->Enableds(), opSave));
            w->reject();
        });
        const TModule* module = FindModule(QStringLiteral("配件销售"));
        QVERIFY(module && module->Window);
        module->Window(ModeNew, nullptr);
        QVERIFY(seen);
        QVERIFY(FindModule(QStringLiteral("销售明细"))->Window);
    }

    void search_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");   // the names shown, in lot order
        QTest::newRow("percent is literal") << "100%" << QStringList{"100%纯机油"};
        QTest::newRow("underscore is literal") << "刮_" << QStringList{"雨刮_前"};
        QTest::newRow("apostrophe") << "O'N" << QStringList{"O'Neil密封圈"};
        QTest::newRow("both wipers") << "雨刮" << QStringList{"雨刮_前", "雨刮器前"};
        QTest::newRow("sold out lot") << "节温器" << QStringList{};
        QTest::newRow("no such part") << "不存在的配件" << QStringList{};
        QTest::newRow("quote alone") << "'" << QStringList{"O'Neil密封圈"};
    }

    void search()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        TRecorder rec;
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        f->edtFind->setText(typed);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(f->dbgrdFind->isVisible(), !found.isEmpty());
        QStringList names;
        for (int row = 1; row < f->dbgrdFind->RowCount(); ++row) {
            names << f->dbgrdFind->Cells(2, row);
            QVERIFY(f->dbgrdFind->Cells(6, row).toInt() > 0);   // only lots holding stock
        }
        names.sort();
        found.sort();
        QCOMPARE(names, found);
        // Emptied, the search hides its result.
        f->edtFind->clear();
        QVERIFY(f->dbgrdFind->isHidden());
    }

    void searchShowsItsColumns()
    {
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        f->edtFind->setText(QStringLiteral("火花塞"));
        QVERIFY(f->dbgrdFind->isVisible());
        const QStringList captions{"库存编码", "商品编码", "商品名", "单位", "规格", "参考售价", "库存数量"};
        const int widths[] = {70, 70, 150, 50, 50, 80, 80};
        QCOMPARE(f->dbgrdFind->ColCount(), 7);
        for (int c = 0; c < 7; ++c) {
            QCOMPARE(f->dbgrdFind->Cells(c, 0), captions[c]);
            QCOMPARE(f->dbgrdFind->ColWidth(c), widths[c]);
        }
        QCOMPARE(f->dbgrdFind->Cells(0, 1), QString::number(Lot(3)));
        QCOMPARE(f->dbgrdFind->Cells(5, 1), QStringLiteral("30.00"));
        QCOMPARE(f->dbgrdFind->Cells(6, 1), QString::number(Held(Lot(3))));
        QCOMPARE(f->dbgrdFind->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(f->dbgrdFind->selectionBehavior(), QAbstractItemView::SelectRows);
        // Enter on a found lot chooses it, as a double click does.
        f->dbgrdFind->SetRow(1);
        QTest::keyClick(f->dbgrdFind, Qt::Key_Return);
        QVERIFY(f->dbgrdFind->isHidden());
        QCOMPARE(f->strgrdInfo->Cells(TfraSales::infStock, 1), QString::number(Lot(3)));
        QCOMPARE(f->strgrdInfo->Cells(TfraSales::infHeld, 1), QString::number(Held(Lot(3))));
        QCOMPARE(f->edtOutPrice->text(), QStringLiteral("30.00"));
        // Back in the search box, the same matches show again for the next part.
        QApplication::setActiveWindow(w.get());
        f->edtOutCount->setFocus();
        f->edtFind->setFocus();
        QTRY_VERIFY(f->dbgrdFind->isVisible());
        QCOMPARE(f->dbgrdFind->Cells(0, 1), QString::number(Lot(3)));
    }

    // The search fetches what the grid shows; scrolling to the bottom fetches the next screenful.
    void searchFetchesAScreenfulAtATime()
    {
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        TStringGrid* g = f->dbgrdFind;
        const int screen = f->VisibleRows();
        QVERIFY2(screen >= 3 && screen < 15, qPrintable(QString::number(screen)));
        f->edtFind->setText(QStringLiteral("轮胎螺栓"));
        QVERIFY(g->isVisible());
        QCOMPARE(g->RowCount() - 1, screen);
        // Every fetched row is in view: nothing fetched that the grid does not show.
        const QRect last = g->visualItemRect(g->item(screen - 1, 0));
        QVERIFY2(last.bottom() < g->viewport()->height(),
                 qPrintable(QStringLiteral("%1 / %2").arg(last.bottom()).arg(g->viewport()->height())));
        // The wheel turned down at the end, though all that was fetched fits: the next screenful.
        const QPoint inside = g->viewport()->rect().center();
        QWheelEvent down(inside, g->viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(g->viewport(), &down);
        QCOMPARE(g->RowCount() - 1, 2 * screen);
        // By keyboard to the last row: the next one.
        g->setFocus();
        g->SetRow(1);
        for (int k = 1; k < 2 * screen; ++k)
            QTest::keyClick(g, Qt::Key_Down);
        QCOMPARE(g->RowCount() - 1, 3 * screen);
        // By the scroll bar to its end: the next one, until all are there.
        QCoreApplication::processEvents();
        QVERIFY(g->verticalScrollBar()->maximum() > 0);
        g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
        QCOMPARE(g->RowCount() - 1, qMin(4 * screen, int(Bolts.size())));
        int rounds = 0;
        while (g->RowCount() - 1 < Bolts.size() && rounds++ < 45) {
            QCoreApplication::processEvents();   // the grid lays out its new rows: a longer bar
            g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
        }
        QCOMPARE(g->RowCount() - 1, int(Bolts.size()));
        QStringList lots;
        for (int row = 1; row < g->RowCount(); ++row)
            lots << g->Cells(0, row);
        lots.removeDuplicates();
        QCOMPARE(lots.size(), int(Bolts.size()));
        QCoreApplication::processEvents();
        g->verticalScrollBar()->setValue(0);
        g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
        QCOMPARE(g->RowCount() - 1, int(Bolts.size()));   // at the end nothing more is asked for
    }

    void layoutAndNames()
    {
        auto w = NewSale();
        TfraSales* f = w->fraSales;
        QCOMPARE(w->windowTitle(), QStringLiteral("配件销售"));
        QCOMPARE(w->size(), QSize(622, 461));
        QCOMPARE(f->pos(), QPoint(0, 40));
        QCOMPARE(f->size(), QSize(620, 420));
        QCOMPARE(f->strgrdList->accessibleName(), QStringLiteral("配件清单"));
        QCOMPARE(f->dbgrdFind->accessibleName(), QStringLiteral("查询结果"));
        QCOMPARE(f->edtFind->accessibleName(), QStringLiteral("查询商品"));
        QCOMPARE(f->edtOutCount->accessibleName(), QStringLiteral("销售数量"));
        QCOMPARE(f->edtOutPrice->accessibleName(), QStringLiteral("销售价"));
        QCOMPARE(f->edtOutCount->text(), QStringLiteral("1"));
        QCOMPARE(f->edtOutPrice->text(), QStringLiteral("0"));
        QCOMPARE(f->edtFind->maxLength(), 16);
        QCOMPARE(f->strgrdList->RowTexts(0), (QStringList{"库存编码", "商品编码", "商品名", "销售数量", "销售价", "单位", "规格"}));
        const int listWidths[] = {70, 70, 150, 70, 70, 50, 50};
        for (int c = 0; c < 7; ++c)
            QCOMPARE(f->strgrdList->ColWidth(c), listWidths[c]);
        QCOMPARE(f->strgrdInfo->RowTexts(0), (QStringList{"库存编码", "商品编码", "商品名", "单位", "规格", "库存数量"}));
        QCOMPARE(f->strgrdInfo->RowCount(), 2);
        QVERIFY(!f->strgrdInfo->isEnabled());
        QCOMPARE(f->strgrdInfo->focusPolicy(), Qt::NoFocus);
        QCOMPARE(f->dtbSub->Options(), OptionBit(opEdit) | OptionBit(opDelete) | OptionBit(opAddToList));
        QCOMPARE(f->dtbSub->Enableds(), OptionBit(opAddToList));
        QCOMPARE(w->dtbSales->Options(), OptionBit(opSave) | OptionBit(opClose));
        QVERIFY(f->dbgrdFind->isHidden());
        // Enter moves on, Esc moves back.
        f->edtFind->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->edtFind));
        QTest::keyClick(f->edtFind, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->edtOutCount));
        QTest::keyClick(f->edtOutCount, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->edtFind));
        QVERIFY(w->isVisible());
    }
};

QTEST_MAIN(TestSales)
#include "tst_sales.moc"

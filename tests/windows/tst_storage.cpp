// The parts stock-in window as a user works in it, against a real database: the part search
// (wildcards and quotes typed, a screenful at a time), choosing a part, the lines added, taken
// back and deleted, what a save writes (one bill, every line with its own lot, or nothing), the
// refusals that keep every line and give 保存 back, and a saved bill shown read-only.
#include "Bills.h"
#include "ConPool.h"
#include "DataTool.h"
#include "FbClient.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "Recorder.h"
#include "Storage.h"
#include "StringGrid.h"
#include "TestDb.h"
#include "Triple.h"
#include "Values.h"
#include "clsStorage.h"
#include "Workstation.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>

#include <functional>

using namespace TestValues;

namespace {

// A click on a line of a grid, where the user would click.
void ClickRow(TStringGrid* grid, int row)
{
    const QRect r = grid->visualRect(grid->model()->index(row - 1, 0));
    QVERIFY(r.isValid());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

void DoubleClickRow(TStringGrid* grid, int row)
{
    const QRect r = grid->visualRect(grid->model()->index(row - 1, 1));
    QVERIFY(r.isValid());
    // A real double click: the press and release of the first click, then the double click.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

// Picks the entry named name from a lookup's list, as a user does.
void PickFromLookup(TTriple* t, const QString& name)
{
    t->ButtonPressed();
    TStringGrid* list = t->ListGrid();
    QVERIFY(list);
    int row = 0;
    for (int r = 1; r < list->RowCount(); ++r)
        if (list->Cells(1, r) == name)
            row = r;
    QVERIFY2(row > 0, qPrintable(name));
    list->SetRow(row);
    t->Pick();
}

QStringList LineTexts(const TfrmStorage& w, int row)
{
    return w.strgrdList->RowTexts(row);
}

// Lets the event loop lay out what changed (a grid's scroll range follows its new rows there),
// as it does between two things a user does.
void Settle()
{
    QCoreApplication::processEvents();
}

}   // namespace

class TestStorage : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QTemporaryDir> Folder;
    qint64 Clerk = 0;   // the logged-in user of the tests
    qint64 Buyer = 0;
    qint64 Supplier = 0;   // 天津恒达, the third supplier
    QMap<QString, qint64> Parts;   // name → ID

    qint64 Scalar(const QString& sql, const QVector<TFbValue>& params = {})
    {
        const TFbResult r = Pool->Execute(sql, params);
        return r.RowCount() ? r.At(0, 0).AsInt64() : -1;
    }
    qint64 StorageLines() { return Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_STORAGE")); }
    qint64 Lots() { return Scalar(QStringLiteral("SELECT COUNT(*) FROM TB_STOCK")); }
    qint64 Insert(const QString& sql, const QVector<TFbValue>& params)
    {
        return Pool->Execute(sql + QStringLiteral(" RETURNING ID"), params).At(0, 0).AsInt64();
    }
    qint64 AddPart(const QString& name)
    {
        const qint64 id =
            Insert(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (?, 1, 1)"),
                   {T(name)});
        Parts[name] = id;
        return id;
    }

    std::unique_ptr<TfrmStorage> NewWindow(qint64 billNo = 0)
    {
        auto w = std::make_unique<TfrmStorage>(billNo);
        w->show();
        return w;
    }

    // Types the text into the search and chooses the match named name by a double click.
    void ChoosePart(TfrmStorage& w, const QString& typed, const QString& name)
    {
        w.edtFind->setText(typed);
        QVERIFY(w.dbgrdFind->isVisible());
        int row = 0;
        for (int r = 1; r < w.dbgrdFind->RowCount(); ++r)
            if (w.dbgrdFind->Cells(1, r) == name)
                row = r;
        QVERIFY2(row > 0, qPrintable(name));
        DoubleClickRow(w.dbgrdFind, row);
        QCOMPARE(w.strgrdInfo->Cells(1, 1), name);
    }

    void AddLine(TfrmStorage& w, const QString& part, const QString& count, const QString& inPrice,
                 const QString& referPrice)
    {
        ChoosePart(w, part, part);
        w.edtInCount->setText(count);
        w.edtInPrice->setText(inPrice);
        w.edtReferPrice->setText(referPrice);
        Click(w.dtbStorage, opAddToList);
    }

    int LentDataSets() const
    {
        int n = 0;
        for (int i = 0; i < Pool->Count(); ++i)
            n += Pool->Slot(i).InUse ? 1 : 0;
        return n;
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
        Clerk = Insert(QStringLiteral("INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW) VALUES (?, '')"),
                       {T(QStringLiteral("李采购"))});
        Buyer = Clerk;
        Symbol.User.ID = QString::number(Clerk);
        Symbol.User.UserName = QStringLiteral("李采购");
        for (const char* name : {"北京华通汽配", "北京京鹏汽配", "天津恒达汽配"})
            Supplier = Insert(QStringLiteral("INSERT INTO TB_SUPPLIER (SUPPLIER_NAME) VALUES (?)"),
                              {T(QString::fromUtf8(name))});
        for (const char* name : {"火花塞", "空气滤芯", "50%off垫片", "5a0off垫片", "机油滤芯", "a_b卡扣", "axb卡扣",
                                 "O'Neil刮水器", "刹车片", "雨刮水"})
            AddPart(QString::fromUtf8(name));
        // Enough matches for several screens of the search.
        for (int i = 1; i <= 60; ++i)
            AddPart(QStringLiteral("轮胎螺栓%1").arg(i, 2, 10, QLatin1Char('0')));
    }

    void cleanupTestCase() { Pool->Close(); }

    void layoutAndNames()
    {
        auto w = NewWindow();
        QCOMPARE(w->windowTitle(), QStringLiteral("配件入库"));
        QCOMPARE(w->size(), QSize(638, 458));
        const TOptions options = OptionBit(opSave) | OptionBit(opNew) | OptionBit(opEdit) | OptionBit(opDelete)
            | OptionBit(opClose) | OptionBit(opAddToList);
        QCOMPARE(w->dtbStorage->Options(), options);
        QCOMPARE(w->dtbStorage->Enableds(), OptionBit(opNew) | OptionBit(opClose) | OptionBit(opAddToList));
        QCOMPARE(w->strgrdList->RowCount(), 2);   // one blank line
        QCOMPARE(w->strgrdList->RowTexts(0),
                 (QStringList{"商品编码", "商品名", "进货数量", "进货价", "参考售价", "单位", "规格"}));
        QCOMPARE(w->strgrdList->ColWidth(1), 200);
        QCOMPARE(w->strgrdInfo->RowTexts(0), (QStringList{"商品编码", "商品名", "单位", "规格"}));
        QCOMPARE(w->strgrdInfo->RowCount(), 2);
        QVERIFY(!w->strgrdInfo->isEnabled());
        QCOMPARE(w->strgrdInfo->focusPolicy(), Qt::NoFocus);
        QVERIFY(!w->dbgrdFind->isVisible());
        QCOMPARE(w->dbgrdFind->RowTexts(0),
                 (QStringList{"商品编码", "商品名", "单位编号", "单位", "规格编号", "规格"}));
        QCOMPARE(w->dbgrdFind->ColWidth(1), 150);
        QCOMPARE(w->dbgrdFind->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(w->dbgrdFind->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(w->strgrdList->accessibleName(), QStringLiteral("入库清单"));
        QCOMPARE(w->dbgrdFind->accessibleName(), QStringLiteral("查询结果"));
        QCOMPARE(w->edtFind->accessibleName(), QStringLiteral("查询商品"));
        QCOMPARE(w->edtInCount->text(), QStringLiteral("1"));
        QCOMPARE(w->edtInPrice->text(), QStringLiteral("0"));
        QCOMPARE(w->edtReferPrice->text(), QStringLiteral("0"));
        for (TLabeledEdit* e : {w->edtFind, w->edtInCount, w->edtInPrice, w->edtReferPrice})
            QCOMPARE(e->maxLength(), 16);
        QCOMPARE(w->trpSupplier->DicName(), QStringLiteral("SUPPLIER"));
        QCOMPARE(w->trpSupplier->Caption(), QStringLiteral("供应商"));
        QCOMPARE(w->trpBuyer->DicName(), QStringLiteral("EMPLOYEE"));
        QCOMPARE(w->trpBuyer->Caption(), QStringLiteral("采购员"));
        QCOMPARE(w->trpSupplier->ID(), QStringLiteral("1"));
        QCOMPARE(w->trpBuyer->ID(), QStringLiteral("1"));
        QVERIFY(w->trpSupplier->width() > w->trpBuyer->width());   // the supplier's box is the wide one
        QCOMPARE(w->BillNo(), qint64(0));
        QVERIFY(!w->ReadOnly());
    }

    // Two lines from supplier 3 and buyer 2: one new bill number on both lines, and each line's
    // lot tied to that line.
    void twoLineBill()
    {
        TRecorder rec;
        const qint64 lines = StorageLines();
        const qint64 lots = Lots();
        const qint64 lastBill = Scalar(QStringLiteral("SELECT COALESCE(MAX(BILL_NO), 0) FROM TB_STORAGE"));
        auto w = NewWindow();
        PickFromLookup(w->trpSupplier, QStringLiteral("天津恒达汽配"));
        PickFromLookup(w->trpBuyer, QStringLiteral("李采购"));
        QCOMPARE(w->trpSupplier->ID(), QString::number(Supplier));
        AddLine(*w, QStringLiteral("机油滤芯"), QStringLiteral("10"), QStringLiteral("8"), QStringLiteral("12"));
        AddLine(*w, QStringLiteral("刹车片"), QStringLiteral("1"), QStringLiteral("100"), QStringLiteral("150"));
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(w->strgrdList->RowCount(), 3);
        QCOMPARE(LineTexts(*w, 1),
                 (QStringList{QString::number(Parts[QStringLiteral("机油滤芯")]), QStringLiteral("机油滤芯"), "10", "8",
                              "12", "个", "标准"}));
        QCOMPARE(LineTexts(*w, 2).mid(0, 5),
                 (QStringList{QString::number(Parts[QStringLiteral("刹车片")]), QStringLiteral("刹车片"), "1", "100",
                              "150"}));
        QCOMPARE(w->strgrdInfo->Cells(0, 1), QString());   // the chosen part is cleared
        QCOMPARE(w->edtInCount->text(), QStringLiteral("1"));   // the entry keeps its texts
        QVERIFY(HasOption(w->dtbStorage->Enableds(), opSave));

        Click(w->dtbStorage, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(StorageLines(), lines + 2);
        QCOMPARE(Lots(), lots + 2);
        const TFbResult g = Pool->Execute(
            QStringLiteral("SELECT ID, BILL_NO, COMMODITY_ID, IN_COUNT, IN_PRICE, REFER_PRICE, SUPPLIER_ID, BUYER_ID, "
                           "OPERATOR_ID, IN_DATE FROM TB_STORAGE WHERE BILL_NO > ? ORDER BY ID"),
            {I(lastBill)});
        QCOMPARE(g.RowCount(), 2);
        const qint64 bill = g.At(0, 1).AsInt64();
        QVERIFY(bill > lastBill);
        QCOMPARE(g.At(1, 1).AsInt64(), bill);
        const struct {
            qint64 Part;
            qint64 Count;
            const char* In;
            const char* Refer;
        } expected[2] = {{Parts[QStringLiteral("机油滤芯")], 10, "8.00", "12.00"},
                         {Parts[QStringLiteral("刹车片")], 1, "100.00", "150.00"}};
        for (int k = 0; k < 2; ++k) {
            QCOMPARE(g.At(k, 2).AsInt64(), expected[k].Part);
            QCOMPARE(g.At(k, 3).AsInt64(), expected[k].Count);
            QCOMPARE(g.At(k, 4).AsString(), QLatin1String(expected[k].In));
            QCOMPARE(g.At(k, 5).AsString(), QLatin1String(expected[k].Refer));
            QCOMPARE(g.At(k, 6).AsInt64(), Supplier);
            QCOMPARE(g.At(k, 7).AsInt64(), Buyer);
            QCOMPARE(g.At(k, 8).AsInt64(), Clerk);
            QCOMPARE(g.At(k, 9).AsDate(), QDate::currentDate());
            // The line's own lot: its part, its count, the bill, the line.
            const TFbResult lot = Pool->Execute(
                QStringLiteral("SELECT COMMODITY_ID, STOCK_COUNT, STORAGE_BILL_NO FROM TB_STOCK WHERE STORAGE_ID = ?"),
                {I(g.At(k, 0).AsInt64())});
            QCOMPARE(lot.RowCount(), 1);
            QCOMPARE(lot.At(0, 0).AsInt64(), expected[k].Part);
            QCOMPARE(lot.At(0, 1).AsInt64(), expected[k].Count);
            QCOMPARE(lot.At(0, 2).AsInt64(), bill);
        }
        QCOMPARE(LentDataSets(), 0);   // the lookups gave their data sets back
    }

    // What a count or price the line cannot take says, and where the focus goes.
    void badEntries_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("inPrice");
        QTest::addColumn<QString>("referPrice");
        QTest::addColumn<QString>("field");   // the one refused: count, in or refer
        QTest::addColumn<QString>("says");   // empty: the field's own problem, not "no number"
        const QString notNumber = NotNumberText;
        QTest::newRow("count: letters") << "十个"
                                        << "8"
                                        << "12"
                                        << "count" << notNumber;
        QTest::newRow("count: decimal") << "1.5"
                                        << "8"
                                        << "12"
                                        << "count" << notNumber;
        QTest::newRow("count: empty") << ""
                                      << "8"
                                      << "12"
                                      << "count" << notNumber;
        QTest::newRow("count: zero") << "0"
                                     << "8"
                                     << "12"
                                     << "count"
                                     << "";
        QTest::newRow("count: negative") << "-3"
                                         << "8"
                                         << "12"
                                         << "count"
                                         << "";
        QTest::newRow("purchase price: letters") << "10"
                                                 << "八元"
                                                 << "12"
                                                 << "in" << notNumber;
        QTest::newRow("purchase price: digits and letters") << "10"
                                                            << "8a"
                                                            << "12"
                                                            << "in" << notNumber;
        QTest::newRow("purchase price: negative") << "10"
                                                  << "-1"
                                                  << "12"
                                                  << "in"
                                                  << "";
        QTest::newRow("purchase price: three decimals") << "10"
                                                        << "1.234"
                                                        << "12"
                                                        << "in"
                                                        << "";
        QTest::newRow("reference price: letters") << "10"
                                                  << "8"
                                                  << "abc"
                                                  << "refer" << notNumber;
        QTest::newRow("reference price: empty") << "10"
                                                << "8"
                                                << ""
                                                << "refer" << notNumber;
        QTest::newRow("reference price: two points") << "10"
                                                     << "8"
                                                     << "1.2.3"
                                                     << "refer" << notNumber;
        QTest::newRow("count before prices") << "x"
                                             << "y"
                                             << "z"
                                             << "count" << notNumber;
        QTest::newRow("purchase before reference") << "10"
                                                   << "y"
                                                   << "-1"
                                                   << "in" << notNumber;
    }

    void badEntries()
    {
        QFETCH(QString, count);
        QFETCH(QString, inPrice);
        QFETCH(QString, referPrice);
        QFETCH(QString, field);
        QFETCH(QString, says);
        TRecorder rec;
        auto w = NewWindow();
        QApplication::setActiveWindow(w.get());
        ChoosePart(*w, QStringLiteral("火花塞"), QStringLiteral("火花塞"));
        w->edtInCount->setText(count);
        w->edtInPrice->setText(inPrice);
        w->edtReferPrice->setText(referPrice);
        TLabeledEdit* refused = field == QStringLiteral("count") ? w->edtInCount
            : field == QStringLiteral("in")                      ? w->edtInPrice
                                                                 : w->edtReferPrice;
        Click(w->dtbStorage, opAddToList);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        QCOMPARE(rec.Messages[0].Icon, TMsgIcon::Warning);
        if (!says.isEmpty()) {
            QCOMPARE(rec.Messages[0].Text, says);
        } else {
            QVERIFY(rec.Messages[0].Text != NotNumberText);
            QCOMPARE(rec.Messages[0].Text,
                     refused == w->edtInCount ? CountProblem(count) : PriceProblem(refused->text()));
        }
        QTRY_VERIFY(refused->hasFocus());
        // Nothing changed: no line, the chosen part and every text still there.
        QCOMPARE(w->strgrdList->RowCount(), 2);
        QCOMPARE(LineTexts(*w, 1).join(QString()), QString());
        QCOMPARE(w->strgrdInfo->Cells(1, 1), QStringLiteral("火花塞"));
        QCOMPARE(w->edtInCount->text(), count);
        QCOMPARE(w->edtInPrice->text(), inPrice);
        QCOMPARE(w->edtReferPrice->text(), referPrice);
        QVERIFY(!HasOption(w->dtbStorage->Enableds(), opSave));
    }

    void noPartChosen()
    {
        TRecorder rec;
        auto w = NewWindow();
        w->edtInCount->setText(QStringLiteral("2"));
        Click(w->dtbStorage, opAddToList);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Text, TfrmStorage::NoPartChosen);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        QCOMPARE(w->strgrdList->RowCount(), 2);
        QCOMPARE(LineTexts(*w, 1).join(QString()), QString());
        QVERIFY(!HasOption(w->dtbStorage->Enableds(), opSave));
    }

    // A line taken back with 编辑 and added again is rewritten where it stands; a click on
    // another line meanwhile does not redirect it there.
    void takeLineBack_data()
    {
        QTest::addColumn<bool>("clickElsewhere");
        QTest::newRow("straight back") << false;
        QTest::newRow("another line clicked meanwhile") << true;
    }

    void takeLineBack()
    {
        QFETCH(bool, clickElsewhere);
        TRecorder rec;
        auto w = NewWindow();
        AddLine(*w, QStringLiteral("火花塞"), QStringLiteral("4"), QStringLiteral("20"), QStringLiteral("35"));
        AddLine(*w, QStringLiteral("空气滤芯"), QStringLiteral("2"), QStringLiteral("30"), QStringLiteral("45"));
        AddLine(*w, QStringLiteral("雨刮水"), QStringLiteral("6"), QStringLiteral("5"), QStringLiteral("9"));
        const QStringList first = LineTexts(*w, 1);
        const QStringList third = LineTexts(*w, 3);
        QVERIFY(!HasOption(w->dtbStorage->Enableds(), opEdit));
        ClickRow(w->strgrdList, 2);
        QVERIFY(HasOption(w->dtbStorage->Enableds(), opEdit));
        QVERIFY(HasOption(w->dtbStorage->Enableds(), opDelete));
        Click(w->dtbStorage, opEdit);
        QCOMPARE(w->EditingLine(), 2);
        QCOMPARE(w->strgrdInfo->RowTexts(1),
                 (QStringList{QString::number(Parts[QStringLiteral("空气滤芯")]), QStringLiteral("空气滤芯"), "个",
                              "标准"}));
        QCOMPARE(w->edtInCount->text(), QStringLiteral("2"));
        QCOMPARE(w->edtInPrice->text(), QStringLiteral("30"));
        QCOMPARE(w->edtReferPrice->text(), QStringLiteral("45"));
        if (clickElsewhere)
            ClickRow(w->strgrdList, 1);
        w->edtReferPrice->setText(QStringLiteral("48.5"));
        Click(w->dtbStorage, opAddToList);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(w->strgrdList->RowCount(), 4);   // no line more
        QCOMPARE(LineTexts(*w, 1), first);
        QCOMPARE(LineTexts(*w, 2),
                 (QStringList{QString::number(Parts[QStringLiteral("空气滤芯")]), QStringLiteral("空气滤芯"), "2", "30",
                              "48.5", "个", "标准"}));
        QCOMPARE(LineTexts(*w, 3), third);
        QCOMPARE(w->EditingLine(), 0);
        // The next line is a new one again.
        AddLine(*w, QStringLiteral("刹车片"), QStringLiteral("1"), QStringLiteral("100"), QStringLiteral("150"));
        QCOMPARE(w->strgrdList->RowCount(), 5);
        QCOMPARE(w->strgrdList->Cells(1, 4), QStringLiteral("刹车片"));
    }

    void deleteLines()
    {
        TRecorder rec;
        auto w = NewWindow();
        AddLine(*w, QStringLiteral("火花塞"), QStringLiteral("4"), QStringLiteral("20"), QStringLiteral("35"));
        AddLine(*w, QStringLiteral("空气滤芯"), QStringLiteral("2"), QStringLiteral("30"), QStringLiteral("45"));
        AddLine(*w, QStringLiteral("雨刮水"), QStringLiteral("6"), QStringLiteral("5"), QStringLiteral("9"));
        // Line 3 taken back, then line 1 deleted: the line being corrected moves up with it.
        ClickRow(w->strgrdList, 3);
        Click(w->dtbStorage, opEdit);
        ClickRow(w->strgrdList, 1);
        Click(w->dtbStorage, opDelete);
        QCOMPARE(w->strgrdList->RowCount(), 3);
        QCOMPARE(w->strgrdList->Cells(1, 1), QStringLiteral("空气滤芯"));
        QCOMPARE(w->strgrdList->Cells(1, 2), QStringLiteral("雨刮水"));
        QCOMPARE(w->EditingLine(), 2);
        w->edtInCount->setText(QStringLiteral("7"));
        Click(w->dtbStorage, opAddToList);
        QCOMPARE(w->strgrdList->RowCount(), 3);
        QCOMPARE(w->strgrdList->Cells(2, 2), QStringLiteral("7"));
        // Deleting every line leaves the blank line, with nothing left to take back or delete.
        for (int k = 0; k < 2; ++k) {
            ClickRow(w->strgrdList, 1);
            Click(w->dtbStorage, opDelete);
        }
        QCOMPARE(w->strgrdList->RowCount(), 2);
        QCOMPARE(LineTexts(*w, 1).join(QString()), QString());
        QVERIFY(!HasOption(w->dtbStorage->Enableds(), opEdit));
        QVERIFY(!HasOption(w->dtbStorage->Enableds(), opDelete));
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        // A line added now goes into the blank line.
        AddLine(*w, QStringLiteral("刹车片"), QStringLiteral("1"), QStringLiteral("100"), QStringLiteral("150"));
        QCOMPARE(w->strgrdList->RowCount(), 2);
        QCOMPARE(w->strgrdList->Cells(1, 1), QStringLiteral("刹车片"));
    }

    // A bill without lines is refused before anything is asked of the database.
    void emptyBillRefused_data()
    {
        QTest::addColumn<bool>("lineAddedAndDeleted");
        QTest::newRow("新增 then 保存") << false;
        QTest::newRow("every line deleted") << true;
    }

    void emptyBillRefused()
    {
        QFETCH(bool, lineAddedAndDeleted);
        TRecorder rec;
        const qint64 lines = StorageLines();
        const qint64 lots = Lots();
        auto w = NewWindow();
        if (lineAddedAndDeleted) {
            AddLine(*w, QStringLiteral("火花塞"), QStringLiteral("4"), QStringLiteral("20"), QStringLiteral("35"));
            ClickRow(w->strgrdList, 1);
            Click(w->dtbStorage, opDelete);
        } else {
            Click(w->dtbStorage, opNew);
        }
        Click(w->dtbStorage, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Text, TfrmStorage::NoLines);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        QCOMPARE(StorageLines(), lines);
        QCOMPARE(Lots(), lots);
        QVERIFY(w->isVisible());
        QVERIFY(HasOption(w->dtbStorage->Enableds(), opSave));
    }

    // On a fresh database the starting supplier 1 does not exist: the writer refuses the bill,
    // the window keeps every line and gives 保存 back; with the supplier there, the same window
    // saves the first bill ever, number 1.
    void missingSupplierRefusedThenFirstBillIsOne()
    {
        TTestDb fresh;
        QVERIFY2(fresh.Ok(), qPrintable(fresh.Error()));
        Pool->Close();
        Pool->Open(fresh.Location());
        struct TBack {
            TTestDb* Db;
            ~TBack()
            {
                Pool->Close();
                Pool->Open(Db->Location());
            }
        } back{Db.get()};
        const qint64 part = Insert(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME) VALUES (?)"),
                                   {T(QStringLiteral("节温器"))});
        TRecorder rec;
        auto w = NewWindow();
        AddLine(*w, QStringLiteral("节温器"), QStringLiteral("3"), QStringLiteral("40"), QStringLiteral("60"));
        QCOMPARE(w->trpSupplier->ID(), QStringLiteral("1"));
        // The starting IDs show whose they are: no supplier 1 here, the administrator as buyer.
        QCOMPARE(w->trpSupplier->Text(), QString());
        QCOMPARE(w->trpBuyer->Text(), QStringLiteral("管理员"));
        Click(w->dtbStorage, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
        QVERIFY2(rec.Messages[0].Text.contains(QStringLiteral("供应商")), qPrintable(rec.Last()));
        QCOMPARE(StorageLines(), qint64(0));
        QCOMPARE(Lots(), qint64(0));
        QVERIFY(w->isVisible());
        QCOMPARE(w->strgrdList->Cells(0, 1), QString::number(part));
        QCOMPARE(w->strgrdList->Cells(2, 1), QStringLiteral("3"));
        QVERIFY(HasOption(w->dtbStorage->Enableds(), opSave));

        rec.Clear();
        const qint64 supplier = Insert(QStringLiteral("INSERT INTO TB_SUPPLIER (SUPPLIER_NAME) VALUES (?)"),
                                       {T(QStringLiteral("廊坊宏远汽配"))});
        PickFromLookup(w->trpSupplier, QStringLiteral("廊坊宏远汽配"));
        QCOMPARE(w->trpSupplier->ID(), QString::number(supplier));
        Click(w->dtbStorage, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(Scalar(QStringLiteral("SELECT BILL_NO FROM TB_STORAGE")), qint64(1));
        QCOMPARE(Scalar(QStringLiteral("SELECT STORAGE_BILL_NO FROM TB_STOCK")), qint64(1));
    }

    // A database error while the lines are written leaves nothing of the bill behind; the error
    // is shown, the window keeps its lines and 保存 comes back.
    void databaseErrorLeavesNoHalfBill()
    {
        // This database refuses a lot of 4321 pieces, after the first line is written.
        Pool->Execute(
            QStringLiteral("ALTER TABLE TB_STOCK ADD CONSTRAINT CK_TEST_NO_4321 CHECK (STOCK_COUNT <> 4321)"));
        TRecorder rec;
        const qint64 lines = StorageLines();
        const qint64 lots = Lots();
        auto w = NewWindow();
        PickFromLookup(w->trpSupplier, QStringLiteral("天津恒达汽配"));
        AddLine(*w, QStringLiteral("火花塞"), QStringLiteral("4"), QStringLiteral("20"), QStringLiteral("35"));
        AddLine(*w, QStringLiteral("刹车片"), QStringLiteral("4321"), QStringLiteral("100"), QStringLiteral("150"));
        Click(w->dtbStorage, opSave);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("错误"));
        QVERIFY(!rec.Messages[0].Detail.isEmpty());   // the database's own text
        QCOMPARE(StorageLines(), lines);
        QCOMPARE(Lots(), lots);
        QVERIFY(w->isVisible());
        QCOMPARE(w->strgrdList->RowCount(), 3);
        QVERIFY(HasOption(w->dtbStorage->Enableds(), opSave));
        // Corrected, the same window saves both lines.
        rec.Clear();
        ClickRow(w->strgrdList, 2);
        Click(w->dtbStorage, opEdit);
        w->edtInCount->setText(QStringLiteral("4320"));
        Click(w->dtbStorage, opAddToList);
        Click(w->dtbStorage, opSave);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(StorageLines(), lines + 2);
        QCOMPARE(Lots(), lots + 2);
    }

    // A bill opened from the bill list shows its lines, supplier and buyer, and nothing of it
    // can be changed or saved as a copy.
    void openedBillIsReadOnly()
    {
        TStorageBill bill;
        bill.SupplierId = Supplier;
        bill.BuyerId = Buyer;
        bill.OperatorId = Clerk;
        bill.Lines = {{Parts[QStringLiteral("机油滤芯")], QStringLiteral("10"), QStringLiteral("8"),
                       QStringLiteral("12")},
                      {Parts[QStringLiteral("刹车片")], QStringLiteral("1"), QStringLiteral("100"),
                       QStringLiteral("150")}};
        const TStorageSaved saved = SaveStorageBill(*Pool, bill);
        const qint64 lines = StorageLines();
        TRecorder rec;
        auto w = NewWindow(saved.BillNo);
        QCOMPARE(w->BillNo(), saved.BillNo);
        QVERIFY(w->ReadOnly());
        QCOMPARE(w->strgrdList->RowCount(), 3);
        QCOMPARE(LineTexts(*w, 1),
                 (QStringList{QString::number(Parts[QStringLiteral("机油滤芯")]), QStringLiteral("机油滤芯"), "10",
                              "8.00", "12.00", "个", "标准"}));
        QCOMPARE(LineTexts(*w, 2).mid(0, 5),
                 (QStringList{QString::number(Parts[QStringLiteral("刹车片")]), QStringLiteral("刹车片"), "1", "100.00",
                              "150.00"}));
        QCOMPARE(w->trpSupplier->Text(), QStringLiteral("天津恒达汽配"));
        QCOMPARE(w->trpBuyer->Text(), QStringLiteral("李采购"));
        QCOMPARE(w->dtbStorage->Enableds(), OptionBit(opClose));
        for (TOption o : {opSave, opNew, opEdit, opDelete, opAddToList})
            QVERIFY(!w->dtbStorage->Button(o)->isEnabled());
        for (QWidget* f : std::initializer_list<QWidget*>{w->edtFind, w->edtInCount, w->edtInPrice, w->edtReferPrice,
                                                          w->trpSupplier, w->trpBuyer})
            QVERIFY(!f->isEnabled());
        // A click on a line offers neither taking it back nor deleting it.
        ClickRow(w->strgrdList, 1);
        QCOMPARE(w->dtbStorage->Enableds(), OptionBit(opClose));
        // Clicks on the disabled buttons do nothing.
        for (TOption o : {opNew, opAddToList, opSave})
            QTest::mouseClick(w->dtbStorage->Button(o), Qt::LeftButton);
        QCOMPARE(StorageLines(), lines);
        QCOMPARE(w->strgrdList->RowCount(), 3);
        QVERIFY(w->isVisible());
        // 关闭 closes it without asking: nothing is being edited.
        Click(w->dtbStorage, opClose);
        QVERIFY(rec.Messages.isEmpty());
        QVERIFY(!w->isVisible());
    }

    // From the bill list the factory opens the bill of the list's current record; a bill that no
    // longer exists opens as a new bill.
    void openedFromTheBillList_data()
    {
        QTest::addColumn<bool>("stillThere");
        QTest::newRow("the bill") << true;
        QTest::newRow("deleted meanwhile") << false;
    }

    void openedFromTheBillList()
    {
        QFETCH(bool, stillThere);
        TStorageBill bill;
        bill.SupplierId = Supplier;
        bill.BuyerId = Buyer;
        bill.OperatorId = Clerk;
        bill.Lines = {
            {Parts[QStringLiteral("火花塞")], QStringLiteral("5"), QStringLiteral("20"), QStringLiteral("30")}};
        const TStorageSaved saved = SaveStorageBill(*Pool, bill);
        TStorage list;
        TDataSet* set = Pool->GetDataSet();
        list.SetDataSet(set);
        list.SetFilter(QStringLiteral("ID = ?"), {I(saved.BillNo)});
        list.Open();
        QCOMPARE(list.PageRecordCount, 1);
        if (!stillThere) {
            Pool->Execute(QStringLiteral("DELETE FROM TB_STOCK WHERE STORAGE_BILL_NO = ?"), {I(saved.BillNo)});
            Pool->Execute(QStringLiteral("DELETE FROM TB_STORAGE WHERE BILL_NO = ?"), {I(saved.BillNo)});
        }
        qint64 shown = -1;
        bool readOnly = false;
        int rows = 0;
        OnNextDialog([&](QWidget* modal) {
            auto* w = qobject_cast<TfrmStorage*>(modal);
            QVERIFY(w);
            shown = w->BillNo();
            readOnly = w->ReadOnly();
            rows = w->strgrdList->RowCount();
            w->reject();
        });
        const TModule* module = FindModule(QStringLiteral("进货明细"));
        QVERIFY(module && module->Window);
        module->Window(ModeEdit, &list);
        list.Close();
        Pool->FreeDataSet(set);
        QCOMPARE(shown, stillThere ? saved.BillNo : qint64(0));
        QCOMPARE(readOnly, stillThere);
        QCOMPARE(rows, 2);   // the line, or the new bill's blank line
    }

    // The typed text is matched as it stands: % and _ are no wildcards, a quote breaks nothing.
    void search_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("percent") << "%" << QStringList{"50%off垫片"};
        QTest::newRow("underscore") << "_" << QStringList{"a_b卡扣"};
        QTest::newRow("quote") << "'" << QStringList{"O'Neil刮水器"};
        QTest::newRow("quote and percent") << "'%" << QStringList{};
        QTest::newRow("plain") << "滤芯" << QStringList{"空气滤芯", "机油滤芯"};
        QTest::newRow("nothing") << "不存在的配件" << QStringList{};
    }

    void search()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        TRecorder rec;
        auto w = NewWindow();
        w->edtFind->setText(typed);
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QStringList names;
        for (int r = 1; r < w->dbgrdFind->RowCount(); ++r)
            names << w->dbgrdFind->Cells(1, r);
        names.sort();
        found.sort();
        QCOMPARE(names, found);
        QCOMPARE(w->dbgrdFind->isVisible(), !found.isEmpty());
        if (found.isEmpty())
            return;
        QCOMPARE(w->dbgrdFind->Cells(0, 1), QString::number(Parts[w->dbgrdFind->Cells(1, 1)]));
        QCOMPARE(w->dbgrdFind->Cells(3, 1), QStringLiteral("个"));
        QCOMPARE(w->dbgrdFind->Cells(5, 1), QStringLiteral("标准"));
        // Once shown it stays shown when a new text finds nothing; an empty text hides it.
        w->edtFind->setText(typed + QStringLiteral("无此配件"));
        QVERIFY(w->dbgrdFind->isVisible());
        QCOMPARE(w->dbgrdFind->RowCount(), 1);
        w->edtFind->clear();
        QVERIFY(!w->dbgrdFind->isVisible());
    }

    // The search fetches what the grid shows; reaching its bottom by keyboard, scroll bar or
    // wheel fetches the next screenful, until every match is there.
    void searchFetchesAScreenfulAtATime()
    {
        TRecorder rec;
        auto w = NewWindow();
        w->edtFind->setText(QStringLiteral("轮胎螺栓"));
        QVERIFY(w->dbgrdFind->isVisible());
        const int screen = w->FindRowsShown();
        QVERIFY(screen >= 5);
        // As many rows as fit, no more: all of them wholly visible, no scroll bar.
        QCOMPARE(w->dbgrdFind->RowCount() - 1, screen);
        QCOMPARE(w->dbgrdFind->viewport()->height() / w->dbgrdFind->rowHeight(0), screen);
        QCOMPARE(w->dbgrdFind->verticalScrollBar()->maximum(), 0);

        QScrollBar* bar = w->dbgrdFind->verticalScrollBar();
        auto wheelDown = [&w] {
            const QPoint at = w->dbgrdFind->viewport()->rect().center();
            QWheelEvent wheel(at, w->dbgrdFind->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w->dbgrdFind->viewport(), &wheel);
        };
        // By the wheel turned down while everything fetched fits: there is no scroll bar to move.
        wheelDown();
        Settle();
        QCOMPARE(w->dbgrdFind->RowCount() - 1, 2 * screen);
        QVERIFY(bar->maximum() > 0);

        // By keyboard: the current row moved onto the last one, and only then.
        w->dbgrdFind->setFocus();
        QCOMPARE(w->dbgrdFind->Row(), 1);
        for (int k = 1; k < 2 * screen - 1; ++k)
            QTest::keyClick(w->dbgrdFind, Qt::Key_Down);
        QCOMPARE(w->dbgrdFind->RowCount() - 1, 2 * screen);
        QTest::keyClick(w->dbgrdFind, Qt::Key_Down);
        Settle();
        QCOMPARE(w->dbgrdFind->Row(), 2 * screen);
        QCOMPARE(w->dbgrdFind->RowCount() - 1, 3 * screen);

        // By the scroll bar moved to its end, until every match is there.
        int before = 0;
        while (w->dbgrdFind->RowCount() - 1 > before) {
            before = w->dbgrdFind->RowCount() - 1;
            bar->setValue(bar->maximum());
            Settle();
            if (before == 3 * screen)
                QCOMPARE(w->dbgrdFind->RowCount() - 1, qMin(60, 4 * screen));
        }
        QCOMPARE(w->dbgrdFind->RowCount() - 1, 60);
        QStringList names;
        for (int r = 1; r < w->dbgrdFind->RowCount(); ++r)
            names << w->dbgrdFind->Cells(1, r);
        QCOMPARE(names.removeDuplicates(), qsizetype(0));   // each match once
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));

        // A new text starts again with one screenful.
        w->edtFind->setText(QStringLiteral("轮胎螺栓0"));
        QCOMPARE(w->dbgrdFind->RowCount() - 1, qMin(9, screen));
    }

    void choosePart_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("double click") << false;
        QTest::newRow("Enter") << true;
    }

    void choosePart()
    {
        QFETCH(bool, byEnter);
        auto w = NewWindow();
        w->edtFind->setText(QStringLiteral("机油"));
        QCOMPARE(w->dbgrdFind->RowCount(), 2);
        if (byEnter) {
            QApplication::setActiveWindow(w.get());
            w->dbgrdFind->SetRow(1);
            w->dbgrdFind->setFocus();
            QTest::keyClick(w->dbgrdFind, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->edtInCount));
        } else {
            DoubleClickRow(w->dbgrdFind, 1);
        }
        QCOMPARE(w->strgrdInfo->RowTexts(1),
                 (QStringList{QString::number(Parts[QStringLiteral("机油滤芯")]), QStringLiteral("机油滤芯"), "个",
                              "标准"}));
        QVERIFY(!w->dbgrdFind->isVisible());
        QCOMPARE(w->edtFind->text(), QStringLiteral("机油"));
        // Back in the search box, the same matches show again for the next part.
        QApplication::setActiveWindow(w.get());
        w->edtInCount->setFocus();
        w->edtFind->setFocus();
        QTRY_VERIFY(w->dbgrdFind->isVisible());
        QCOMPARE(w->dbgrdFind->Cells(1, 1), QStringLiteral("机油滤芯"));
    }

    void enterAndEscMoveTheFocus()
    {
        auto w = NewWindow();
        QApplication::setActiveWindow(w.get());
        w->edtFind->setFocus();
        QTRY_VERIFY(w->edtFind->hasFocus());
        QTest::keyClick(w->edtFind, Qt::Key_Return);
        QVERIFY(w->edtInCount->hasFocus());
        QTest::keyClick(w->edtInCount, Qt::Key_Return);
        QVERIFY(w->edtInPrice->hasFocus());
        QTest::keyClick(w->edtInPrice, Qt::Key_Escape);
        QVERIFY(w->edtInCount->hasFocus());
        QVERIFY(w->isVisible());   // Esc moves back, it does not close
    }

    // A lookup's list borrows a data set; picking, or closing the window with the list still
    // open, gives it back.
    void lookupsGiveTheirDataSetsBack()
    {
        const int lent = LentDataSets();
        {
            auto w = NewWindow();
            w->trpBuyer->ButtonPressed();
            QVERIFY(w->trpBuyer->ListGrid());
            QCOMPARE(LentDataSets(), lent + 1);
            w->trpBuyer->Pick();
            QCOMPARE(LentDataSets(), lent);
            w->trpSupplier->ButtonPressed();
            QCOMPARE(LentDataSets(), lent + 1);
        }
        QCOMPARE(LentDataSets(), lent);
    }
};

QTEST_MAIN(TestStorage)
#include "tst_storage.moc"

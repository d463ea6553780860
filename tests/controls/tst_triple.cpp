// The lookup field against a real database: its list under or over the field, picking,
// searching with bound keywords, cancelling, and the events a window relies on.
#include "ConPool.h"
#include "FbClient.h"
#include "GlobalHead.h"
#include "Recorder.h"
#include "StringGrid.h"
#include "TestDb.h"
#include "Triple.h"

#include <QMenu>
#include <QtTest>

class TestTriple : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestDb> Db;
    std::unique_ptr<QWidget> Form;
    TTriple* Trp = nullptr;
    int Before = 0;
    int After = 0;

    // A window that lends the field a data set and takes it back, as every window does.
    void MakeForm(int top, const QString& dicName, int formHeight = 500)
    {
        Form = std::make_unique<QWidget>();
        Form->resize(400, formHeight);
        Trp = new TTriple(Form.get());
        Trp->move(20, top);
        Trp->SetDicName(dicName);
        Before = After = 0;
        connect(Trp, &TTriple::OnBeforeSelect, this, [this](TTriple* t) {
            ++Before;
            t->SetDataSet(Pool->GetDataSet());
        });
        connect(Trp, &TTriple::OnAfterSelect, this, [this](TTriple* t) {
            ++After;
            Pool->FreeDataSet(t->DataSet());
            t->SetDataSet(nullptr);
        });
        Form->show();
    }

    QStringList Names() const
    {
        QStringList out;
        for (int r = 1; r < Trp->ListGrid()->RowCount(); ++r)
            out << Trp->ListGrid()->Cells(1, r);
        return out;
    }

private slots:
    void initTestCase()
    {
        Db = std::make_unique<TTestDb>();
        QVERIFY2(Db->Ok(), qPrintable(Db->Error()));
        if (!Pool)
            Pool = new TConPool();
        Pool->Open(Db->Location());
        for (const char* name : {"50%off", "5a0off", "a_b", "axb", "O'Neil", "规格甲"})
            Pool->Execute(QStringLiteral("INSERT INTO TB_STANDARD (STANDARD_NAME) VALUES (?)"),
                          {TFbValue::FromText(QString::fromUtf8(name))});
    }

    void cleanupTestCase()
    {
        Form.reset();
        Pool->Close();
    }

    void properties()
    {
        TTriple t;
        QCOMPARE(t.size(), QSize(190, 22));
        QCOMPARE(t.Caption(), QStringLiteral("编号"));
        QCOMPARE(t.ID(), QStringLiteral("1"));
        QCOMPARE(t.focusPolicy(), Qt::NoFocus);
        t.SetDicName(QStringLiteral("unit"));
        QCOMPARE(t.DicName(), QStringLiteral("UNIT"));
        t.SetText(QStringLiteral("ABC"));
        t.SetText(QStringLiteral("abc"));   // only the letter case differs: kept
        QCOMPARE(t.Text(), QStringLiteral("ABC"));
        t.SetCaption(QStringLiteral("接车人"));
        QCOMPARE(t.accessibleName(), QStringLiteral("接车人"));
        t.SetTextWidth(100);
        QCOMPARE(t.width(), 6 * t.fontMetrics().averageCharWidth() + 5 + 100 + 22 + 2);
    }

    void placement_data()
    {
        QTest::addColumn<int>("formHeight");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("listTop");
        QTest::addColumn<int>("listHeight");
        QTest::newRow("near the top: down") << 500 << 10 << 34 << 200;
        QTest::newRow("near the bottom: up, at most 200") << 500 << 450 << 248 << 200;
        QTest::newRow("more room above: up") << 500 << 300 << 300 - 200 - 2 << 200;
        QTest::newRow("as much room below as above: down") << 500 << 239 << 263 << 200;
        QTest::newRow("one pixel more above: up") << 500 << 240 << 38 << 200;
        QTest::newRow("small window, down to its edge") << 150 << 10 << 34 << 116;
        QTest::newRow("small window, up as high as the room") << 150 << 100 << -2 << 100;
    }

    void placement()
    {
        QFETCH(int, formHeight);
        QFETCH(int, top);
        QFETCH(int, listTop);
        QFETCH(int, listHeight);
        MakeForm(top, QStringLiteral("unit"), formHeight);
        Trp->ButtonPressed();
        QVERIFY(Trp->ListGrid());
        QCOMPARE(Trp->ListGrid()->geometry(), QRect(20, listTop, Trp->width(), listHeight));
        QCOMPARE(Trp->ListGrid()->ColWidth(0), 50);
        QCOMPARE(Trp->ListGrid()->Cells(1, 0), Trp->Caption());
        Trp->CloseList();
        QCOMPARE(Before, 1);
        QCOMPARE(After, 1);
    }

    void picksAndCancels()
    {
        MakeForm(10, QStringLiteral("UNIT"));
        Trp->ButtonPressed();
        QCOMPARE(Trp->ListStatement(), QStringLiteral("SELECT ID,UNIT_NAME FROM TB_UNIT"));
        QVERIFY(Names().contains(QStringLiteral("件")));
        const int row = Names().indexOf(QStringLiteral("件")) + 1;
        Trp->ListGrid()->SetRow(row);
        const QString id = Trp->ListGrid()->Cells(0, row);
        Trp->Pick();
        QCOMPARE(Trp->ID(), id);
        QCOMPARE(Trp->Text(), QStringLiteral("件"));
        QVERIFY(!Trp->ListGrid());
        QCOMPARE(After, 1);

        // 取消 leaves the choice and still ends the selection.
        Trp->ButtonPressed();
        Trp->ListGrid()->SetRow(1);
        QMenu* menu = Trp->ListMenu();
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 5);
        QCOMPARE(menu->actions()[4]->text(), QStringLiteral("取消"));
        menu->actions()[4]->trigger();
        QCOMPARE(Trp->ID(), id);
        QCOMPARE(Trp->Text(), QStringLiteral("件"));
        QCOMPARE(After, 2);

        // A row whose ID cell is empty picks "1".
        Trp->ButtonPressed();
        Trp->ListGrid()->SetRow(1);
        Trp->ListGrid()->SetCells(0, 1, QString());
        Trp->Pick();
        QCOMPARE(Trp->ID(), QStringLiteral("1"));
        QCOMPARE(Before, 3);
        QCOMPARE(After, 3);
    }

    void withoutADataSet()
    {
        Form = std::make_unique<QWidget>();
        Form->resize(300, 300);
        Trp = new TTriple(Form.get());
        Trp->SetDicName(QStringLiteral("UNIT"));
        Trp->SetID(QStringLiteral("7"));
        Trp->OpenList();
        QCOMPARE(Trp->ListGrid()->RowCount(), 2);
        Trp->ListGrid()->SetRow(1);
        Trp->Pick();
        QCOMPARE(Trp->ID(), QStringLiteral("1"));
        QCOMPARE(Trp->Text(), QString());
    }

    void employeesAndSuppliersByTheSameRule()
    {
        MakeForm(10, QStringLiteral("EMPLOYEE"));
        Trp->ButtonPressed();
        QCOMPARE(Trp->ListStatement(), QStringLiteral("SELECT ID,EMPLOYEE_NAME FROM TB_EMPLOYEE"));
        QVERIFY(Names().contains(QStringLiteral("管理员")));
        Trp->CloseList();
        Trp->SetDicName(QStringLiteral("supplier"));
        Trp->ButtonPressed();
        QCOMPARE(Trp->ListStatement(), QStringLiteral("SELECT ID,SUPPLIER_NAME FROM TB_SUPPLIER"));
        Trp->CloseList();
    }

    void searches_data()
    {
        QTest::addColumn<QStringList>("inputs");   // empty: the box is cancelled
        QTest::addColumn<QStringList>("names");
        QTest::newRow("percent as itself") << QStringList{"0%"} << QStringList{"50%off"};
        QTest::newRow("underscore as itself") << QStringList{"a_"} << QStringList{"a_b"};
        QTest::newRow("quote") << QStringList{"O'N"} << QStringList{"O'Neil"};
        QTest::newRow("chinese") << QStringList{"规格"} << QStringList{"规格甲"};
        QTest::newRow("no match") << QStringList{"zzz"} << QStringList{""};
    }

    void searches()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QStringList, names);
        MakeForm(10, QStringLiteral("STANDARD"));
        TRecorder rec;
        for (const QString& i : inputs)
            rec.Inputs.enqueue(i);
        Trp->ButtonPressed();
        const QStringList all = Names();
        Trp->Search();
        QCOMPARE(rec.InputRequests.size(), 1);
        QCOMPARE(rec.InputRequests[0].Caption, QStringLiteral("查询"));
        QCOMPARE(rec.InputRequests[0].Prompt, QStringLiteral("请输入查询关键词"));
        QVERIFY2(rec.Messages.isEmpty(), qPrintable(rec.Last()));
        QCOMPARE(Names(), names);
        // 刷新 brings the full list back.
        Trp->RefreshList();
        QCOMPARE(Names(), all);
        Trp->CloseList();
    }

    void cancelledSearchListsAll()
    {
        MakeForm(10, QStringLiteral("STANDARD"));
        TRecorder rec;   // no input queued: the box is cancelled
        Trp->ButtonPressed();
        const QStringList all = Names();
        Trp->Search();
        QCOMPARE(Names(), all);
        QVERIFY(all.size() >= 6);
        Trp->CloseList();
    }

    void refusedSearchKeepsTheListOpen()
    {
        MakeForm(10, QStringLiteral("STANDARD"));
        TRecorder rec;
        rec.Inputs.enqueue(QStringLiteral("😀"));
        Trp->ButtonPressed();
        const QStringList all = Names();
        Trp->Search();
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages[0].Caption, QStringLiteral("错误"));
        QVERIFY(Trp->ListGrid());
        QCOMPARE(Names(), all);
        Trp->CloseList();
        QCOMPARE(After, 1);
    }
};

QTEST_MAIN(TestTriple)
#include "tst_triple.moc"

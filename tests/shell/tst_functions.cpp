// The permission test and the grid row removal the windows share.
#include "Functions.h"
#include "Recorder.h"
#include "StringGrid.h"

#include <QtTest>

Q_DECLARE_METATYPE(TRights)

class TestFunctions : public QObject {
    Q_OBJECT

    static void SetRights(const QString& name, TRights grants)
    {
        for (int i = 0; i < RightCount; ++i) {
            Symbol.Rights[i].FunctionName = FunctionNames()[i];
            Symbol.Rights[i].Grants = 0;
        }
        for (TRightInfo& r : Symbol.Rights)
            if (r.FunctionName == name)
                r.Grants = grants;
    }

private slots:
    void checkRight_data()
    {
        QTest::addColumn<QString>("granted");
        QTest::addColumn<TRights>("grants");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<int>("right");
        QTest::addColumn<bool>("result");
        const TRights readDelete = RightBit(rtRead) | RightBit(rtDelete);
        QTest::newRow("read granted") << "送修登记" << readDelete << "送修登记" << int(rtRead) << true;
        QTest::newRow("delete granted") << "送修登记" << readDelete << "送修登记" << int(rtDelete) << true;
        QTest::newRow("alter not granted") << "送修登记" << readDelete << "送修登记" << int(rtAlter) << false;
        QTest::newRow("other function") << "送修登记" << AllRights << "通讯录" << int(rtRead) << false;
        QTest::newRow("emptied grants") << "通讯录" << TRights(0) << "通讯录" << int(rtAlter) << false;
        QTest::newRow("not among the 15") << "本单位" << AllRights << "权限管理" << int(rtRead) << false;
        QTest::newRow("empty name") << "本单位" << AllRights << "" << int(rtAppend) << false;
        QTest::newRow("right out of range") << "本单位" << AllRights << "本单位" << 4 << false;
        QTest::newRow("negative right") << "本单位" << AllRights << "本单位" << -1 << false;
    }

    void checkRight()
    {
        QFETCH(QString, granted);
        QFETCH(TRights, grants);
        QFETCH(QString, asked);
        QFETCH(int, right);
        QFETCH(bool, result);
        SetRights(granted, grants);
        TRecorder rec;
        QCOMPARE(CheckRight(asked, TRight(right)), result);   // a value outside the four is no grant
        if (result) {
            QVERIFY(rec.Messages.isEmpty());
        } else {
            QCOMPARE(rec.Messages.size(), 1);
            QCOMPARE(rec.Messages[0].Text, QStringLiteral("权限不足！"));
            QCOMPARE(rec.Messages[0].Caption, QStringLiteral("警告"));
            QCOMPARE(rec.Messages[0].Icon, TMsgIcon::Warning);
        }
    }

    void deleteGridRow_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("left");   // first column of the data rows afterwards
        QTest::newRow("middle") << 2 << true << QStringList{"a", "c", "d"};
        QTest::newRow("first") << 1 << true << QStringList{"b", "c", "d"};
        QTest::newRow("last only shortens") << 4 << true << QStringList{"a", "b", "c"};
        QTest::newRow("caption row") << 0 << false << QStringList{"a", "b", "c", "d"};
    }

    void deleteGridRow()
    {
        QFETCH(int, current);
        QFETCH(bool, result);
        QFETCH(QStringList, left);
        TStringGrid grid;
        grid.SetColCount(2);
        grid.SetRowCount(5);
        grid.SetCells(0, 0, QStringLiteral("编号"));
        const QStringList rows{"a", "b", "c", "d"};
        for (int r = 1; r <= 4; ++r) {
            grid.SetCells(0, r, rows[r - 1]);
            grid.SetCells(1, r, rows[r - 1].toUpper());
        }
        grid.SetRow(current);
        QCOMPARE(grid.Row(), current);
        QCOMPARE(DeleteGridRow(&grid), result);
        QCOMPARE(grid.RowCount(), left.size() + 1);
        QCOMPARE(grid.Cells(0, 0), QStringLiteral("编号"));
        for (int r = 1; r < grid.RowCount(); ++r) {
            QCOMPARE(grid.Cells(0, r), left[r - 1]);
            QCOMPARE(grid.Cells(1, r), left[r - 1].toUpper());   // whole rows move
        }
    }

    void deleteTheOnlyRow()
    {
        TStringGrid grid;
        grid.SetRowCount(2);
        grid.SetCells(0, 1, QStringLiteral("12"));
        grid.SetRow(1);
        QVERIFY(DeleteGridRow(&grid));
        QCOMPARE(grid.RowCount(), 1);   // no line at all, not even a blank one
        QVERIFY(!DeleteGridRow(&grid));
        QVERIFY(!DeleteGridRow(nullptr));
    }
};

QTEST_MAIN(TestFunctions)
#include "tst_functions.moc"

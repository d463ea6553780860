// Labelled fields are named by their caption for assistive technology and UI automation.
#include "IntegerEdit.h"
#include "IpEdit.h"
#include "LabeledEdit.h"
#include "StringGrid.h"

#include <QAccessible>
#include <QWidget>
#include <QtTest>

#include <memory>

class TestFlat : public QObject {
    Q_OBJECT

private slots:
    void accessibleNameIsCaption_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("text field") << 0;
        QTest::newRow("integer field") << 1;
        QTest::newRow("address field") << 2;
    }

    void accessibleNameIsCaption()
    {
        QFETCH(int, kind);
        QWidget form;
        TLabeledEdit* edit = nullptr;
        switch (kind) {
        case 0: edit = new TLabeledEdit(QStringLiteral("客户姓名"), &form); break;
        case 1: edit = new TIntegerEdit(QStringLiteral("客户姓名"), &form); break;
        default: edit = new TIpEdit(QStringLiteral("客户姓名"), &form); break;
        }
        form.show();
        QCOMPARE(edit->accessibleName(), QStringLiteral("客户姓名"));
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(edit);
        QVERIFY(a);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("客户姓名"));
        // A caption changed later renames the field too.
        edit->SetCaption(QStringLiteral("联系电话"));
        QCOMPARE(edit->accessibleName(), QStringLiteral("联系电话"));
        QCOMPARE(edit->EditLabel()->text(), QStringLiteral("联系电话"));
    }

    // A pop-up of the grid acts on the row chosen with the left button: the right button
    // must not move the selection to the row under the mouse.
    void rightButtonKeepsTheSelection()
    {
        TStringGrid grid;
        grid.resize(400, 300);
        grid.SetRowCount(6);
        for (int r = 1; r < 6; ++r)
            grid.SetCells(0, r, QString::number(r));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.SetRow(2);
        const QPoint onRow4 = grid.visualItemRect(grid.item(3, 0)).center();
        QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, onRow4);
        QCOMPARE(grid.Row(), 2);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, onRow4);
        QCOMPARE(grid.Row(), 4);
    }
};

QTEST_MAIN(TestFlat)
#include "tst_flat.moc"

#pragma once
// What the tests of the sales and checkout windows share: parts and lots made the way the
// workshop makes them (a stock-in bill), the user's steps in the lines panel, and a look at
// the database through an attachment of its own.
#include "Bills.h"
#include "ConPool.h"
#include "DataTool.h"
#include "FbClient.h"
#include "LabeledEdit.h"
#include "Sales.h"
#include "StringGrid.h"
#include "Values.h"
#include "Workstation.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

namespace SalesTest {

struct TInLine {
    qint64 Part;
    int Count;
    const char* ReferPrice;
};

// A part of the catalogue with the seed's unit "个" (1) and standard "标准" (1).
inline qint64 MakePart(TConPool& pool, const QString& name)
{
    return pool
        .Execute(QStringLiteral("INSERT INTO TB_COMMODITY (COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (?, 1, 1) "
                                "RETURNING ID"),
                 {TestValues::T(name)})
        .At(0, 0)
        .AsInt64();
}

// One stock-in bill, one new lot per line: the lots' IDs in line order.
inline QVector<qint64> StockIn(TConPool& pool, qint64 supplier, qint64 buyer, const QVector<TInLine>& lines)
{
    TStorageBill bill;
    bill.SupplierId = supplier;
    bill.BuyerId = buyer;
    bill.OperatorId = buyer;
    for (const TInLine& l : lines)
        bill.Lines.push_back({l.Part, QString::number(l.Count), QStringLiteral("10"), QLatin1String(l.ReferPrice)});
    return SaveStorageBill(pool, bill).LotIds;
}

// The rows of a statement, cells joined by |, rows by ;.
inline QString Rows(TFbConnection& c, const QString& sql, const QVector<TFbValue>& params = {})
{
    const TFbResult r = c.Execute(sql, params);
    QStringList rows;
    for (int row = 0; row < r.RowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < r.Columns.size(); ++col)
            cells << r.At(row, col).AsString().trimmed();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char(';'));
}

// The data row of a grid whose first cell is text; 0 when none.
inline int RowOf(const TStringGrid* grid, const QString& text)
{
    for (int row = 1; row < grid->RowCount(); ++row)
        if (grid->Cells(0, row) == text)
            return row;
    return 0;
}

// Types the search text and double-clicks the found lot, as the user chooses a part.
inline void ChooseLot(TfraSales* f, const QString& text, qint64 lot)
{
    f->edtFind->clear();   // typed anew, as the same text again finds nothing new
    f->edtFind->setText(text);
    QVERIFY2(f->dbgrdFind->isVisible(), qPrintable(text));
    const int row = RowOf(f->dbgrdFind, QString::number(lot));
    QVERIFY2(row > 0, qPrintable(QStringLiteral("lot %1 not found by %2").arg(lot).arg(text)));
    QTableWidgetItem* item = f->dbgrdFind->item(row - 1, 0);
    f->dbgrdFind->scrollToItem(item);
    const QPoint at = f->dbgrdFind->visualItemRect(item).center();
    QTest::mouseClick(f->dbgrdFind->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(f->dbgrdFind->viewport(), Qt::LeftButton, {}, at);
    QVERIFY(f->dbgrdFind->isHidden());
    QCOMPARE(f->strgrdInfo->Cells(TfraSales::infStock, 1), QString::number(lot));
}

// Count and price typed, then 加入.
inline void AddLine(TfraSales* f, const QString& count, const QString& price)
{
    f->edtOutCount->setText(count);
    f->edtOutPrice->setText(price);
    Click(f->dtbSub, opAddToList);
}

// Clicks a line of the list, as the user selects it.
inline void ClickLine(TfraSales* f, int row)
{
    QTableWidgetItem* item = f->strgrdList->item(row - 1, 0);
    QVERIFY(item);
    QTest::mouseClick(f->strgrdList->viewport(), Qt::LeftButton, {}, f->strgrdList->visualItemRect(item).center());
    QCOMPARE(f->strgrdList->Row(), row);
}

}   // namespace SalesTest

#include "StringGrid.h"

#include <QHeaderView>
#include <QMouseEvent>

TStringGrid::TStringGrid(QWidget* parent)
    : QTableWidget(parent)
{
    setColumnCount(5);
    setRowCount(1);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    SetDefaultRowHeight(16);
    for (int c = 0; c < columnCount(); ++c)
        setHorizontalHeaderItem(c, new QTableWidgetItem(QString()));
    connect(this, &QTableWidget::cellClicked, this, [this](int r, int c) { emit CellClicked(c, r + 1); });
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int r, int c) { emit CellDoubleClicked(c, r + 1); });
}

void TStringGrid::SetColCount(int n)
{
    const int old = columnCount();
    setColumnCount(qMax(0, n));
    for (int c = old; c < columnCount(); ++c)
        setHorizontalHeaderItem(c, new QTableWidgetItem(QString()));
}

void TStringGrid::SetRowCount(int n)
{
    const bool hadCurrent = currentRow() >= 0;
    setRowCount(qMax(1, n) - 1);
    // Like the grids users know: with data rows present one of them is current.
    if (!hadCurrent && rowCount() > 0)
        setCurrentCell(0, 0);
}

QString TStringGrid::Cells(int col, int row) const
{
    if (col < 0 || col >= columnCount() || row < 0 || row >= RowCount())
        return QString();
    const QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(col) : item(row - 1, col);
    return it ? it->text() : QString();
}

void TStringGrid::SetCells(int col, int row, const QString& text)
{
    if (col < 0 || row < 0)
        return;
    if (col >= columnCount())
        SetColCount(col + 1);
    if (row >= RowCount())
        SetRowCount(row + 1);
    if (row == 0) {
        QTableWidgetItem* it = horizontalHeaderItem(col);
        if (!it)
            setHorizontalHeaderItem(col, it = new QTableWidgetItem());
        it->setText(text);
        return;
    }
    QTableWidgetItem* it = item(row - 1, col);
    if (!it)
        setItem(row - 1, col, it = new QTableWidgetItem());
    it->setText(text);
}

QStringList TStringGrid::RowTexts(int row) const
{
    QStringList out;
    for (int c = 0; c < columnCount(); ++c)
        out << Cells(c, row);
    return out;
}

int TStringGrid::Row() const
{
    return currentRow() < 0 ? 0 : currentRow() + 1;
}

void TStringGrid::SetRow(int row)
{
    if (row <= 0 || row >= RowCount())
        setCurrentCell(-1, -1);
    else
        setCurrentCell(row - 1, qMax(0, currentColumn()));
}

void TStringGrid::SetDefaultRowHeight(int h)
{
    FRowHeight = h;
    verticalHeader()->setDefaultSectionSize(h);
    verticalHeader()->setMinimumSectionSize(qMin(h, verticalHeader()->minimumSectionSize()));
}

void TStringGrid::SetRowSelect(bool on)
{
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void TStringGrid::SetEditing(bool on)
{
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                       : QAbstractItemView::NoEditTriggers);
}

void TStringGrid::ClearRow(int row)
{
    for (int c = 0; c < columnCount(); ++c)
        if (!Cells(c, row).isEmpty())
            SetCells(c, row, QString());
}

void TStringGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();   // the context menu still follows through its own event
        return;
    }
    QTableWidget::mousePressEvent(event);
}

#include "FindGrid.h"

#include "Application.h"
#include "PartSearch.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

TFindGrid::TFindGrid(QWidget* parent)
    : TStringGrid(parent)
{
    SetRowSelect(true);
    SetEditing(false);
    SetRowCount(1);
    hide();
    connect(this, &TStringGrid::CellDoubleClicked, this, [this](int, int row) {
        if (row > 0 && row < RowCount())
            emit Chosen(row);
    });
    // Reaching the bottom of what is shown fetches the next screenful: the scroll bar at its
    // end, or the current row moved onto the last one.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, Guarded([this](int value) {
                if (value > 0 && value == verticalScrollBar()->maximum())
                    FetchMore();
            }));
    connect(this, &QTableWidget::currentCellChanged, this, Guarded([this](int row, int, int, int) {
                if (row >= 0 && row == rowCount() - 1)
                    FetchMore();
            }));
}

void TFindGrid::SetSearch(TPartSearch* search, const QStringList& fields)
{
    FSearch = search;
    FFields = fields;
}

int TFindGrid::VisibleRows() const
{
    const QHeaderView* header = horizontalHeader();
    const int captions = header->isHidden() ? 0 : header->sizeHint().height();
    const int room = height() - 2 * frameWidth() - captions;
    return qMax(1, room / verticalHeader()->defaultSectionSize());
}

void TFindGrid::Find(const QString& text)
{
    if (!FSearch)
        return;
    if (text.isEmpty()) {
        FSearch->Clear();
        hide();
        return;
    }
    FSearch->Start(text, VisibleRows());
    {
        const QSignalBlocker block(verticalScrollBar());
        FFilling = true;
        SetRowCount(1);
        FFilling = false;
    }
    ShowFrom(0);
    if (isHidden() && FSearch->RowCount() > 0) {
        show();
        raise();
    }
}

void TFindGrid::FetchMore()
{
    if (FFilling || !FSearch || FSearch->AtEnd() || isHidden())
        return;
    const int had = FSearch->RowCount();
    if (FSearch->FetchMore(VisibleRows()))
        ShowFrom(had);
}

void TFindGrid::ShowFrom(int fromRow)
{
    const TFbResult& r = FSearch->Result();
    QVector<int> columns;
    for (const QString& f : FFields)
        columns << r.ColumnIndex(f);
    FFilling = true;
    SetRowCount(FSearch->RowCount() + 1);
    for (int row = fromRow; row < FSearch->RowCount(); ++row)
        for (int c = 0; c < columns.size(); ++c)
            SetCells(c, row + 1, columns[c] < 0 ? QString() : r.At(row, columns[c]).AsString().trimmed());
    FFilling = false;
}

bool TFindGrid::ChooseCurrent()
{
    const int row = Row();
    if (isHidden() || row <= 0)
        return false;
    emit Chosen(row);
    return true;
}

void TFindGrid::wheelEvent(QWheelEvent* e)
{
    // Turned down at the end, even while every match fetched fits and no scroll bar shows.
    const QScrollBar* bar = verticalScrollBar();
    const bool more = e->angleDelta().y() < 0 && bar->value() == bar->maximum();
    TStringGrid::wheelEvent(e);
    if (more)
        RunGuarded([this] { FetchMore(); });
}

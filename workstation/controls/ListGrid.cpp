#include "ListGrid.h"

#include "DataHead.h"
#include "StringGrid.h"

void PrepareGrid(const TData& data, TStringGrid* grid)
{
    if (!grid)
        return;
    const QVector<TData::TGridColumn> columns = data.GridColumns();
    grid->SetRowCount(2);
    grid->ClearRow(1);
    grid->SetColCount(data.Columns.size());
    int c = 0;
    for (const TData::TGridColumn& col : columns) {
        grid->SetCells(c, 0, col.Caption);
        grid->SetColWidth(c, col.Width);
        ++c;
    }
    // Columns left over for hidden entries keep no caption of an earlier list.
    for (; c < grid->ColCount(); ++c)
        grid->SetCells(c, 0, QString());
}

void FillGrid(const TData& data, TStringGrid* grid)
{
    if (!data.DataSet || !data.DataSet->Active() || !grid)
        return;
    const QVector<QStringList> rows = data.PageRows();
    grid->setUpdatesEnabled(false);
    PrepareGrid(data, grid);
    if (!rows.isEmpty())
        grid->SetRowCount(rows.size() + 1);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            grid->SetCells(c, r + 1, rows[r][c]);
    grid->setUpdatesEnabled(true);
}

void Refresh(TData& data, TStringGrid* grid)
{
    if (data.Refresh())
        FillGrid(data, grid);
}

#pragma once
// A text grid whose row 0 is its caption row: RowCount counts the caption row, Cells(c, 0)
// are the captions, data rows are 1 … RowCount − 1. Row is the current row (0 when none).
#include <QTableWidget>

class TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    int ColCount() const { return columnCount(); }
    void SetColCount(int n);
    int RowCount() const { return rowCount() + 1; }
    void SetRowCount(int n);   // at least 1: the caption row always exists

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    QStringList RowTexts(int row) const;

    int Row() const;   // current row; 0 when no data row is current
    void SetRow(int row);
    int Col() const { return currentColumn() < 0 ? 0 : currentColumn(); }

    int ColWidth(int col) const { return columnWidth(col); }
    void SetColWidth(int col, int width) { setColumnWidth(col, width); }
    void SetDefaultRowHeight(int h);
    void SetRowSelect(bool on);   // whole-row selection
    void SetEditing(bool on);

    void ClearRow(int row);   // empties every cell of the row

protected:
    // The right button never moves the selection: a pop-up acts on the row chosen before.
    void mousePressEvent(QMouseEvent* event) override;

signals:
    void CellClicked(int col, int row);
    void CellDoubleClicked(int col, int row);

private:
    int FRowHeight = 16;
};

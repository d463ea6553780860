#pragma once
// Parts sales: the lines panel shared by the counter sale and the repair checkout (search the
// lots in stock, choose one, enter count and price, build the list of lines), and the counter
// sale window, which also shows an existing sales bill for reading.
#include "Bills.h"
#include "FindGrid.h"

#include <QDialog>
#include <QFrame>
#include <QMap>
#include <QVector>

#include <memory>

class QKeyEvent;
class TData;
class TDataToolBar;
class TLabeledEdit;
class TPartSearch;
class TStringGrid;

class TfraSales : public QFrame {
    Q_OBJECT
public:
    explicit TfraSales(QWidget* parent = nullptr);
    ~TfraSales() override;

    QFrame* pnl1;
    TLabeledEdit* edtFind;
    TLabeledEdit* edtOutCount;
    TLabeledEdit* edtOutPrice;
    TStringGrid* strgrdInfo;   // the chosen lot: one data row
    QFrame* pnl2;
    TDataToolBar* dtbSub;
    TStringGrid* strgrdList;   // the bill's lines
    TFindGrid* dbgrdFind;   // the lots found, hidden until a search finds some

    // The columns of strgrdList.
    enum { colStock, colCommodity, colName, colCount, colPrice, colUnit, colStandard, ListColumns };
    // The columns of strgrdInfo.
    enum { infStock, infCommodity, infName, infUnit, infStandard, infHeld, InfoColumns };

    // The lines already recorded for a bill number or a sales type (a repair order's ID).
    // ReadOnly is set when lines were found. Throws TFbError.
    void LoadByBill(const QString& billNo);
    void LoadBySalesType(const QString& salesType);

    // The lot search of the typed text; StockOpen while it is there.
    void OpenStockSearch();
    void CloseStockSearch();
    bool StockOpen() const { return FSearch != nullptr; }

    // A read-only frame searches nothing and takes no line: its fields and toolbar are off.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool on);
    bool EditingLine() const { return FEditingLine; }

    // The lines of the list, the blank line left out.
    QVector<TSalesLine> Lines() const;
    // Saves the lines as a counter sale (type 0) in one piece. True when saved; a bill the
    // writer refuses (or an empty list) is explained to the user and false returned, nothing
    // written. Other errors (TFbError) are thrown.
    bool SaveAsBill();
    qint64 SavedBillNo() const { return FSavedBillNo; }

    // How many rows dbgrdFind shows without scrolling: what a search fetches at a time.
    int VisibleRows() const;

    void edtFindChange();
    void dbgrdFindDblClick();
    void dtbSubClick();
    void strgrdListClick();
    // Enter on the search result chooses the lot, as a double click does. True when taken.
    bool KeyPress(QObject* watched, QKeyEvent* k);

    static const QString NoPartChosen;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void WriteHeaders();
    void LoadLines(const QString& sql, const QString& key);
    void AddToList();
    void TakeLineBack();
    void DeleteLine();
    // False, with the user told and the field focused, when the entry cannot become a line.
    bool EntryValid();
    bool StockSuffices(qint64 lot, qint64 count, int skipRow);
    int LineCount() const;   // lines holding a lot

    std::unique_ptr<TPartSearch> FSearch;
    QMap<qint64, qint64> FHeld;   // what each lot held when it was chosen
    bool FReadOnly = false;
    bool FEditingLine = false;
    int FEditRow = 0;   // the line taken back, written back in place
    qint64 FSavedBillNo = 0;
};

// The counter sale window: a new sale (bill "0"), or an existing bill shown for reading.
class TfrmSales : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSales(const QString& billNo = QStringLiteral("0"), QWidget* parent = nullptr);
    ~TfrmSales() override;

    TDataToolBar* dtbSales;
    TfraSales* fraSales;

    void dtbSalesClick();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
};

// The module table's factory: "配件销售" opens a new sale (no list); "销售明细" shows the bill
// of the list's current record.
void OpenSales(int mode, TData* list);

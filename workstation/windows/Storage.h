#pragma once
// The parts stock-in window: the parts bought in from a supplier are gathered as the lines of
// one stock-in bill and saved together, each line with its own new stock lot; or a bill saved
// earlier is shown, read-only.
#include "FindGrid.h"

#include <QDialog>

#include <memory>

class QFrame;
class TData;
class TDataToolBar;
class TLabeledEdit;
class TPartSearch;
class TStringGrid;
class TTriple;

class TfrmStorage : public QDialog {
    Q_OBJECT
public:
    // billNo: the bill to show (from the bill list); 0, or a bill that no longer exists, opens
    // a new bill.
    explicit TfrmStorage(qint64 billNo = 0, QWidget* parent = nullptr);
    ~TfrmStorage() override;

    TDataToolBar* dtbStorage;
    QFrame* pnl1;
    TTriple* trpSupplier;
    TTriple* trpBuyer;
    TLabeledEdit* edtFind;
    TLabeledEdit* edtInCount;
    TLabeledEdit* edtInPrice;
    TLabeledEdit* edtReferPrice;
    TStringGrid* strgrdInfo;   // the part chosen from the search: one row
    TFindGrid* dbgrdFind;   // the search's matches, over the chosen part and the list
    TStringGrid* strgrdList;   // the bill's lines

    // The bill shown; 0 for a new bill.
    qint64 BillNo() const { return FBillNo; }
    // A bill opened from the list: nothing of it can be changed or saved again.
    bool ReadOnly() const { return FReadOnly; }
    // The line taken back into the entry fields; 0 when none.
    int EditingLine() const { return FEditingLine; }
    // How many rows of matches the search grid shows at once.
    int FindRowsShown() const;

    void dtbStorageClick();
    void edtFindChange();
    void dbgrdFindDblClick(int row);
    void strgrdListClick(int row);
    // More matches, when the user has reached the bottom of those shown.
    void FetchMoreFound();

    static const QString NoPartChosen;
    static const QString NoLines;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Layout();
    void OpenBill(qint64 billNo);
    void ShowStartingNames();
    void MakeReadOnly();
    void AddToList();
    void TakeLineBack();
    void DeleteLine();
    // True when the bill was saved (and the window is to close).
    bool Save();
    void HideFind();
    bool LineEmpty(int row) const;
    void GiveBackLookups();

    qint64 FBillNo = 0;
    bool FReadOnly = false;
    int FEditingLine = 0;
    std::unique_ptr<TPartSearch> FSearch;
};

// Opens the window modally: a new bill, or with ModeEdit over the bill list the bill of its
// current record (the module table's factory).
void OpenStorage(int mode, TData* list);

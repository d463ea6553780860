#pragma once
// The repair registration window: a car brought in is registered as a repair order, or an
// order is corrected; the repair ticket can be printed with the save.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class TDataToolBar;
class TLabeledEdit;
class TRepair;
class TTriple;

class TfrmRepair : public QDialog {
    Q_OBJECT
public:
    // list: the main window's repair list source, not owned. edit: filled from its current
    // record.
    TfrmRepair(TRepair* list, bool edit, QWidget* parent = nullptr);

    TDataToolBar* dtbRepair;
    QGroupBox* grp2;
    TTriple* trpAccepter;
    TLabeledEdit* edtCarOwner;
    TLabeledEdit* edtPhone;
    TLabeledEdit* edtCarNo;
    TLabeledEdit* edtAddress;
    TLabeledEdit* edtOil;
    TLabeledEdit* edtQuote;
    TLabeledEdit* edtEarnest;
    TLabeledEdit* edtMemo;
    QLabel* lbl17;
    QPlainTextEdit* mmoFault;
    QLabel* lblHistory;   // how many earlier orders the car has
    QCheckBox* chkPrint;

    int OrderId() const { return FOrderId; }
    void dtbRepairClick();
    // The plate's earlier orders fill the customer fields still empty (a new order only).
    void edtCarNoExit();

    static const QString AmountNotNumber;   // "数量或价格只能为数字！"
    static const QString AmountNegative;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FillFromRecord();
    // False, with the field focused and the user told, when an amount is no number.
    bool AmountsValid();
    // True when the order was saved (and the window is to close).
    bool Save();
    void PrintTicket();

    TRepair* FList;
    int FOrderId = 0;
    QString FCheckedPlate;
};

// Opens the window modally over the list (the module table's factory).
void OpenRepair(int mode, class TData* list);

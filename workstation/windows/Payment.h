#pragma once
// The repair checkout: the parts fitted in a repair are recorded as a sales bill whose type is
// the order's ID (taking them out of stock) and the order is marked paid with the amount
// received, all in one piece. A settled order is shown for reading.
#include "Bills.h"

#include <QDialog>

class TData;
class TDataToolBar;
class TLabeledEdit;
class TfraSales;

class TfrmPayment : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPayment(QWidget* parent = nullptr);
    ~TfrmPayment() override;

    TDataToolBar* dtbPayment;
    TLabeledEdit* edtCash;   // the amount received
    TfraSales* fraSales;

    // Shows the order of the given ID: the parts already recorded for it, and whether it can
    // still be settled. Throws TFbError.
    void Prepare(const QString& repairId);
    QString RepairId() const { return FRepairId; }
    bool OrderFound() const { return FFound; }
    bool OrderPaid() const { return FPaid; }
    const TSalesSaved& Saved() const { return FSaved; }

    void dtbPaymentClick();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // True when the order was settled (and the window is to close).
    bool Save();

    QString FRepairId;
    bool FFound = false;
    bool FPaid = false;
    TSalesSaved FSaved;
};

// The module table's factory: the checkout of the list's current repair order.
void OpenPayment(int mode, TData* list);

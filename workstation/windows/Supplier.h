#pragma once
// The supplier record window: a new supplier, or the selected one corrected.
#include <QDialog>

class QFrame;
class TDataToolBar;
class TLabeledEdit;
class TSupplier;

class TfrmSupplier : public QDialog {
    Q_OBJECT
public:
    // list: the main window's supplier list, not owned. edit: filled from its current record.
    TfrmSupplier(TSupplier* list, bool edit, QWidget* parent = nullptr);

    TDataToolBar* dtbSupplier;
    QFrame* pnlEmployee;
    TLabeledEdit* edtSuppierName;
    TLabeledEdit* edtPhone;
    TLabeledEdit* edtContactor;
    TLabeledEdit* edtMainProduct;
    TLabeledEdit* edtAddress;
    TLabeledEdit* edtMemo;

    Q_INVOKABLE int RecordId() const { return FId; }   // 0 for a new record
    void dtbSupplierClick();

private:
    void FillFromRecord();
    bool Save();

    TSupplier* FList;
    int FId = 0;
};

void OpenSupplier(int mode, class TData* list);

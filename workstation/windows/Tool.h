#pragma once
// The workshop tool record window: a new tool, or the selected one corrected, with its
// purchase and last inspection dates.
#include <QDialog>

class QDateEdit;
class QFrame;
class TDataToolBar;
class TLabeledEdit;
class TTool;

class TfrmTool : public QDialog {
    Q_OBJECT
public:
    // list: the main window's tool list, not owned. edit: filled from its current record.
    TfrmTool(TTool* list, bool edit, QWidget* parent = nullptr);

    TDataToolBar* dtbTool;
    QFrame* pnl1;
    TLabeledEdit* edtToolName;
    TLabeledEdit* edtToolCount;
    QDateEdit* dtpBuyDate;
    QDateEdit* dtpCheckDate;
    TLabeledEdit* edtManufacturer;
    TLabeledEdit* edtAfterMarketPhone;
    TLabeledEdit* edtMemo;

    Q_INVOKABLE int RecordId() const { return FId; }   // 0 for a new record
    void dtbToolClick();

private:
    void FillFromRecord();
    // False, with the user told and the field focused, when the count is no whole number the
    // list can carry.
    bool CountValid();
    bool Save();

    TTool* FList;
    int FId = 0;
};

void OpenTool(int mode, class TData* list);

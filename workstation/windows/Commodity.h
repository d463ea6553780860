#pragma once
// The parts catalogue record window: a new part, or the selected one corrected, with its unit
// and standard from the dictionaries.
#include <QDialog>

class QFrame;
class TCommodity;
class TDataToolBar;
class TLabeledEdit;
class TTriple;

class TfrmCommodity : public QDialog {
    Q_OBJECT
public:
    // list: the main window's parts list, not owned. edit: filled from its current record.
    TfrmCommodity(TCommodity* list, bool edit, QWidget* parent = nullptr);

    TDataToolBar* dtbCommodity;
    QFrame* pnl1;
    TLabeledEdit* edtCommodityName;
    TTriple* trpUnit;
    TTriple* trpStandard;

    Q_INVOKABLE int RecordId() const { return FId; }   // 0 for a new record
    void dtbCommodityClick();

private:
    void FillFromRecord();
    bool Save();

    TCommodity* FList;
    int FId = 0;
};

void OpenCommodity(int mode, class TData* list);

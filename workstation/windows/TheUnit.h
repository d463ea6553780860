#pragma once
// The company data window: the workshop's name, the person in charge, the phone and the
// address, as the repair ticket prints them. It loads the stored row itself and saves it back.
#include <QDialog>

class QFrame;
class TDataToolBar;
class TLabeledEdit;

class TfrmTheUnit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTheUnit(QWidget* parent = nullptr);

    TDataToolBar* dtbTheUnit;
    QFrame* pnlTheUnit;
    TLabeledEdit* edtName;
    TLabeledEdit* edtPerInChar;
    TLabeledEdit* edtPhone;
    TLabeledEdit* edtAddress;

    void dtbTheUnitClick();

private:
    bool Save();
};

// Opens the window modally (the module table's factory); mode and list do not apply.
void OpenTheUnit(int mode, class TData* list);

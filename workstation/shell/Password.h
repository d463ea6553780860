#pragma once
// The operator changes their own password.
#include <QDialog>

class QLabel;
class TDataToolBar;
class TLabeledEdit;

class TfrmPassword : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPassword(QWidget* parent = nullptr);

    TDataToolBar* dtbPassWord;
    QLabel* lbl1;
    QLabel* lbl2;
    QLabel* lbl3;
    TLabeledEdit* edtOle;
    TLabeledEdit* edtNew;
    TLabeledEdit* edtConfirm;

    void dtbPassWordClick();

private:
    bool Save();
};

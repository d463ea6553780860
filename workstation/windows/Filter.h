#pragma once
// The address-book chooser: which address book the "通讯录" list shows.
#include <QDialog>

class QComboBox;
class QPushButton;

class TfrmFilter : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFilter(QWidget* parent = nullptr);

    void Prepare(QString* answer);   // where the chosen book's name goes

    QComboBox* cbbFilter;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    void btnOKClick();
    void btnCancelClick();

    // The base SELECT of an address book; empty text for anything else.
    static QString BaseSQLFor(const QString& answer);

private:
    QString* FAnswer = nullptr;
};

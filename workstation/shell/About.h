#pragma once
// Who made the program, and where to find it.
#include <QDialog>

class QLabel;
class QPushButton;
class TLine;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    static QString HomePage();

    QLabel* imgAbout;
    QLabel* lblHome;
    TLine* ln1;
    QPushButton* btnOK;

    void lblHomeClick();
    void btnOKClick();
};

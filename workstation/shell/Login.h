#pragma once
// The login window: asks the server program where the database is, attaches the pool and
// checks the operator's name and password against the employee table.
#include <QDialog>
#include <QPixmap>

#include <memory>

class QComboBox;
class QLabel;
class QTcpSocket;
class QTimer;
class TFlatButton;
class TIntegerEdit;
class TLabeledEdit;
class TMoravek;
class TMessageReader;

class TfrmLogin : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLogin(QWidget* parent = nullptr);
    ~TfrmLogin() override;

    bool Succeeded() const { return FSuccess; }
    // How many check-ins this window has sent (one per attach at most).
    int CheckInsSent() const { return FCheckIns; }

    QComboBox* cbbUser;
    TLabeledEdit* edtPW;
    QLabel* lblUser;
    QLabel* lbl1;
    TFlatButton* btnOK;
    TFlatButton* btnCancel;
    TFlatButton* btnNet;
    QWidget* pnlNet;
    TIntegerEdit* intPort;
    TLabeledEdit* edtIP;
    TFlatButton* btnSave;
    TFlatButton* btnReturn;
    QTcpSocket* cs;
    QTimer* tmrTimeOut;

    void btnOKClick();
    void btnCancelClick();
    void cbbUserClick(int index);
    void btnNetClick();
    void btnSaveClick();
    void btnReturnClick();
    void CheckUser();

protected:
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void done(int result) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void Connect();
    void SendCheckIn();
    void csRead();
    void csError();
    void tmrTimeOutTimer();
    void NetworkError();

    bool FSuccess = false;
    TMessageReader* FReader = nullptr;   // the reply may arrive in pieces
    void OnReply(const QByteArray& message);
    bool FWaiting = false;   // "登录" pressed, the reply is awaited
    bool FErrorShown = false;   // for the current connection attempt
    bool FClosed = false;
    int FCheckIns = 0;
    QPixmap FBackground;
    std::unique_ptr<TMoravek> FMoravek;   // loaded for the window's life
};

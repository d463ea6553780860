#include "Login.h"

#include "Application.h"
#include "ConPool.h"
#include "FbClient.h"
#include "FlatButton.h"
#include "Gbk.h"
#include "GlobalHead.h"
#include "HandshakeProtocol.h"
#include "Log.h"
#include "IntegerEdit.h"
#include "LabeledEdit.h"
#include "StarMask.h"
#include "MoravekHead.h"
#include "Product.h"
#include "XmlFile.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTcpSocket>
#include <QTimer>

namespace {

const QString ClearListEntry = QStringLiteral("清除登录列表");

TFlatButton* LinkButton(const QString& caption, QWidget* parent)
{
    auto* b = new TFlatButton(caption, parent);
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QPushButton { border: none; color: #1f5fa8; text-decoration: underline; }"));
    return b;
}

QPixmap Picture(const QString& name)
{
    QPixmap p;
    p.load(AppPath + QStringLiteral("Images/") + name);   // decoration only: missing is fine
    return p;
}

}   // namespace

TfrmLogin::TfrmLogin(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("用户登录"));
    setFont(SongFont(14));
    setFixedSize(257, 221);
    setModal(true);

    lblUser = new QLabel(QStringLiteral("登录用户"), this);
    lblUser->setGeometry(24, 78, 64, 22);
    cbbUser = new QComboBox(this);
    cbbUser->setEditable(true);
    cbbUser->setGeometry(92, 78, 140, 22);
    cbbUser->setInsertPolicy(QComboBox::NoInsert);
    NameAfterLabel(lblUser, cbbUser);
    edtPW = new TLabeledEdit(QStringLiteral("登录密码"), this);
    edtPW->SetBounds(92, 108, 140, 22);
    MaskWithStars(edtPW);
    lbl1 = new QLabel(QStringLiteral("新安装系统的初始密码为123456"), this);
    lbl1->setFont(SongFont(12));
    lbl1->setGeometry(24, 136, 220, 16);
    btnOK = new TFlatButton(QStringLiteral("登录"), this);
    btnOK->SetBounds(40, 166, 76, 26);
    btnCancel = new TFlatButton(QStringLiteral("取消"), this);
    btnCancel->SetBounds(140, 166, 76, 26);
    btnNet = LinkButton(QStringLiteral("设置"), this);
    btnNet->SetBounds(200, 198, 44, 18);

    // The network panel lies over the name and password fields.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setAutoFillBackground(true);
    frame->setGeometry(12, 70, 233, 90);
    pnlNet = frame;
    edtIP = new TLabeledEdit(QStringLiteral("IP"), pnlNet);
    edtIP->SetBounds(60, 10, 150, 22);
    intPort = new TIntegerEdit(QStringLiteral("端口"), pnlNet);
    intPort->SetBounds(60, 38, 80, 22);
    intPort->SetRange(1025, 6000);
    btnSave = LinkButton(QStringLiteral("保存"), pnlNet);
    btnSave->SetBounds(120, 66, 40, 18);
    btnReturn = LinkButton(QStringLiteral("返回"), pnlNet);
    btnReturn->SetBounds(170, 66, 40, 18);
    pnlNet->hide();

    setTabOrder(cbbUser, edtPW);
    setTabOrder(edtPW, btnNet);
    btnOK->setDefault(true);

    cs = new QTcpSocket(this);
    tmrTimeOut = new QTimer(this);
    tmrTimeOut->setSingleShot(true);

    connect(btnOK, &QPushButton::clicked, this, Guarded(this, &TfrmLogin::btnOKClick));
    connect(btnCancel, &QPushButton::clicked, this, Guarded(this, &TfrmLogin::btnCancelClick));
    connect(btnNet, &QPushButton::clicked, this, Guarded(this, &TfrmLogin::btnNetClick));
    connect(btnSave, &QPushButton::clicked, this, Guarded(this, &TfrmLogin::btnSaveClick));
    connect(btnReturn, &QPushButton::clicked, this, Guarded(this, &TfrmLogin::btnReturnClick));
    connect(cbbUser, QOverload<int>::of(&QComboBox::activated), this, Guarded(this, &TfrmLogin::cbbUserClick));
    connect(edtPW, &QLineEdit::returnPressed, this, Guarded(this, &TfrmLogin::btnOKClick));
    FReader = new TMessageReader(this);
    connect(cs, &QTcpSocket::readyRead, this, Guarded(this, &TfrmLogin::csRead));
    connect(FReader, &TMessageReader::Message, this, Guarded(this, &TfrmLogin::OnReply));
    connect(cs, &QTcpSocket::connected, this, [this] {
        if (FWaiting)
            SendCheckIn();
    });
    connect(cs, &QTcpSocket::errorOccurred, this, Guarded(this, &TfrmLogin::csError));
    connect(tmrTimeOut, &QTimer::timeout, this, Guarded(this, &TfrmLogin::tmrTimeOutTimer));

    FormCreate();
}

TfrmLogin::~TfrmLogin() = default;

void TfrmLogin::FormCreate()
{
    tmrTimeOut->setInterval(Symbol.TimeOut);
    FBackground = Picture(QStringLiteral("login.bmp"));
    const QPixmap ok = Picture(QStringLiteral("ok.bmp"));
    if (!ok.isNull())
        btnOK->setIcon(ok);
    const QPixmap cancel = Picture(QStringLiteral("cancel.bmp"));
    if (!cancel.isNull())
        btnCancel->setIcon(cancel);
    FMoravek = std::make_unique<TMoravek>();
    QString error;
    FMoravek->Load(&error);   // reported where an operation is needed
    Connect();
}

void TfrmLogin::Connect()
{
    FErrorShown = false;
    cs->abort();
    cs->connectToHost(Symbol.ServerIP, quint16(Symbol.Port));
    if (cs->state() == QAbstractSocket::UnconnectedState)
        NetworkError();
}

void TfrmLogin::NetworkError()
{
    tmrTimeOut->stop();
    FWaiting = false;
    FReader->Clear();
    if (FErrorShown)
        return;
    FErrorShown = true;
    ShowMsg(Texts::NetworkError, Texts::CaptionError, TMsgIcon::Error);
}

void TfrmLogin::csError()
{
    // A refused connection, a reset or a server that went away: the user hears of it once
    // per attempt, and the next "登录" connects afresh.
    if (FClosed || FSuccess)
        return;
    NetworkError();
}

void TfrmLogin::showEvent(QShowEvent* e)
{
    RunGuarded([this] { FormShow(); });
    QDialog::showEvent(e);
}

void TfrmLogin::FormShow()
{
    cbbUser->clear();
    TXmlFile xml;
    if (!xml.Load(SettingsPath()))
        return;
    const QDomElement list = xml.Child(QStringLiteral("loginlist"));
    if (list.isNull())
        return;
    for (QDomElement n = list.firstChildElement(); !n.isNull(); n = n.nextSiblingElement())
        cbbUser->addItem(n.text());
    if (cbbUser->count() > 0)
        cbbUser->addItem(ClearListEntry);
    cbbUser->setCurrentIndex(-1);
    cbbUser->setEditText(QString());
}

void TfrmLogin::paintEvent(QPaintEvent* e)
{
    QDialog::paintEvent(e);
    QPainter p(this);
    if (!FBackground.isNull()) {
        p.drawPixmap(QRect(0, 0, 260, FBackground.height()), FBackground);
        return;
    }
    // Without the picture a plain banner with the product's name stands in for it.
    QLinearGradient g(0, 0, 0, 60);
    g.setColorAt(0, QColor(0x2a, 0x6f, 0xbd));
    g.setColorAt(1, QColor(0x1f, 0x5f, 0xa8));
    p.fillRect(QRect(0, 0, width(), 60), g);
    QFont f = SongFont(18);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, width(), 60), Qt::AlignCenter, ProductName());
}

void TfrmLogin::cbbUserClick(int index)
{
    if (index < 0 || index != cbbUser->count() - 1 || cbbUser->itemText(index) != ClearListEntry)
        return;
    cbbUser->clear();
    cbbUser->setEditText(QString());
    TXmlFile xml;
    if (!xml.Load(SettingsPath()))
        return;
    QDomElement list = xml.Child(QStringLiteral("loginlist"));
    if (list.isNull())
        return;
    while (!list.firstChild().isNull())
        list.removeChild(list.firstChild());
    if (!xml.Save())
        ShowMsg(xml.ErrorText(), Texts::CaptionError);
}

void TfrmLogin::btnOKClick()
{
    if (Pool->Connected()) {
        CheckUser();
        return;
    }
    if (FWaiting)
        return;   // a check-in is on its way
    FWaiting = true;
    tmrTimeOut->start();
    if (cs->state() == QAbstractSocket::ConnectedState) {
        SendCheckIn();
        return;
    }
    // Not connected (the server was down or went away): try again before giving up.
    if (cs->state() != QAbstractSocket::ConnectingState && cs->state() != QAbstractSocket::HostLookupState)
        Connect();
}

void TfrmLogin::SendCheckIn()
{
    QString fingerprint, error;
    if (!FMoravek->GetDriveMD5(&fingerprint, &error)) {
        tmrTimeOut->stop();
        FWaiting = false;
        ShowMsg(error, Texts::CaptionError);
        return;
    }
    cs->write(Handshake::CheckIn + fingerprint.toLatin1());
    ++FCheckIns;
}

void TfrmLogin::csRead()
{
    const QByteArray bytes = cs->readAll();
    if (FWaiting)
        FReader->Feed(bytes);   // nothing asked for: dropped
}

void TfrmLogin::OnReply(const QByteArray& message)
{
    if (!FWaiting)
        return;
    tmrTimeOut->stop();
    FWaiting = false;
    if (Handshake::Keyword(message) != Handshake::DbPath) {
        // Something answered on the port, but not with the database location.
        ShowMsg(Texts::NetworkError, Texts::CaptionError);
        return;
    }
    const QString location = Gbk::Decode(Handshake::Payload(message));
    try {
        Pool->Open(location);
    } catch (const std::exception& e) {
        qCWarning(lcSession).noquote() << QStringLiteral("数据库连接失败：%1 | %2").arg(location, FbErrorText(e));
        ShowMsg(Texts::DbConnectFailed, Texts::CaptionError, TMsgIcon::None, FbErrorText(e));
        return;
    }
    CheckUser();
}

void TfrmLogin::tmrTimeOutTimer()
{
    tmrTimeOut->stop();
    FWaiting = false;
    FReader->Clear();
    ShowMsg(Texts::TimedOut, Texts::CaptionInfo, TMsgIcon::Information);
}

void TfrmLogin::CheckUser()
{
    // A character GBK cannot hold would reach the digest as "?", and two different passwords
    // would open the same account.
    if (!Gbk::Fits(edtPW->text())) {
        ShowMsg(Texts::PasswordNotGbk, Texts::CaptionWarning, TMsgIcon::Warning);
        edtPW->setFocus();
        return;
    }
    QString digest, error;
    if (!FMoravek->MD5String(edtPW->text(), &digest, &error)) {
        ShowMsg(error, Texts::CaptionError);
        return;
    }
    // The name counts without blanks around it, here and in everything the session does with
    // it: the database ignores trailing blanks, the administrator's test and the list do not.
    const QString name = cbbUser->currentText().trimmed();
    if (!Pool->Connected()) {
        ShowMsg(Texts::DbConnectFailed, Texts::CaptionError, TMsgIcon::None);
        return;
    }
    bool departed = false;
    // A name GBK cannot hold belongs to no employee.
    const QString id = Gbk::Fits(name) ? FindUser(*Pool, name, digest, &departed) : QString();
    if (id.isEmpty()) {
        qCInfo(lcSession).noquote() << QStringLiteral("登录被拒绝（用户名或密码错误）：") + name;
        ShowMsg(Texts::WrongPassword, Texts::CaptionWarning, TMsgIcon::Warning);
        return;
    }
    if (departed) {
        qCInfo(lcSession).noquote() << QStringLiteral("登录被拒绝（已离职）：") + name;
        ShowMsg(Texts::Departed.arg(name), Texts::CaptionWarning, TMsgIcon::Warning);
        return;
    }
    qCInfo(lcSession).noquote() << QStringLiteral("登录：%1（编号 %2），数据库 %3").arg(name, id, Pool->Location());
    FSuccess = true;
    Symbol.User.ID = id;
    Symbol.User.UserName = name;
    Symbol.User.PassWord = digest;
    QString version;
    if (FMoravek->GetVersion(QCoreApplication::applicationFilePath(), &version, &error))
        Symbol.Version = version;

    // Remember the name; a missing list only means it is not remembered.
    TXmlFile xml;
    if (xml.Load(SettingsPath())) {
        QDomElement list = xml.Child(QStringLiteral("loginlist"));
        if (!list.isNull()) {
            bool known = false;
            for (QDomElement n = list.firstChildElement(); !n.isNull() && !known; n = n.nextSiblingElement())
                known = n.text().compare(name, Qt::CaseInsensitive) == 0;
            if (!known) {
                QDomElement n = xml.Document().createElement(QStringLiteral("name"));
                n.appendChild(xml.Document().createTextNode(name));
                list.appendChild(n);
                if (!xml.Save())
                    ShowMsg(xml.ErrorText(), Texts::CaptionError);
            }
        }
    }
    accept();
}

void TfrmLogin::btnCancelClick()
{
    reject();
}

void TfrmLogin::btnNetClick()
{
    pnlNet->setVisible(!pnlNet->isVisible());
    edtIP->setText(Symbol.ServerIP);
    intPort->setText(QString::number(Symbol.Port));
}

void TfrmLogin::btnReturnClick()
{
    pnlNet->hide();
}

void TfrmLogin::btnSaveClick()
{
    TXmlFile xml;
    if (!xml.Load(SettingsPath())) {
        ShowMsg(xml.ErrorText(), Texts::CaptionError);
        return;
    }
    xml.SetText(QStringLiteral("ip"), edtIP->text().trimmed());
    xml.SetText(QStringLiteral("port"), intPort->text());
    if (!xml.Save()) {
        ShowMsg(xml.ErrorText(), Texts::CaptionError);
        return;
    }
    ShowMsg(QStringLiteral("设置成功\n请重启本软件！"), Texts::CaptionInfo, TMsgIcon::Information);
}

void TfrmLogin::done(int result)
{
    FormClose();
    QDialog::done(FSuccess ? QDialog::Accepted : result);
}

void TfrmLogin::FormClose()
{
    if (FClosed)
        return;
    FClosed = true;
    tmrTimeOut->stop();
    FBackground = QPixmap();
    if (FMoravek)
        FMoravek->Unload();
    if (FSuccess)
        return;
    Pool->Close();
    cs->abort();
}

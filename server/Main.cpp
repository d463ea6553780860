#include "Main.h"

#include "AutoRun.h"
#include "Clock.h"
#include "DbAccount.h"
#include "DbUser.h"
#include "FbClient.h"
#include "Log.h"
#include "SchemaUpgrade.h"
#include "FlatButton.h"
#include "FlatPanel.h"
#include "Handshake.h"
#include "IntegerEdit.h"
#include "IpEdit.h"
#include "LabeledEdit.h"
#include "StarMask.h"
#include "Maintenance.h"
#include "Product.h"
#include "ServerHead.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QUrl>

using namespace Haskett;

namespace {

const QString Running = QStringLiteral("运行中...");
const QString Paused = QStringLiteral("已暂停");
const QString PauseCaption = QStringLiteral("暂停服务");
const QString ResumeCaption = QStringLiteral("启动服务");
const QString BrowseCaption = QStringLiteral("浏览");
const QString ErrorCaption = QStringLiteral("错误");
const QString NoticeCaption = QStringLiteral("提示");
const QString ConfirmCaption = QStringLiteral("确认：");
const QString ExitQuestion = QStringLiteral("确定要退出系统吗？");
const QString StartedBalloon = QStringLiteral("服务端已启动！");
const QString NoWorkstations = QStringLiteral("当前连接用户数 0");
const QString BackingUp = QStringLiteral("正在备份...");
const QString Restoring = QStringLiteral("正在恢复...");
const QString UpgradeBackingUp = QStringLiteral("数据库需要升级，正在先行备份...");

std::optional<bool> TrayForTests;

TLabeledEdit* Field(const QString& caption, QWidget* parent, int x, int y, int w)
{
    auto* e = new TLabeledEdit(caption, parent);
    e->SetBounds(x, y, w, 22);
    return e;
}

}   // namespace

QString TfrmHaskett::Caption()
{
    return ProductName() + QStringLiteral("－服务端");
}

QString TfrmHaskett::TrayTip()
{
    return ProductName();
}

QString TfrmHaskett::HomePage()
{
    return ProductHomePage();
}

QIcon TfrmHaskett::AppIcon()
{
    return ProductIcon();
}

bool TfrmHaskett::HasTray()
{
    return TrayForTests ? *TrayForTests : QSystemTrayIcon::isSystemTrayAvailable();
}

void TfrmHaskett::SetTrayForTests(std::optional<bool> available)
{
    TrayForTests = available;
}

TfrmHaskett::TfrmHaskett(const QString& appPath, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    FSettings.AppPath = WithTrailingSeparator(appPath.isEmpty() ? QCoreApplication::applicationDirPath() : appPath);
    FHandshake = new THandshake(this);
    FHandshake->DBPath = [this] { return FSettings.DBPath; };
    FHandshake->LocalIP = [this] { return FSettings.LocalIP; };
    connect(FHandshake, &THandshake::PanelChanged, this, [this](const QString& text) { FPanels[1]->setText(text); });
    FMaintenance = new TMaintenance(&FSettings, this);
    connect(FMaintenance, &TMaintenance::Progress, this, [this](int lines, const QString& line) {
        const QString text = QStringLiteral("%1 %2").arg(lines).arg(line.simplified());
        lblProgress->setText(lblProgress->fontMetrics().elidedText(text, Qt::ElideRight, lblProgress->width()));
    });
    connect(FMaintenance, &TMaintenance::Done, this, &TfrmHaskett::OnMaintenanceDone);

    CreateControls();
    CreateTray();
    StartUp();
}

TfrmHaskett::~TfrmHaskett()
{
    // Before the settings it reads go with this window's members.
    delete FMaintenance;
    FMaintenance = nullptr;
    FHandshake->Stop();
    if (FBusy)
        QApplication::restoreOverrideCursor();
}

void TfrmHaskett::CreateControls()
{
    setWindowTitle(Caption());
    setWindowIcon(AppIcon());
    setFont(SongFont(14));
    setFixedSize(514, 420);

    pnlNet = new TFlatPanel(QStringLiteral("网络设置"), this);
    pnlNet->SetBounds(6, 2, 502, 172);
    edtLocalIP = new TIpEdit(QStringLiteral("本地IP"), pnlNet);
    edtLocalIP->SetBounds(90, 24, 150, 22);
    edtLocalIP->setEnabled(false);
    intPort = new TIntegerEdit(QStringLiteral("开放端口"), pnlNet);
    intPort->SetBounds(340, 24, 90, 22);
    intPort->SetRange(MinPort, MaxPort);
    edtDBPath = Field(QStringLiteral("数据库路径"), pnlNet, 90, 56, 340);
    btnBroDB = new TFlatButton(BrowseCaption, pnlNet);
    btnBroDB->SetBounds(436, 56, 50, 22);
    edtContPass = Field(QStringLiteral("连接密码"), pnlNet, 90, 88, 150);
    MaskWithStars(edtContPass);
    edtContPass->setText(QStringLiteral("tarnwell"));
    edtContPass->setEnabled(false);
    chkAutoRun = new QCheckBox(QStringLiteral("开机自启动(推荐)"), pnlNet);
    chkAutoRun->setGeometry(270, 88, 200, 22);
    btnStopOrRun = new TFlatButton(PauseCaption, pnlNet);
    btnStopOrRun->SetBounds(90, 128, 100, 28);
    btnSave = new TFlatButton(QStringLiteral("保存设置"), pnlNet);
    btnSave->SetBounds(210, 128, 100, 28);
    btnHide = new TFlatButton(QStringLiteral("隐藏窗口"), pnlNet);
    btnHide->SetBounds(330, 128, 100, 28);

    pnlData = new TFlatPanel(QStringLiteral("数据维护"), this);
    pnlData->SetBounds(6, 178, 502, 218);
    lbl1 = new QLabel(QStringLiteral("单击'浏览'按钮选择路径,点击'开始备份'进行数据库备份。"), pnlData);
    lbl1->setFont(SongFont(12));
    lbl1->setGeometry(14, 20, 480, 16);
    lbl2 = new QLabel(QStringLiteral("备份完毕后，请将备份文件转移到安全的环境中。"), pnlData);
    lbl2->setFont(SongFont(12));
    lbl2->setGeometry(14, 38, 480, 16);
    edtLastDate = Field(QStringLiteral("上次备份日期"), pnlData, 110, 58, 320);
    edtLastDate->setEnabled(false);
    edtLastPath = Field(QStringLiteral("上次备份路径"), pnlData, 110, 84, 320);
    edtLastPath->setEnabled(false);
    edtBakPath = Field(QStringLiteral("本次备份路径"), pnlData, 110, 110, 320);
    btnBroBak = new TFlatButton(BrowseCaption, pnlData);
    btnBroBak->SetBounds(436, 110, 50, 22);
    edtRecoverFile = Field(QStringLiteral("从该文件恢复"), pnlData, 110, 136, 320);
    btnBroRecover = new TFlatButton(BrowseCaption, pnlData);
    btnBroRecover->SetBounds(436, 136, 50, 22);
    btnBackup = new TFlatButton(QStringLiteral("开始备份"), pnlData);
    btnBackup->SetBounds(110, 170, 100, 28);
    btnRecover = new TFlatButton(QStringLiteral("开始恢复"), pnlData);
    btnRecover->SetBounds(220, 170, 100, 28);
    lblProgress = new QLabel(pnlData);
    lblProgress->setFont(SongFont(12));
    lblProgress->setGeometry(330, 176, 164, 16);

    stat = new QStatusBar(this);
    stat->setSizeGripEnabled(false);
    stat->setGeometry(0, 398, 514, 22);
    const int widths[3] = {150, 150, 50};
    for (int i = 0; i < 3; ++i) {
        FPanels[i] = new QLabel(stat);
        FPanels[i]->setFixedWidth(widths[i]);
        stat->addWidget(FPanels[i]);
    }
    FPanels[1]->setText(NoWorkstations);

    connect(btnSave, &QPushButton::clicked, this, &TfrmHaskett::btnSaveClick);
    connect(btnStopOrRun, &QPushButton::clicked, this, &TfrmHaskett::btnStopOrRunClick);
    connect(btnBroDB, &QPushButton::clicked, this, &TfrmHaskett::btnBroDBClick);
    connect(btnHide, &QPushButton::clicked, this, &TfrmHaskett::btnHideClick);
    connect(chkAutoRun, &QCheckBox::clicked, this, &TfrmHaskett::chkAutoRunClick);
    connect(btnBroBak, &QPushButton::clicked, this, &TfrmHaskett::btnBroBakClick);
    connect(btnBroRecover, &QPushButton::clicked, this, &TfrmHaskett::btnBroRecoverClick);
    connect(btnBackup, &QPushButton::clicked, this, &TfrmHaskett::btnBackupClick);
    connect(btnRecover, &QPushButton::clicked, this, &TfrmHaskett::btnRecoverClick);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmHaskett::CreateTray()
{
    // The icon and its menu exist everywhere; where there is no notification area (a bare
    // X server, the offscreen platform) it is simply never shown.
    trycn = new QSystemTrayIcon(AppIcon(), this);
    trycn->setToolTip(TrayTip());
    pm = new QMenu(this);
    popSetting = pm->addAction(QStringLiteral("选项设置(&S)"), this, &TfrmHaskett::popSettingClick);
    popHomePage = pm->addAction(QStringLiteral("浏览网站(&H)"), this, &TfrmHaskett::popHomePageClick);
    N1 = pm->addSeparator();
    popExit = pm->addAction(QStringLiteral("退 出(&E)"), this, &TfrmHaskett::popExitClick);
    trycn->setContextMenu(pm);
    connect(trycn, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick)
            popSettingClick();
    });
}

void TfrmHaskett::StartUp()
{
    if (HasTray()) {
        trycn->show();
        trycn->showMessage(TrayTip(), StartedBalloon, QSystemTrayIcon::NoIcon, 3000);
    }
    QString error;
    if (!ReadServerXml(FSettings.XmlPath(), &FSettings, &error)) {
        qCWarning(lcStart).noquote() << error;
        ShowMsg(error, ErrorCaption, TMsgIcon::Error);
        return;
    }
    FSettings.LocalIP = LocalAddress();
    qCInfo(lcStart).noquote()
        << QStringLiteral("Haskett 启动，程序目录 %1，数据库 %2").arg(FSettings.AppPath, FSettings.DBPath);
    if (PrepareSchema() == TSchemaStep::Ready)
        Serve();
}

void TfrmHaskett::Serve()
{
    PrepareWorkstationUser();
    QString error;
    if (!FHandshake->Listen(FSettings.Port, &error)) {
        qCWarning(lcStart).noquote() << error;
        ShowMsg(error, ErrorCaption, TMsgIcon::Error);
        return;
    }
    SetServiceState(Running);
    FSettings.ExitRequested = false;
    FSettings.AutoRun = AutoRun::Exists(QCoreApplication::applicationFilePath());
}

void TfrmHaskett::PrepareWorkstationUser()
{
    if (FSettings.DbUser.isEmpty() && FSettings.DbPassword.isEmpty())
        return;   // the workstations attach as before
    if (!QFileInfo::exists(FSettings.DataFile()))
        return;   // nothing to grant on yet
    QString error;
    if (!::PrepareWorkstationUser(FSettings.DataFile(), FSettings.DbUser, FSettings.DbPassword, &error)) {
        // The service still starts: workstations whose settings name no user of their own
        // are not concerned, and the others say that they cannot attach.
        const QString text = error + QStringLiteral("\n工作站以该用户连接数据库将会失败，请检查 server.xml 的 dbuser 和 dbpassword。");
        qCWarning(lcMaintain).noquote() << text;
        ShowMsg(text, ErrorCaption, TMsgIcon::Error);
        return;
    }
    qCInfo(lcMaintain).noquote() << QStringLiteral("工作站的数据库用户 %1 已设置，权限已授予").arg(FSettings.DbUser.toUpper());
}

TfrmHaskett::TSchemaStep TfrmHaskett::PrepareSchema()
{
    const QString file = FSettings.DataFile();
    if (!QFileInfo::exists(file))
        return TSchemaStep::Ready;   // nothing here to upgrade; the workstations will say what is wrong
    int version = 0;
    try {
        TFbConnection db;
        db.Attach(file, DbAccount::UserName(), DbAccount::Password());
        version = SchemaVersion(db);
    } catch (const TFbError& e) {
        // Served as before: the workstations meet the same error and say what it is.
        qCWarning(lcMaintain).noquote() << QStringLiteral("无法读取数据库版本：%1 | %2").arg(file, e.Text());
        return TSchemaStep::Ready;
    }
    if (version == ProgramSchemaVersion())
        return TSchemaStep::Ready;
    if (version > ProgramSchemaVersion()) {
        const QString text = QStringLiteral("数据库 %1 的版本 (%2) 比本程序 (%3) 新，服务没有启动，数据库未作改动。\n"
                                            "请安装新版的服务端和工作站程序。")
                                 .arg(QDir::toNativeSeparators(file))
                                 .arg(version)
                                 .arg(ProgramSchemaVersion());
        qCWarning(lcMaintain).noquote() << text;
        ShowMsg(text, ErrorCaption, TMsgIcon::Error);
        return TSchemaStep::Refused;
    }
    // Older: a backup first, beside the database, then the upgrade.
    const QString folder = FSettings.AppPath + QStringLiteral("DATA/BEFORE-UPGRADE");
    QDir().mkpath(folder);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                              | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                              | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    qCInfo(lcMaintain).noquote() << QStringLiteral("数据库版本 %1，程序版本 %2：先备份到 %3，再升级")
                                        .arg(version)
                                        .arg(ProgramSchemaVersion())
                                        .arg(folder);
    FUpgradeBackup = true;
    FUpgradeBackupFile = TMaintenance::BackupFileName(folder, Clock::Today());
    QFile::remove(FUpgradeBackupFile);   // a backup left by an earlier attempt today
    SetBusy(true);
    lblProgress->setText(UpgradeBackingUp);
    if (!FMaintenance->StartBackup(folder)) {
        FUpgradeBackup = false;
        SetBusy(false);
        return TSchemaStep::Refused;
    }
    return TSchemaStep::Waiting;
}

void TfrmHaskett::FinishUpgrade(bool backupOk, const QString& message)
{
    FUpgradeBackup = false;
    SetBusy(false);
    lblProgress->clear();
    const QFileInfo bak(FUpgradeBackupFile);
    if (!backupOk || !bak.exists() || bak.size() == 0) {
        const QString text =
            QStringLiteral("数据库需要升级，但升级前的备份没有成功，服务没有启动，数据库未作改动。\n%1")
                .arg(backupOk ? QStringLiteral("备份文件 %1 不存在或为空。").arg(FUpgradeBackupFile) : message);
        qCWarning(lcMaintain).noquote() << text;
        ShowMsg(text, ErrorCaption, TMsgIcon::Error);
        return;
    }
    QString report;
    TSchemaUpgrade outcome = TSchemaUpgrade::Failed;
    {
        TFbConnection db;
        try {
            db.Attach(FSettings.DataFile(), DbAccount::UserName(), DbAccount::Password());
            outcome = UpgradeSchema(db, &report);
        } catch (const TFbError& e) {
            report = e.Text();
        }
    }
    if (outcome == TSchemaUpgrade::Upgraded || outcome == TSchemaUpgrade::UpToDate) {
        qCInfo(lcMaintain).noquote()
            << QStringLiteral("数据库已升级（升级前备份 %1）：%2").arg(FUpgradeBackupFile, report);
        Serve();
        return;
    }
    const QString text = QStringLiteral("数据库升级失败，服务没有启动。升级前的备份在 %1。\n%2")
                             .arg(QDir::toNativeSeparators(FUpgradeBackupFile), report);
    qCWarning(lcMaintain).noquote() << text;
    ShowMsg(text, ErrorCaption, TMsgIcon::Error);
}

bool TfrmHaskett::Listening() const
{
    return FHandshake->IsListening();
}

QString TfrmHaskett::PanelText(int index) const
{
    return index >= 0 && index < 3 ? FPanels[index]->text() : QString();
}

void TfrmHaskett::SetServiceState(const QString& text)
{
    FPanels[0]->setText(text);
}

void TfrmHaskett::showEvent(QShowEvent* e)
{
    // Each showing starts from the settings in memory: unsaved edits are dropped.
    edtLocalIP->SetIP(FSettings.LocalIP);
    intPort->SetValue(FSettings.Port);
    edtDBPath->setText(FSettings.DBPath);
    chkAutoRun->setChecked(FSettings.AutoRun);
    edtLastDate->setText(FSettings.LastDate);
    edtLastPath->setText(FSettings.LastPath);
    edtRecoverFile->setText(FSettings.LastPath);
    QWidget::showEvent(e);
}

void TfrmHaskett::closeEvent(QCloseEvent* e)
{
    // Hidden without a notification area, the program could be neither shown nor ended.
    if (!FSettings.ExitRequested && HasTray()) {
        e->ignore();
        hide();
        return;
    }
    if (AskQuestion(ExitQuestion, ConfirmCaption, this) != TMsgAnswer::Yes) {
        e->ignore();
        return;
    }
    e->accept();
    FFinished = true;
    FHandshake->Stop();
    emit Quit();
}

void TfrmHaskett::btnSaveClick()
{
    if (edtDBPath->text().isEmpty())
        return;
    intPort->Normalize();
    QString error;
    if (!WriteNetworkSettings(FSettings.XmlPath(), intPort->text(), edtDBPath->text(), &error)) {
        ShowMsg(error, ErrorCaption, TMsgIcon::Error);
        return;
    }
    FSettings.Port = intPort->Value();
    FSettings.DBPath = edtDBPath->text();
}

void TfrmHaskett::btnStopOrRunClick()
{
    if (FHandshake->IsListening()) {
        FHandshake->Stop();
        btnSave->setEnabled(false);
        btnStopOrRun->setText(ResumeCaption);
        SetServiceState(Paused);
        return;
    }
    QString error;
    if (!FHandshake->Listen(FSettings.Port, &error)) {
        ShowMsg(error, ErrorCaption, TMsgIcon::Error);
        return;
    }
    btnSave->setEnabled(true);
    btnStopOrRun->setText(PauseCaption);
    SetServiceState(Running);
}

void TfrmHaskett::btnBroDBClick()
{
    TFileRequest r;
    r.Mode = TFileRequest::Open;
    r.Filter = QStringLiteral("数据库文件(*.FDB)");
    r.DefaultSuffix = QStringLiteral("FDB");
    const QString file = AskFileName(r);
    if (!file.isEmpty())
        edtDBPath->setText(QDir::toNativeSeparators(file));
}

void TfrmHaskett::btnHideClick()
{
    if (HasTray())
        hide();
    else
        showMinimized();
}

void TfrmHaskett::chkAutoRunClick(bool checked)
{
    // A key that cannot be opened is not reported; the flag follows the box regardless.
    AutoRun::Set(QCoreApplication::applicationFilePath(), checked);
    FSettings.AutoRun = checked;
}

void TfrmHaskett::btnBroBakClick()
{
    TFileRequest r;
    r.Mode = TFileRequest::Folder;
    r.Caption = QStringLiteral("请选择文件夹:");
    const QString folder = AskFileName(r);
    if (!folder.isEmpty())
        edtBakPath->setText(QDir::toNativeSeparators(folder));
}

void TfrmHaskett::btnBroRecoverClick()
{
    TFileRequest r;
    r.Mode = TFileRequest::Open;
    r.Filter = QStringLiteral("数据库备份文件(*.BAK)");
    r.DefaultSuffix = QStringLiteral("BAK");
    const QString file = AskFileName(r);
    if (!file.isEmpty())
        edtRecoverFile->setText(QDir::toNativeSeparators(file));
}

void TfrmHaskett::SetBusy(bool busy)
{
    if (busy == FBusy)
        return;
    FBusy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    btnBackup->setEnabled(!busy);
    btnRecover->setEnabled(!busy);
}

void TfrmHaskett::btnBackupClick()
{
    if (edtBakPath->text().isEmpty() || FMaintenance->Busy())
        return;
    SetBusy(true);
    lblProgress->setText(BackingUp);
    qCInfo(lcMaintain).noquote() << QStringLiteral("开始备份到 %1").arg(edtBakPath->text());
    FMaintenance->StartBackup(edtBakPath->text());
}

void TfrmHaskett::btnRecoverClick()
{
    if (edtRecoverFile->text().isEmpty() || FMaintenance->Busy())
        return;
    SetBusy(true);
    lblProgress->setText(Restoring);
    qCInfo(lcMaintain).noquote() << QStringLiteral("开始从 %1 恢复").arg(edtRecoverFile->text());
    FRestoring = true;
    FMaintenance->StartRestore(edtRecoverFile->text());
}

void TfrmHaskett::OnMaintenanceDone(bool ok, const QString& message)
{
    if (FUpgradeBackup) {
        FinishUpgrade(ok, message);
        return;
    }
    qCInfo(lcMaintain).noquote() << (ok ? QStringLiteral("完成：") : QStringLiteral("失败：")) + message;
    if (FRestoring) {
        FRestoring = false;
        // A backup from before the user existed, or from another installation, holds other
        // grants; the restored database must serve this installation's workstations.
        if (ok)
            PrepareWorkstationUser();
    }
    SetBusy(false);
    lblProgress->clear();
    ShowMsg(message, NoticeCaption, ok ? TMsgIcon::Information : TMsgIcon::Warning);
}

void TfrmHaskett::popSettingClick()
{
    if (isHidden())
        show();
    raise();
    activateWindow();
}

void TfrmHaskett::popHomePageClick()
{
    QDesktopServices::openUrl(QUrl(HomePage()));
}

void TfrmHaskett::popExitClick()
{
    FSettings.ExitRequested = true;
    close();
}

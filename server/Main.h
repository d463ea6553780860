#pragma once
// TfrmHaskett: the server's one window, its notification-area icon and its start-up. The
// window is a thin layer: settings live in TServerSettings, the handshake in THandshake,
// backup and restore in TMaintenance.
#include "Settings.h"

#include <QWidget>

#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QStatusBar;
class QSystemTrayIcon;
class TFlatButton;
class TFlatPanel;
class THandshake;
class TIntegerEdit;
class TIpEdit;
class TLabeledEdit;
class TMaintenance;

class TfrmHaskett : public QWidget {
    Q_OBJECT
public:
    // appPath: the program folder; empty for the running executable's folder.
    explicit TfrmHaskett(const QString& appPath = QString(), QWidget* parent = nullptr);
    ~TfrmHaskett() override;

    static QString Caption();   // "Tarnwell汽修管理系统－服务端"
    static QString TrayTip();   // "Tarnwell汽修管理系统"
    static QString HomePage();
    static QIcon AppIcon();

    // Whether the desktop has a notification area to keep the program in. Without one the
    // window is the only way to the program, so closing it asks the exit question and hiding
    // it only minimises it.
    static bool HasTray();
    static void SetTrayForTests(std::optional<bool> available);   // nullopt: ask the platform

    TServerSettings& Settings() { return FSettings; }
    THandshake* Handshake() const { return FHandshake; }
    TMaintenance* Maintenance() const { return FMaintenance; }
    bool Listening() const;
    QString PanelText(int index) const;   // the status bar's panels, 0 … 2
    bool Finished() const { return FFinished; }   // the user confirmed the exit

    // Group "网络设置"
    TFlatPanel* pnlNet;
    TIpEdit* edtLocalIP;
    TIntegerEdit* intPort;
    TLabeledEdit* edtDBPath;
    TFlatButton* btnBroDB;
    TLabeledEdit* edtContPass;
    QCheckBox* chkAutoRun;
    TFlatButton* btnStopOrRun;
    TFlatButton* btnSave;
    TFlatButton* btnHide;
    // Group "数据维护"
    TFlatPanel* pnlData;
    QLabel* lbl1;
    QLabel* lbl2;
    TLabeledEdit* edtLastDate;
    TLabeledEdit* edtLastPath;
    TLabeledEdit* edtBakPath;
    TFlatButton* btnBroBak;
    TLabeledEdit* edtRecoverFile;
    TFlatButton* btnBroRecover;
    TFlatButton* btnBackup;
    TFlatButton* btnRecover;
    QLabel* lblProgress;   // what the running backup or restore is doing
    QStatusBar* stat;
    // Notification area
    QSystemTrayIcon* trycn;
    QMenu* pm;
    QAction* popSetting;
    QAction* popHomePage;
    QAction* N1;
    QAction* popExit;

    void btnSaveClick();
    void btnStopOrRunClick();
    void btnBroDBClick();
    void btnHideClick();
    void chkAutoRunClick(bool checked);
    void btnBroBakClick();
    void btnBroRecoverClick();
    void btnBackupClick();
    void btnRecoverClick();
    void popSettingClick();
    void popHomePageClick();
    void popExitClick();

signals:
    void Quit();   // the user confirmed the exit: the program ends

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void CreateControls();
    void CreateTray();
    void StartUp();
    // The database this server owns is brought to the program's schema before any workstation
    // is served: after a backup whose service finished cleanly, never over a newer database.
    enum class TSchemaStep { Ready, Waiting, Refused };
    TSchemaStep PrepareSchema();
    void FinishUpgrade(bool backupOk, const QString& message);
    void Serve();
    // The workstations' own database user named in server.xml: made or given its password,
    // and granted its rights on the database, as it now stands. Nothing when none is named.
    void PrepareWorkstationUser();
    void SetServiceState(const QString& text);
    void SetBusy(bool busy);
    void OnMaintenanceDone(bool ok, const QString& message);

    TServerSettings FSettings;
    THandshake* FHandshake = nullptr;
    TMaintenance* FMaintenance = nullptr;
    QLabel* FPanels[3] = {};
    bool FBusy = false;
    bool FFinished = false;
    bool FUpgradeBackup = false;   // the backup before a schema upgrade is running
    bool FRestoring = false;   // a restore is running: its database needs the grants again
    QString FUpgradeBackupFile;
};

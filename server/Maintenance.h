#pragma once
// Backup and restore of the program folder's DATA/DATA.FDB through the database server's
// own services. A service is followed to its very end: a worker thread does nothing but
// read its output, which reaches the UI thread as queued signals, so the UI thread (and the
// handshake it serves) never waits on the database server.
#include "Settings.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

class TSpb;
class TServiceManager;

// One service run on the database server, its output read until the service ends.
class TServiceJob : public QObject {
    Q_OBJECT
public:
    explicit TServiceJob(QObject* parent = nullptr);
    ~TServiceJob() override;   // stops reading; the service itself runs on in the server

    // Attaches to the service manager and starts the service on the caller's thread, then
    // hands the output to the worker. False with the server's text when either fails.
    bool Start(const TSpb& request, QString* error);
    bool Running() const { return FRunning; }

signals:
    void Line(const QString& text);
    // ok: the service finished without error; otherwise error holds the server's text.
    void Finished(bool ok, const QString& error);

private:
    void Read();
    void Join();

    std::unique_ptr<TServiceManager> FManager;
    std::thread FWorker;
    std::atomic<bool> FCancel{false};
    bool FRunning = false;
};

class TMaintenance : public QObject {
    Q_OBJECT
public:
    explicit TMaintenance(TServerSettings* settings, QObject* parent = nullptr);
    ~TMaintenance() override;

    // Empty texts do nothing and return false. Otherwise the operation has begun (or has
    // already failed) and Done follows.
    bool StartBackup(const QString& folder);
    bool StartRestore(const QString& backupFile);
    bool Busy() const;

    // folder + separator (unless already there) + date as yyyy-M-d + ".BAK"
    static QString BackupFileName(const QString& folder, const QDate& date);
    static QString DateText(const QDate& date);          // yyyy-M-d: no separators of paths
    QString RestoreTarget() const;                        // the new file beside DATA.FDB
    QString KeptCopyName() const;                         // what the old DATA.FDB becomes

    // Whether the database server has an attachment to file; false with error when the
    // service manager could not tell.
    static bool InUse(const QString& file, bool* inUse, QString* error);

    static const QString BackupOk;        // "数据库备份成功!"
    static const QString BackupFailed;    // "备份失败，请检查数据库备份参数！"
    static const QString RestoreOk;       // "数据库恢复成功!"
    static const QString RestoreFailed;   // "恢复失败，请检查数据库文件！"
    static const QString RestoreInUse;

signals:
    void Progress(int lines, const QString& lastLine);
    void Done(bool ok, const QString& message);

private:
    enum class TOp { None, Backup, Restore };
    void Begin(TOp op, const TSpb& request);
    void OnFinished(bool ok, const QString& error);
    void FinishBackup();
    void FinishRestore();
    void Fail(const QString& message);
    void Succeed(const QString& message);

    TServerSettings* FSettings;
    TServiceJob* FJob = nullptr;
    TOp FOp = TOp::None;
    int FLines = 0;
    QString FBackupFile;
};

#pragma once
// Backup and restore of the program folder's DATA/DATA.FDB through the database server's
// own services. A service is followed to its very end: a worker thread does nothing but
// read its output, which reaches the UI thread as queued signals, so the UI thread (and the
// handshake it serves) never waits on the database server.
//
// A restore goes into a new file beside the database. The live database is shut to every
// attachment for the whole restore, so that nothing written meanwhile is lost by the swap;
// the new file replaces it only when the service has done all its work and the new file
// passes CheckDatabase. Every other ending brings the live database online again as it was.
#include "DbCheck.h"
#include "Settings.h"

#include <QObject>
#include <QString>
#include <QStringList>

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
    static QString DateText(const QDate& date);   // yyyy-M-d: no separators of paths
    QString RestoreTarget() const;   // the new file beside DATA.FDB
    QString KeptCopyName() const;   // what the old DATA.FDB becomes

    // Whether the database server has an attachment to file; false with error when the
    // service manager could not tell.
    static bool InUse(const QString& file, bool* inUse, QString* error);
    // Shuts file to every attachment (a full shutdown that waits for none). False with the
    // server's text when it cannot; *inUse tells whether that is because of attachments.
    static bool ShutDown(const QString& file, bool* inUse, QString* error);
    static bool BringOnline(const QString& file, QString* error);
    // Whether the live database is shut by the running restore.
    bool LiveShut() const { return FShut; }

    // The last line of a restore that has done all its work; a restore that meets the end
    // of a cut backup file just stops, without an error, before it.
    static const QString RestoreEndMark;

    static const QString BackupOk;   // "数据库备份成功!"
    static const QString BackupFailed;   // "备份失败，请检查数据库备份参数！"
    static const QString RestoreOk;   // "数据库恢复成功!"
    static const QString RestoreFailed;   // "恢复失败，请检查数据库文件！"
    static const QString RestoreInUse;
    static const QString RestoreIncomplete;   // the reason when the end mark never came

signals:
    void Progress(int lines, const QString& lastLine);
    void Done(bool ok, const QString& message);

private:
    enum class TOp { None, Backup, Restore };
    void Begin(TOp op, const TSpb& request);
    void OnFinished(bool ok, const QString& error);
    void FinishBackup();
    void FinishRestore();
    void OnChecked(const TDbCheck& check);
    void FailRestore(const QString& message);
    void Fail(const QString& message);
    void Succeed(const QString& message);

    TServerSettings* FSettings;
    TServiceJob* FJob = nullptr;
    TOp FOp = TOp::None;
    int FLines = 0;
    QString FLastLine;
    QStringList FErrorLines;
    bool FSawEnd = false;
    bool FShut = false;
    QString FLiveFile;   // the database the running restore replaces
    std::thread FChecker;
    QString FBackupFile;
};

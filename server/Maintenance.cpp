#include "Maintenance.h"

#include "Clock.h"
#include "Services.h"

#include <ibase.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

// ---- TServiceJob ----------------------------------------------------------------------

TServiceJob::TServiceJob(QObject* parent)
    : QObject(parent)
{
}

TServiceJob::~TServiceJob()
{
    FCancel = true;
    Join();
}

void TServiceJob::Join()
{
    if (FWorker.joinable())
        FWorker.join();
    FManager.reset();
}

bool TServiceJob::Start(const TSpb& request, QString* error)
{
    if (FRunning)
        return false;
    Join();
    FManager = std::make_unique<TServiceManager>();
    if (!FManager->Attach(error) || !FManager->Start(request, error)) {
        FManager.reset();   // detaches in every case
        return false;
    }
    FCancel = false;
    FRunning = true;
    FWorker = std::thread([this] { Read(); });
    return true;
}

void TServiceJob::Read()
{
    // Runs on the worker: reads until the service ends, nothing else. A service whose
    // output is not read stalls.
    bool ok = false;
    QString error;
    while (!FCancel) {
        QString line;
        const TServiceManager::TRead r = FManager->ReadLine(1, &line, &error);
        if (r == TServiceManager::TRead::Line) {
            QMetaObject::invokeMethod(
                this, [this, line] { emit Line(line); }, Qt::QueuedConnection);
            continue;
        }
        if (r == TServiceManager::TRead::Waiting)
            continue;
        ok = r == TServiceManager::TRead::End;
        break;
    }
    FManager->Detach();
    if (FCancel)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, ok, error] {
            Join();
            FRunning = false;
            emit Finished(ok, error);
        },
        Qt::QueuedConnection);
}

// ---- TMaintenance ---------------------------------------------------------------------

const QString TMaintenance::BackupOk = QStringLiteral("数据库备份成功!");
const QString TMaintenance::BackupFailed = QStringLiteral("备份失败，请检查数据库备份参数！");
const QString TMaintenance::RestoreOk = QStringLiteral("数据库恢复成功!");
const QString TMaintenance::RestoreFailed = QStringLiteral("恢复失败，请检查数据库文件！");
const QString TMaintenance::RestoreInUse =
    QStringLiteral("恢复失败：仍有工作站连接着数据库，数据库未作改动。请让所有工作站退出登录后再恢复。");
const QString TMaintenance::RestoreIncomplete =
    QStringLiteral("恢复没有做完就停止了，备份文件可能不完整或已损坏。数据库未作改动。");
const QString TMaintenance::RestoreEndMark = QStringLiteral("finishing, closing, and going home");

TMaintenance::TMaintenance(TServerSettings* settings, QObject* parent)
    : QObject(parent)
    , FSettings(settings)
{
}

TMaintenance::~TMaintenance()
{
    if (FChecker.joinable())
        FChecker.join();
    // Ending in the middle of a restore: the service runs on into its own file, which never
    // replaces the database, and the database must not stay shut.
    if (FShut) {
        QString error;
        BringOnline(FLiveFile, &error);
    }
}

bool TMaintenance::Busy() const
{
    return FOp != TOp::None;
}

QString TMaintenance::DateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-M-d"));
}

QString TMaintenance::BackupFileName(const QString& folder, const QDate& date)
{
    return WithTrailingSeparator(folder) + DateText(date) + QStringLiteral(".BAK");
}

QString TMaintenance::RestoreTarget() const
{
    return FSettings->AppPath + QStringLiteral("DATA/DATA.restore.FDB");
}

QString TMaintenance::KeptCopyName() const
{
    const QDateTime now = Clock::Now();
    return FSettings->AppPath
        + QStringLiteral("DATA/DATA-%1-%2.FDB").arg(DateText(now.date()), now.toString(QStringLiteral("hhmmss")));
}

bool TMaintenance::InUse(const QString& file, bool* inUse, QString* error)
{
    TServiceManager manager;
    QStringList names;
    int attachments = 0;
    if (!manager.Attach(error) || !manager.AttachedDatabases(&names, &attachments, error))
        return false;
    const QFileInfo target(file);
    const QString canonical = target.canonicalFilePath();
#ifdef _WIN32
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    *inUse = false;
    for (const QString& name : names) {
        const QFileInfo info(name);
        const QString other = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(name);
        if (other.compare(canonical.isEmpty() ? QDir::cleanPath(target.absoluteFilePath()) : canonical, cs) == 0)
            *inUse = true;
    }
    return true;
}

bool TMaintenance::ShutDown(const QString& file, bool* inUse, QString* error)
{
    *inUse = false;
    TServiceManager manager;
    if (!manager.Attach(error))
        return false;
    TSpb spb(isc_action_svc_properties);
    spb.Text(isc_spb_dbname, file)
        .Byte(isc_spb_prp_shutdown_mode, isc_spb_prp_sm_full)
        .Int(isc_spb_prp_attachments_shutdown, 0);   // refused at once while anyone is attached
    if (manager.Run(spb, error))
        return true;
    *inUse = manager.Failed(isc_shutfail);
    return false;
}

bool TMaintenance::BringOnline(const QString& file, QString* error)
{
    TServiceManager manager;
    if (!manager.Attach(error))
        return false;
    TSpb spb(isc_action_svc_properties);
    spb.Text(isc_spb_dbname, file).Byte(isc_spb_prp_online_mode, isc_spb_prp_sm_normal);
    return manager.Run(spb, error);
}

bool TMaintenance::StartBackup(const QString& folder)
{
    if (folder.isEmpty() || Busy())
        return false;
    FBackupFile = BackupFileName(folder, Clock::Today());
    TSpb spb(isc_action_svc_backup);
    spb.Text(isc_spb_dbname, FSettings->DataFile())
        .Text(isc_spb_bkp_file, FBackupFile)
        .Int(isc_spb_options, isc_spb_bkp_ignore_limbo | isc_spb_bkp_non_transportable)
        .Flag(isc_spb_verbose);
    Begin(TOp::Backup, spb);
    return true;
}

bool TMaintenance::StartRestore(const QString& backupFile)
{
    if (backupFile.isEmpty() || Busy())
        return false;
    // Refuse at once rather than after a long restore; checked again before the swap.
    bool inUse = false;
    QString error;
    if (!InUse(FSettings->DataFile(), &inUse, &error)) {
        Fail(RestoreFailed + QLatin1Char('\n') + error);
        return true;
    }
    if (inUse) {
        Fail(RestoreInUse);
        return true;
    }
    // From here to the swap nobody may attach: a workstation's save in between would be lost
    // with the old file. A file the server cannot open as a database cannot be shut, but
    // then nobody can write to it either.
    const QString data = FSettings->DataFile();
    FLiveFile = data;
    FShut = false;
    if (QFileInfo::exists(data)) {
        if (ShutDown(data, &inUse, &error)) {
            FShut = true;
        } else if (inUse) {
            BringOnline(data, &error);
            Fail(RestoreInUse);
            return true;
        }
    }
    // Into a new file beside the database: the database itself is not touched until the
    // restore has finished cleanly. A leftover of an earlier attempt is replaced.
    TSpb spb(isc_action_svc_restore);
    spb.Text(isc_spb_bkp_file, backupFile)
        .Text(isc_spb_dbname, RestoreTarget())
        .Int(isc_spb_options, isc_spb_res_replace | isc_spb_res_use_all_space)
        .Int(isc_spb_res_page_size, 4096)
        .Int(isc_spb_res_buffers, 3000)
        .Flag(isc_spb_verbose);
    Begin(TOp::Restore, spb);
    return true;
}

void TMaintenance::Begin(TOp op, const TSpb& request)
{
    FOp = op;
    FLines = 0;
    FLastLine.clear();
    FErrorLines.clear();
    FSawEnd = false;
    if (!FJob) {
        FJob = new TServiceJob(this);
        connect(FJob, &TServiceJob::Line, this, [this](const QString& line) {
            ++FLines;
            FLastLine = line.trimmed();
            if (FLastLine.contains(RestoreEndMark))
                FSawEnd = true;
            // gbak's own error lines, not a table whose name holds the word
            static const QRegularExpression errorLine(QStringLiteral("^gbak:\\s*ERROR"));
            if (errorLine.match(FLastLine).hasMatch())
                FErrorLines << FLastLine;
            emit Progress(FLines, line);
        });
        connect(FJob, &TServiceJob::Finished, this, &TMaintenance::OnFinished);
    }
    QString error;
    if (!FJob->Start(request, &error))
        OnFinished(false, error);
}

void TMaintenance::OnFinished(bool ok, const QString& error)
{
    if (FOp == TOp::Backup) {
        if (ok)
            FinishBackup();
        else
            Fail(BackupFailed + QLatin1Char('\n') + error);
    } else if (FOp == TOp::Restore) {
        // The service may end quietly half way (a cut file): only its own last line says
        // that it did all its work.
        if (!ok)
            FailRestore(RestoreFailed + QLatin1Char('\n') + error);
        else if (!FErrorLines.isEmpty())
            FailRestore(RestoreFailed + QLatin1Char('\n') + FErrorLines.join(QLatin1Char('\n')));
        else if (!FSawEnd)
            FailRestore(RestoreFailed + QLatin1Char('\n') + RestoreIncomplete
                        + (FLastLine.isEmpty() ? QString() : QStringLiteral("\n最后一步：%1").arg(FLastLine)));
        else
            FinishRestore();
    }
}

void TMaintenance::FailRestore(const QString& message)
{
    QFile::remove(RestoreTarget());
    if (FShut) {
        QString error;
        BringOnline(FLiveFile, &error);
        FShut = false;
    }
    Fail(message);
}

void TMaintenance::FinishBackup()
{
    const QString date = DateText(Clock::Today());
    QString error;
    if (!WriteLastBackup(FSettings->XmlPath(), date, FBackupFile, &error)) {
        Fail(BackupFailed + QLatin1Char('\n') + error);
        return;
    }
    FSettings->LastDate = date;
    FSettings->LastPath = FBackupFile;
    Succeed(BackupOk);
}

void TMaintenance::FinishRestore()
{
    // The check attaches and counts: off the UI thread, like the service itself.
    if (FChecker.joinable())
        FChecker.join();
    const QString fresh = RestoreTarget();
    FChecker = std::thread([this, fresh] {
        const TDbCheck check = CheckDatabase(fresh);
        QMetaObject::invokeMethod(
            this, [this, check] { OnChecked(check); }, Qt::QueuedConnection);
    });
}

void TMaintenance::OnChecked(const TDbCheck& check)
{
    if (FChecker.joinable())
        FChecker.join();
    if (!check.Ok) {
        FailRestore(RestoreFailed + QLatin1Char('\n') + check.Reason);
        return;
    }
    const QString data = FLiveFile;
    const QString fresh = RestoreTarget();
    bool inUse = false;
    QString error;
    if (!InUse(data, &inUse, &error) || inUse) {
        FailRestore(inUse ? RestoreInUse : RestoreFailed + QLatin1Char('\n') + error);
        return;
    }
    QString kept;
    if (QFileInfo::exists(data)) {
        kept = KeptCopyName();
        if (!QFile::rename(data, kept)) {
            FailRestore(RestoreFailed + QLatin1Char('\n')
                        + QStringLiteral("无法改名 %1 为 %2")
                              .arg(QDir::toNativeSeparators(data), QDir::toNativeSeparators(kept)));
            return;
        }
    }
    if (!QFile::rename(fresh, data)) {
        if (!kept.isEmpty())
            QFile::rename(kept, data);   // put the old database back
        FailRestore(
            RestoreFailed + QLatin1Char('\n')
            + QStringLiteral("无法改名 %1 为 %2").arg(QDir::toNativeSeparators(fresh), QDir::toNativeSeparators(data)));
        return;
    }
    // The new file is online from its restore; the kept copy was shut with the old name and
    // is opened again so that it can be looked into.
    if (FShut && !kept.isEmpty())
        BringOnline(kept, &error);
    FShut = false;
    Succeed(RestoreOk + QLatin1Char('\n') + QStringLiteral("恢复的数据：") + check.CountsText());
}

void TMaintenance::Fail(const QString& message)
{
    FOp = TOp::None;
    emit Done(false, message);
}

void TMaintenance::Succeed(const QString& message)
{
    FOp = TOp::None;
    emit Done(true, message);
}

#include "Maintenance.h"

#include "Clock.h"
#include "Services.h"

#include <ibase.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

// ---- TServiceJob ----------------------------------------------------------------------

TServiceJob::TServiceJob(QObject* parent) : QObject(parent)
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
            QMetaObject::invokeMethod(this, [this, line] { emit Line(line); }, Qt::QueuedConnection);
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
    QMetaObject::invokeMethod(this, [this, ok, error] {
        Join();
        FRunning = false;
        emit Finished(ok, error);
    }, Qt::QueuedConnection);
}

// ---- TMaintenance ---------------------------------------------------------------------

const QString TMaintenance::BackupOk = QStringLiteral("数据库备份成功!");
const QString TMaintenance::BackupFailed = QStringLiteral("备份失败，请检查数据库备份参数！");
const QString TMaintenance::RestoreOk = QStringLiteral("数据库恢复成功!");
const QString TMaintenance::RestoreFailed = QStringLiteral("恢复失败，请检查数据库文件！");
const QString TMaintenance::RestoreInUse =
    QStringLiteral("恢复失败：仍有工作站连接着数据库，数据库未作改动。请让所有工作站退出登录后再恢复。");

TMaintenance::TMaintenance(TServerSettings* settings, QObject* parent) : QObject(parent), FSettings(settings)
{
}

TMaintenance::~TMaintenance() = default;

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
    return FSettings->AppPath + QStringLiteral("DATA/DATA-%1-%2.FDB")
                                    .arg(DateText(now.date()), now.toString(QStringLiteral("hhmmss")));
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
    if (!FJob) {
        FJob = new TServiceJob(this);
        connect(FJob, &TServiceJob::Line, this, [this](const QString& line) {
            ++FLines;
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
        if (ok) {
            FinishRestore();
        } else {
            QFile::remove(RestoreTarget());
            Fail(RestoreFailed + QLatin1Char('\n') + error);
        }
    }
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
    const QString data = FSettings->DataFile();
    const QString fresh = RestoreTarget();
    bool inUse = false;
    QString error;
    if (!InUse(data, &inUse, &error) || inUse) {
        QFile::remove(fresh);
        Fail(inUse ? RestoreInUse : RestoreFailed + QLatin1Char('\n') + error);
        return;
    }
    QString kept;
    if (QFileInfo::exists(data)) {
        kept = KeptCopyName();
        if (!QFile::rename(data, kept)) {
            QFile::remove(fresh);
            Fail(RestoreFailed + QLatin1Char('\n') +
                 QStringLiteral("无法改名 %1 为 %2").arg(QDir::toNativeSeparators(data), QDir::toNativeSeparators(kept)));
            return;
        }
    }
    if (!QFile::rename(fresh, data)) {
        if (!kept.isEmpty())
            QFile::rename(kept, data);   // put the old database back
        QFile::remove(fresh);
        Fail(RestoreFailed + QLatin1Char('\n') +
             QStringLiteral("无法改名 %1 为 %2").arg(QDir::toNativeSeparators(fresh), QDir::toNativeSeparators(data)));
        return;
    }
    Succeed(RestoreOk);
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

#include "TestDb.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <sys/stat.h>

namespace {

// The server runs as its own user: it must be able to write the folder and the file.
void OpenToServer(const QString& path, bool folder)
{
    ::chmod(QFile::encodeName(path).constData(), folder ? 0777 : 0666);
}

}   // namespace

int RunProjectScript(const QString& name, const QStringList& args, QString* out)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("bash"), QStringList{QStringLiteral(TARNWELL_SOURCE_DIR "/scripts/") + name} + args);
    p.waitForFinished(600000);
    if (out)
        *out = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TTestDb::TTestDb(const QString& relativePath)
    : FDir(std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/wrenfield-test-XXXXXX")))
{
    Make(relativePath, nullptr);
}

TTestDb::TTestDb(const QString& relativePath, const QStringList& newdbArgs)
    : FDir(std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/wrenfield-test-XXXXXX")))
{
    Make(relativePath, &newdbArgs);
}

void TTestDb::Make(const QString& relativePath, const QStringList* newdbArgs)
{
    if (!FDir->isValid()) {
        FError = QStringLiteral("cannot make a temporary folder");
        return;
    }
    OpenToServer(FDir->path(), true);
    FPath = FDir->path() + QLatin1Char('/') + relativePath;
    // Every folder on the way must be the server's to write as well.
    QString folder = FDir->path();
    const QStringList parts = relativePath.split(QLatin1Char('/'));
    for (int i = 0; i + 1 < parts.size(); ++i) {
        folder += QLatin1Char('/') + parts[i];
        QDir().mkdir(folder);
        OpenToServer(folder, true);
    }
    const QString templ = qEnvironmentVariable("WRENFIELD_TEST_TEMPLATE");
    if (!newdbArgs && !templ.isEmpty() && QFile::exists(templ)) {
        if (!QFile::copy(templ, FPath)) {
            FError = QStringLiteral("cannot copy %1").arg(templ);
            return;
        }
    } else {
        QString out;
        if (RunProjectScript(QStringLiteral("newdb"), QStringList{FPath} + (newdbArgs ? *newdbArgs : QStringList()),
                             &out)
            != 0) {
            FError = out;
            return;
        }
    }
    OpenToServer(FPath, false);
    FOk = true;
}

TTestDb::~TTestDb() = default;

QString TTestDb::Location() const
{
    return ServerLocation(FPath);
}

QString TTestDb::Folder() const
{
    return FDir->path();
}

#include "Log.h"

#include "Clock.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>

Q_LOGGING_CATEGORY(lcStart, "tarnwell.start")
Q_LOGGING_CATEGORY(lcSession, "tarnwell.session")
Q_LOGGING_CATEGORY(lcData, "tarnwell.data")
Q_LOGGING_CATEGORY(lcMaintain, "tarnwell.maintain")
Q_LOGGING_CATEGORY(lcNet, "tarnwell.net")

namespace {

struct TLogState {
    QMutex Mutex;
    QString FileName;
    qint64 Limit = Log::DefaultLimitBytes;
    int Kept = Log::DefaultKeptFiles;
    QtMessageHandler Previous = nullptr;
    bool Installed = false;
};

TLogState& State()
{
    static TLogState state;
    return state;
}

const char* KindName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return "debug";
    case QtInfoMsg: return "info";
    case QtWarningMsg: return "warning";
    case QtCriticalMsg: return "critical";
    case QtFatalMsg: return "fatal";
    }
    return "?";
}

// .1 is the newest old file; the oldest beyond the kept number goes.
void Rotate(const TLogState& s)
{
    QFile::remove(s.FileName + QLatin1Char('.') + QString::number(s.Kept));
    for (int i = s.Kept - 1; i >= 1; --i)
        QFile::rename(s.FileName + QLatin1Char('.') + QString::number(i),
                      s.FileName + QLatin1Char('.') + QString::number(i + 1));
    if (s.Kept >= 1)
        QFile::rename(s.FileName, s.FileName + QStringLiteral(".1"));
    else
        QFile::remove(s.FileName);
}

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    TLogState& s = State();
    QtMessageHandler previous = nullptr;
    {
        QMutexLocker lock(&s.Mutex);
        previous = s.Previous;
        if (s.Installed && type != QtDebugMsg) {
            QString text = message;
            text.replace(QLatin1Char('\n'), QStringLiteral(" | "));   // one event, one line
            const QByteArray line = (Clock::Now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
                                     + QStringLiteral(" [%1] %2: %3\n")
                                           .arg(QLatin1String(KindName(type)),
                                                QLatin1String(context.category ? context.category : "default"), text))
                                        .toUtf8();
            QFile file(s.FileName);
            if (file.exists() && file.size() + line.size() > s.Limit)
                Rotate(s);
            // A log that cannot be written must never stop the program.
            if (file.open(QIODevice::WriteOnly | QIODevice::Append))
                file.write(line);
        }
    }
    if (previous)
        previous(type, context, message);
}

}   // namespace

namespace Log {

void Install(const QString& file, qint64 limitBytes, int keptFiles)
{
    TLogState& s = State();
    {
        QMutexLocker lock(&s.Mutex);
        s.FileName = file;
        s.Limit = qMax<qint64>(limitBytes, 1024);
        s.Kept = qMax(keptFiles, 0);
        if (s.Installed)
            return;
        s.Installed = true;
    }
    QtMessageHandler previous = qInstallMessageHandler(Handler);
    QMutexLocker lock(&s.Mutex);
    s.Previous = previous;
}

void Uninstall()
{
    TLogState& s = State();
    QtMessageHandler previous = nullptr;
    {
        QMutexLocker lock(&s.Mutex);
        if (!s.Installed)
            return;
        s.Installed = false;
        s.FileName.clear();
        previous = s.Previous;
        s.Previous = nullptr;
    }
    qInstallMessageHandler(previous);
}

QString FileName()
{
    TLogState& s = State();
    QMutexLocker lock(&s.Mutex);
    return s.FileName;
}

}   // namespace Log

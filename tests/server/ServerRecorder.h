#pragma once
// Helpers of the server's tests; the recorder is the one both programs' tests use.
#include "Recorder.h"
#include "ServerHead.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

using TServerRecorder = TRecorder;

inline bool WriteText(const QString& path, const QString& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) >= 0;
}

inline QString ReadText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

inline QString ServerXml(const QString& port, const QString& dbpath, const QString& extra = QString())
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<server>\n  <port>%1</port>\n"
                          "  <dbpath>%2</dbpath>\n  <lastdate></lastdate>\n  <lastpath></lastpath>\n%3</server>\n")
        .arg(port, dbpath, extra);
}

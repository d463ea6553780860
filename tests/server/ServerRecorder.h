#pragma once
// Answers the server's message boxes and dialogs in tests and keeps what was shown.
#include "ServerHead.h"

#include <QFile>
#include <QList>
#include <QProcess>
#include <QQueue>
#include <QStringList>

class TServerRecorder {
public:
    TServerRecorder()
    {
        FOldMessage = Haskett::SetMessageHandler([this](const Haskett::TMessageRequest& r) {
            Messages << r;
            if (!r.Question)
                return Haskett::TMsgAnswer::Ok;
            return Answers.isEmpty() ? Haskett::TMsgAnswer::No : Answers.dequeue();
        });
        FOldFile = Haskett::SetFileHandler([this](const Haskett::TFileRequest& r) {
            FileRequests << r;
            return FileNames.isEmpty() ? QString() : FileNames.dequeue();
        });
    }
    ~TServerRecorder()
    {
        Haskett::SetMessageHandler(FOldMessage);
        Haskett::SetFileHandler(FOldFile);
    }

    QList<Haskett::TMessageRequest> Messages;
    QQueue<Haskett::TMsgAnswer> Answers;   // for questions; No when empty (the default)
    QQueue<QString> FileNames;             // cancelled when empty
    QList<Haskett::TFileRequest> FileRequests;

    QString Last() const { return Messages.isEmpty() ? QString() : Messages.last().Text; }

private:
    Haskett::TMessageHandler FOldMessage;
    Haskett::TFileHandler FOldFile;
};

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

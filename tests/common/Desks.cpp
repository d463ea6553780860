#include "Desks.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <iostream>
#include <string>

int ServeCommands(const std::function<QString(const QStringList& words)>& answer)
{
    std::printf("ready\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        const QStringList w = QString::fromStdString(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w.isEmpty() || w[0] == QLatin1String("quit"))
            break;
        std::printf("%s\n", answer(w).toUtf8().constData());
        std::fflush(stdout);
    }
    return 0;
}

QString ReadDeskLine(QProcess& p, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!p.canReadLine() && t.elapsed() < ms && p.state() == QProcess::Running)
        p.waitForReadyRead(1000);
    return QString::fromUtf8(p.readLine()).trimmed();
}

std::unique_ptr<QProcess> StartDesk(const QString& role, const QString& location)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QCoreApplication::applicationFilePath(), {role, location});
    if (!p->waitForStarted() || ReadDeskLine(*p) != QLatin1String("ready"))
        return nullptr;
    return p;
}

void StopDesk(QProcess& p)
{
    p.write("quit\n");
    p.closeWriteChannel();
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

#pragma once
// Workstations as child processes of a test program: the program started again with a role
// argument ("--desk LOCATION") becomes a desk that attaches on its own and answers one line
// per command line, so that several desks can save at the same moment.
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// The desk's side: "ready", then for every command line the handler's one-line answer, until
// "quit" or the end of input. The handler may print lines of its own before its answer.
int ServeCommands(const std::function<QString(const QStringList& words)>& answer);

// The test's side: this test program started as a desk with role and location; null when it
// did not start or did not say "ready".
std::unique_ptr<QProcess> StartDesk(const QString& role, const QString& location);
// The next line the desk wrote, waiting at most ms; empty when it wrote none or ended.
QString ReadDeskLine(QProcess& p, int ms = 60000);
// Asks the desk to end and waits for it; kills it when it does not.
void StopDesk(QProcess& p);

// Haskett: the server program. It starts hidden in the notification area; "--show" opens
// its window at once. Where there is no notification area the window opens at start: hidden
// there, the server could be neither seen nor ended.
#include "Log.h"
#include "Main.h"
#include "Settings.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Haskett"));
    QApplication::setQuitOnLastWindowClosed(false);   // the window only hides
    Log::Install(WithTrailingSeparator(QCoreApplication::applicationDirPath()) + QStringLiteral("Haskett.log"));
    TfrmHaskett frm;
    QObject::connect(&frm, &TfrmHaskett::Quit, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (QApplication::arguments().contains(QStringLiteral("--show")) || !TfrmHaskett::HasTray())
        frm.popSettingClick();
    return app.exec();
}

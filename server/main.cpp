// Haskett: the server program. It starts hidden in the notification area; "--show" opens
// its window at once, for desktops without a notification area to open it from.
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
    if (QApplication::arguments().contains(QStringLiteral("--show")))
        frm.popSettingClick();
    return app.exec();
}

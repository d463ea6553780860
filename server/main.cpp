// Haskett: the server program. It starts hidden in the notification area.
#include "Main.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Haskett"));
    QApplication::setQuitOnLastWindowClosed(false);   // the window only hides
    TfrmHaskett frm;
    QObject::connect(&frm, &TfrmHaskett::Quit, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    return app.exec();
}

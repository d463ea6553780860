#include "Application.h"
#include "Mdi.h"

int main(int argc, char* argv[])
{
    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwell汽修管理系统"));
    TfrmMdi main;
    if (!main.Created())
        return 1;
    // The login comes before the main window ever appears; giving up ends the program.
    if (!main.Login())
        return 0;
    main.showMaximized();
    return app.exec();
}

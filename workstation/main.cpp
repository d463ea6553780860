#include "Application.h"
#include "GlobalHead.h"
#include "Log.h"
#include "Mdi.h"
#include "Product.h"

int main(int argc, char* argv[])
{
    TApplication app(argc, argv);
    QApplication::setApplicationName(ProductName());
    // The program folder, the pool and the settings first; the windows take them from there.
    if (!StartUp(QString()))
        return 1;
    Log::Install(AppPath + QStringLiteral("Wrenfield.log"));
    qCInfo(lcStart).noquote() << QStringLiteral("Wrenfield 启动，程序目录 %1").arg(AppPath);
    TfrmMdi main;
    if (!main.Created())
        return 1;
    // The login comes before the main window ever appears; giving up ends the program.
    if (!main.Login())
        return 0;
    main.showMaximized();
    return app.exec();
}

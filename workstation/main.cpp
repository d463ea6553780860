#include "Mdi.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwell汽修管理系统"));
    TfrmMdi main;
    if (!main.Created())
        return 1;
    main.showMaximized();
    return app.exec();
}

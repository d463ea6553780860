#include "Application.h"
#include "Mdi.h"
#include "Product.h"

int main(int argc, char* argv[])
{
    TApplication app(argc, argv);
    QApplication::setApplicationName(ProductName());
    TfrmMdi main;
    if (!main.Created())
        return 1;
    // The login comes before the main window ever appears; giving up ends the program.
    if (!main.Login())
        return 0;
    main.showMaximized();
    return app.exec();
}

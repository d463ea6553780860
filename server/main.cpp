// Haskett: the server program. Its window, tray and handshake follow.
#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Haskett"));
    return 0;
}

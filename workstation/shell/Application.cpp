#include "Application.h"

#include "GlobalHead.h"

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

bool RunGuarded(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        ShowError(e);
    } catch (...) {
        ShowError(QStringLiteral("未知错误"));
    }
    return false;
}

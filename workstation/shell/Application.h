#pragma once
// The workstation's application object: an error that no window catches reaches the
// general error display with its own text, the event that raised it is abandoned and the
// program goes on.
#include <QApplication>

#include <functional>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs work; an exception is shown through the message seam and false is returned.
bool RunGuarded(const std::function<void()>& work);

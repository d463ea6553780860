#pragma once
// The workstation's one guard for its handlers: an error no window catches reaches the
// general error display with its own text, the event that raised it is abandoned and the
// program goes on. No exception may cross a Qt slot or event handler, so every connection
// to a handler goes through Guarded and every overridden event handler runs its body
// through RunGuarded; the application object catches what still gets through.
#include <QApplication>

#include <functional>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs work; an exception is shown through the general error display and false is returned.
bool RunGuarded(const std::function<void()>& work);

// A handler as a slot that keeps its exceptions: connect(b, &QPushButton::clicked, this,
// Guarded(this, &TfrmX::btnOKClick)).
template <class TObj, class TRet, class... TArgs> auto Guarded(TObj* object, TRet (TObj::*handler)(TArgs...))
{
    return [object, handler](TArgs... args) { RunGuarded([&] { (object->*handler)(args...); }); };
}
template <class TFn> auto Guarded(TFn fn)
{
    return [fn](auto&&... args) { RunGuarded([&] { fn(args...); }); };
}

#include "Clock.h"

#include <QMutex>

namespace {

QMutex& Lock()
{
    static QMutex m;
    return m;
}

QDateTime& Fixed()
{
    static QDateTime t;
    return t;
}

}   // namespace

namespace Clock {

QDateTime Now()
{
    QMutexLocker l(&Lock());
    return Fixed().isValid() ? Fixed() : QDateTime::currentDateTime();
}

QDate Today()
{
    return Now().date();
}

void SetClockForTests(const QDateTime& now)
{
    QMutexLocker l(&Lock());
    Fixed() = now;
}

}   // namespace Clock

#pragma once
// The one clock behind every date the programs write (bill dates, backup names, lastdate),
// so that tests can fix "today".
#include <QDate>
#include <QDateTime>

namespace Clock {
QDate Today();
QDateTime Now();
// Fixes the clock at the given moment; an invalid QDateTime goes back to the real clock.
void SetClockForTests(const QDateTime& now);
}   // namespace Clock

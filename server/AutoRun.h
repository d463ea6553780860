#pragma once
// The per-machine logon start entry of the server, keyed by the executable's file name.
// Windows: a string value under HKEY_LOCAL_MACHINE\SOFTWARE\MicroSoft\Windows\CurrentVersion\Run.
// Linux: an XDG autostart entry <dir>/<file name>.desktop, dir /etc/xdg/autostart.
// The key (the folder) is opened, never created: where it cannot be opened nothing is
// written and nothing is reported.
#include <QString>

namespace AutoRun {
// Whether the entry for the executable exists.
bool Exists(const QString& exePath);
// Writes (on) or removes (off) the entry. False when it could not be done.
bool Set(const QString& exePath, bool on);

#ifndef _WIN32
QString Directory();
// For tests: another autostart folder; an empty text goes back to the real one.
void SetDirectoryForTests(const QString& dir);
#endif
}   // namespace AutoRun

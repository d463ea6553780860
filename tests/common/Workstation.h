#pragma once
// A workstation folder of a test's own: the settings file every window test starts from.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

// Writes configure.xml into the folder: 100 rows a page, a server at 127.0.0.1:4305, and the
// extra elements given. False when the file could not be written.
inline bool WriteTestSettings(const QTemporaryDir& folder, const QByteArray& extra = QByteArray())
{
    QFile f(folder.filePath(QStringLiteral("configure.xml")));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write("<configure><countperpage>100</countperpage><ip>127.0.0.1</ip><port>4305</port>"
            "<timeout>5</timeout><loginlist/>"
            + extra + "</configure>");
    return f.error() == QFileDevice::NoError;
}

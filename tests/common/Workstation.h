#pragma once
// What every window test needs: a workstation folder with its settings file, a click on a
// toolbar button as the user makes it, and an answer to the next modal window.
#include "DataTool.h"

#include <QApplication>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

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

// Clicks a toolbar button with the mouse; the button must be there and enabled.
inline void Click(TDataToolBar* bar, TOption o)
{
    QToolButton* b = bar->Button(o);
    QVERIFY(b);
    QVERIFY2(b->isEnabled(), qPrintable(b->text()));
    QTest::mouseClick(b, Qt::LeftButton);
}

// Runs act on the next modal window once it has opened; gives up after 10 s.
inline void OnNextDialog(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    const QDeadlineTimer deadline(10000);
    QObject::connect(timer, &QTimer::timeout, [timer, act, deadline] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (w)
            act(w);
    });
    timer->start();
}

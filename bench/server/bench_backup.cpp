// Backs up a demo database through the server's window and meanwhile checks in from another
// thread every 50 ms, timing each answer: the handshake must not wait for the backup.
//   bench_backup DATABASE ORDERS
// DATABASE is copied into a fresh program folder as DATA/DATA.FDB; ORDERS only labels the
// figures. Prints one line per second of progress and a last line of figures.
#include "FlatButton.h"
#include "Handshake.h"
#include "LabeledEdit.h"
#include "Main.h"
#include "Maintenance.h"
#include "ServerHead.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

void OpenToServer(const QString& path, mode_t mode)
{
    ::chmod(QFile::encodeName(path).constData(), mode);
}

}   // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_backup DATABASE ORDERS\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString orders = QString::fromLocal8Bit(argv[2]);

    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/haskett-bench-XXXXXX"));
    const QString program = folder.path() + QLatin1Char('/');
    QDir().mkpath(program + QStringLiteral("DATA"));
    QDir().mkpath(program + QStringLiteral("bak"));
    OpenToServer(folder.path(), 0777);
    OpenToServer(program + QStringLiteral("DATA"), 0777);
    OpenToServer(program + QStringLiteral("bak"), 0777);
    const QString data = program + QStringLiteral("DATA/DATA.FDB");
    if (!QFile::copy(source, data)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(source));
        return 1;
    }
    OpenToServer(data, 0666);
    QFile xml(program + QStringLiteral("server.xml"));
    xml.open(QIODevice::WriteOnly);
    xml.write(
        QStringLiteral("<server><port>0</port><dbpath>%1</dbpath><lastdate/><lastpath/></server>").arg(data).toUtf8());
    xml.close();

    QString message;
    Haskett::SetMessageHandler([&](const Haskett::TMessageRequest& r) {
        message = r.Text;
        app.quit();
        return Haskett::TMsgAnswer::Ok;
    });

    TfrmHaskett frm(program);
    const int port = frm.Handshake()->ServerPort();
    frm.show();
    frm.edtBakPath->setText(program + QStringLiteral("bak"));

    std::atomic<bool> stop{false};
    std::mutex lock;
    std::vector<double> times;
    int failures = 0;
    std::thread client([&] {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (!s.waitForConnected(3000))
            return;
        while (!stop) {
            QElapsedTimer t;
            t.start();
            s.write("CHECKIN#bench");
            s.waitForBytesWritten(1000);
            bool ok = s.waitForReadyRead(5000);
            const QByteArray reply = s.readAll();
            ok = ok && reply.startsWith("DBPATH#");
            const double ms = t.nsecsElapsed() / 1e6;
            {
                std::lock_guard<std::mutex> g(lock);
                if (ok)
                    times.push_back(ms);
                else
                    ++failures;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });

    QElapsedTimer backup;
    int lines = 0;
    QObject::connect(frm.Maintenance(), &TMaintenance::Progress, [&](int n, const QString&) { lines = n; });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        std::lock_guard<std::mutex> g(lock);
        const double worst = times.empty() ? 0 : *std::max_element(times.begin(), times.end());
        std::printf("  %5.1f s: %d lines of output, %zu answers, worst %.1f ms\n", backup.elapsed() / 1000.0, lines,
                    times.size(), worst);
        std::fflush(stdout);
    });
    tick.start(1000);
    QTimer::singleShot(200, [&] {
        backup.start();
        QMetaObject::invokeMethod(frm.btnBackup, "click");
    });
    app.exec();
    const double seconds = backup.elapsed() / 1000.0;
    stop = true;
    client.join();

    std::sort(times.begin(), times.end());
    auto at = [&](double q) {
        return times.empty() ? 0.0 : times[std::min(times.size() - 1, size_t(q * times.size()))];
    };
    std::printf("%s\n", qPrintable(message));
    std::printf("backup N=%s backup_s=%.1f answers=%zu failures=%d median_ms=%.2f p99_ms=%.2f max_ms=%.2f\n",
                qPrintable(orders), seconds, times.size(), failures, at(0.5), at(0.99),
                times.empty() ? 0.0 : times.back());
    return message == TMaintenance::BackupOk && failures == 0 ? 0 : 1;
}

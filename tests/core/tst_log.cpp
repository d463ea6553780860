// The log file: what a support person reads, kept within its size by rotation.
#include "Log.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>
#include <vector>

namespace {

QStringList Lines(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}   // namespace

class TestLog : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> Dir;
    QString File;

private slots:
    void init()
    {
        Dir = std::make_unique<QTemporaryDir>();
        File = Dir->filePath(QStringLiteral("Wrenfield.log"));
    }

    void cleanup() { Log::Uninstall(); }

    void writesEventsAsOneLineEach()
    {
        Log::Install(File);
        QCOMPARE(Log::FileName(), File);
        qCInfo(lcSession) << "登录成功：管理员";
        qCWarning(lcData, "数据库错误\n第二行");
        qCDebug(lcData) << "not for the file";
        const QStringList lines = Lines(File);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains(QStringLiteral("[info] tarnwell.session: 登录成功：管理员")), qPrintable(lines[0]));
        QVERIFY2(lines[1].endsWith(QStringLiteral("[warning] tarnwell.data: 数据库错误 | 第二行")),
                 qPrintable(lines[1]));
        QVERIFY(QDateTime::fromString(lines[0].left(23), QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")).isValid());
        Log::Uninstall();
        qCWarning(lcData) << "after";
        QCOMPARE(Lines(File).size(), 2);
    }

    void rotatesAndKeepsSoManyFiles_data()
    {
        QTest::addColumn<int>("kept");
        QTest::newRow("three kept") << 3;
        QTest::newRow("one kept") << 1;
        QTest::newRow("none kept") << 0;
    }

    void rotatesAndKeepsSoManyFiles()
    {
        QFETCH(int, kept);
        const qint64 limit = 2048;
        Log::Install(File, limit, kept);
        for (int i = 0; i < 400; ++i)
            qCWarning(lcNet, "peer refused %d 这是一条较长的日志文字", i);
        QVERIFY(QFileInfo(File).size() <= limit);
        for (int i = 1; i <= kept; ++i) {
            QVERIFY2(QFile::exists(File + QLatin1Char('.') + QString::number(i)), qPrintable(QString::number(i)));
            QVERIFY(QFileInfo(File + QLatin1Char('.') + QString::number(i)).size() <= limit);
        }
        QVERIFY(!QFile::exists(File + QLatin1Char('.') + QString::number(kept + 1)));
        // The newest event is in the current file, whole.
        QVERIFY(Lines(File).last().endsWith(QStringLiteral("peer refused 399 这是一条较长的日志文字")));
    }

    void manyThreadsLoseNoLine()
    {
        Log::Install(File, 64 * 1024 * 1024, 1);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([t] {
                for (int i = 0; i < 250; ++i)
                    qCInfo(lcMaintain, "thread %d line %d", t, i);
            });
        for (std::thread& t : threads)
            t.join();
        const QStringList lines = Lines(File);
        QCOMPARE(lines.size(), 1000);
        for (const QString& line : lines)
            QVERIFY2(line.contains(QStringLiteral("[info] tarnwell.maintain: thread ")), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestLog)
#include "tst_log.moc"

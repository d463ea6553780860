// Moravek through the workstation's binding: digests, the machine fingerprint, file
// versions, and what happens when the library or one of its functions is missing.
#include "MoravekHead.h"
#include "TesselonHead.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstring>

namespace {

const char IdFileVariable[] = "MORAVEK_MACHINE_ID_FILE";
const char PrintFingerprintArgument[] = "--print-fingerprint";

// Put together at run time so that this executable does not itself carry a second marker.
QByteArray Marker()
{
    return QByteArray("@(#)") + QByteArray("FileVersion ");
}

// Varied bytes, '@' and NUL among them, that never form the marker.
QByteArray Filler(int size)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char(i % 251);
    return out;
}

bool WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QString Fingerprint()
{
    TMoravek moravek;
    QString out, error;
    if (!moravek.GetDriveMD5(&out, &error))
        qWarning("%s", qPrintable(error));
    return out;
}

}   // namespace

class TestMoravek : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        qunsetenv(IdFileVariable);
        TMoravek::SetLibraryDir(QString());
    }

    void digestsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("digest");
        QTest::newRow("empty") << ""
                               << "d41d8cd98f00b204e9800998ecf8427e";
        QTest::newRow("a") << "a"
                           << "0cc175b9c0f1b6a831c399e269772661";
        QTest::newRow("abc") << "abc"
                             << "900150983cd24fb0d6963f7d28e17f72";
        QTest::newRow("message digest") << "message digest"
                                        << "f96b697d7cb7938d525a2f31aaf161d0";
        QTest::newRow("alphabet") << "abcdefghijklmnopqrstuvwxyz"
                                  << "c3fcd3d76192e4007dfb496cca67e13b";
        QTest::newRow("alphanumeric") << "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
                                      << "d174ab98d277d9f5a5611c2c9f419d9f";
        QTest::newRow("eighty digits") << QString("1234567890").repeated(8) << "57edf4a22be3c955ac49da2e2107b67a";
        // Lengths where the padding needs one block or spills into a second.
        QTest::newRow("55 bytes") << QString(55, 'a') << "ef1772b6dff9a122358552954ad0df65";
        QTest::newRow("56 bytes") << QString(56, 'a') << "3b0c8ac703f828b04c6c197006d17218";
        QTest::newRow("63 bytes") << QString(63, 'a') << "b06521f39153d618550606be297466d5";
        QTest::newRow("64 bytes") << QString(64, 'a') << "014842d480b571495a4a0363793f7367";
        QTest::newRow("65 bytes") << QString(65, 'a') << "c743a45e0d2e6a95cb859adae0248435";
        // The digest is of the GBK bytes (BF CD BB A7 D0 D5 C3 FB), not of UTF-8.
        QTest::newRow("Chinese as GBK") << QString::fromUtf8("客户姓名") << "14d40555f139c84673d5b5a3803c70f2";
        QTest::newRow("longer Chinese") << QString::fromUtf8("汽车维修管理系统") << "529fbddda25406d5d69e955a2782575f";
    }

    void digestsText()
    {
        QFETCH(QString, text);
        QFETCH(QString, digest);
        TMoravek moravek;
        QString out, error;
        QVERIFY2(moravek.MD5String(text, &out, &error), qPrintable(error));
        QCOMPARE(out, digest);
    }

    void nullTextDigestsAsEmpty()
    {
        QLibrary library(TMoravek::LibraryPath());
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        auto md5 = reinterpret_cast<const char* (*)(const char*)>(library.resolve("MD5String"));
        QVERIFY(md5);
        QCOMPARE(QByteArray(md5(nullptr)), QByteArray("d41d8cd98f00b204e9800998ecf8427e"));
        library.unload();
    }

    void loadsLazilyAndUnloads()
    {
        TMoravek moravek;
        QVERIFY(!moravek.Loaded());
        QString out, error;
        QVERIFY2(moravek.MD5String("abc", &out, &error), qPrintable(error));
        QVERIFY(moravek.Loaded());
        moravek.Unload();
        QVERIFY(!moravek.Loaded());
        out.clear();
        QVERIFY2(moravek.MD5String("abc", &out, &error), qPrintable(error));
        QCOMPARE(out, QString("900150983cd24fb0d6963f7d28e17f72"));
    }

    void fingerprintIsStablePerMachine()
    {
        qunsetenv(IdFileVariable);
        const QString first = Fingerprint();
        QVERIFY2(QRegularExpression("^[0-9a-f]{32}$").match(first).hasMatch(), qPrintable(first));
        QCOMPARE(Fingerprint(), first);

        // Another process of the same machine must come to the same value.
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(IdFileVariable);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {PrintFingerprintArgument});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromLatin1(child.readAllStandardOutput()).trimmed(), first);
    }

    void fingerprintFollowsMachineId_data()
    {
        QTest::addColumn<QByteArray>("idA");
        QTest::addColumn<QByteArray>("idB");
        QTest::addColumn<bool>("same");
        QTest::newRow("same id") << QByteArray("3d1219c7c4c5404aaa1f6d2a48adfda4\n")
                                 << QByteArray("3d1219c7c4c5404aaa1f6d2a48adfda4\n") << true;
        QTest::newRow("line end ignored") << QByteArray("0f4e2a\n") << QByteArray("0f4e2a") << true;
        QTest::newRow("different ids") << QByteArray("3d1219c7c4c5404aaa1f6d2a48adfda4\n")
                                       << QByteArray("3d1219c7c4c5404aaa1f6d2a48adfda5\n") << false;
    }

    void fingerprintFollowsMachineId()
    {
        QFETCH(QByteArray, idA);
        QFETCH(QByteArray, idB);
        QFETCH(bool, same);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString a = dir.filePath("a-machine-id"), b = dir.filePath("b-machine-id");
        QVERIFY(WriteFile(a, idA));
        QVERIFY(WriteFile(b, idB));

        qputenv(IdFileVariable, QFile::encodeName(a));
        const QString fingerprintA = Fingerprint();
        qputenv(IdFileVariable, QFile::encodeName(b));
        const QString fingerprintB = Fingerprint();
        QCOMPARE(fingerprintA.size(), 32);
        QCOMPARE(fingerprintA == fingerprintB, same);
    }

    void fingerprintIgnoresMissingIdFile()
    {
        qunsetenv(IdFileVariable);
        const QString machine = Fingerprint();
        QTemporaryDir dir;
        qputenv(IdFileVariable, QFile::encodeName(dir.filePath("no-such-file")));
        QCOMPARE(Fingerprint(), machine);
    }

    void findsVersionInContent_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("version");
        const QByteArray marker = Marker();
        const QByteArray found = marker + QByteArray("2.5.0.7", 8);   // with its NUL
        QTest::newRow("at the start") << found + Filler(100) << "2.5.0.7";
        QTest::newRow("straddling 4 KiB") << Filler(4096 - 5) + found << "2.5.0.7";
        QTest::newRow("marker split after one byte") << Filler(65536 - 1) + found + Filler(10) << "2.5.0.7";
        QTest::newRow("marker split in the middle") << Filler(65536 - 8) + found << "2.5.0.7";
        QTest::newRow("version starts a chunk") << Filler(65536 - marker.size()) + found << "2.5.0.7";
        QTest::newRow("version split") << Filler(65536 - marker.size() - 3) + found << "2.5.0.7";
        QTest::newRow("terminator starts a chunk") << Filler(65536 - found.size() + 1) + found << "2.5.0.7";
        QTest::newRow("marker starts a chunk") << Filler(65536) + found << "2.5.0.7";
        QTest::newRow("far into a large file") << Filler(3 * 1024 * 1024 + 77) + found << "2.5.0.7";
        QTest::newRow("bare marker before the real one")
            << marker + QByteArray(1, '\0') + Filler(300) + found << "2.5.0.7";
        QTest::newRow("false start") << QByteArray("@(#)File") + marker + QByteArray("4.0", 4) << "4.0";
        QTest::newRow("repeated at-sign") << QByteArray("@@") + marker + QByteArray("4.1", 4) << "4.1";
        QTest::newRow("not a version") << marker + QByteArray("abc", 4) + Filler(50) << "";
        QTest::newRow("cut off at the end") << Filler(200) + marker + "1.2"
                                            << "";
        QTest::newRow("no marker") << Filler(200000) << "";
        QTest::newRow("empty file") << QByteArray() << "";
    }

    void findsVersionInContent()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, version);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("sample.bin");
        QVERIFY(WriteFile(path, content));
        TMoravek moravek;
        QString out = "unset", error;
        QVERIFY2(moravek.GetVersion(path, &out, &error), qPrintable(error));
        QCOMPARE(out, version);
    }

    void findsVersionByPath_data()
    {
        QTest::addColumn<QString>("fileName");   // empty: this test executable
        QTest::addColumn<bool>("create");
        QTest::addColumn<QString>("version");
        QTest::newRow("built executable") << "" << false << "1.0.0.1";
        QTest::newRow("Chinese file name") << QString::fromUtf8("维修 单据.exe") << true << "3.2.1.0";
        QTest::newRow("missing file") << "missing.exe" << false << "";
        QTest::newRow("missing Chinese file") << QString::fromUtf8("没有.exe") << false << "";
    }

    void findsVersionByPath()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, create);
        QFETCH(QString, version);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString path = QCoreApplication::applicationFilePath();
        if (!fileName.isEmpty()) {
            path = dir.filePath(fileName);
            if (create)
                QVERIFY(WriteFile(path, Filler(1000) + Marker() + QByteArray("3.2.1.0", 8)));
        }
        TMoravek moravek;
        QString out = "unset", error;
        QVERIFY2(moravek.GetVersion(path, &out, &error), qPrintable(error));
        QCOMPARE(out, version);
    }

    void missingLibrary()
    {
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        TMoravek::SetLibraryDir(empty.path());
        TMoravek moravek;
        QString error;
        QVERIFY(!moravek.Load(&error));
        QVERIFY2(error.startsWith(QString::fromUtf8("找不到支持库 %1：").arg(TMoravek::LibraryName())),
                 qPrintable(error));
        QVERIFY(!moravek.Loaded());

        QString out = "unset";
        error.clear();
        QVERIFY(!moravek.GetDriveMD5(&out, &error));
        QVERIFY(!error.isEmpty());
        error.clear();
        QVERIFY(!moravek.MD5String("abc", &out, &error));
        QVERIFY(!error.isEmpty());
        error.clear();
        QVERIFY(!moravek.GetVersion(QCoreApplication::applicationFilePath(), &out, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(out, QString("unset"));
    }

    void missingFunction_data()
    {
        QTest::addColumn<QString>("function");
        QTest::newRow("GetDriveMD5") << "GetDriveMD5";
        QTest::newRow("MD5String") << "MD5String";
        QTest::newRow("GetVersion") << "GetVersion";
    }

    void missingFunction()
    {
        QFETCH(QString, function);
        // A real library of ours that has none of Moravek's functions, under Moravek's name.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString binDir = QCoreApplication::applicationDirPath();
        QVERIFY(QFile::copy(QDir(binDir).filePath(Tesselon::LibraryName()), dir.filePath(TMoravek::LibraryName())));
        TMoravek::SetLibraryDir(dir.path());

        TMoravek moravek;
        QString error;
        QVERIFY2(moravek.Load(&error), qPrintable(error));
        QString out = "unset";
        bool ok = true;
        if (function == "GetDriveMD5")
            ok = moravek.GetDriveMD5(&out, &error);
        else if (function == "MD5String")
            ok = moravek.MD5String("abc", &out, &error);
        else
            ok = moravek.GetVersion(QCoreApplication::applicationFilePath(), &out, &error);
        QVERIFY(!ok);
        QCOMPARE(out, QString("unset"));
        QCOMPARE(error, QString::fromUtf8("支持库 %1 中没有函数 %2").arg(TMoravek::LibraryName(), function));
    }
};

int main(int argc, char** argv)
{
    // The child process of fingerprintIsStablePerMachine.
    if (argc == 2 && std::strcmp(argv[1], PrintFingerprintArgument) == 0) {
        QCoreApplication app(argc, argv);
        TMoravek moravek;
        QString out, error;
        if (!moravek.GetDriveMD5(&out, &error)) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return 1;
        }
        std::printf("%s\n", out.toLatin1().constData());
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestMoravek test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_moravek.moc"

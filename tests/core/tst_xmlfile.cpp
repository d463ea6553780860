// Settings files are written back in the encoding they declare, and what cannot be written
// in it is refused rather than garbled.
#include "XmlFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}   // namespace

class TestXmlFile : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("declaration");
        QTest::addColumn<QString>("encoding");   // what the bytes on disk must be
        QTest::newRow("GBK") << "<?xml version=\"1.0\" encoding=\"GBK\"?>\n"
                             << "GBK";
        QTest::newRow("gb2312 in small letters") << "<?xml version=\"1.0\" encoding='gb2312'?>\n"
                                                 << "GB2312";
        QTest::newRow("UTF-8") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               << "UTF-8";
        QTest::newRow("no declaration") << ""
                                        << "UTF-8";
    }

    // Load, change one element, save, load again: the Chinese texts, old and new, survive,
    // the other elements are kept, and the bytes are in the declared encoding.
    void roundTrip()
    {
        QFETCH(QString, declaration);
        QFETCH(QString, encoding);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("server.xml"));
        const QString original = declaration
            + QStringLiteral("<server>\n  <port>4305</port>\n  <dbpath>D:\\汽修\\数据\\DATA.FDB</dbpath>\n"
                             "  <lastpath></lastpath>\n  <other>保留的内容</other>\n</server>\n");
        QStringEncoder enc(encoding.toLatin1().constData());
        QVERIFY(WriteBytes(path, enc.encode(original)));

        TXmlFile xml;
        QVERIFY2(xml.Load(path), qPrintable(xml.ErrorText()));
        QCOMPARE(xml.Text(QStringLiteral("dbpath")), QStringLiteral("D:\\汽修\\数据\\DATA.FDB"));
        xml.SetText(QStringLiteral("lastpath"), QStringLiteral("E:\\备份\\2026-12-10.BAK"));
        QVERIFY2(xml.Save(), qPrintable(xml.ErrorText()));

        const QByteArray bytes = ReadBytes(path);
        QStringDecoder dec(encoding.toLatin1().constData(), QStringDecoder::Flag::Stateless);
        const QString decoded = dec.decode(bytes);
        QVERIFY(!dec.hasError());
        QVERIFY(decoded.contains(QStringLiteral("D:\\汽修\\数据\\DATA.FDB")));
        QVERIFY(decoded.contains(QStringLiteral("E:\\备份\\2026-12-10.BAK")));

        for (int round = 0; round < 2; ++round) {   // a second save must not garble either
            TXmlFile again;
            QVERIFY2(again.Load(path), qPrintable(again.ErrorText()));
            QCOMPARE(again.Text(QStringLiteral("dbpath")), QStringLiteral("D:\\汽修\\数据\\DATA.FDB"));
            QCOMPARE(again.Text(QStringLiteral("lastpath")), QStringLiteral("E:\\备份\\2026-12-10.BAK"));
            QCOMPARE(again.Text(QStringLiteral("other")), QStringLiteral("保留的内容"));
            QCOMPARE(again.Text(QStringLiteral("port")), QStringLiteral("4305"));
            QVERIFY(again.Save());
        }
    }

    // A character GBK cannot hold is refused with a message; the file stays as it was.
    void unencodableRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("configure.xml"));
        QStringEncoder enc("GBK");
        const QByteArray before = enc.encode(
            QStringLiteral("<?xml version=\"1.0\" encoding=\"GBK\"?>\n<configure><ip>维修服务器</ip></configure>\n"));
        QVERIFY(WriteBytes(path, before));
        TXmlFile xml;
        QVERIFY(xml.Load(path));
        xml.SetText(QStringLiteral("ip"), QStringLiteral("服务器\U0001F697"));
        QVERIFY(!xml.Save());
        QVERIFY(xml.ErrorText().contains(QStringLiteral("GBK")));
        QCOMPARE(ReadBytes(path), before);
    }
};

QTEST_GUILESS_MAIN(TestXmlFile)
#include "tst_xmlfile.moc"

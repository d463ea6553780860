// The repair ticket: TPrinter's layout on a recording back end (millimetres, alignment,
// wrapping by GBK bytes), the ticket's 19 items, and the real thing: a PDF read back with
// pdftotext and rendered with pdftoppm, and the file a ticket becomes when no printer exists.
#include "GlobalHead.h"
#include "Clock.h"
#include "Gbk.h"
#include "Recorder.h"
#include "mPrint.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

namespace {

// What a printer was asked to do, one entry per call that leaves a mark.
struct TMark {
    enum Kind { Text, Line } Mode = Text;
    int X = 0, Y = 0, X2 = 0, Y2 = 0;
    QString Str;
    int Points = 0;
    bool operator==(const TMark& o) const
    {
        return Mode == o.Mode && X == o.X && Y == o.Y && X2 == o.X2 && Y2 == o.Y2 && Str == o.Str && Points == o.Points;
    }
};

TMark Txt(int x, int y, const QString& s, int points)
{
    return {TMark::Text, x, y, 0, 0, s, points};
}
TMark Ln(int x1, int y1, int x2, int y2)
{
    return {TMark::Line, x1, y1, x2, y2, QString(), 0};
}

// QCOMPARE finds it by the type's namespace.
char* toString(const TMark& m)
{
    const QString s = m.Mode == TMark::Text
        ? QStringLiteral("text(%1, %2, \"%3\", %4pt)").arg(m.X).arg(m.Y).arg(m.Str).arg(m.Points)
        : QStringLiteral("line(%1, %2 → %3, %4)").arg(m.X).arg(m.Y).arg(m.X2).arg(m.Y2);
    return qstrdup(s.toUtf8().constData());
}

// A printer of fixed measures: a font of p points is p×25/6 pixels wide per byte (12 pt: 50)
// and p×9 pixels high.
class TRecordingBackend : public TPrintBackend {
public:
    int Page = 4724;
    int ResX = 600;
    int ResY = 600;
    int Top = 118;
    bool CanBegin = true;
    bool CanEnd = true;
    int ThrowAtText = -1;   // the n-th text (from 0) throws

    QStringList Calls;   // every call in order, for the framing
    QList<TMark> Marks;
    QString FontFamily;
    int FontPoints = 0;
    int InDoc = 0;

    bool BeginDoc() override
    {
        Calls << "begin";
        if (CanBegin)
            ++InDoc;
        return CanBegin;
    }
    bool EndDoc() override
    {
        Calls << "end";
        --InDoc;
        return CanEnd;
    }
    int PageWidth() override { return Page; }
    int DpiX() override { return ResX; }
    int DpiY() override { return ResY; }
    int PhysicalTopOffset() override { return Top; }
    void SelectFont(const QString& name, int points) override
    {
        Calls << QStringLiteral("font %1 %2").arg(name).arg(points);
        FontFamily = name;
        FontPoints = points;
    }
    int LineHeight() override { return FontPoints * 9; }
    int AverageCharWidth() override { return FontPoints * 25 / 6; }
    void TextOut(int x, int y, const QString& text) override
    {
        if (ThrowAtText == Texts())
            throw std::runtime_error("paper jam");
        Calls << "text";
        Marks << Txt(x, y, text, FontPoints);
    }
    void MoveTo(int x, int y) override
    {
        Calls << "move";
        FPenX = x;
        FPenY = y;
    }
    void LineTo(int x, int y) override
    {
        Calls << "line";
        Marks << Ln(FPenX, FPenY, x, y);
        FPenX = x;
        FPenY = y;
    }
    int Texts() const { return int(Calls.count("text")); }

private:
    int FPenX = 0, FPenY = 0;
};

const QDateTime PrintMoment(QDate(2024, 3, 5), QTime(14, 7, 9));

TRepairTicket SampleTicket()
{
    TRepairTicket t;
    t.TheUnit.TheUnitName = QStringLiteral("文澜汽车修理厂");
    t.TheUnit.PerInChar = QStringLiteral("周师傅");
    t.TheUnit.Phone = QStringLiteral("0571-88886666");
    t.TheUnit.Address = QStringLiteral("杭州市西湖区文一路88号");
    t.UserName = QStringLiteral("张三");
    t.CarOwner = QStringLiteral("李四");
    t.CarNo = QStringLiteral("浙A12345");
    t.Phone = QStringLiteral("13900001111");
    t.Oil = QStringLiteral("30");
    t.Quote = QStringLiteral("1200.00");
    t.Earnest = QStringLiteral("200");
    t.Accepter = QStringLiteral("王五");
    t.Fault = QStringLiteral("刹车异响");
    t.Memo = QStringLiteral("客户自带机油");
    t.Moment = PrintMoment;
    return t;
}

QString Repeat(const QString& s, int n)
{
    QString out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

bool WriteSettings(const QString& folder, const QString& ticketPdf, bool withElement = true)
{
    QFile f(folder + QStringLiteral("/configure.xml"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<configure>\n"
                                 "  <countperpage>100</countperpage>\n  <ip>127.0.0.1</ip>\n"
                                 "  <port>4305</port>\n  <timeout>5</timeout>\n");
    if (withElement)
        xml += QStringLiteral("  <ticketpdf>%1</ticketpdf>\n").arg(ticketPdf.toHtmlEscaped());
    xml += QStringLiteral("  <loginlist/>\n</configure>\n");
    f.write(xml.toUtf8());
    return true;
}

QString Run(const QString& program, const QStringList& args, bool* ok)
{
    QProcess p;
    p.start(program, args);
    *ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromUtf8(p.readAllStandardOutput());
}

// pdftotext's lines with their spaces taken out: the layout's gaps say nothing about content.
QStringList PdfLines(const QString& pdf)
{
    bool ok = false;
    const QString text = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &ok);
    if (!ok)
        return {};
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char(' '));
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

}   // namespace

Q_DECLARE_METATYPE(QList<TMark>)

class TestPrint : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FFolder;   // the program folder of these tests
    QString FOldAppPath;

    QString Folder() const { return FFolder.path() + QLatin1Char('/'); }

private slots:
    void initTestCase()
    {
        QVERIFY(FFolder.isValid());
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        FOldAppPath = AppPath;
        AppPath = Folder();
        Clock::SetClockForTests(PrintMoment);
    }

    void cleanupTestCase()
    {
        Clock::SetClockForTests(QDateTime());
        AppPath = FOldAppPath;
    }

    void init()
    {
        // Every case starts from an empty program folder.
        QDir dir(FFolder.path());
        for (const QFileInfo& fi : dir.entryInfoList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
            if (fi.isDir())
                QDir(fi.absoluteFilePath()).removeRecursively();
            else
                QFile::remove(fi.absoluteFilePath());
        }
    }

    // ---- Millimetres ------------------------------------------------------------------

    void millimetres_data()
    {
        QTest::addColumn<double>("mm");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("10 mm at 600 dpi") << 10.0 << 600 << 236;
        QTest::newRow("zero") << 0.0 << 600 << 0;
        QTest::newRow("one inch") << 25.4 << 600 << 600;
        QTest::newRow("35 mm at 600 dpi") << 35.0 << 600 << 827;
        QTest::newRow("10 mm at 300 dpi") << 10.0 << 300 << 118;
        // At 254 dpi a millimetre is 10 pixels, so the halves are exact.
        QTest::newRow("2.5 to even 2") << 0.25 << 254 << 2;
        QTest::newRow("3.5 to even 4") << 0.35 << 254 << 4;
        QTest::newRow("4.5 to even 4") << 0.45 << 254 << 4;
        QTest::newRow("-2.5 to even -2") << -0.25 << 254 << -2;
        // 25000.5 ten-thousandths: the fixed point goes to even 25000, then 2.5 to 2 (rounding
        // the half up at either step would give 3).
        QTest::newRow("fixed-point half to even") << 0.250005 << 254 << 2;
        QTest::newRow("fixed-point half, then 3.5") << 0.350005 << 254 << 4;
    }

    void millimetres()
    {
        QFETCH(double, mm);
        QFETCH(int, dpi);
        QFETCH(int, pixels);
        QCOMPARE(TPrinter::MmToPixels(mm, dpi), pixels);
    }

    // ---- PrintText and PrintLine ------------------------------------------------------

    void layout_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("top");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("x");
        QTest::addColumn<QList<TMark>>("marks");

        // 12 pt: 50 pixels a byte, 108 a line. Y = 10 mm is 236 pixels, less the top band.
        const QString ascii96 = Repeat(QStringLiteral("0123456789AB"), 8);   // 96 bytes, 4800 pixels
        QTest::newRow("left at X, Y from the sheet's top") << 4800 << 118 << QStringLiteral("车牌") << 12 << 0 << 10.0
                                                           << 10.0 << QList<TMark>{Txt(236, 118, "车牌", 12)};
        QTest::newRow("exactly as wide as the page: one line")
            << 4800 << 0 << ascii96 << 12 << 0 << 10.0 << 10.0 << QList<TMark>{Txt(236, 236, ascii96, 12)};
        QTest::newRow("one byte wider: wraps") << 4800 << 0 << ascii96 + "C" << 12 << 0 << 10.0 << 10.0
                                               << QList<TMark>{Txt(0, 236, ascii96, 12), Txt(236, 344, "C", 12)};
        QTest::newRow("centred, X not used") << 4724 << 0 << QStringLiteral("联系人") << 12 << 1 << 10.0 << 50.0
                                             << QList<TMark>{Txt(2212, 236, "联系人", 12)};
        QTest::newRow("centred, X zero") << 4724 << 0 << QStringLiteral("联系人") << 12 << 1 << 10.0 << 0.0
                                         << QList<TMark>{Txt(2212, 236, "联系人", 12)};
        QTest::newRow("centred, 2312.5 to even")
            << 4725 << 0 << QStringLiteral("甲") << 12 << 1 << 10.0 << 0.0 << QList<TMark>{Txt(2312, 236, "甲", 12)};
        QTest::newRow("centred, 2313.5 to even")
            << 4727 << 0 << QStringLiteral("甲") << 12 << 1 << 10.0 << 0.0 << QList<TMark>{Txt(2314, 236, "甲", 12)};
        QTest::newRow("right, X the margin") << 4800 << 0 << Repeat(QStringLiteral("甲"), 40) << 12 << 2 << 10.0 << 20.0
                                             << QList<TMark>{Txt(328, 236, Repeat("甲", 40), 12)};
        QTest::newRow("right, wider than the room: x = 0")
            << 4800 << 0 << Repeat(QStringLiteral("甲"), 45) << 12 << 2 << 10.0 << 20.0
            << QList<TMark>{Txt(0, 236, Repeat("甲", 45), 12)};
        QTest::newRow("unknown alignment: x = 0")
            << 4800 << 0 << QStringLiteral("甲") << 12 << 3 << 10.0 << 20.0 << QList<TMark>{Txt(0, 236, "甲", 12)};
        QTest::newRow("negative alignment: x = 0")
            << 4800 << 0 << QStringLiteral("甲") << 12 << -1 << 10.0 << 20.0 << QList<TMark>{Txt(0, 236, "甲", 12)};
        // 4724 / 50 = 94 bytes a line: full pieces at the edge, the last at 10 mm.
        QTest::newRow("wrapped, even cuts")
            << 4724 << 118 << "故障描述：" + Repeat("刹", 100) << 12 << 0 << 80.0 << 10.0
            << QList<TMark>{Txt(0, 1772, "故障描述：" + Repeat("刹", 42), 12), Txt(0, 1880, Repeat("刹", 47), 12),
                            Txt(236, 1988, Repeat("刹", 11), 12)};
        // 10 + 1 bytes, then characters on odd offsets: byte 94 is the first half of one, so
        // the cut moves back to 93 bytes and the character opens the next line.
        QTest::newRow("a cut inside a character moves back")
            << 4724 << 118 << "故障描述：A" + Repeat("刹", 60) << 12 << 0 << 80.0 << 10.0
            << QList<TMark>{Txt(0, 1772, "故障描述：A" + Repeat("刹", 41), 12), Txt(236, 1880, Repeat("刹", 19), 12)};
        QTest::newRow("wrapped, exact multiple: last piece full at X")
            << 4800 << 0 << ascii96 + ascii96 << 12 << 0 << 10.0 << 10.0
            << QList<TMark>{Txt(0, 236, ascii96, 12), Txt(236, 344, ascii96, 12)};
        QTest::newRow("wrapped, centred last piece")
            << 4800 << 0 << ascii96 + "ABCD" << 12 << 1 << 10.0 << 0.0
            << QList<TMark>{Txt(0, 236, ascii96, 12), Txt(2300, 344, "ABCD", 12)};
        QTest::newRow("wrapped, right last piece")
            << 4800 << 0 << ascii96 + "ABCD" << 12 << 2 << 10.0 << 10.0
            << QList<TMark>{Txt(0, 236, ascii96, 12), Txt(4364, 344, "ABCD", 12)};
        // 24 pt: 100 pixels a byte on a 150-pixel page, one byte a line: a Chinese character
        // cannot be halved, so it takes its line whole rather than stopping the text.
        QTest::newRow("narrower than a character") << 150 << 0 << QStringLiteral("甲乙") << 24 << 0 << 10.0 << 0.0
                                                   << QList<TMark>{Txt(0, 236, "甲", 24), Txt(0, 452, "乙", 24)};
    }

    void layout()
    {
        QFETCH(int, page);
        QFETCH(int, top);
        QFETCH(QString, text);
        QFETCH(int, size);
        QFETCH(int, alignment);
        QFETCH(double, y);
        QFETCH(double, x);
        QFETCH(QList<TMark>, marks);
        TRecordingBackend b;
        b.Page = page;
        b.Top = top;
        TPrinter p(b);
        p.PrintText(text, size, alignment, y, x);
        QCOMPARE(b.Marks, marks);
        QCOMPARE(b.FontFamily, QStringLiteral("宋体"));
        QCOMPARE(b.FontPoints, size);
        // Nothing of the text is lost or doubled by the wrapping.
        QString joined;
        for (const TMark& m : b.Marks)
            joined += m.Str;
        QCOMPARE(joined, text);
    }

    void line_data()
    {
        QTest::addColumn<int>("resX");
        QTest::addColumn<int>("resY");
        QTest::addColumn<QList<double>>("mm");
        QTest::addColumn<TMark>("mark");
        QTest::newRow("the ticket's rule, no top band")
            << 600 << 600 << QList<double>{10, 45, 200, 45} << Ln(236, 1063, 4724, 1063);
        QTest::newRow("each axis its own resolution")
            << 300 << 600 << QList<double>{10, 10, 20, 20} << Ln(118, 236, 236, 472);
    }

    void line()
    {
        QFETCH(int, resX);
        QFETCH(int, resY);
        QFETCH(QList<double>, mm);
        QFETCH(TMark, mark);
        TRecordingBackend b;
        b.ResX = resX;
        b.ResY = resY;
        b.Top = 500;   // lines are placed on the printable area: the band does not move them
        TPrinter(b).PrintLine(mm[0], mm[1], mm[2], mm[3]);
        QCOMPARE(b.Marks, QList<TMark>{mark});
        QCOMPARE(b.Calls, (QStringList{"move", "line"}));
    }

    // ---- The ticket -------------------------------------------------------------------

    void ticketItems()
    {
        TRecordingBackend b;
        QCOMPARE(PrintRepairTicket(b, SampleTicket()), TPrintOutcome::Printed);
        const QList<TMark> expected = {
            Txt(1662, 307, "文澜汽车修理厂", 24),
            Txt(236, 709, "联系电话：0571-88886666", 12),
            Txt(2012, 709, "联系人：周师傅", 12),
            Txt(236, 827, "联系地址：杭州市西湖区文一路88号", 12),
            Ln(236, 1063, 4724, 1063),
            Txt(236, 1063, "客户姓名：李四", 16),
            Txt(236, 1299, "流水号：2024/3/5 14:07:09", 12),
            Txt(1583, 1299, "车牌号码：浙A12345", 12),
            Txt(2693, 1299, "联系电话：13900001111", 12),
            Txt(3803, 1299, "油箱油量：30", 12),
            Txt(236, 1536, "报价金额：1200.00", 12),
            Txt(1583, 1536, "已付定金：200", 12),
            Txt(2693, 1536, "接车人：王五", 12),
            Txt(236, 1772, "故障描述：刹车异响", 12),
            Txt(236, 2717, "备注：客户自带机油", 12),
            Ln(236, 3024, 4724, 3024),
            Txt(236, 2929, "制单日期：2024/3/5", 12),
            Txt(2386, 2929, "制单人：张三", 12),
            Txt(4276, 2929, "第1页", 12),
        };
        QCOMPARE(b.Marks.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            if (!(b.Marks.at(i) == expected.at(i)))
                qWarning("item %d", i + 1);
            QCOMPARE(b.Marks.at(i), expected.at(i));
        }
        // One document, begun first and ended last.
        QCOMPARE(b.Calls.first(), QStringLiteral("begin"));
        QCOMPARE(b.Calls.last(), QStringLiteral("end"));
        QCOMPARE(b.Calls.count("begin"), 1);
        QCOMPARE(b.Calls.count("end"), 1);
    }

    void ticketWrappedFault()
    {
        TRepairTicket t = SampleTicket();
        t.Fault = "A" + Repeat(QStringLiteral("刹"), 60);
        TRecordingBackend b;
        QCOMPARE(PrintRepairTicket(b, t), TPrintOutcome::Printed);
        QCOMPARE(b.Marks.size(), 20);
        QCOMPARE(b.Marks.at(13), Txt(0, 1772, "故障描述：A" + Repeat("刹", 41), 12));
        QCOMPARE(b.Marks.at(14), Txt(236, 1880, Repeat("刹", 19), 12));
        QCOMPARE(b.Marks.at(15), Txt(236, 2717, "备注：客户自带机油", 12));
    }

    void ticketLineBreaks()
    {
        // A break pasted into the fault would print as a stray mark; the text flows on.
        TRepairTicket t = SampleTicket();
        t.Fault = QStringLiteral("刹车异响\r\n方向跑偏\n");
        TRecordingBackend b;
        PrintRepairTicket(b, t);
        QCOMPARE(b.Marks.at(13).Str, QStringLiteral("故障描述：刹车异响 方向跑偏 "));
    }

    void ticketFraming_data()
    {
        QTest::addColumn<bool>("canBegin");
        QTest::addColumn<bool>("canEnd");
        QTest::addColumn<int>("throwAt");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("texts");
        QTest::addColumn<QStringList>("framing");
        QTest::newRow("printed") << true << true << -1 << int(TPrintOutcome::Printed) << 17
                                 << QStringList{"begin", "end"};
        QTest::newRow("cannot start: nothing drawn, nothing ended")
            << false << true << -1 << int(TPrintOutcome::NotStarted) << 0 << QStringList{"begin"};
        QTest::newRow("cannot finish") << true << false << -1 << int(TPrintOutcome::NotFinished) << 17
                                       << QStringList{"begin", "end"};
        QTest::newRow("an error halfway still ends the document")
            << true << true << 5 << -1 << 5 << QStringList{"begin", "end"};
        QTest::newRow("an error at the first text") << true << true << 0 << -1 << 0 << QStringList{"begin", "end"};
    }

    void ticketFraming()
    {
        QFETCH(bool, canBegin);
        QFETCH(bool, canEnd);
        QFETCH(int, throwAt);
        QFETCH(int, outcome);
        QFETCH(int, texts);
        QFETCH(QStringList, framing);
        TRecordingBackend b;
        b.CanBegin = canBegin;
        b.CanEnd = canEnd;
        b.ThrowAtText = throwAt;
        int got = -1;
        bool thrown = false;
        try {
            got = int(PrintRepairTicket(b, SampleTicket()));
        } catch (const std::runtime_error& e) {
            thrown = true;
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("paper jam"));
        }
        QCOMPARE(thrown, throwAt >= 0);
        QCOMPARE(got, outcome);
        QCOMPARE(b.Texts(), texts);
        QStringList frame;
        for (const QString& c : b.Calls)
            if (c == "begin" || c == "end")
                frame << c;
        QCOMPARE(frame, framing);
        QCOMPARE(b.InDoc, 0);
    }

    void ticketFromSession()
    {
        Symbol.TheUnit = SampleTicket().TheUnit;
        Symbol.User.UserName = QStringLiteral("赵六");
        const TRepairTicket t = NewRepairTicket();
        QCOMPARE(t.TheUnit.TheUnitName, QStringLiteral("文澜汽车修理厂"));
        QCOMPARE(t.TheUnit.Address, QStringLiteral("杭州市西湖区文一路88号"));
        QCOMPARE(t.UserName, QStringLiteral("赵六"));
        QCOMPARE(t.Moment, PrintMoment);
        QVERIFY(t.CarOwner.isEmpty());
        // Without a moment the clock's is printed.
        TRepairTicket noMoment = SampleTicket();
        noMoment.Moment = QDateTime();
        TRecordingBackend b;
        PrintRepairTicket(b, noMoment);
        QCOMPARE(b.Marks.at(6).Str, QStringLiteral("流水号：2024/3/5 14:07:09"));
        QCOMPARE(b.Marks.at(16).Str, QStringLiteral("制单日期：2024/3/5"));
    }

    void momentTexts_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("moment");
        QTest::addColumn<QString>("date");
        // The long time format without its time zone: the ticket shows the wall clock.
        QTest::newRow("zh_CN") << QLocale(QLocale::Chinese, QLocale::China) << "2024/3/5 14:07:09"
                               << "2024/3/5";
        QTest::newRow("C") << QLocale::c() << "5 Mar 2024 14:07:09"
                           << "5 Mar 2024";
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "05.03.24 14:07:09"
                               << "05.03.24";
    }

    void momentTexts()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, moment);
        QFETCH(QString, date);
        QLocale::setDefault(locale);
        const QString gotMoment = TicketMomentText(PrintMoment);
        const QString gotDate = TicketDateText(PrintMoment.date());
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        QCOMPARE(gotMoment, moment);
        QCOMPARE(gotDate, date);
    }

    // ---- The real PDF -----------------------------------------------------------------

    void pdfTicket()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext is missing: scripts/setup installs poppler-utils");
        QVERIFY(WriteSettings(FFolder.path(), QStringLiteral("ticket.pdf")));
        TRepairTicket t = SampleTicket();
        t.Fault = Repeat(QStringLiteral("左前轮异响，方向盘抖动，"), 12) + QStringLiteral("需检查底盘");
        // The pieces follow from this machine's font measures, read as the ticket reads them.
        QStringList pieces;
        {
            QTemporaryDir scratch;
            auto measure = TQtPrintBackend::ForPdf(scratch.filePath(QStringLiteral("m.pdf")));
            measure->SelectFont(TPrinter::FontName, 12);
            const int c = measure->PageWidth() / measure->AverageCharWidth();
            QVERIFY2(c > 60 && c < 140, qPrintable(QString::number(c)));
            QString rest = QStringLiteral("故障描述：") + t.Fault;
            while (Gbk::ByteLength(rest) > c) {
                pieces << Gbk::CutToBytes(rest, c);
                rest = rest.mid(pieces.last().size());
            }
            pieces << rest;
        }
        QVERIFY(pieces.size() >= 3);
        QString info, error;
        QVERIFY2(PrintTicket(t, &info, &error), qPrintable(error));
        QVERIFY(error.isEmpty());
        QVERIFY(info.isEmpty());   // a configured file is where the user expects it
        const QString pdf = Folder() + QStringLiteral("ticket.pdf");
        QVERIFY(QFileInfo(pdf).size() > 0);

        // The font's measures on this machine decide the cuts; work them out as the ticket does.
        const QStringList lines = PdfLines(pdf);
        QVERIFY2(!lines.isEmpty(), "pdftotext read nothing");
        const QString all = lines.join(QLatin1Char('\n'));
        for (const QString& s :
             {QStringLiteral("文澜汽车修理厂"), QStringLiteral("联系电话：0571-88886666"),
              QStringLiteral("联系人：周师傅"), QStringLiteral("联系地址：杭州市西湖区文一路88号"),
              QStringLiteral("客户姓名：李四"), QStringLiteral("流水号：2024/3/514:07:09"),
              QStringLiteral("车牌号码：浙A12345"), QStringLiteral("联系电话：13900001111"),
              QStringLiteral("油箱油量：30"), QStringLiteral("报价金额：1200.00"), QStringLiteral("已付定金：200"),
              QStringLiteral("接车人：王五"), QStringLiteral("备注：客户自带机油"),
              QStringLiteral("制单日期：2024/3/5"), QStringLiteral("制单人：张三"), QStringLiteral("第1页")})
            QVERIFY2(all.contains(s), qPrintable(s + " not in:\n" + all));
        // The fault in its pieces, each on a line of its own, the text whole.
        int first = -1;
        for (int i = 0; i < lines.size(); ++i)
            if (lines.at(i).contains(QStringLiteral("故障描述："))) {
                first = i;
                break;
            }
        QVERIFY2(first >= 0, qPrintable(all));
        for (int i = 0; i < pieces.size(); ++i)
            QCOMPARE(lines.value(first + i), pieces.at(i));
        QCOMPARE(lines.value(first + pieces.size()), QStringLiteral("备注：客户自带机油"));
    }

    void pdfPicture()
    {
        // The rules and the texts are really drawn where they belong: render at 60 dpi
        // (a millimetre is 2.36 pixels) and look for ink.
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            QFAIL("pdftoppm is missing: scripts/setup installs poppler-utils");
        QVERIFY(WriteSettings(FFolder.path(), QStringLiteral("ticket.pdf")));
        QString info, error;
        QVERIFY2(PrintTicket(SampleTicket(), &info, &error), qPrintable(error));
        bool ok = false;
        Run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-singlefile"),
             Folder() + "ticket.pdf", Folder() + "ticket"},
            &ok);
        QVERIFY(ok);
        QImage image(Folder() + QStringLiteral("ticket.png"));
        QVERIFY(!image.isNull());
        QCOMPARE(image.width(), 496);   // A4: 210 mm
        auto px = [](double mm) { return int(mm * 60 / 25.4 + 0.5); };
        auto inkInRow = [&](int row, int from, int to) {
            int ink = 0;
            for (int x = from; x < to; ++x)
                for (int y = row - 1; y <= row + 1; ++y)
                    if (qGray(image.pixel(x, y)) < 240) {   // a hairline renders pale
                        ++ink;
                        break;
                    }
            return ink;
        };
        auto inkInBox = [&](double x1, double y1, double x2, double y2) {
            int ink = 0;
            for (int x = px(x1); x < px(x2); ++x)
                for (int y = px(y1); y < px(y2); ++y)
                    ink += qGray(image.pixel(x, y)) < 160;
            return ink;
        };
        // The file has a printer's band of 5 mm all round. Rules are placed on the printable
        // area: 10 to 200 mm from its left edge, 45 and 128 mm below its top.
        const double band = TQtPrintBackend::PdfBandMm;
        for (double y : {45.0, 128.0}) {
            const int row = px(band + y);
            QVERIFY2(inkInRow(row, px(band + 11), px(band + 199)) > (px(band + 199) - px(band + 11)) * 9 / 10,
                     qPrintable(QString::number(y)));
            QCOMPARE(inkInRow(row, 0, px(band + 8)), 0);
            QCOMPARE(inkInRow(row, px(band + 202), image.width()), 0);
        }
        // The company name centred, 18 mm below the sheet's top; nothing of the body left of
        // 10 mm into the printable area.
        QVERIFY(inkInBox(70, 18, 140, 26) > 0);
        QCOMPARE(inkInBox(0, 18, 60, 26), 0);
        QCOMPARE(inkInBox(150, 18, 210, 26), 0);
        QCOMPARE(inkInBox(0, 16, 210, 17.5), 0);
        QCOMPARE(inkInBox(0, 30, band + 9, 140), 0);
        // Nothing below the last line.
        QCOMPARE(inkInBox(0, 140, 210, 297), 0);
    }

    void pdfTargets_data()
    {
        QTest::addColumn<QString>("setting");   // under the program folder
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("prints");
        QTest::newRow("a file, replaced each time")
            << QStringLiteral("out/ticket.pdf") << QStringList{"out/ticket.pdf"} << 2;
        QTest::newRow("a folder: named by the moment")
            << QStringLiteral("out")
            << QStringList{"out/送修单_20240305_140709.pdf", "out/送修单_20240305_140709_2.pdf"} << 2;
        QTest::newRow("a folder with a separator")
            << QStringLiteral("out/") << QStringList{"out/送修单_20240305_140709.pdf"} << 1;
    }

    void pdfTargets()
    {
        QFETCH(QString, setting);
        QFETCH(QStringList, files);
        QFETCH(int, prints);
        QVERIFY(WriteSettings(FFolder.path(), setting));
        for (int i = 0; i < prints; ++i) {
            QString info, error;
            QVERIFY2(PrintTicket(SampleTicket(), &info, &error), qPrintable(error));
            QVERIFY(info.isEmpty());
        }
        QStringList found;
        QDir out(Folder() + QStringLiteral("out"));
        for (const QString& f : out.entryList(QDir::Files, QDir::Name))
            found << QStringLiteral("out/") + f;
        QCOMPARE(found, files);
        QVERIFY(!QDir(Folder() + QStringLiteral("Tickets")).exists());
    }

    void pdfCannotBeWritten()
    {
        // A folder under a plain file can be made by nobody, not even root.
        QFile plain(Folder() + QStringLiteral("plain.txt"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString target = Folder() + QStringLiteral("plain.txt/sub/ticket.pdf");
        QVERIFY(WriteSettings(FFolder.path(), target));
        QString info, error;
        QVERIFY(!PrintTicket(SampleTicket(), &info, &error));
        QVERIFY2(error.contains(QStringLiteral("无法写入单据文件")), qPrintable(error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(target)), qPrintable(error));
        QVERIFY(info.isEmpty());

        // Reported as an error through the message seam.
        TRecorder rec;
        QVERIFY(!PrintTicketReported(SampleTicket()));
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages.first().Caption, QStringLiteral("错误"));
        QCOMPARE(rec.Messages.first().Icon, TMsgIcon::Error);
        QCOMPARE(rec.Messages.first().Text, error);
    }

    // ---- No printer -------------------------------------------------------------------

    void noPrinter_data()
    {
        QTest::addColumn<int>("settings");   // 0 no configure.xml, 1 without <ticketpdf>, 2 empty
        QTest::newRow("no settings file") << 0;
        QTest::newRow("no ticketpdf") << 1;
        QTest::newRow("empty ticketpdf") << 2;
    }

    void noPrinter()
    {
        QFETCH(int, settings);
        if (!QPrinterInfo::availablePrinters().isEmpty() || !QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a printer");
        if (settings > 0)
            QVERIFY(WriteSettings(FFolder.path(), QString(), settings == 2));
        const TTicketTarget target = ChooseTicketTarget(PrintMoment);
        QCOMPARE(target.Mode, TTicketTarget::PdfFile);
        QVERIFY(target.Fallback);

        QString info, error;
        QVERIFY2(PrintTicket(SampleTicket(), &info, &error), qPrintable(error));
        const QString file = Folder() + QStringLiteral("Tickets/送修单_20240305_140709.pdf");
        QVERIFY(QFileInfo(file).size() > 0);
        QVERIFY2(info.contains(QDir::toNativeSeparators(file)), qPrintable(info));
        QVERIFY(info.contains(QStringLiteral("没有找到打印机")));

        // The next ticket of the same second does not replace it; the user is told which file.
        TRecorder rec;
        QVERIFY(PrintTicketReported(SampleTicket()));
        const QString second = Folder() + QStringLiteral("Tickets/送修单_20240305_140709_2.pdf");
        QVERIFY(QFileInfo(second).size() > 0);
        QCOMPARE(rec.Messages.size(), 1);
        QCOMPARE(rec.Messages.first().Caption, QStringLiteral("提示"));
        QCOMPARE(rec.Messages.first().Icon, TMsgIcon::Information);
        QVERIFY2(rec.Messages.first().Text.contains(QDir::toNativeSeparators(second)),
                 qPrintable(rec.Messages.first().Text));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            return;
        QVERIFY(PdfLines(second).join(QString()).contains(QStringLiteral("文澜汽车修理厂")));
    }
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"

#include "mPrint.h"

#include "Clock.h"
#include "Gbk.h"
#include "GlobalHead.h"
#include "XmlFile.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

// ---- TPrinter ------------------------------------------------------------------------

const QString TPrinter::FontName = QStringLiteral("宋体");

double TPrinter::RoundHalfEven(double value)
{
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff < 0.5)
        return down;
    if (diff > 0.5)
        return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

int TPrinter::MmToPixels(double mm, int dpi)
{
    // The fixed point first: 10 mm at 600 dpi is 2362204.72… → 2362205, then 236.22 → 236.
    const double fixed = RoundHalfEven(double(dpi) * mm * 10000.0 / 25.4);
    return int(RoundHalfEven(fixed / 10000.0));
}

int TPrinter::AlignedX(int length, int alignment, double x, int width, int pageWidth)
{
    const qint64 textWidth = qint64(width) * length;
    switch (alignment) {
    case 0: return MmToPixels(x, FBackend.DpiX());
    case 1: return std::max(0, int(RoundHalfEven((double(pageWidth) - double(textWidth)) / 2.0)));
    case 2: return int(std::max<qint64>(0, pageWidth - (textWidth + MmToPixels(x, FBackend.DpiX()))));
    default: return 0;
    }
}

void TPrinter::PrintText(const QString& text, int size, int alignment, double yMm, double xMm)
{
    int y = MmToPixels(yMm, FBackend.DpiY()) - FBackend.PhysicalTopOffset();
    FBackend.SelectFont(FontName, size);
    const int w = FBackend.AverageCharWidth();
    const int h = FBackend.LineHeight();
    const int n = Gbk::ByteLength(text);
    const int pageWidth = FBackend.PageWidth();

    if (w <= 0 || qint64(w) * n <= pageWidth) {
        FBackend.TextOut(AlignedX(n, alignment, xMm, w, pageWidth), y, text);
        return;
    }

    // Wrapped in pieces of c bytes: full pieces from the printable area's left edge, the last
    // one placed by the alignment. Unlike a plain byte cut, a cut that would fall inside a
    // double-byte character moves back to that character's start, so that piece is one byte
    // shorter and the character opens the next piece whole. A line too narrow for even one
    // character still takes one, so the text always comes to an end.
    const int c = std::max(1, pageWidth / w);
    QString rest = text;
    while (Gbk::ByteLength(rest) > c) {
        QString piece = Gbk::CutToBytes(rest, c);
        if (piece.isEmpty())
            piece = rest.left(rest.at(0).isHighSurrogate() && rest.size() > 1 ? 2 : 1);
        FBackend.TextOut(0, y, piece);
        y += h;
        rest = rest.mid(piece.size());
    }
    if (!rest.isEmpty())
        FBackend.TextOut(AlignedX(Gbk::ByteLength(rest), alignment, xMm, w, pageWidth), y, rest);
}

void TPrinter::PrintLine(double x1, double y1, double x2, double y2)
{
    FBackend.MoveTo(MmToPixels(x1, FBackend.DpiX()), MmToPixels(y1, FBackend.DpiY()));
    FBackend.LineTo(MmToPixels(x2, FBackend.DpiX()), MmToPixels(y2, FBackend.DpiY()));
}

// ---- The repair ticket ---------------------------------------------------------------

namespace {

// A format of QLocale without its time zone: the ticket shows the wall-clock time only.
QString WithoutZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (QChar ch : format) {
        if (ch == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && ch == QLatin1Char('t'))
            continue;
        out += ch;
    }
    return out.simplified();
}

// A line break pasted into a field would print as a stray mark; the ticket's lines flow on.
QString OneLine(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

}   // namespace

QString TicketMomentText(const QDateTime& moment)
{
    const QLocale locale;
    return locale.toString(moment.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(moment.time(), WithoutZone(locale.timeFormat(QLocale::LongFormat)));
}

QString TicketDateText(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

TRepairTicket NewRepairTicket()
{
    TRepairTicket t;
    t.TheUnit = Symbol.TheUnit;
    t.UserName = Symbol.User.UserName;
    t.Moment = Clock::Now();
    return t;
}

TPrintOutcome PrintRepairTicket(TPrintBackend& backend, const TRepairTicket& t)
{
    const QDateTime moment = t.Moment.isValid() ? t.Moment : Clock::Now();
    if (!backend.BeginDoc())
        return TPrintOutcome::NotStarted;
    try {
        TPrinter p(backend);
        const TTheUnit& unit = t.TheUnit;
        p.PrintText(OneLine(unit.TheUnitName), 24, TAlign::Center, 18, 0);
        p.PrintText(QStringLiteral("联系电话：") + OneLine(unit.Phone), 12, TAlign::Left, 35, 10);
        p.PrintText(QStringLiteral("联系人：") + OneLine(unit.PerInChar), 12, TAlign::Center, 35, 0);
        p.PrintText(QStringLiteral("联系地址：") + OneLine(unit.Address), 12, TAlign::Left, 40, 10);
        p.PrintLine(10, 45, 200, 45);
        p.PrintText(QStringLiteral("客户姓名：") + OneLine(t.CarOwner), 16, TAlign::Left, 50, 10);
        p.PrintText(QStringLiteral("流水号：") + TicketMomentText(moment), 12, TAlign::Left, 60, 10);
        p.PrintText(QStringLiteral("车牌号码：") + OneLine(t.CarNo), 12, TAlign::Left, 60, 67);
        p.PrintText(QStringLiteral("联系电话：") + OneLine(t.Phone), 12, TAlign::Left, 60, 114);
        p.PrintText(QStringLiteral("油箱油量：") + OneLine(t.Oil), 12, TAlign::Left, 60, 161);
        p.PrintText(QStringLiteral("报价金额：") + OneLine(t.Quote), 12, TAlign::Left, 70, 10);
        p.PrintText(QStringLiteral("已付定金：") + OneLine(t.Earnest), 12, TAlign::Left, 70, 67);
        p.PrintText(QStringLiteral("接车人：") + OneLine(t.Accepter), 12, TAlign::Left, 70, 114);
        p.PrintText(QStringLiteral("故障描述：") + OneLine(t.Fault), 12, TAlign::Left, 80, 10);
        p.PrintText(QStringLiteral("备注：") + OneLine(t.Memo), 12, TAlign::Left, 120, 10);
        p.PrintLine(10, 128, 200, 128);
        p.PrintText(QStringLiteral("制单日期：") + TicketDateText(moment.date()), 12, TAlign::Left, 129, 10);
        p.PrintText(QStringLiteral("制单人：") + OneLine(t.UserName), 12, TAlign::Left, 129, 101);
        p.PrintText(QStringLiteral("第1页"), 12, TAlign::Left, 129, 181);
    } catch (...) {
        backend.EndDoc();   // the printer is never left inside a document
        throw;
    }
    return backend.EndDoc() ? TPrintOutcome::Printed : TPrintOutcome::NotFinished;
}

// ---- The production back end ---------------------------------------------------------

TQtPrintBackend::TQtPrintBackend()
    : FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    FPrinter->setDocName(QStringLiteral("送修单"));
}

TQtPrintBackend::~TQtPrintBackend()
{
    if (FPainter && FPainter->isActive())
        FPainter->end();
}

std::unique_ptr<TQtPrintBackend> TQtPrintBackend::ForPrinter(const QString& printerName)
{
    std::unique_ptr<TQtPrintBackend> b(new TQtPrintBackend());
    if (!printerName.isEmpty())
        b->FPrinter->setPrinterName(printerName);
    return b;
}

std::unique_ptr<TQtPrintBackend> TQtPrintBackend::ForPdf(const QString& fileName)
{
    std::unique_ptr<TQtPrintBackend> b(new TQtPrintBackend());
    b->FPrinter->setOutputFormat(QPrinter::PdfFormat);
    b->FPrinter->setOutputFileName(fileName);
    b->FPrinter->setResolution(600);
    // A4 with the unprintable band of an ordinary laser printer: the file prints as a ticket
    // from a printer would, and when it is printed later no wrapped line runs off the sheet.
    b->FPrinter->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                           QMarginsF(PdfBandMm, PdfBandMm, PdfBandMm, PdfBandMm),
                                           QPageLayout::Millimeter));
    return b;
}

bool TQtPrintBackend::BeginDoc()
{
    FPainter = std::make_unique<QPainter>();
    if (!FPainter->begin(FPrinter.get())) {
        FPainter.reset();
        return false;
    }
    FPenX = FPenY = 0;
    return true;
}

bool TQtPrintBackend::EndDoc()
{
    if (!FPainter)
        return false;
    const bool ok = FPainter->end();
    FPainter.reset();
    return ok;
}

int TQtPrintBackend::PageWidth()
{
    return FPrinter->width();
}

int TQtPrintBackend::DpiX()
{
    return FPrinter->logicalDpiX();
}

int TQtPrintBackend::DpiY()
{
    return FPrinter->logicalDpiY();
}

int TQtPrintBackend::PhysicalTopOffset()
{
    return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).top();
}

void TQtPrintBackend::SelectFont(const QString& name, int points)
{
    // Where the face itself is missing (Linux has no 宋体), a Song face whose cells are as
    // wide: half an em for a Latin letter or digit, a whole em for a Chinese character, so
    // that measuring by GBK bytes holds.
    QFont f;
    f.setFamilies(
        {name, QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB")});
    f.setPointSize(points);
    if (FPainter)
        FPainter->setFont(f);
    FFont = f;
}

int TQtPrintBackend::LineHeight()
{
    return QFontMetrics(FFont, FPrinter.get()).height();
}

int TQtPrintBackend::AverageCharWidth()
{
    return QFontMetrics(FFont, FPrinter.get()).averageCharWidth();
}

void TQtPrintBackend::TextOut(int x, int y, const QString& text)
{
    if (!FPainter)
        return;
    // QPainter places a text by its base line; the top left corner is one ascent above it.
    FPainter->drawText(QPoint(x, y + FPainter->fontMetrics().ascent()), text);
}

void TQtPrintBackend::MoveTo(int x, int y)
{
    FPenX = x;
    FPenY = y;
}

void TQtPrintBackend::LineTo(int x, int y)
{
    if (FPainter)
        FPainter->drawLine(FPenX, FPenY, x, y);
    FPenX = x;
    FPenY = y;
}

// ---- Where the ticket goes -----------------------------------------------------------

QString TicketPdfSetting(const QString& settingsPath)
{
    TXmlFile xml;
    if (!xml.Load(settingsPath))
        return QString();
    const QString value = QDir::fromNativeSeparators(xml.Text(QStringLiteral("ticketpdf")).trimmed());
    if (value.isEmpty())
        return QString();
    return QDir::isAbsolutePath(value) ? value : AppPath + value;
}

QString TicketFileName(const QString& folder, const QDateTime& moment)
{
    const QDir dir(folder);
    const QString base = QStringLiteral("送修单_") + moment.toString(QStringLiteral("yyyyMMdd_HHmmss"));
    QString name = dir.filePath(base + QStringLiteral(".pdf"));
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = dir.filePath(QStringLiteral("%1_%2.pdf").arg(base).arg(i));
    return name;
}

TTicketTarget ChooseTicketTarget(const QDateTime& moment)
{
    TTicketTarget target;
    const QString setting = TicketPdfSetting(SettingsPath());
    if (!setting.isEmpty()) {
        target.Mode = TTicketTarget::PdfFile;
        const bool isFile =
            setting.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) && !QFileInfo(setting).isDir();
        target.FileName = isFile ? setting : TicketFileName(setting, moment);
        return target;
    }
    QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull()) {
        const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
        if (!all.isEmpty())
            printer = all.first();
    }
    if (!printer.isNull()) {
        target.Mode = TTicketTarget::Printer;
        target.PrinterName = printer.printerName();
        return target;
    }
    // No printer at all: the ticket is kept as a file, so the customer's copy is not lost.
    target.Mode = TTicketTarget::PdfFile;
    target.Fallback = true;
    target.FileName = TicketFileName(AppPath + QStringLiteral("Tickets"), moment);
    return target;
}

bool PrintTicket(const TRepairTicket& input, QString* info, QString* error)
{
    if (info)
        info->clear();
    if (error)
        error->clear();
    TRepairTicket ticket = input;
    if (!ticket.Moment.isValid())
        ticket.Moment = Clock::Now();
    const TTicketTarget target = ChooseTicketTarget(ticket.Moment);
    const bool toFile = target.Mode == TTicketTarget::PdfFile;
    const QString where = toFile ? QDir::toNativeSeparators(target.FileName) : target.PrinterName;

    std::unique_ptr<TQtPrintBackend> backend;
    if (toFile) {
        QDir().mkpath(QFileInfo(target.FileName).absolutePath());   // may fail: BeginDoc says so
        backend = TQtPrintBackend::ForPdf(target.FileName);
    } else {
        backend = TQtPrintBackend::ForPrinter(target.PrinterName);
    }

    TPrintOutcome outcome;
    try {
        outcome = PrintRepairTicket(*backend, ticket);
    } catch (const std::exception& e) {
        if (error)
            *error = QStringLiteral("打印单据时出错：%1").arg(QString::fromLocal8Bit(e.what()));
        return false;
    }
    switch (outcome) {
    case TPrintOutcome::Printed:
        if (info && target.Fallback)
            *info = QStringLiteral("没有找到打印机，单据已保存为文件：\n%1").arg(where);
        return true;
    case TPrintOutcome::NotStarted:
        if (error)
            *error = toFile ? QStringLiteral("无法写入单据文件：\n%1\n请检查文件夹是否存在、是否允许写入。").arg(where)
                            : QStringLiteral("打印机“%1”无法开始打印，请检查打印机是否已打开并连接好。").arg(where);
        return false;
    case TPrintOutcome::NotFinished:
        if (error)
            *error = toFile ? QStringLiteral("单据文件没有写完：\n%1\n请检查磁盘空间和写入权限。").arg(where)
                            : QStringLiteral("打印机“%1”没有打完单据，请检查打印机后重新打印。").arg(where);
        return false;
    }
    return false;
}

bool PrintTicketReported(const TRepairTicket& ticket)
{
    QString info;
    QString error;
    const bool ok = PrintTicket(ticket, &info, &error);
    if (!ok)
        ShowError(error);
    else if (!info.isEmpty())
        ShowMsg(info, Texts::CaptionInfo);
    return ok;
}

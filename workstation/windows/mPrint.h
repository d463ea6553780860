#pragma once
// The printed repair ticket. TPrinter places text and lines by millimetre positions on a
// print back end; the back end is the only thing that meets the platform (QPrinter in the
// program, a recording one in the tests).
#include "Session.h"

#include <QDateTime>
#include <QFont>
#include <QString>

#include <memory>

class QPrinter;
class QPainter;

// What TPrinter needs of a printer: device pixels throughout.
class TPrintBackend {
public:
    virtual ~TPrintBackend() = default;

    virtual bool BeginDoc() = 0;   // false: the document cannot start
    virtual bool EndDoc() = 0;   // sends the page; false when it could not be written
    virtual int PageWidth() = 0;   // width of the printable area
    virtual int DpiX() = 0;   // pixels per inch
    virtual int DpiY() = 0;
    virtual int PhysicalTopOffset() = 0;   // unprintable band at the top of the sheet
    virtual void SelectFont(const QString& name, int points) = 0;
    virtual int LineHeight() = 0;   // of the selected font
    virtual int AverageCharWidth() = 0;   // of the selected font
    virtual void TextOut(int x, int y, const QString& text) = 0;   // (x, y): the text's top left
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
};

enum class TAlign { Left = 0, Center = 1, Right = 2 };

// Lays text and lines out on a back end between its BeginDoc and EndDoc. Positions are in
// millimetres; x is measured from the printable area's left edge, a text's y from the sheet's
// top edge, a line's y from the printable area's top.
class TPrinter {
public:
    static const QString FontName;   // "宋体"

    explicit TPrinter(TPrintBackend& backend)
        : FBackend(backend)
    {
    }

    // alignment: 0 left at X, 1 centred (X unused), 2 right with X as the right margin, any
    // other value at the left edge. A text wider than the page is wrapped.
    void PrintText(const QString& text, int size, int alignment, double y, double x);
    void PrintText(const QString& text, int size, TAlign alignment, double y, double x)
    {
        PrintText(text, size, int(alignment), y, x);
    }
    void PrintLine(double x1, double y1, double x2, double y2);

    // Millimetres to pixels at dpi pixels per inch, through a fixed point of 1/10000 pixel;
    // both roundings take halves to the even neighbour (10 mm at 600 dpi: 236).
    static int MmToPixels(double mm, int dpi);
    static double RoundHalfEven(double value);

private:
    int AlignedX(int length, int alignment, double x, int width, int pageWidth);

    TPrintBackend& FBackend;
};

// ---- The repair ticket ---------------------------------------------------------------

struct TRepairTicket {
    TTheUnit TheUnit;   // the company, as loaded when the main window opened
    QString UserName;   // the logged-in user
    // The repair window's texts, as they stand.
    QString CarOwner;
    QString CarNo;
    QString Phone;
    QString Oil;
    QString Quote;
    QString Earnest;
    QString Accepter;
    QString Fault;
    QString Memo;
    QDateTime Moment;   // the moment of printing; invalid: now, from the one clock
};

// A ticket with the session's company and user and the clock's "now"; the window adds its texts.
TRepairTicket NewRepairTicket();

// "流水号：" shows the moment in the short date and long time formats of the locale;
// "制单日期：" the date in the short format.
QString TicketMomentText(const QDateTime& moment);
QString TicketDateText(const QDate& date);

enum class TPrintOutcome { Printed, NotStarted, NotFinished };

// Starts a document, prints the ticket's 19 items and ends the document, also when something
// throws on the way (the exception then goes on to the caller).
TPrintOutcome PrintRepairTicket(TPrintBackend& backend, const TRepairTicket& ticket);

// ---- The production back end ---------------------------------------------------------

class TQtPrintBackend : public TPrintBackend {
public:
    // The system's default printer (or the named one).
    static std::unique_ptr<TQtPrintBackend> ForPrinter(const QString& printerName = QString());
    // A PDF file on A4 at 600 pixels per inch, with an unprintable band of PdfBandMm.
    static constexpr double PdfBandMm = 5.0;
    static std::unique_ptr<TQtPrintBackend> ForPdf(const QString& fileName);
    ~TQtPrintBackend() override;

    QPrinter& Printer() { return *FPrinter; }

    bool BeginDoc() override;
    bool EndDoc() override;
    int PageWidth() override;
    int DpiX() override;
    int DpiY() override;
    int PhysicalTopOffset() override;
    void SelectFont(const QString& name, int points) override;
    int LineHeight() override;
    int AverageCharWidth() override;
    void TextOut(int x, int y, const QString& text) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;

private:
    TQtPrintBackend();
    std::unique_ptr<QPrinter> FPrinter;
    std::unique_ptr<QPainter> FPainter;
    QFont FFont;
    int FPenX = 0;
    int FPenY = 0;
};

// ---- Where the ticket goes -----------------------------------------------------------

struct TTicketTarget {
    enum Kind { Printer, PdfFile } Mode = Printer;
    QString FileName;   // the PDF file (PdfFile)
    QString PrinterName;   // the printer (Printer)
    bool Fallback = false;   // a PDF because no printer is installed
};

// The setting <ticketpdf> in configure.xml: a file (ending in .pdf) or a folder, relative
// paths under the program folder. Empty when absent or the file cannot be read.
QString TicketPdfSetting(const QString& settingsPath);
// A PDF file name for the ticket in folder, from the moment of printing; never an existing file.
QString TicketFileName(const QString& folder, const QDateTime& moment);
// The configured PDF, else the default printer (or the first one installed), else a PDF in
// the folder "Tickets" beside the program.
TTicketTarget ChooseTicketTarget(const QDateTime& moment);

// Prints the ticket where ChooseTicketTarget says. info: what the user should know (the file a
// ticket went to when no printer is installed), empty otherwise. False with a Chinese error
// text when the printer or the file refused.
bool PrintTicket(const TRepairTicket& ticket, QString* info, QString* error);
// PrintTicket with its info and error shown through the message seam ("提示", "错误").
bool PrintTicketReported(const TRepairTicket& ticket);

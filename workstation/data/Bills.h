#pragma once
// The bill writer: a stock-in bill, a counter sale and a repair checkout, each written in one
// transaction (all its lines, its stock changes and its status, or nothing). Bill numbers and
// keys come from the database's sequences. What the user typed arrives as text, is checked
// before anything is written, and is bound, never written into a statement.
#include <QString>
#include <QStringList>
#include <QVector>

#include <stdexcept>

class TConPool;

// A bill the writer will not save, with the reason in Chinese for the user. Nothing of the
// bill was written.
class TBillRefused : public std::runtime_error {
public:
    explicit TBillRefused(const QString& text)
        : std::runtime_error(text.toStdString())
        , FText(text)
    {
    }
    QString Text() const { return FText; }

private:
    QString FText;
};

// ---- Stock-in ----------------------------------------------------------------------------

struct TStorageLine {
    qint64 CommodityId = 0;   // the part
    QString Count;   // whole number > 0
    QString InPrice;   // purchase price, exact decimal >= 0
    QString ReferPrice;   // reference sale price, exact decimal >= 0
};

struct TStorageBill {
    qint64 SupplierId = 0;   // 0: none chosen (stored as NULL)
    qint64 BuyerId = 0;   // an employee; 0: none chosen
    qint64 OperatorId = 0;   // the logged-in user
    QVector<TStorageLine> Lines;
};

struct TStorageSaved {
    qint64 BillNo = 0;
    QVector<qint64> LineIds;   // TB_STORAGE.ID, one per line in order
    QVector<qint64> LotIds;   // TB_STOCK.ID of each line's new lot
};

// ---- Sales and checkout ------------------------------------------------------------------

struct TSalesLine {
    qint64 StockId = 0;   // the lot the part is taken from
    QString Count;   // whole number > 0
    QString Price;   // sale price, exact decimal >= 0
};

struct TSalesBill {
    qint64 OperatorId = 0;
    QVector<TSalesLine> Lines;
};

struct TSalesSaved {
    qint64 BillNo = 0;   // 0 when no line was written (a labour-only checkout)
    QVector<qint64> LineIds;   // TB_SALES.ID, one per line in order
};

struct TCheckout {
    qint64 RepairId = 0;   // the order settled; its ID is the lines' SALES_TYPE
    QString Paid;   // the amount received, exact decimal >= 0
    qint64 OperatorId = 0;
    QVector<TSalesLine> Lines;   // may be empty: labour only
};

// Each throws TBillRefused for a bill it will not save and TFbError with the database's
// text for any other failure; either way nothing of the bill stays in the database. An
// update conflict or deadlock retries the whole bill a few times first. The pool must not
// be inside an explicit transaction.
TStorageSaved SaveStorageBill(TConPool& pool, const TStorageBill& bill);
TSalesSaved SaveSalesBill(TConPool& pool, const TSalesBill& bill);   // a counter sale, type 0
TSalesSaved SaveCheckout(TConPool& pool, const TCheckout& checkout);

// The checks made before anything is written, without the database: empty text when the
// bill may be saved, else the refusal. The windows may call them to refuse early.
QString CheckStorageBill(const TStorageBill& bill);
QString CheckSalesBill(const TSalesBill& bill);
QString CheckCheckout(const TCheckout& checkout);

// What is wrong with a count or a price typed for a line, for the windows to say when the line
// is added; empty when the bill writer will take it. A text that is no number at all gets
// NotNumberText.
extern const QString NotNumberText;   // "数量或价格只能为数字！"
QString CountProblem(const QString& text);   // a whole number > 0
QString PriceProblem(const QString& text);   // not negative, at most two decimals

// What is wrong with the stock, one Chinese sentence per finding; empty when all is well:
// a part whose lots do not add up to what came in minus what went out (lots removed by the
// carry-forward held 0), a negative lot, a bill number shared by two bills of one kind.
// Throws TFbError.
QStringList AuditStock(TConPool& pool);

#include "Bills.h"

#include "ConPool.h"
#include "FbClient.h"

#include <QMap>
#include <QRegularExpression>

namespace {

constexpr int RetryAttempts = 4;   // an update conflict retries the whole bill this many times in all
constexpr qint64 MaxCount = 2147483647;   // an INTEGER column
constexpr qint64 MoneyLimit = 10000000000000LL;   // NUMERIC(15,2): 13 digits before the point

TFbValue I(qint64 v)
{
    return TFbValue::FromInt(v);
}

// A whole number > 0 that an INTEGER column holds; 0 when the text is none.
qint64 ParseCount(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^\\+?[0-9]{1,10}$"));
    const QString t = text.trimmed();
    if (!digits.match(t).hasMatch())
        return 0;
    const qint64 v = t.toLongLong();
    return v > 0 && v <= MaxCount ? v : 0;
}

// An amount of money: an exact decimal, not negative, at most two places, fits NUMERIC(15,2).
// Empty text when it is one (*out set), else what is wrong with it.
QString ParseMoney(const QString& text, const QString& what, TFbValue* out)
{
    TFbValue v;
    if (!TFbValue::ParseDecimal(text, &v))
        return QStringLiteral("%1“%2”不是数字。").arg(what, text);
    if (v.Raw() < 0)
        return QStringLiteral("%1“%2”不能为负数。").arg(what, text);
    if (v.Scale() < -2)
        return QStringLiteral("%1“%2”最多只能有两位小数。").arg(what, text);
    qint64 whole = v.Raw();
    for (int s = v.Scale(); s < 0; ++s)
        whole /= 10;
    if (whole >= MoneyLimit)
        return QStringLiteral("%1“%2”太大。").arg(what, text);
    *out = v;
    return QString();
}

QString LineText(int index)
{
    return QStringLiteral("第 %1 行的").arg(index + 1);
}

QString CheckSalesLines(const QVector<TSalesLine>& lines)
{
    for (int k = 0; k < lines.size(); ++k) {
        const TSalesLine& line = lines[k];
        if (line.StockId <= 0)
            return QStringLiteral("第 %1 行没有选择库存配件。").arg(k + 1);
        if (ParseCount(line.Count) == 0)
            return QStringLiteral("%1销售数量“%2”不是大于 0 的整数。").arg(LineText(k), line.Count);
        TFbValue v;
        const QString wrong = ParseMoney(line.Price, LineText(k) + QStringLiteral("销售价"), &v);
        if (!wrong.isEmpty())
            return wrong;
    }
    return QString();
}

qint64 NextValue(TConPool& pool, const char* sequence)
{
    const TFbResult r =
        pool.Execute(QStringLiteral("SELECT NEXT VALUE FOR %1 FROM RDB$DATABASE").arg(QLatin1String(sequence)));
    return r.At(0, 0).AsInt64();
}

bool Exists(TConPool& pool, const QString& table, qint64 id)
{
    return pool.Execute(QStringLiteral("SELECT 1 FROM %1 WHERE ID = ?").arg(table), {I(id)}).RowCount() > 0;
}

// The lines of a sales bill of the given type, inside the caller's transaction: every lot is
// checked for the whole bill first, then each line takes its count off its lot and is written
// with the lot's part and purchase price.
TSalesSaved WriteSalesLines(TConPool& pool, const QVector<TSalesLine>& lines, qint64 salesType, qint64 operatorId)
{
    TSalesSaved saved;
    if (lines.isEmpty())
        return saved;

    struct TLot {
        qint64 Count = 0;   // what it holds
        qint64 Wanted = 0;   // what this bill takes of it
        qint64 Taken = 0;   // taken so far while writing
        TFbValue Commodity;
        TFbValue Cost;   // the purchase price of its stock-in line; NULL lets the table find one
        QString Name;
    };
    QMap<qint64, TLot> lots;
    for (const TSalesLine& line : lines)
        lots[line.StockId].Wanted += ParseCount(line.Count);
    for (auto it = lots.begin(); it != lots.end(); ++it) {
        const TFbResult r = pool.Execute(
            QStringLiteral("SELECT K.STOCK_COUNT, K.COMMODITY_ID, G.IN_PRICE, C.COMMODITY_NAME FROM TB_STOCK K "
                           "LEFT JOIN TB_STORAGE G ON G.ID = K.STORAGE_ID "
                           "LEFT JOIN TB_COMMODITY C ON C.ID = K.COMMODITY_ID WHERE K.ID = ?"),
            {I(it.key())});
        if (r.RowCount() == 0)
            throw TBillRefused(QStringLiteral("库存 %1 不存在（可能已经结转），请重新选择配件。").arg(it.key()));
        TLot& lot = it.value();
        lot.Count = r.At(0, 0).AsInt64();
        lot.Commodity = r.At(0, 1);
        lot.Cost = r.At(0, 2);
        lot.Name = r.At(0, 3).AsString().trimmed();
        if (lot.Wanted > lot.Count)
            throw TBillRefused(QStringLiteral("库存数量不足：库存 %1（%2）只有 %3，本单要 %4。")
                                   .arg(it.key())
                                   .arg(lot.Name)
                                   .arg(lot.Count)
                                   .arg(lot.Wanted));
    }

    saved.BillNo = NextValue(pool, "GEN_SALES_BILL_NO");
    for (const TSalesLine& line : lines) {
        const qint64 count = ParseCount(line.Count);
        TFbValue price;
        ParseMoney(line.Price, QString(), &price);
        TLot& lot = lots[line.StockId];
        // The guard holds even when another desk sold from the lot since it was read.
        const TFbResult changed =
            pool.Execute(QStringLiteral("UPDATE TB_STOCK SET STOCK_COUNT = STOCK_COUNT - ? WHERE ID = ? AND STOCK_COUNT >= ?"),
                         {I(count), I(line.StockId), I(count)});
        if (changed.RowsAffected == 0) {
            const TFbResult now =
                pool.Execute(QStringLiteral("SELECT STOCK_COUNT FROM TB_STOCK WHERE ID = ?"), {I(line.StockId)});
            if (now.RowCount() == 0)
                throw TBillRefused(
                    QStringLiteral("库存 %1 不存在（可能已经结转），请重新选择配件。").arg(line.StockId));
            throw TBillRefused(QStringLiteral("库存数量不足：库存 %1（%2）只有 %3，本单要 %4。")
                                   .arg(line.StockId)
                                   .arg(lot.Name)
                                   .arg(now.At(0, 0).AsInt64() + lot.Taken)
                                   .arg(lot.Wanted));
        }
        lot.Taken += count;
        const TFbResult r = pool.Execute(
            QStringLiteral("INSERT INTO TB_SALES (BILL_NO, COMMODITY_ID, OUT_COUNT, OUT_DATE, OUT_PRICE, OPERATOR_ID, "
                           "SALES_TYPE, STOCK_ID, COST_PRICE) VALUES (?, ?, ?, CURRENT_DATE, ?, ?, ?, ?, ?) RETURNING ID"),
            {I(saved.BillNo), lot.Commodity, I(count), price, I(operatorId), I(salesType), I(line.StockId), lot.Cost});
        saved.LineIds.push_back(r.At(0, 0).AsInt64());
    }
    return saved;
}

}   // namespace

const QString NotNumberText = QStringLiteral("数量或价格只能为数字！");

QString CountProblem(const QString& text)
{
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    if (!whole.match(text.trimmed()).hasMatch())
        return NotNumberText;
    if (ParseCount(text) == 0)
        return QStringLiteral("数量“%1”必须是大于 0 的整数！").arg(text.trimmed());
    return QString();
}

QString PriceProblem(const QString& text)
{
    TFbValue v;
    if (!TFbValue::ParseDecimal(text, &v))
        return NotNumberText;
    return ParseMoney(text, QStringLiteral("价格"), &v);
}

QString CheckStorageBill(const TStorageBill& bill)
{
    if (bill.Lines.isEmpty())
        return QStringLiteral("入库单中没有任何配件，不能保存。");
    for (int k = 0; k < bill.Lines.size(); ++k) {
        const TStorageLine& line = bill.Lines[k];
        if (line.CommodityId <= 0)
            return QStringLiteral("第 %1 行没有选择配件。").arg(k + 1);
        if (ParseCount(line.Count) == 0)
            return QStringLiteral("%1进货数量“%2”不是大于 0 的整数。").arg(LineText(k), line.Count);
        TFbValue v;
        QString wrong = ParseMoney(line.InPrice, LineText(k) + QStringLiteral("进货价"), &v);
        if (wrong.isEmpty())
            wrong = ParseMoney(line.ReferPrice, LineText(k) + QStringLiteral("参考售价"), &v);
        if (!wrong.isEmpty())
            return wrong;
    }
    return QString();
}

QString CheckSalesBill(const TSalesBill& bill)
{
    if (bill.Lines.isEmpty())
        return QStringLiteral("销售单中没有任何配件，不能保存。");
    return CheckSalesLines(bill.Lines);
}

QString CheckCheckout(const TCheckout& checkout)
{
    if (checkout.RepairId <= 0)
        return QStringLiteral("没有选择要结账的维修单。");
    TFbValue v;
    const QString wrong = ParseMoney(checkout.Paid, QStringLiteral("实收金额"), &v);
    if (!wrong.isEmpty())
        return wrong;
    return CheckSalesLines(checkout.Lines);
}

TStorageSaved SaveStorageBill(TConPool& pool, const TStorageBill& bill)
{
    const QString wrong = CheckStorageBill(bill);
    if (!wrong.isEmpty())
        throw TBillRefused(wrong);
    TStorageSaved saved;
    pool.RunInTransaction(
        [&] {
            saved = TStorageSaved();
            if (bill.SupplierId != 0 && !Exists(pool, QStringLiteral("TB_SUPPLIER"), bill.SupplierId))
                throw TBillRefused(QStringLiteral("供应商（编号 %1）不存在，请重新选择供应商。").arg(bill.SupplierId));
            if (bill.BuyerId != 0 && !Exists(pool, QStringLiteral("TB_EMPLOYEE"), bill.BuyerId))
                throw TBillRefused(QStringLiteral("采购员（编号 %1）不存在，请重新选择采购员。").arg(bill.BuyerId));
            for (int k = 0; k < bill.Lines.size(); ++k)
                if (!Exists(pool, QStringLiteral("TB_COMMODITY"), bill.Lines[k].CommodityId))
                    throw TBillRefused(QStringLiteral("第 %1 行的配件（编号 %2）不存在，请重新选择配件。")
                                           .arg(k + 1)
                                           .arg(bill.Lines[k].CommodityId));
            const TFbValue supplier = bill.SupplierId != 0 ? I(bill.SupplierId) : TFbValue();
            const TFbValue buyer = bill.BuyerId != 0 ? I(bill.BuyerId) : TFbValue();

            saved.BillNo = NextValue(pool, "GEN_STORAGE_BILL_NO");
            for (const TStorageLine& line : bill.Lines) {
                const qint64 count = ParseCount(line.Count);
                TFbValue inPrice, referPrice;
                ParseMoney(line.InPrice, QString(), &inPrice);
                ParseMoney(line.ReferPrice, QString(), &referPrice);
                const TFbResult g = pool.Execute(
                    QStringLiteral("INSERT INTO TB_STORAGE (BILL_NO, COMMODITY_ID, IN_COUNT, SUPPLIER_ID, BUYER_ID, "
                                   "OPERATOR_ID, IN_DATE, IN_PRICE, REFER_PRICE) "
                                   "VALUES (?, ?, ?, ?, ?, ?, CURRENT_DATE, ?, ?) RETURNING ID"),
                    {I(saved.BillNo), I(line.CommodityId), I(count), supplier, buyer, I(bill.OperatorId), inPrice,
                     referPrice});
                const qint64 lineId = g.At(0, 0).AsInt64();
                // The lot is tied to its own line by the key just returned, never to "the newest line".
                const TFbResult k = pool.Execute(
                    QStringLiteral("INSERT INTO TB_STOCK (COMMODITY_ID, STOCK_COUNT, STORAGE_BILL_NO, STORAGE_ID) "
                                   "VALUES (?, ?, ?, ?) RETURNING ID"),
                    {I(line.CommodityId), I(count), I(saved.BillNo), I(lineId)});
                saved.LineIds.push_back(lineId);
                saved.LotIds.push_back(k.At(0, 0).AsInt64());
            }
        },
        RetryAttempts);
    return saved;
}

TSalesSaved SaveSalesBill(TConPool& pool, const TSalesBill& bill)
{
    const QString wrong = CheckSalesBill(bill);
    if (!wrong.isEmpty())
        throw TBillRefused(wrong);
    TSalesSaved saved;
    pool.RunInTransaction([&] { saved = WriteSalesLines(pool, bill.Lines, 0, bill.OperatorId); }, RetryAttempts);
    return saved;
}

TSalesSaved SaveCheckout(TConPool& pool, const TCheckout& checkout)
{
    const QString wrong = CheckCheckout(checkout);
    if (!wrong.isEmpty())
        throw TBillRefused(wrong);
    TFbValue paid;
    ParseMoney(checkout.Paid, QString(), &paid);
    TSalesSaved saved;
    pool.RunInTransaction(
        [&] {
            // The order is claimed first: a second checkout of it, from any desk, waits here and
            // then finds it paid.
            const TFbResult r = pool.Execute(
                QStringLiteral("UPDATE TB_REPAIR SET IS_PAY = 1, PAID = ? WHERE ID = ? AND IS_PAY = 0"),
                {paid, I(checkout.RepairId)});
            if (r.RowsAffected == 0) {
                if (!Exists(pool, QStringLiteral("TB_REPAIR"), checkout.RepairId))
                    throw TBillRefused(QStringLiteral("维修单 %1 不存在。").arg(checkout.RepairId));
                throw TBillRefused(QStringLiteral("维修单 %1 已经结账，不能再次结账。").arg(checkout.RepairId));
            }
            saved = WriteSalesLines(pool, checkout.Lines, checkout.RepairId, checkout.OperatorId);
        },
        RetryAttempts);
    return saved;
}

QStringList AuditStock(TConPool& pool)
{
    QStringList found;
    const TFbResult parts = pool.Execute(QStringLiteral(
        "SELECT P.ID, "
        "(SELECT CAST(COALESCE(SUM(G.IN_COUNT), 0) AS BIGINT) FROM TB_STORAGE G WHERE G.COMMODITY_ID = P.ID), "
        "(SELECT CAST(COALESCE(SUM(L.OUT_COUNT), 0) AS BIGINT) FROM TB_SALES L WHERE L.COMMODITY_ID = P.ID), "
        "(SELECT CAST(COALESCE(SUM(K.STOCK_COUNT), 0) AS BIGINT) FROM TB_STOCK K WHERE K.COMMODITY_ID = P.ID) "
        "FROM (SELECT COMMODITY_ID AS ID FROM TB_STORAGE UNION SELECT COMMODITY_ID FROM TB_SALES "
        "UNION SELECT COMMODITY_ID FROM TB_STOCK) P WHERE P.ID IS NOT NULL ORDER BY P.ID"));
    for (int row = 0; row < parts.RowCount(); ++row) {
        const qint64 in = parts.At(row, 1).AsInt64();
        const qint64 out = parts.At(row, 2).AsInt64();
        const qint64 stock = parts.At(row, 3).AsInt64();
        if (stock != in - out)
            found << QStringLiteral("配件 %1：库存合计 %2，但入库 %3 减去销售 %4 是 %5。")
                         .arg(parts.At(row, 0).AsInt64())
                         .arg(stock)
                         .arg(in)
                         .arg(out)
                         .arg(in - out);
    }
    const TFbResult negative =
        pool.Execute(QStringLiteral("SELECT ID, STOCK_COUNT FROM TB_STOCK WHERE STOCK_COUNT < 0 ORDER BY ID"));
    for (int row = 0; row < negative.RowCount(); ++row)
        found << QStringLiteral("库存 %1 的数量是负数（%2）。")
                     .arg(negative.At(row, 0).AsInt64())
                     .arg(negative.At(row, 1).AsInt64());
    const TFbResult lots = pool.Execute(
        QStringLiteral("SELECT K.ID FROM TB_STOCK K JOIN TB_STORAGE G ON G.ID = K.STORAGE_ID "
                       "WHERE G.BILL_NO IS DISTINCT FROM K.STORAGE_BILL_NO "
                       "OR G.COMMODITY_ID IS DISTINCT FROM K.COMMODITY_ID ORDER BY K.ID"));
    for (int row = 0; row < lots.RowCount(); ++row)
        found << QStringLiteral("库存 %1 与它的入库明细的单号或配件不一致。").arg(lots.At(row, 0).AsInt64());
    // The lines of one bill share everything but the part: lines of one number that differ
    // in supplier, buyer, operator, date or type are two bills that drew the same number.
    const TFbResult storage = pool.Execute(QStringLiteral(
        "SELECT BILL_NO FROM TB_STORAGE GROUP BY BILL_NO HAVING COUNT(DISTINCT "
        "COALESCE(SUPPLIER_ID, -1) || '/' || COALESCE(BUYER_ID, -1) || '/' || COALESCE(OPERATOR_ID, -1) || '/' || "
        "COALESCE(IN_DATE, DATE '1900-01-01')) > 1 ORDER BY BILL_NO"));
    for (int row = 0; row < storage.RowCount(); ++row)
        found << QStringLiteral("入库单号 %1 被两张以上的入库单使用。").arg(storage.At(row, 0).AsString());
    const TFbResult sales = pool.Execute(QStringLiteral(
        "SELECT BILL_NO FROM TB_SALES GROUP BY BILL_NO HAVING COUNT(DISTINCT "
        "COALESCE(SALES_TYPE, -1) || '/' || COALESCE(OPERATOR_ID, -1) || '/' || "
        "COALESCE(OUT_DATE, DATE '1900-01-01')) > 1 ORDER BY BILL_NO"));
    for (int row = 0; row < sales.RowCount(); ++row)
        found << QStringLiteral("销售单号 %1 被两张以上的销售单使用。").arg(sales.At(row, 0).AsString());
    return found;
}

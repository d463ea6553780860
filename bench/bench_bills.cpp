// The bill windows on a big workshop database: saving a 50-line sales bill and a 50-line
// stock-in bill, the part search on every keystroke, and four desks selling from the same
// lots at once. Prints two lines:
//   bills save50_sales_ms=… save50_storage_ms=… search_median_ms=… search_max_ms=…
//   bills workers=4 saved=… refused=… dup_bill_no=… negative_lots=… stock_mismatch=… bills_per_s=…
// Details go to standard error.
//   bench_bills --prepare LOCATION [--parts N]   brings the schema up to date, fills the catalogue to N parts
//   bench_bills --db LOCATION [--runs R] [--workers W] [--bills B]
//   bench_bills --search-only LOCATION            the search alone
//   bench_bills --worker LOCATION OPERATOR      one desk (started by the above)
#include "Bills.h"
#include "ConPool.h"
#include "Desks.h"
#include "FbClient.h"
#include "PartSearch.h"
#include "SchemaUpgrade.h"


#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

// A small deterministic random source, so every run asks the same.
struct TRandom {
    quint64 S;
    explicit TRandom(quint64 seed)
        : S(seed * 2654435761u + 1)
    {
    }
    int Below(int n)
    {
        S = S * 6364136223846793005ull + 1442695040888963407ull;
        return int((S >> 33) % quint64(n));
    }
    // Small indexes more often: the parts a workshop keeps are not all equally common.
    int Skewed(int n) { return std::min(Below(n), Below(n)); }
};

QStringList Words(const char* text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A catalogue part's name as a workshop writes it: where it sits, what it is, the car it
// fits, the maker, and for many the maker's number.
QString PartName(TRandom& r, int serial)
{
    static const QStringList places = Words("前 后 左前 右前 左后 右后 上 下 内 外");
    static const QStringList parts = Words(
        "刹车片 刹车盘 刹车分泵 刹车总泵 刹车油管 机油滤清器 空气滤清器 空调滤清器 汽油滤清器 火花塞 点火线圈 "
        "喷油嘴 节气门 氧传感器 水温传感器 曲轴位置传感器 凸轮轴传感器 爆震传感器 进气压力传感器 水泵 节温器 散热器 "
        "冷凝器 空调压缩机 膨胀阀 鼓风机 暖风水箱 电子扇 正时皮带 正时链条 张紧轮 惰轮 发电机皮带 发电机 起动机 "
        "蓄电池 大灯总成 雾灯 尾灯总成 转向灯 后视镜 雨刮片 雨刮电机 玻璃升降器 门锁块 减震器 螺旋弹簧 上支臂 下摆臂 "
        "球头 横拉杆 方向机 转向助力泵 半轴 万向节 轮毂轴承 离合器片 离合器压盘 分离轴承 变速箱油 全合成机油 防冻液 "
        "刹车油 三元催化器 消声器 排气管 油箱盖 燃油泵 气缸垫 气门室盖垫 油底壳 活塞环 连杆瓦 曲轴油封 前保险杠 "
        "叶子板 发动机盖 中网 轮胎 铝合金轮毂 气门嘴 涡轮增压器 机脚胶 稳定杆连杆 ABS传感器 胎压传感器");
    static const QStringList cars = Words(
        "大众朗逸 大众速腾 大众迈腾 大众帕萨特 大众宝来 大众捷达 丰田卡罗拉 丰田凯美瑞 丰田汉兰达 丰田RAV4 本田雅阁 "
        "本田思域 本田CR-V 本田飞度 日产轩逸 日产天籁 日产奇骏 别克英朗 别克君威 别克GL8 现代伊兰特 现代索纳塔 "
        "现代途胜 福特福克斯 福特蒙迪欧 奥迪A4L 奥迪A6L 奥迪Q5 宝马3系 宝马5系 奔驰C级 奔驰E级 比亚迪秦 比亚迪宋 "
        "比亚迪唐 吉利帝豪 吉利博越 长安CS75 哈弗H6 奇瑞瑞虎8 雪佛兰科鲁兹 马自达6 起亚K5 斯柯达明锐 标致408 "
        "雪铁龙C5 荣威RX5 传祺GS4 五菱宏光 领克03");
    static const QStringList makers = Words(
        "博世 马勒 曼牌 电装 NGK 天合 布雷博 法雷奥 盖茨 舍弗勒 采埃孚 德尔福 大陆 米其林 固特异 瓦尔塔 壳牌 美孚 "
        "嘉实多 原厂 副厂 爱信 萨克斯 伦福德 菲罗多");
    QString name;
    if (r.Below(3) == 0)
        name += places[r.Below(int(places.size()))];
    name += parts[r.Skewed(int(parts.size()))];
    name += QLatin1Char('(') + cars[r.Skewed(int(cars.size()))] + QLatin1Char(')');
    name += makers[r.Below(int(makers.size()))];
    if (r.Below(4) != 0) {
        // A maker's number: letters and digits, different for every part.
        static const char letters[] = "ABCDEFGHJKLMNPRSTWXZ";
        QString code;
        code += QLatin1Char(letters[r.Below(20)]);
        code += QString::number(10000 + (serial * 7919) % 90000);
        if (r.Below(2))
            code += QLatin1Char(letters[r.Below(20)]);
        name += QLatin1Char(' ') + code;
    }
    return name.left(32);
}

qint64 Scalar(TConPool& pool, const QString& sql, const QVector<TFbValue>& params = {})
{
    return pool.Execute(sql, params).At(0, 0).AsInt64();
}

// ---- prepare ----------------------------------------------------------------------------

int Prepare(const QString& location, int target)
{
    TFbConnection c;
    c.Attach(location, TConPool::UserName, TConPool::Password);
    QElapsedTimer t;
    t.start();
    QString report;
    const TSchemaUpgrade u = UpgradeSchema(c, &report);
    std::fprintf(stderr, "bench_bills: schema: %s (%.1f s)\n", qPrintable(report.replace(QLatin1Char('\n'), QLatin1Char(' '))),
                 double(t.elapsed()) / 1000.0);
    if (u == TSchemaUpgrade::Failed || u == TSchemaUpgrade::TooNew)
        return 1;
    c.Detach();
    c.Attach(location, TConPool::UserName, TConPool::Password);
    const int have = int(c.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_COMMODITY")).At(0, 0).AsInt64());
    if (have >= target) {
        std::fprintf(stderr, "bench_bills: the catalogue already holds %d parts\n", have);
        return 0;
    }
    // Through the table as the master-data window's procedure writes it, so the name index
    // trigger runs for every part; a block of rows per statement, one transaction a chunk.
    constexpr int PerBlock = 50;
    constexpr int PerCommit = 5000;
    const auto blockSql = [](int n) {
        QString head = QStringLiteral("EXECUTE BLOCK (");
        QString body;
        for (int k = 0; k < n; ++k) {
            head += QStringLiteral("%1N%2 VARCHAR(32) = ?, U%2 INTEGER = ?, S%2 INTEGER = ?")
                        .arg(k ? QStringLiteral(", ") : QString())
                        .arg(k);
            body += QStringLiteral(
                        "INSERT INTO TB_COMMODITY (COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (:N%1, :U%1, :S%1); ")
                        .arg(k);
        }
        return head + QStringLiteral(") AS BEGIN ") + body + QStringLiteral("END");
    };
    const QString full = blockSql(PerBlock);
    TRandom r(20240101);
    t.restart();
    int made = 0;
    const int want = target - have;
    while (made < want) {
        TFbTransaction tra(c);
        for (int done = 0; done < PerCommit && made < want; done += PerBlock) {
            const int n = std::min(PerBlock, want - made);
            QVector<TFbValue> params;
            for (int k = 0; k < n; ++k)
                params << TFbValue::FromText(PartName(r, have + made + k)) << TFbValue::FromInt(1 + r.Below(12))
                       << TFbValue::FromInt(1 + r.Below(7));
            c.Execute(n == PerBlock ? full : blockSql(n), params, &tra);
            made += n;
        }
        tra.Commit();
    }
    const double s = double(t.elapsed()) / 1000.0;
    const qint64 grams = c.Execute(QStringLiteral("SELECT COUNT(*) FROM TB_COMMODITY_GRAM")).At(0, 0).AsInt64();
    std::fprintf(stderr,
                 "bench_bills: added %d catalogue parts in %.1f s (%.2f ms a part with the name index trigger); "
                 "%lld index rows\n",
                 made, s, s * 1000.0 / made, grams);
    return 0;
}

// ---- the desks --------------------------------------------------------------------------

// "run SEED BILLS LOT,LOT,..." saves BILLS sales bills of 1-4 lines from those lots and
// answers "done SAVED REFUSED ERRORS NO,NO,..." with the numbers of the bills it saved.
int RunWorker(const QString& location, qint64 operatorId)
{
    TConPool pool;
    try {
        pool.Open(location);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "worker: %s\n", qPrintable(FbErrorText(e)));
        return 1;
    }
    return ServeCommands([&](const QStringList& w) {
        if (w.size() != 4 || w[0] != QLatin1String("run"))
            return QStringLiteral("error unknown command");
        TRandom r(w[1].toULongLong());
        const int bills = w[2].toInt();
        QList<qint64> lots;
        for (const QString& l : w[3].split(QLatin1Char(',')))
            lots << l.toLongLong();
        const int big = int(lots.size()) / 3;   // the first third hold much, the others run out
        int saved = 0, refused = 0, errors = 0;
        QStringList numbers;
        for (int b = 0; b < bills; ++b) {
            TSalesBill bill;
            bill.OperatorId = operatorId;
            QSet<qint64> taken;
            const int lines = 1 + r.Below(4);
            while (bill.Lines.size() < lines) {
                const qint64 lot = r.Below(3) ? lots[r.Below(big)] : lots[big + r.Below(int(lots.size()) - big)];
                if (taken.contains(lot))
                    continue;
                taken.insert(lot);
                bill.Lines.push_back({lot, QString::number(1 + r.Below(3)), QStringLiteral("15.50")});
            }
            try {
                numbers << QString::number(SaveSalesBill(pool, bill).BillNo);
                ++saved;
            } catch (const TBillRefused&) {
                ++refused;
            } catch (const std::exception& e) {
                ++errors;
                std::fprintf(stderr, "worker %lld: %s\n", operatorId, qPrintable(FbErrorText(e).simplified()));
            }
        }
        return QStringLiteral("done %1 %2 %3 %4").arg(saved).arg(refused).arg(errors).arg(numbers.join(QLatin1Char(',')));
    });
}

// ---- the measurements -------------------------------------------------------------------

// What a user types, one keystroke at a time: every prefix of each text is searched.
struct TTyped {
    TPartSource Source;
    QString Text;
};

std::vector<TTyped> TypedTexts()
{
    std::vector<TTyped> list;
    const auto add = [&](TPartSource s, const char* words) {
        for (const QString& w : Words(words))
            list.push_back({s, w});
    };
    // A counter sale: parts that are in stock, a few that are only in the catalogue, and
    // texts no part holds.
    add(TPartSource::Stock,
        "机油滤清器 机油滤清器(大众) 前刹车片(丰田) 火花塞 玻璃水 空调滤清器 5W-30 刹车盘 雨刮片 蓄电池 "
        "涡轮增压器 雨刮电机(奥迪 鑫源汽配 xq9 轮毂轴承(宝马5系)");
    // A stock-in: the catalogue of 100,000 parts.
    add(TPartSource::Commodity,
        "减震器 左前减震器(丰田 博世 轮毂轴承(宝马5系) 刹车片(大众朗逸)布雷博 W712 空调压缩机 "
        "正时皮带(本田雅阁)盖茨 鑫源汽配 xq9 五菱宏光 氧传感器(比亚迪 ABS 涡轮增压器(奥迪Q5)");
    return list;
}

struct TSearchFigures {
    double Median = 0;
    double Max = 0;
    int Keystrokes = 0;
};

TSearchFigures MeasureSearch(TConPool& pool, int passes)
{
    const std::vector<TTyped> typed = TypedTexts();
    TPartSearch stock(pool, TPartSource::Stock);
    TPartSearch catalogue(pool, TPartSource::Commodity);
    constexpr int GridRows = 20;
    std::vector<double> all;
    std::vector<TPartSource> sources;
    struct TSlow {
        double Ms;
        QString What;
    };
    std::vector<TSlow> slow;
    for (int pass = 0; pass <= passes; ++pass) {   // pass 0 warms the server's cache
        for (const TTyped& t : typed) {
            TPartSearch& s = t.Source == TPartSource::Stock ? stock : catalogue;
            for (int n = 1; n <= t.Text.size(); ++n) {
                const QString text = t.Text.left(n);
                QElapsedTimer timer;
                timer.start();
                s.Start(text, GridRows);
                const double ms = double(timer.nsecsElapsed()) / 1e6;
                if (pass == 0)
                    continue;
                all.push_back(ms);
                sources.push_back(t.Source);
                slow.push_back({ms, QStringLiteral("%1 \"%2\" %3 rows%4")
                                        .arg(t.Source == TPartSource::Stock ? QStringLiteral("stock")
                                                                            : QStringLiteral("catalogue"),
                                             text)
                                        .arg(s.RowCount())
                                        .arg(s.AtEnd() ? QString() : QStringLiteral("+"))});
            }
        }
    }
    for (TPartSource source : {TPartSource::Stock, TPartSource::Commodity}) {
        std::vector<double> mine;
        for (size_t k = 0; k < all.size(); ++k)
            if (sources[k] == source)
                mine.push_back(all[k]);
        std::sort(mine.begin(), mine.end());
        std::fprintf(stderr, "bench_bills: %s search: median %.2f ms, 90%% %.2f ms, max %.2f ms over %d keystrokes\n",
                     source == TPartSource::Stock ? "stock" : "catalogue", mine[mine.size() / 2],
                     mine[mine.size() * 9 / 10], mine.back(), int(mine.size()));
    }
    std::sort(all.begin(), all.end());
    std::sort(slow.begin(), slow.end(), [](const TSlow& a, const TSlow& b) { return a.Ms > b.Ms; });
    for (size_t k = 0; k < slow.size() && k < 5; ++k)
        std::fprintf(stderr, "bench_bills: slow keystroke %.2f ms: %s\n", slow[k].Ms, qPrintable(slow[k].What));
    TSearchFigures f;
    f.Keystrokes = int(all.size()) / passes;
    f.Median = all[all.size() / 2];
    f.Max = all.back();
    return f;
}

int RunBench(const QString& location, int runs, int workers, int billsEach)
{
    TConPool pool;
    pool.Open(location);
    const qint64 parts = Scalar(pool, QStringLiteral("SELECT COUNT(*) FROM TB_COMMODITY"));
    const qint64 lotsWithStock = Scalar(pool, QStringLiteral("SELECT COUNT(*) FROM TB_STOCK WHERE STOCK_COUNT > 0"));
    std::fprintf(stderr, "bench_bills: %lld parts, %lld lots (%lld with stock), schema version %d\n", parts,
                 Scalar(pool, QStringLiteral("SELECT COUNT(*) FROM TB_STOCK")), lotsWithStock,
                 SchemaVersion(pool.Connection()));

    // 50-line bills. The sales take one piece each of 50 lots with stock, other lots every run.
    const TFbResult lots = pool.Execute(
        QStringLiteral("SELECT FIRST ? ID FROM TB_STOCK WHERE STOCK_COUNT > 0 ORDER BY ID DESC"), {TFbValue::FromInt(50 * runs)});
    if (lots.RowCount() < 50 * runs)
        throw TFbError(QStringLiteral("not enough lots with stock"));
    // Each run timed; the median printed, every run on standard error.
    const auto timeRuns = [&](const char* what, const std::function<void(int)>& work) {
        std::vector<double> ms;
        QStringList each;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer t;
            t.start();
            work(run);
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
            each << QString::number(ms.back(), 'f', 1);
        }
        std::fprintf(stderr, "bench_bills: %s, ms each: %s\n", what, qPrintable(each.join(QLatin1Char(' '))));
        std::sort(ms.begin(), ms.end());
        return ms[ms.size() / 2];
    };
    const double salesMs = timeRuns("50-line sales bills", [&](int run) {
        TSalesBill b;
        b.OperatorId = 1;
        for (int k = 0; k < 50; ++k)
            b.Lines.push_back({lots.At(run * 50 + k, 0).AsInt64(), QStringLiteral("1"), QStringLiteral("88.00")});
        SaveSalesBill(pool, b);
    });
    TRandom pick(7);
    const double storageMs = timeRuns("50-line stock-in bills", [&](int) {
        TStorageBill b;
        b.SupplierId = 1;
        b.BuyerId = 12;
        b.OperatorId = 1;
        for (int k = 0; k < 50; ++k)
            b.Lines.push_back({1 + pick.Below(int(parts)), QString::number(1 + pick.Below(40)), QStringLiteral("35.20"),
                               QStringLiteral("52.80")});
        SaveStorageBill(pool, b);
    });

    const TSearchFigures search = MeasureSearch(pool, 3);
    std::fprintf(stderr, "bench_bills: %d keystrokes a pass, 3 passes after one to warm up\n", search.Keystrokes);
    std::printf("bills save50_sales_ms=%.1f save50_storage_ms=%.1f search_median_ms=%.2f search_max_ms=%.2f\n", salesMs,
                storageMs, search.Median, search.Max);
    std::fflush(stdout);

    // The shared lots: a stock-in of 30 parts, the first third with much, the rest with little.
    TStorageBill in;
    in.SupplierId = 1;
    in.OperatorId = 1;
    constexpr int Shared = 30;
    for (int k = 0; k < Shared; ++k)
        in.Lines.push_back({1 + k * 7 % 291, QString::number(k < Shared / 3 ? 400 : 15), QStringLiteral("20"),
                            QStringLiteral("30")});
    const TStorageSaved shared = SaveStorageBill(pool, in);
    QStringList lotList;
    for (qint64 lot : shared.LotIds)
        lotList << QString::number(lot);
    const QStringList auditBefore = AuditStock(pool);

    std::vector<std::unique_ptr<QProcess>> desks;
    for (int w = 0; w < workers; ++w) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--worker"), location, QString::number(2 + w)});
        if (!p->waitForStarted() || ReadDeskLine(*p) != QLatin1String("ready"))
            throw TFbError(QStringLiteral("a worker did not start"));
        desks.push_back(std::move(p));
    }
    QElapsedTimer wall;
    wall.start();
    for (int w = 0; w < workers; ++w)
        desks[size_t(w)]->write(
            QStringLiteral("run %1 %2 %3\n").arg(1000 + w).arg(billsEach).arg(lotList.join(QLatin1Char(','))).toUtf8());
    int saved = 0, refused = 0, errors = 0;
    QStringList numbers;
    for (auto& p : desks) {
        const QStringList w = ReadDeskLine(*p, 600000).split(QLatin1Char(' '));
        if (w.size() < 4 || w[0] != QLatin1String("done"))
            throw TFbError(QStringLiteral("a worker gave no answer: ") + w.join(QLatin1Char(' ')));
        saved += w[1].toInt();
        refused += w[2].toInt();
        errors += w[3].toInt();
        if (w.size() > 4 && !w[4].isEmpty())
            numbers << w[4].split(QLatin1Char(','));
    }
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    for (auto& p : desks)
        StopDesk(*p);

    // What the database says afterwards.
    int dup = int(numbers.size() - QSet<QString>(numbers.begin(), numbers.end()).size());
    QString in_;   // the shared lots' places
    QVector<TFbValue> lotParams;
    for (qint64 lot : shared.LotIds) {
        in_ += in_.isEmpty() ? QStringLiteral("?") : QStringLiteral(",?");
        lotParams << TFbValue::FromInt(lot);
    }
    // Bills on the shared lots whose lines differ in operator: two desks' bills under one number.
    dup += int(Scalar(pool,
                      QStringLiteral("SELECT COUNT(*) FROM (SELECT L.BILL_NO FROM TB_SALES L WHERE L.BILL_NO IN "
                                     "(SELECT S.BILL_NO FROM TB_SALES S WHERE S.STOCK_ID IN (%1)) "
                                     "GROUP BY L.BILL_NO HAVING COUNT(DISTINCT L.OPERATOR_ID) > 1)")
                          .arg(in_),
                      lotParams));
    int negative = int(Scalar(pool, QStringLiteral("SELECT COUNT(*) FROM TB_STOCK WHERE STOCK_COUNT < 0")));
    int mismatch = 0;
    const TFbResult after = pool.Execute(
        QStringLiteral("SELECT K.ID, K.STOCK_COUNT, G.IN_COUNT, "
                       "(SELECT CAST(COALESCE(SUM(L.OUT_COUNT), 0) AS BIGINT) FROM TB_SALES L WHERE L.STOCK_ID = K.ID) "
                       "FROM TB_STOCK K JOIN TB_STORAGE G ON G.ID = K.STORAGE_ID WHERE K.ID IN (%1)")
            .arg(in_),
        lotParams);
    for (int row = 0; row < after.RowCount(); ++row)
        if (after.At(row, 1).AsInt64() != after.At(row, 2).AsInt64() - after.At(row, 3).AsInt64())
            ++mismatch;
    mismatch += Shared - after.RowCount();
    // Every bill a desk saved is there, and no other bill took from these lots.
    const qint64 billsThere = Scalar(
        pool, QStringLiteral("SELECT COUNT(DISTINCT BILL_NO) FROM TB_SALES WHERE STOCK_ID IN (%1)").arg(in_), lotParams);
    if (billsThere != saved) {
        std::fprintf(stderr, "bench_bills: %lld bills on the shared lots, the desks saved %d\n", billsThere, saved);
        mismatch += int(qAbs(billsThere - saved));
    }
    const QStringList auditAfter = AuditStock(pool);
    for (const QString& f : auditAfter) {
        if (auditBefore.contains(f))
            continue;
        std::fprintf(stderr, "bench_bills: audit: %s\n", qPrintable(f));
        if (f.contains(QStringLiteral("单号")))
            ++dup;
        else if (f.contains(QStringLiteral("负数")))
            ++negative;
        else
            ++mismatch;
    }
    if (!auditBefore.isEmpty())
        std::fprintf(stderr, "bench_bills: %d audit findings were there before the desks ran\n", int(auditBefore.size()));
    if (errors)
        std::fprintf(stderr, "bench_bills: %d bills failed with a database error\n", errors);
    std::fprintf(stderr, "bench_bills: the desks took %.1f s for %d bills (%.1f a second saved or refused)\n", seconds,
                 saved + refused, double(saved + refused) / seconds);
    std::printf("bills workers=%d saved=%d refused=%d dup_bill_no=%d negative_lots=%d stock_mismatch=%d bills_per_s=%.1f\n",
                workers, saved, refused, dup, negative, mismatch, double(saved) / seconds);
    pool.Close();
    return errors ? 1 : 0;
}

}   // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 4 && args[1] == QLatin1String("--worker"))
            return RunWorker(args[2], args[3].toLongLong());
        QString location;
        bool prepare = false, searchOnly = false;
        int parts = 100000, runs = 7, workers = 4, bills = 200;
        for (int i = 1; i + 1 < args.size(); ++i) {
            if (args[i] == QLatin1String("--db"))
                location = args[++i];
            else if (args[i] == QLatin1String("--prepare")) {
                location = args[++i];
                prepare = true;
            } else if (args[i] == QLatin1String("--search-only")) {
                location = args[++i];
                searchOnly = true;
            } else if (args[i] == QLatin1String("--parts"))
                parts = args[++i].toInt();
            else if (args[i] == QLatin1String("--runs"))
                runs = qMax(1, args[++i].toInt());
            else if (args[i] == QLatin1String("--workers"))
                workers = qMax(1, args[++i].toInt());
            else if (args[i] == QLatin1String("--bills"))
                bills = qMax(1, args[++i].toInt());
        }
        if (location.isEmpty()) {
            std::fprintf(stderr, "usage: bench_bills --prepare LOCATION [--parts N] | --db LOCATION [--runs R]\n");
            return 2;
        }
        if (searchOnly) {
            TConPool pool;
            pool.Open(location);
            const TSearchFigures f = MeasureSearch(pool, 3);
            std::printf("bills search_median_ms=%.2f search_max_ms=%.2f\n", f.Median, f.Max);
            return 0;
        }
        return prepare ? Prepare(location, parts) : RunBench(location, runs, workers, bills);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_bills: %s\n", qPrintable(FbErrorText(e)));
        return 1;
    }
}

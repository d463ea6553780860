// Paging the repair orders of a demo database as the main window does: page 1 with its
// count, the last page, a filtered list, and for comparison page 1 counted by fetching every
// key. Prints the median of several runs of each and the process's peak memory.
//   bench_lists --db LOCATION --n N [--runs R]
#include "clsCommodity.h"
#include "clsContact.h"
#include "clsEmployee.h"
#include "clsRepair.h"
#include "clsSales.h"
#include "clsStock.h"
#include "clsStorage.h"
#include "clsSupplier.h"
#include "clsTool.h"
#include "ListGrid.h"
#include "StringGrid.h"

#include "BenchTiming.h"

#include <QApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString location;
    long long n = 0;
    int runs = 5;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--db"))
            location = args[++i];
        else if (args[i] == QLatin1String("--n"))
            n = args[++i].toLongLong();
        else if (args[i] == QLatin1String("--runs"))
            runs = qMax(1, args[++i].toInt());
    }
    if (location.isEmpty()) {
        std::fprintf(stderr, "usage: bench_lists --db LOCATION --n N [--runs R]\n");
        return 2;
    }

    try {
        TConPool pool;
        pool.Open(location);
        TDataSet* set = pool.GetDataSet();
        TStringGrid grid;
        TRepair repair;
        repair.SetDataSet(set);
        const auto none = [] {};

        // Warm the server's page cache once, as a workstation that has been running would.
        repair.Open();
        FillGrid(repair, &grid);
        repair.Close();

        const double openMs = Median(
            runs, [&] { repair.Close(); },
            [&] {
                repair.Open();
                FillGrid(repair, &grid);
            });
        const int total = repair.TotalCount, pages = repair.PageCount;

        const double lastMs = Median(
            runs, [&] { repair.FirstPage(); },
            [&] {
                repair.LastPage();
                FillGrid(repair, &grid);
            });
        const int lastRows = set->RecordCount();

        const double countMs = Median(runs, none, [&] { pool.Execute(repair.CountSQL()); });

        const QString filter = QStringLiteral("CAR_NO LIKE '京A1%'");
        int filteredTotal = 0;
        const double filteredMs = Median(
            runs,
            [&] {
                repair.Close();
                repair.SetFilter(filter);
            },
            [&] {
                repair.Open();
                FillGrid(repair, &grid);
                filteredTotal = repair.TotalCount;
            });
        repair.Close();
        repair.SetFilter(QString());
        const double peakMb = PeakMb();

        // The way that fetches the ID of every matching record to count them.
        const QString list = repair.ListSQL();
        const QString keys = QStringLiteral("SELECT ID") + list.mid(list.indexOf(QLatin1String("FROM")) - 1);
        int naiveTotal = 0;
        const double naiveMs = Median(runs, none, [&] {
            set->Close();
            set->SetCommandText(keys);
            set->Open();
            naiveTotal = set->RecordCount();
            set->Close();
            set->SetCommandText(naiveTotal > repair.PageSize ? list + PagingClause(1, repair.PageSize) : list);
            set->Open();
            FillGrid(repair, &grid);
        });
        const double naivePeakMb = PeakMb();

        // Every other list of the main window, page 1 with its count and the last page.
        struct TList {
            const char* Name;
            std::unique_ptr<TData> Source;
        };
        TList lists[] = {{"TEmployee", std::make_unique<TEmployee>()},   {"TSales", std::make_unique<TSales>()},
                         {"TSupplier", std::make_unique<TSupplier>()},   {"TContact", std::make_unique<TContact>()},
                         {"TCommodity", std::make_unique<TCommodity>()}, {"TTool", std::make_unique<TTool>()},
                         {"TStorage", std::make_unique<TStorage>()},     {"TStock", std::make_unique<TStock>()}};
        for (TList& l : lists) {
            TData& d = *l.Source;
            d.SetDataSet(set);
            const double o = Median(
                3, [&] { d.Close(); },
                [&] {
                    d.Open();
                    FillGrid(d, &grid);
                });
            const double last = Median(
                3, [&] { d.FirstPage(); },
                [&] {
                    d.LastPage();
                    FillGrid(d, &grid);
                });
            std::printf("lists N=%lld: %-10s %8d rows  open_ms=%.1f last_ms=%.1f\n", n, l.Name, d.TotalCount, o, last);
            d.Close();
        }
        set->Close();
        pool.FreeDataSet(set);
        pool.Close();

        std::printf("lists N=%lld: %d orders in %d pages; last page %d rows; %d match %s\n", n, total, pages, lastRows,
                    filteredTotal, filter.toUtf8().constData());
        std::printf(
            "lists N=%lld: count_ms=%.1f (SELECT COUNT(*) alone), naive counted %d keys, peak %.0f MB with them\n", n,
            countMs, naiveTotal, naivePeakMb);
        std::printf("lists N=%lld: open/naive speed-up %.1fx (median of %d runs)\n", n, naiveMs / openMs, runs);
        std::printf("lists N=%lld open_ms=%.1f last_ms=%.1f filtered_ms=%.1f naive_ms=%.1f peak_mb=%.0f\n", n, openMs,
                    lastMs, filteredMs, naiveMs, peakMb);
        std::fflush(stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_lists: %s\n", FbErrorText(e).toUtf8().constData());
        return 1;
    }
    return 0;
}

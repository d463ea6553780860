// Registering repair orders on a demo database as the repair window does: the save through
// the procedure, the plate's history when the car number is left, and opening the accepter
// lookup's list of employees. Prints the median of each.
//   bench_repair --db LOCATION --n N [--runs R]
#include "ConPool.h"
#include "FbClient.h"
#include "GlobalHead.h"
#include "StringGrid.h"
#include "Triple.h"
#include "clsRepair.h"

#include "BenchTiming.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString location;
    long long n = 0;
    int runs = 21;
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
        std::fprintf(stderr, "usage: bench_repair --db LOCATION --n N [--runs R]\n");
        return 2;
    }
    try {
        Pool = new TConPool();
        Pool->Open(location);
        const TFbResult plates = Pool->Execute(QStringLiteral("SELECT FIRST 1 CAR_NO FROM TB_REPAIR ORDER BY ID DESC"));
        const QString plate = plates.RowCount() ? plates.At(0, 0).AsString() : QStringLiteral("京A00001");

        const auto none = [] {};
        TRepair repair;
        int i = 0;   // each save its own car and customer
        const double saveMs = Median(runs, none, [&] {
            ++i;
            TStoredProcLoan proc(Pool);
            repair.ClearValues();
            repair.SetValue(QStringLiteral("ID"), QStringLiteral("0"));
            repair.SetValue(QStringLiteral("CAR_NO"), QStringLiteral("京B%1").arg(90000 + i));
            repair.SetValue(QStringLiteral("CAR_OWNER"), QStringLiteral("测试%1").arg(i));
            repair.SetValue(QStringLiteral("PHONE"), QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')));
            repair.SetValue(QStringLiteral("FAULT"), QStringLiteral("发动机异响"));
            repair.SetValue(QStringLiteral("QUOTE"), QStringLiteral("1200"));
            repair.SetKey(QStringLiteral("ACCEPTER_NAME"), QStringLiteral("1"));
            repair.SetKey(QStringLiteral("OPERATOR_NAME"), QStringLiteral("1"));
            TSPResultInfo result;
            repair.Execute(proc.get(), TExecMode::New, result);
            if (!result.Success)
                throw TFbError(QStringLiteral("save refused"));
        });
        int orders = 0;
        const double plateMs = Median(runs, none, [&] { orders = ReadPlateHistory(*Pool, plate).Orders; });

        QWidget form;
        form.resize(640, 440);
        TTriple accepter(&form);
        accepter.SetDicName(QStringLiteral("EMPLOYEE"));
        accepter.move(10, 10);
        int employees = 0;
        const double lookupMs = Median(runs, none, [&] {
            accepter.SetDataSet(Pool->GetDataSet());
            accepter.OpenList();
            employees = accepter.ListGrid() ? accepter.ListGrid()->RowCount() - 1 : 0;
            accepter.CloseList();
            Pool->FreeDataSet(accepter.DataSet());
            accepter.SetDataSet(nullptr);
        });
        std::printf("repair N=%lld: plate %s has %d orders; %d employees in the lookup (median of %d runs)\n", n,
                    qPrintable(plate), orders, employees, runs);
        std::printf("repair N=%lld save_ms=%.2f plate_ms=%.2f lookup_ms=%.2f\n", n, saveMs, plateMs, lookupMs);
        Pool->Close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_repair: %s\n", e.what());
        return 1;
    }
    return 0;
}

#include "Functions.h"

#include "StringGrid.h"

namespace FunctionTexts {
const QString NoRight = QStringLiteral("权限不足！");
const QString Warning = QStringLiteral("警告");
}

bool CheckRight(const QString& functionName, int right)
{
    bool granted = false;
    for (const TRightInfo& info : Symbol.Rights) {
        if (info.FunctionName.compare(functionName, Qt::CaseInsensitive) == 0) {
            if (right >= rtRead && right <= rtDelete)
                granted = HasRight(info.Grants, TRight(right));
            break;
        }
    }
    if (!granted)
        ShowMsg(FunctionTexts::NoRight, FunctionTexts::Warning, TMsgIcon::Warning);
    return granted;
}

bool DeleteGridRow(TStringGrid* grid)
{
    if (!grid)
        return false;
    const int r = grid->Row();
    const int n = grid->RowCount();
    if (r <= 0 || r >= n)
        return false;
    try {
        for (int row = r; row < n - 1; ++row)
            for (int c = 0; c < grid->ColCount(); ++c)
                grid->SetCells(c, row, grid->Cells(c, row + 1));
        grid->SetRowCount(n - 1);
    } catch (...) {
        return false;
    }
    return true;
}

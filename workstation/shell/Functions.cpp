#include "Functions.h"

#include "Gbk.h"
#include "Modules.h"
#include "StringGrid.h"

#include <QFile>

namespace FunctionTexts {
const QString NoRight = QStringLiteral("权限不足！");
const QString NotYet = QStringLiteral("“%1”的窗口尚未提供，请等待新的版本。");
}   // namespace FunctionTexts

bool CheckRight(const QString& functionName, TRight right)
{
    bool granted = false;
    for (const TRightInfo& info : Symbol.Rights) {
        if (info.FunctionName.compare(functionName, Qt::CaseInsensitive) == 0) {
            granted = HasRight(info.Grants, right);
            break;
        }
    }
    if (!granted)
        ShowMsg(FunctionTexts::NoRight, Texts::CaptionWarning, TMsgIcon::Warning);
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
    for (int row = r; row < n - 1; ++row)
        for (int c = 0; c < grid->ColCount(); ++c)
            grid->SetCells(c, row, grid->Cells(c, row + 1));
    grid->SetRowCount(n - 1);
    return true;
}

bool OpenModule(const QString& functionName, int mode, TData* list)
{
    const TModule* module = FindModule(functionName);
    if (!module)
        return false;
    if (!module->Window) {
        // Rather than a click that does nothing: the user learns the window is still to come.
        ShowMsg(FunctionTexts::NotYet.arg(module->Name), Texts::CaptionInfo, TMsgIcon::Information);
        return false;
    }
    module->Window(mode, list);
    return true;
}

QString ExportLine(const QStringList& cells)
{
    if (cells.size() == 1 && cells[0].isEmpty())
        return QStringLiteral("\"\"");
    QStringList parts;
    parts.reserve(cells.size());
    for (const QString& cell : cells) {
        bool quote = false;
        for (const QChar c : cell) {
            if (c.unicode() <= ' ' || c == QLatin1Char('"') || c == QLatin1Char(',')) {
                quote = true;
                break;
            }
        }
        if (quote) {
            QString t = cell;
            t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            parts << QLatin1Char('"') + t + QLatin1Char('"');
        } else {
            parts << cell;
        }
    }
    QString line = parts.join(QLatin1Char(','));
    line.replace(QLatin1Char(','), QLatin1Char('\t'));
    return line;
}

bool ExportGridToFile(const TStringGrid* grid, const QString& fileName, QString* error)
{
    QFile file(fileName);
    const bool exists = file.exists();
    if (!file.open(exists ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("无法打开文件 %1：%2").arg(fileName, file.errorString());
        return false;
    }
    bool written = true;
    for (int r = exists ? 1 : 0; r < grid->RowCount() && written; ++r) {
        const QByteArray line = Gbk::Encode(ExportLine(grid->RowTexts(r))) + "\r\n";
        written = file.write(line) == line.size();
    }
    if (written && file.flush())
        return true;
    if (error)
        *error = QStringLiteral("写入文件 %1 失败：%2").arg(fileName, file.errorString());
    return false;
}

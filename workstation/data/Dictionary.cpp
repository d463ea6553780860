#include "Dictionary.h"

#include "ConPool.h"
#include "DbErrors.h"
#include "FbClient.h"

// ---- TDicGrid -------------------------------------------------------------------------

void TDicGrid::SetColCount(int count)
{
    FColCount = count;
    for (QStringList& row : FCells) {
        while (row.size() < count)
            row << QString();
        while (row.size() > count)
            row.removeLast();
    }
    FColWidths.resize(count);
}

void TDicGrid::SetRowCount(int count)
{
    QStringList empty;
    for (int c = 0; c < FColCount; ++c)
        empty << QString();
    while (FCells.size() < count)
        FCells << empty;
    FCells.resize(count);
}

QString TDicGrid::Cell(int col, int row) const
{
    if (row < 0 || row >= FCells.size())
        return QString();
    return FCells[row].value(col);
}

void TDicGrid::SetCell(int col, int row, const QString& text)
{
    if (row < 0 || row >= FCells.size() || col < 0 || col >= FColCount)
        return;
    FCells[row][col] = text;
}

void TDicGrid::SetColWidth(int col, int width)
{
    if (col >= 0 && col < FColWidths.size())
        FColWidths[col] = width;
}

// ---- TDictionary ----------------------------------------------------------------------

namespace {

QString Formed(const QString& text, const TDicInfo& dic)
{
    QString s = text;
    return s.replace(QStringLiteral("$REPLACE"), dic.TableWord);
}

// The comparison the repetition test makes, inside the statement, against every stored name.
const QString SameName = QStringLiteral("UPPER(TRIM(O.$REPLACE_NAME)) = UPPER(TRIM(CAST(? AS VARCHAR(%1))))");

bool IsRefusal(TDbErrorKind kind)
{
    switch (kind) {
    case TDbErrorKind::Duplicate:
    case TDbErrorKind::InUse:
    case TDbErrorKind::TooLong:
    case TDbErrorKind::NotGbk:
    case TDbErrorKind::CheckFailed:
    case TDbErrorKind::OutOfRange: return true;
    default: return false;
    }
}

}   // namespace

QStringList TDictionary::ListNames() const
{
    QStringList names;
    for (const TDicInfo& d : FDictionaries)
        names << d.DisplayName;
    return names;
}

void TDictionary::LoadDictionary(const QString& displayName, TDicGrid& grid)
{
    for (const TDicInfo& dic : FDictionaries) {
        if (dic.DisplayName.compare(displayName, Qt::CaseInsensitive) != 0)
            continue;
        grid.SetColCount(3);
        grid.SetRowCount(2);
        for (int c = 0; c < 3; ++c)
            grid.SetCell(c, 1, QString());
        grid.SetFixedRows(1);
        grid.SetCell(ColID, 0, QStringLiteral("编号"));
        grid.SetCell(ColName, 0, dic.DisplayName);
        grid.SetCell(ColMark, 0, QStringLiteral("编辑标记"));
        grid.SetColWidth(ColID, 50);
        grid.SetColWidth(ColMark, 80);
        grid.SetColWidth(ColName, grid.Width() - 50 - 80 - 10);
        if (!FDataSet)
            return;
        FDataSet->Close();
        FDataSet->ClearParams();
        FDataSet->SetCommandText(Formed(QStringLiteral("SELECT ID, $REPLACE_NAME FROM TB_$REPLACE ORDER BY ID"), dic));
        FDataSet->Open();
        const TFbResult& r = FDataSet->Result();
        if (r.RowCount() > 0) {
            grid.SetRowCount(r.RowCount() + 1);
            for (int row = 0; row < r.RowCount(); ++row) {
                grid.SetCell(ColID, row + 1, r.At(row, 0).AsString());
                grid.SetCell(ColName, row + 1, r.At(row, 1).AsString());
                grid.SetCell(ColMark, row + 1, QString());
            }
        }
        FDataSet->Close();
    }
}

TDicSaveReport TDictionary::ApplyChanges(TDicGrid& grid)
{
    TDicSaveReport report;
    if (!FDataSet || !FQuery || FCurrent < 0 || FCurrent >= FDictionaries.size() || grid.DataRowCount() < 1)
        return report;
    const TDicInfo& dic = FDictionaries[FCurrent];
    const int first = grid.FixedRows();
    QStringList names;
    for (int row = first; row < grid.RowCount(); ++row)
        names << grid.Cell(ColName, row);
    const QString same = Formed(SameName, dic).arg(dic.NameLength);

    for (int row = first; row < grid.RowCount(); ++row) {
        const QString idText = grid.Cell(ColID, row).trimmed();
        const QString nameCell = grid.Cell(ColName, row);
        const QString name = nameCell.trimmed();
        const QString mark = grid.Cell(ColMark, row).trimmed();
        if (idText.isEmpty())
            continue;
        const bool adding = mark == DicMark::Add;
        const bool changing = mark == DicMark::Change;
        const bool removing = mark == DicMark::Remove;
        if (!adding && !changing && !removing)
            continue;

        auto refuse = [&](const QString& why) {
            grid.SetCell(ColMark, row, DicMark::Refused);
            report.Refusals << why;
        };
        bool idOk = false;
        const qint64 id = idText.toLongLong(&idOk);
        if ((changing || removing) && (!idOk || id <= 0)) {
            refuse(QStringLiteral("第%1行的编号“%2”不是已保存的%3编号。")
                       .arg(QString::number(row), idText, dic.DisplayName));
            continue;
        }
        if (adding || changing) {
            if (name.isEmpty()) {
                refuse(QStringLiteral("第%1行的%2名称是空的，没有保存。").arg(QString::number(row), dic.DisplayName));
                continue;
            }
            if ((adding ? name : nameCell).size() > dic.NameLength) {
                refuse(QStringLiteral("%1名称“%2”超过%3个字，没有保存。请缩短后再试。")
                           .arg(dic.DisplayName, name, QString::number(dic.NameLength)));
                continue;
            }
            if (NameRepeated(name, names)) {
                refuse(QStringLiteral("%1“%2”在列表中重复，没有保存。").arg(dic.DisplayName, name));
                continue;
            }
        }

        // Each statement tests and writes at once, so what another workstation committed
        // since the grid was loaded is taken into account.
        FQuery->Clear();
        if (adding) {
            // ID 0 lets the insert trigger take the next value of the table's generator.
            FQuery->SetSQL(Formed(QStringLiteral("INSERT INTO TB_$REPLACE (ID, $REPLACE_NAME) "
                                                 "SELECT 0, CAST(? AS VARCHAR(%1)) FROM RDB$DATABASE "
                                                 "WHERE NOT EXISTS (SELECT 1 FROM TB_$REPLACE O WHERE %2)"),
                                  dic)
                               .arg(dic.NameLength)
                               .arg(same));
            FQuery->SetParams({TFbValue::FromText(name), TFbValue::FromText(name)});
        } else if (changing) {
            // The name as typed, blanks included: an edit stores exactly what was entered.
            FQuery->SetSQL(Formed(QStringLiteral("UPDATE TB_$REPLACE SET $REPLACE_NAME = ? WHERE ID = ? "
                                                 "AND NOT EXISTS (SELECT 1 FROM TB_$REPLACE O WHERE O.ID <> ? AND %1)"),
                                  dic)
                               .arg(same));
            FQuery->SetParams(
                {TFbValue::FromText(nameCell), TFbValue::FromInt(id), TFbValue::FromInt(id), TFbValue::FromText(name)});
        } else {
            FQuery->SetSQL(Formed(QStringLiteral("DELETE FROM TB_$REPLACE WHERE ID = ? AND NOT EXISTS (%1)"), dic)
                               .arg(dic.InUseQuery));
            FQuery->SetParams({TFbValue::FromInt(id), TFbValue::FromInt(id)});
        }

        qint64 changed = 0;
        try {
            changed = FQuery->ExecSQL();
        } catch (const std::exception& e) {
            FQuery->Clear();
            const TErrorText t = DescribeError(e);
            // The unique name index and the foreign keys refuse what the statement's own test
            // could not see: a name or a use another workstation has not yet committed.
            if (IsRefusal(ClassifyError(e))) {
                if (removing)
                    refuse(QStringLiteral("编号%1的%2没有删除：%3").arg(idText, dic.DisplayName, t.Text));
                else
                    refuse(QStringLiteral("%1“%2”没有保存：%3").arg(dic.DisplayName, name, t.Text));
                continue;
            }
            report.Error = t.Text;
            report.ErrorDetail = t.Detail;
            return report;
        }
        FQuery->Clear();
        if (changed > 0) {
            ++report.Stored;
            grid.SetCell(ColMark, row, DicMark::Done);
        } else if (adding) {
            refuse(QStringLiteral("%1“%2”已经存在（可能刚由其他电脑保存），没有重复保存。").arg(dic.DisplayName, name));
        } else if (changing) {
            refuse(QStringLiteral("%1“%2”已经存在，或编号%3已被其他电脑删除，没有修改。")
                       .arg(dic.DisplayName, name, idText));
        } else {
            refuse(QStringLiteral("编号%1的%2还在使用（或已被删除），没有删除。").arg(idText, dic.DisplayName));
        }
    }
    return report;
}

bool TDictionary::NameRepeated(const QString& name, const QStringList& names)
{
    const QString n = name.trimmed();
    int count = 0;
    for (const QString& s : names)
        if (s.trimmed().compare(n, Qt::CaseInsensitive) == 0)
            ++count;
    return count > 1;
}

bool TDictionary::IsChangedName(const QString& oldName, const QString& newName)
{
    return !newName.isEmpty() && newName.compare(oldName, Qt::CaseInsensitive) != 0;
}

// ---- TDic -----------------------------------------------------------------------------

TDic::TDic()
{
    FDictionaries = {
        {QStringLiteral("SELECT ID FROM TB_EMPLOYEE WHERE DEPARTMENT_ID = ?"), QStringLiteral("DEPARTMENT"),
         QStringLiteral("部门"), 32},
        {QStringLiteral("SELECT ID FROM TB_EMPLOYEE WHERE POST_ID = ?"), QStringLiteral("POST"), QStringLiteral("职位"),
         32},
        {QStringLiteral("SELECT ID FROM TB_COMMODITY WHERE UNIT_ID = ?"), QStringLiteral("UNIT"),
         QStringLiteral("单位"), 32},
        {QStringLiteral("SELECT ID FROM TB_COMMODITY WHERE STANDARD_ID = ?"), QStringLiteral("STANDARD"),
         QStringLiteral("规格"), 32},
    };
}

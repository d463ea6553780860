#pragma once
// Helpers the windows share: the permission test and the grid row removal.
#include "GlobalHead.h"

class TStringGrid;

namespace FunctionTexts {
extern const QString NoRight;   // "权限不足！"
extern const QString NotYet;   // a function whose window is still to come; %1 its name
}   // namespace FunctionTexts

// True when the operator holds right for the function; otherwise shows "权限不足！" first.
bool CheckRight(const QString& functionName, TRight right);

// Removes the current row of a grid whose row 0 is its caption row, moving later rows up.
// False, and nothing changed, when the current row is the caption row.
bool DeleteGridRow(TStringGrid* grid);

class TData;

// Opens the window of a function modally (ModeNew or ModeEdit) over the list source list
// and destroys it when it closes, as the module table says. False when no window belongs to
// the name; a function whose window is still to come says so. No permission is checked
// here; the callers do that.
bool OpenModule(const QString& functionName, int mode, TData* list);

// One line of the list export: the cells joined by tabs, a cell holding a blank or any
// character at or below it, a double quote or a comma written in double quotes (inner
// quotes doubled), every comma becoming a tab. No line end.
QString ExportLine(const QStringList& cells);
// Writes the grid into a GBK text file, CR LF line ends: a new file gets the caption row
// first, an existing one gets the data rows appended. False with the reason on a file error;
// lines written before it stay.
bool ExportGridToFile(const TStringGrid* grid, const QString& fileName, QString* error);

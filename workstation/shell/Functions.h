#pragma once
// Helpers the windows share: the permission test and the grid row removal.
#include "GlobalHead.h"

class TStringGrid;

namespace FunctionTexts {
extern const QString NoRight;   // "权限不足！"
extern const QString Warning;   // "警告"
}

// True when the operator holds right for the function; otherwise shows "权限不足！" first.
bool CheckRight(const QString& functionName, int right);

// Removes the current row of a grid whose row 0 is its caption row, moving later rows up.
// False, and nothing changed, when the current row is the caption row.
bool DeleteGridRow(TStringGrid* grid);

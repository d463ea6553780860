#pragma once
// Filling a text grid from a list source: the source hands out its page, the grid shows it.
class TData;
class TStringGrid;

// Caption row only: the source's visible columns with their widths, one empty data row.
void PrepareGrid(const TData& data, TStringGrid* grid);
// Writes the current page into the grid (caption row plus one row per record).
void FillGrid(const TData& data, TStringGrid* grid);
// Runs the current page again and refills the grid; nothing when the source is not open.
void Refresh(TData& data, TStringGrid* grid);

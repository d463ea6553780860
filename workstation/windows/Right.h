#pragma once
// The permission management window: per employee still employed, the four grants of each of
// the workstation's functions, toggled by double click and saved together.
#include "Rights.h"

#include <QDialog>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class TDataToolBar;
class TStringGrid;

class TfrmRight : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRight(QWidget* parent = nullptr);

    TDataToolBar* dtbRight;
    QLabel* lbl1;
    QTreeWidget* tvEmployee;
    TStringGrid* strgrdRight;

    enum { colID = 0, colObjectType, colFunction, colRead, colAppend, colAlter, colDelete, colCount };

    // The employee whose rows the grid shows; empty before one is chosen.
    QString UserId() const { return FUserId; }
    void LoadTree();
    void tvEmployeeClick(QTreeWidgetItem* node);
    void strgrdRightDblClick(int col, int row);
    void dtbRightClick();

    static const QColor Granted;   // RGB(192, 220, 192)

private:
    void ResetGrid();
    void ShowFlag(int col, int row);
    bool Save();

    QString FUserId;
};

void OpenRight(int mode, class TData* list);

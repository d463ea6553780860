#pragma once
// The employee record window: a new employee, or the selected one corrected, saved through the
// employee list's procedure.
#include <QDialog>

class QComboBox;
class QDateEdit;
class QFrame;
class TDataToolBar;
class TEmployee;
class TLabeledEdit;
class TTriple;

class TfrmEmployee : public QDialog {
    Q_OBJECT
public:
    // list: the main window's employee list, not owned. edit: filled from its current record.
    TfrmEmployee(TEmployee* list, bool edit, QWidget* parent = nullptr);

    TDataToolBar* dtbEmployee;
    QFrame* pnlEmployee;
    TLabeledEdit* edtEmployeeName;
    QComboBox* cbbSex;
    TLabeledEdit* edtPhone;
    QComboBox* cbbEducation;
    TTriple* trpPost;
    TTriple* trpDepartment;
    QDateEdit* dtpBirthday;
    QDateEdit* dtpEntryDate;
    QComboBox* cbbOfficeType;
    QComboBox* cbbStatus;
    TLabeledEdit* edtIDCode;
    TLabeledEdit* edtAddress;
    TLabeledEdit* edtMemo;

    Q_INVOKABLE int RecordId() const { return FId; }   // 0 for a new record
    void dtbEmployeeClick();

    static const QString NameTaken;   // "保存失败：已有名为“%1”的员工…"

private:
    void FillFromRecord();
    bool Save();

    TEmployee* FList;
    int FId = 0;
};

// Opens the window modally over the list (the module table's factory).
void OpenEmployee(int mode, class TData* list);

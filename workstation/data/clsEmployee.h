#pragma once
// List source of the staff list; the administrator account is never listed.
#include "DataHead.h"

// Code tables of the staff list: the stored value is the code, the grid shows the name.
extern const QStringList EducationNames;   // 0 "小学" … 8 "其他"
extern const QStringList StatusNames;   // 0 "正常", 1 "离职"
extern const QStringList OfficeTypeNames;   // 0 "全职" … 3 "其他"
// Every save sends the digest of the default password; the procedure keeps an existing
// employee's own password.
extern const QString DefaultPassWordDigest;

class TEmployee : public TData {
public:
    TEmployee();
    // Mode 0 or 1 saves through SP_UD_EMPLOYEE, mode 2 deletes through SP_DEL_EMPLOYEE.
    void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result) override;
    // Shows the names of the coded columns SEX, EDUCATION, STATUS and OFFICE_TYPE.
    QVector<QStringList> PageRows() const override;
};

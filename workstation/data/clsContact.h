#pragma once
// List source of the address books: customers by default; the main window switches to the employees' (V_CONTACT_E) or
// suppliers' (V_CONTACT_S) view.
#include "DataHead.h"

class TContact : public TData {
public:
    TContact();
    // Switches to the address book of that name ("员工通讯录", "客户通讯录", "供应商通讯录");
    // false, and nothing changed, for any other text (the chooser closed without a choice).
    bool ChooseBook(const QString& bookName);
    // A list that is not edited: runs nothing and reports no success.
    void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result) override;
};

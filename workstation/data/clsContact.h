#pragma once
// List source of the address books: customers by default; the main window switches to the employees' (V_CONTACT_E) or suppliers' (V_CONTACT_S) view.
#include "DataHead.h"

class TContact : public TData {
public:
    TContact();
    // A list that is not edited: runs nothing and reports no success.
    void Execute(TStoredProc* proc, int mode, TSPResultInfo& result) override;
};

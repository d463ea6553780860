#pragma once
// List source of suppliers.
#include "DataHead.h"

class TSupplier : public TData {
public:
    TSupplier();
    // Mode 0 or 1 saves through SP_UD_SUPPLIER, mode 2 deletes through SP_DEL_SUPPLIER.
    void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result) override;
};

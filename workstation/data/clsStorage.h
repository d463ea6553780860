#pragma once
// List source of stock-in bills, one row per bill.
#include "DataHead.h"

class TStorage : public TData {
public:
    TStorage();
    // A list that is not edited: runs nothing and reports no success.
    void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result) override;
};

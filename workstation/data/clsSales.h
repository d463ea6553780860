#pragma once
// List source of sales bills, one row per bill.
#include "DataHead.h"

class TSales : public TData {
public:
    TSales();
    // A list that is not edited: runs nothing and reports no success.
    void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result) override;
};

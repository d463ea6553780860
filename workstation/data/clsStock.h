#pragma once
// List source of stock on hand, one row per lot.
#include "DataHead.h"

class TStock : public TData {
public:
    TStock();
    // A list that is not edited: runs nothing and reports no success.
    void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result) override;
};

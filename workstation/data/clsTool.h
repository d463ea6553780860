#pragma once
// List source of workshop tools.
#include "DataHead.h"

class TTool : public TData {
public:
    TTool();
    // Mode 0 or 1 saves through SP_UD_TOOL, mode 2 deletes through SP_DEL_TOOL.
    void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result) override;
};

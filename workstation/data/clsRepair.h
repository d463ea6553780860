#pragma once
// List source of repair orders; also the repair history, filtered on IS_PAY = 1.
#include "DataHead.h"

class TConPool;

// What the workshop already knows of a car: how many orders carry its plate, and the
// customer of the latest of them.
struct TPlateHistory {
    int Orders = 0;
    QString CarOwner;
    QString Phone;
    QString Address;
};
// By the plate as typed (blanks around it ignored); nothing for an empty plate. Indexed.
TPlateHistory ReadPlateHistory(TConPool& pool, const QString& carNo);

class TRepair : public TData {
public:
    TRepair();
    // Mode 0 or 1 saves through SP_UD_REPAIR, mode 2 deletes through SP_DEL_REPAIR.
    void Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result) override;
};

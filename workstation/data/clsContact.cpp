#include "clsContact.h"

TContact::TContact()
{
    BaseSQL = QStringLiteral("SELECT * FROM V_CONTACT_C");
    Columns.reserve(5);
    AddColumn(QStringLiteral("ID"), QStringLiteral("编号"), 6, 50);
    AddColumn(QStringLiteral("CONTACT_NAME"), QStringLiteral("名称"), 64, 100);
    AddColumn(QStringLiteral("CONTACTOR"), QStringLiteral("联系人"), 16, 50);
    AddColumn(QStringLiteral("PHONE"), QStringLiteral("联系电话"), 32, 100);
    AddColumn(QStringLiteral("ADDRESS"), QStringLiteral("联系地址"), 128, 200);
}

void TContact::Execute(TStoredProc* proc, int mode, TSPResultInfo& result)
{
    Q_UNUSED(proc);
    Q_UNUSED(mode);
    Q_UNUSED(result);
}

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

bool TContact::ChooseBook(const QString& bookName)
{
    if (bookName == QStringLiteral("员工通讯录"))
        SetBaseSQL(QStringLiteral("SELECT * FROM V_CONTACT_E"), QStringLiteral("CONTACT_NAME <> '管理员'"));
    else if (bookName == QStringLiteral("客户通讯录"))
        SetBaseSQL(QStringLiteral("SELECT * FROM V_CONTACT_C"));
    else if (bookName == QStringLiteral("供应商通讯录"))
        SetBaseSQL(QStringLiteral("SELECT * FROM V_CONTACT_S"));
    else
        return false;
    return true;
}

void TContact::Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result)
{
    Q_UNUSED(proc);
    Q_UNUSED(mode);
    Q_UNUSED(result);
}

#include "clsEmployee.h"

const QStringList EducationNames = {QStringLiteral("小学"),   QStringLiteral("初中"),   QStringLiteral("高中"),
                                    QStringLiteral("中专"),   QStringLiteral("大专"),   QStringLiteral("本科"),
                                    QStringLiteral("研究生"), QStringLiteral("博士生"), QStringLiteral("其他")};
const QStringList StatusNames = {QStringLiteral("正常"), QStringLiteral("离职")};
const QStringList OfficeTypeNames = {QStringLiteral("全职"), QStringLiteral("兼职"), QStringLiteral("实习"),
                                     QStringLiteral("其他")};
// MD5 of the default password 123456.
const QString DefaultPassWordDigest = QStringLiteral("e10adc3949ba59abbe56e057f20f883e");

TEmployee::TEmployee()
{
    SetBaseSQL(QStringLiteral("SELECT * FROM V_EMPLOYEE"), QStringLiteral("EMPLOYEE_NAME <> '管理员'"));
    Columns.reserve(14);
    AddColumn(QStringLiteral("ID"), QStringLiteral("编号"), 6, 50);
    AddColumn(QStringLiteral("EMPLOYEE_NAME"), QStringLiteral("姓名"), 16, 50);
    AddColumn(QStringLiteral("SEX"), QStringLiteral("性别"), 8, 50);
    AddColumn(QStringLiteral("BIRTHDAY"), QStringLiteral("出生日期"), 10, 80);
    AddColumn(QStringLiteral("EDUCATION"), QStringLiteral("学历"), 8, 50);
    AddColumn(QStringLiteral("ID_CODE"), QStringLiteral("身份证号"), 18, 100);
    AddColumn(QStringLiteral("STATUS"), QStringLiteral("状态"), 8, 50);
    AddColumn(QStringLiteral("ENTRY_DATE"), QStringLiteral("入职日期"), 10, 80);
    AddColumn(QStringLiteral("OFFICE_TYPE"), QStringLiteral("就职类型"), 8, 80);
    AddColumn(QStringLiteral("POST_NAME"), QStringLiteral("职位"), 32, 50);
    AddColumn(QStringLiteral("DEPARTMENT_NAME"), QStringLiteral("部门"), 32, 50);
    AddColumn(QStringLiteral("PHONE"), QStringLiteral("联系电话"), 32, 100);
    AddColumn(QStringLiteral("ADDRESS"), QStringLiteral("联系地址"), 64, 100);
    AddColumn(QStringLiteral("MEMO"), QStringLiteral("备注"), 128, 100);
}

void TEmployee::Execute(TStoredProc* proc, TExecMode mode, TSPResultInfo& result)
{
    if (!BeginSave(proc, mode, QStringLiteral("SP_UD_EMPLOYEE"), QStringLiteral("SP_DEL_EMPLOYEE"), result))
        return;
    AddText(proc, QStringLiteral("EMPLOYEE_NAME"));
    AddInput(proc, TFieldType::ftString, QStringLiteral("PW"), TFbValue::FromText(DefaultPassWordDigest));
    AddInteger(proc, QStringLiteral("SEX"));
    AddDate(proc, QStringLiteral("BIRTHDAY"));
    AddInteger(proc, QStringLiteral("EDUCATION"));
    AddText(proc, QStringLiteral("ID_CODE"));
    AddInteger(proc, QStringLiteral("STATUS"));
    AddDate(proc, QStringLiteral("ENTRY_DATE"));
    AddInteger(proc, QStringLiteral("OFFICE_TYPE"));
    AddKey(proc, QStringLiteral("POST_ID"), QStringLiteral("POST_NAME"));
    AddKey(proc, QStringLiteral("DEPARTMENT_ID"), QStringLiteral("DEPARTMENT_NAME"));
    AddText(proc, QStringLiteral("MEMO"));
    AddText(proc, QStringLiteral("PHONE"));
    AddText(proc, QStringLiteral("ADDRESS"));
    RunProc(proc, result);
}

QVector<QStringList> TEmployee::PageRows() const
{
    QVector<QStringList> rows = TData::PageRows();
    struct TCoded {
        int Col;
        const QStringList* Names;
    };
    const TCoded coded[] = {{2, &SexNames}, {4, &EducationNames}, {6, &StatusNames}, {8, &OfficeTypeNames}};
    for (QStringList& row : rows) {
        for (const TCoded& k : coded) {
            if (k.Col >= row.size())
                continue;
            bool ok = false;
            const int code = row[k.Col].trimmed().toInt(&ok);
            row[k.Col] = CodeName(*k.Names, ok ? code : 0);
        }
    }
    return rows;
}

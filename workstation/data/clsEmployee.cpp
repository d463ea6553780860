#include "clsEmployee.h"

#include "StringGrid.h"

const QStringList EducationNames = {QStringLiteral("小学"), QStringLiteral("初中"), QStringLiteral("高中"),
    QStringLiteral("中专"), QStringLiteral("大专"), QStringLiteral("本科"), QStringLiteral("研究生"),
    QStringLiteral("博士生"), QStringLiteral("其他")};
const QStringList StatusNames = {QStringLiteral("正常"), QStringLiteral("离职")};
const QStringList OfficeTypeNames = {QStringLiteral("全职"), QStringLiteral("兼职"), QStringLiteral("实习"),
    QStringLiteral("其他")};
// MD5 of the default password 123456.
const QString DefaultPassWordDigest = QStringLiteral("e10adc3949ba59abbe56e057f20f883e");

TEmployee::TEmployee()
{
    BaseSQL = QStringLiteral("SELECT * FROM V_EMPLOYEE WHERE EMPLOYEE_NAME <> '管理员'");
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

void TEmployee::Execute(TStoredProc* proc, int mode, TSPResultInfo& result)
{
    if (mode == ExecDelete) {
        RunDelete(proc, QStringLiteral("SP_DEL_EMPLOYEE"), result);
        return;
    }
    if (mode != 0 && mode != 1)
        return;
    int id = 0;
    if (!KeyValue(&id)) {
        result = TSPResultInfo();
        return;
    }
    BeginProc(proc, QStringLiteral("SP_UD_EMPLOYEE"));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("ID"), TFbValue::FromInt(id));
    AddInput(proc, TFieldType::ftString, QStringLiteral("EMPLOYEE_NAME"), TFbValue::FromText(GetValue(QStringLiteral("EMPLOYEE_NAME"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("PW"), TFbValue::FromText(DefaultPassWordDigest));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("SEX"), TFbValue::FromInt(IntValue(QStringLiteral("SEX"))));
    AddInput(proc, TFieldType::ftDate, QStringLiteral("BIRTHDAY"), TFbValue::FromDate(GetDateValue(QStringLiteral("BIRTHDAY"))));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("EDUCATION"), TFbValue::FromInt(IntValue(QStringLiteral("EDUCATION"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("ID_CODE"), TFbValue::FromText(GetValue(QStringLiteral("ID_CODE"))));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("STATUS"), TFbValue::FromInt(IntValue(QStringLiteral("STATUS"))));
    AddInput(proc, TFieldType::ftDate, QStringLiteral("ENTRY_DATE"), TFbValue::FromDate(GetDateValue(QStringLiteral("ENTRY_DATE"))));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("OFFICE_TYPE"), TFbValue::FromInt(IntValue(QStringLiteral("OFFICE_TYPE"))));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("POST_ID"), TFbValue::FromInt(GetKey(QStringLiteral("POST_NAME"))));
    AddInput(proc, TFieldType::ftInteger, QStringLiteral("DEPARTMENT_ID"), TFbValue::FromInt(GetKey(QStringLiteral("DEPARTMENT_NAME"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("MEMO"), TFbValue::FromText(GetValue(QStringLiteral("MEMO"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("PHONE"), TFbValue::FromText(GetValue(QStringLiteral("PHONE"))));
    AddInput(proc, TFieldType::ftString, QStringLiteral("ADDRESS"), TFbValue::FromText(GetValue(QStringLiteral("ADDRESS"))));
    RunProc(proc, result);
}

void TEmployee::FillGrid(TStringGrid* grid)
{
    TData::FillGrid(grid);
    if (!DataSet || !DataSet->Active() || !grid)
        return;
    DataSet->First();
    const int n = DataSet->RecordCount();
    struct TCoded { int Col; const QStringList* Names; };
    const TCoded coded[] = {{2, &SexNames}, {4, &EducationNames}, {6, &StatusNames}, {8, &OfficeTypeNames}};
    for (int r = 1; r <= n; ++r) {
        for (const TCoded& k : coded) {
            bool ok = false;
            const int code = grid->Cells(k.Col, r).trimmed().toInt(&ok);
            grid->SetCells(k.Col, r, CodeName(*k.Names, ok ? code : 0));
        }
    }
}

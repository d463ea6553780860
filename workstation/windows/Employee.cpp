#include "Employee.h"

#include "Application.h"
#include "ConPool.h"
#include "DataTool.h"
#include "Entry.h"
#include "GlobalHead.h"
#include "LabeledEdit.h"
#include "Modules.h"
#include "Product.h"
#include "TesselonHead.h"
#include "Triple.h"
#include "clsEmployee.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>

const QString TfrmEmployee::NameTaken = QStringLiteral("保存失败：已有名为“%1”的员工，请换一个姓名后再保存。");

namespace {

const QStringList SexItems = {QStringLiteral("男"), QStringLiteral("女")};
const QStringList EducationItems = {QStringLiteral("小学"), QStringLiteral("初中"), QStringLiteral("高中"),
                                    QStringLiteral("中专"), QStringLiteral("大专"), QStringLiteral("本科"),
                                    QStringLiteral("研究生"), QStringLiteral("博士")};
const QStringList OfficeTypeItems = {QStringLiteral("全职"), QStringLiteral("兼职"), QStringLiteral("实习"),
                                     QStringLiteral("其他")};
const QStringList StatusItems = {QStringLiteral("正常"), QStringLiteral("离职")};
const QDate PickerStart(2010, 7, 21);

}   // namespace

TfrmEmployee::TfrmEmployee(TEmployee* list, bool edit, QWidget* parent)
    : QDialog(parent)
    , FList(list)
{
    setWindowTitle(QStringLiteral("人事档案"));
    setFont(SongFont(14));
    setFixedSize(502, 344);

    dtbEmployee = new TDataToolBar(this);
    dtbEmployee->SetOptions(OptionBit(opSave) | OptionBit(opClose));
    dtbEmployee->SetEnableds(OptionBit(opSave) | OptionBit(opClose));

    pnlEmployee = new QFrame(this);
    pnlEmployee->setFrameShape(QFrame::Panel);
    pnlEmployee->setFrameShadow(QFrame::Sunken);
    pnlEmployee->setGeometry(6, 50, 490, 288);

    // Rows: name and sex; phone and education; post and department; birthday and entry date;
    // office type and status; ID card number; address; memo.
    const int left = 84, right = 324, narrow = 140, wide = 380;
    edtEmployeeName = NewEdit(QStringLiteral("姓名"), pnlEmployee, left, 10, narrow, FList->MaxLengthOf("EMPLOYEE_NAME"));
    cbbSex = NewChoice(QStringLiteral("性别"), pnlEmployee, right, 10, narrow, SexItems);
    edtPhone = NewEdit(QStringLiteral("联系电话"), pnlEmployee, left, 44, narrow, 32);
    cbbEducation = NewChoice(QStringLiteral("学历"), pnlEmployee, right, 44, narrow, EducationItems);
    cbbEducation->setCurrentIndex(4);
    trpPost = NewLookup(QStringLiteral("职位"), QStringLiteral("POST"), pnlEmployee, left - 36, 76, narrow - 26);
    trpDepartment = NewLookup(QStringLiteral("部门"), QStringLiteral("DEPARTMENT"), pnlEmployee, right - 36, 76,
                              narrow - 26);
    dtpBirthday = NewDatePicker(QStringLiteral("出生日期"), pnlEmployee, left, 112, narrow, PickerStart);
    dtpEntryDate = NewDatePicker(QStringLiteral("入职日期"), pnlEmployee, right, 112, narrow, PickerStart);
    cbbOfficeType = NewChoice(QStringLiteral("就职类型"), pnlEmployee, left, 146, narrow, OfficeTypeItems);
    cbbStatus = NewChoice(QStringLiteral("状态"), pnlEmployee, right, 146, narrow, StatusItems);
    edtIDCode = NewEdit(QStringLiteral("身份证号"), pnlEmployee, left, 180, wide, 18);
    edtAddress = NewEdit(QStringLiteral("联系地址"), pnlEmployee, left, 214, wide, 64);
    edtMemo = NewEdit(QStringLiteral("备注"), pnlEmployee, left, 248, wide, 128);

    QWidget* order[] = {edtEmployeeName, cbbSex,        edtPhone,  cbbEducation, dtpBirthday, dtpEntryDate,
                        cbbOfficeType,   cbbStatus,     edtIDCode, edtAddress,   edtMemo};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    EnterMovesOn(this);
    connect(dtbEmployee, &TDataToolBar::OnClick, this, Guarded(this, &TfrmEmployee::dtbEmployeeClick));

    if (edit && FList)
        FillFromRecord();
    else {
        ShowStartingName(trpPost);
        ShowStartingName(trpDepartment);
    }
    edtEmployeeName->setFocus();
}

void TfrmEmployee::FillFromRecord()
{
    const auto text = [this](const char* field) { return FList->GetFieldText(QString::fromLatin1(field)); };
    const auto code = [&text](const char* field) { return text(field).trimmed().toInt(); };   // 0 when no number
    FId = text("ID").trimmed().toInt();
    edtEmployeeName->setText(text("EMPLOYEE_NAME"));
    SetChoiceCode(cbbSex, code("SEX"), SexNames);
    SetChoiceCode(cbbEducation, code("EDUCATION"), EducationNames);
    SetChoiceCode(cbbStatus, code("STATUS"), StatusNames);
    SetChoiceCode(cbbOfficeType, code("OFFICE_TYPE"), OfficeTypeNames);
    // A date never stored (or no date at all) shows as 1900-01-01 and is stored so again.
    dtpBirthday->setDate(StoredDate(text("BIRTHDAY")));
    dtpEntryDate->setDate(StoredDate(text("ENTRY_DATE")));
    edtIDCode->setText(text("ID_CODE"));
    edtMemo->setText(text("MEMO"));
    edtPhone->setText(text("PHONE"));
    edtAddress->setText(text("ADDRESS"));
    trpPost->SetID(text("POST_ID"));
    trpPost->SetText(text("POST_NAME"));
    trpDepartment->SetID(text("DEPARTMENT_ID"));
    trpDepartment->SetText(text("DEPARTMENT_NAME"));
}

bool TfrmEmployee::Save()
{
    if (IsCtrlEmpty({edtEmployeeName}))
        return false;
    if (!TextsStorable({{edtEmployeeName, FList->MaxLengthOf("EMPLOYEE_NAME")},
                        {edtPhone, FList->MaxLengthOf("PHONE")},
                        {edtIDCode, FList->MaxLengthOf("ID_CODE")},
                        {edtAddress, FList->MaxLengthOf("ADDRESS")},
                        {edtMemo, FList->MaxLengthOf("MEMO")}},
                       true))
        return false;
    if (!LookupStillThere(trpPost) || !LookupStillThere(trpDepartment))
        return false;
    FList->ClearValues();
    FList->SetValue(QStringLiteral("ID"), QString::number(FId));
    FList->SetValue(QStringLiteral("EMPLOYEE_NAME"), edtEmployeeName->text());
    FList->SetValue(QStringLiteral("SEX"), QString::number(ChoiceCode(cbbSex)));
    FList->SetValue(QStringLiteral("BIRTHDAY"), ShortDateText(dtpBirthday->date()));
    FList->SetValue(QStringLiteral("EDUCATION"), QString::number(ChoiceCode(cbbEducation)));
    FList->SetValue(QStringLiteral("ID_CODE"), edtIDCode->text());
    FList->SetValue(QStringLiteral("STATUS"), QString::number(ChoiceCode(cbbStatus)));
    FList->SetValue(QStringLiteral("ENTRY_DATE"), ShortDateText(dtpEntryDate->date()));
    FList->SetValue(QStringLiteral("OFFICE_TYPE"), QString::number(ChoiceCode(cbbOfficeType)));
    FList->SetKey(QStringLiteral("POST_NAME"), trpPost->ID());
    FList->SetKey(QStringLiteral("DEPARTMENT_NAME"), trpDepartment->ID());
    FList->SetValue(QStringLiteral("MEMO"), edtMemo->text());
    FList->SetValue(QStringLiteral("PHONE"), edtPhone->text());
    FList->SetValue(QStringLiteral("ADDRESS"), edtAddress->text());
    if (!RunListSave(FList, FId)) {
        // The procedure refuses a name another employee has, and an employee deleted meanwhile.
        const QString name = edtEmployeeName->text().trimmed();
        const TFbResult taken = Pool->Execute(
            QStringLiteral("SELECT COUNT(*) FROM TB_EMPLOYEE WHERE EMPLOYEE_NAME = ? AND ID <> ?"),
            {TFbValue::FromText(name), TFbValue::FromInt(FId)});
        ShowMsg(taken.At(0, 0).AsInt64() > 0 ? NameTaken.arg(name) : EntryTexts::RecordGone, Texts::CaptionWarning,
                TMsgIcon::Warning);
        return false;
    }
    return true;
}

void TfrmEmployee::dtbEmployeeClick()
{
    SaveAndClose(this, dtbEmployee, [this] { return Save(); });
}

void OpenEmployee(int mode, TData* list)
{
    OpenRecordWindow<TfrmEmployee, TEmployee>(mode, list, QStringLiteral("人事档案"), QStringLiteral("员工"));
}

#pragma once
// The company data window: the workshop's name, the person in charge, the phone and the
// address, as the repair ticket prints them. It loads the stored row itself and saves it back.
#include <QDialog>

class QFrame;
class TDataToolBar;
class TLabeledEdit;

class TfrmTheUnit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTheUnit(QWidget* parent = nullptr);

    TDataToolBar* dtbTheUnit;
    QFrame* pnlTheUnit;
    TLabeledEdit* edtName;
    TLabeledEdit* edtPerInChar;
    TLabeledEdit* edtPhone;
    TLabeledEdit* edtAddress;

    void dtbTheUnitClick();

    // "“%1”中有不能保存的字符（例如表情符号），请删去后再保存。" with the field's caption.
    static const QString NotGbkText;
    // "“%1”太长：最多 %2 个字节（一个汉字算 2 个），现在是 %3 个。请缩短后再保存。"
    static const QString TooLongText;

private:
    // False, with the field focused and the user told, when a text cannot be stored whole.
    bool TextsStorable();
    bool Save();
};

// Opens the window modally (the module table's factory); mode and list do not apply.
void OpenTheUnit(int mode, class TData* list);

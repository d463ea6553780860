#pragma once
// An IPv4 address field with its caption label: four numbers 0 to 255 separated by dots.
#include "LabeledEdit.h"

class TIpEdit : public TLabeledEdit {
    Q_OBJECT
public:
    explicit TIpEdit(QWidget* parent = nullptr);
    TIpEdit(const QString& caption, QWidget* parent);

    QString IP() const { return text(); }
    // Texts that are not an address (an empty one included) leave the field empty.
    void SetIP(const QString& address);
    static bool IsAddress(const QString& text);

private:
    void Init();
};

#pragma once
// An integer field with its caption label: digits only, the value kept within MinValue and
// MaxValue. A typed value beyond the maximum is replaced by it at once, and one below the
// minimum as soon as more digits could no longer bring it into range (or when editing
// ends); Up and Down step by Increment.
#include "LabeledEdit.h"

class TIntegerEdit : public TLabeledEdit {
    Q_OBJECT
public:
    explicit TIntegerEdit(QWidget* parent = nullptr);
    TIntegerEdit(const QString& caption, QWidget* parent);

    int MinValue() const { return FMin; }
    int MaxValue() const { return FMax; }
    void SetRange(int minValue, int maxValue);
    int Increment() const { return FIncrement; }
    void SetIncrement(int step) { FIncrement = step; }

    int Value() const;   // the text's value, clamped; MinValue when empty
    void SetValue(int value);   // shown clamped
    int Clamp(qint64 value) const;
    void Normalize();   // the text becomes Value()

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void Init();
    void OnTextChanged(const QString& text);

    int FMin = 0;
    int FMax = 2147483647;
    int FIncrement = 1;
    bool FAdjusting = false;
};

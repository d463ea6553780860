#pragma once
// A single-line field with its caption label beside it (to its left). The caption text is
// also the field's dynamic property "caption"; setting either updates the label. The label
// lives on the field's parent and follows the field: position, visibility, enabled state.
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

// For a field whose caption is a plain label beside it (a combo box): the label names the
// field for screen readers and UI automation, and its mnemonic focuses it.
void NameAfterLabel(QLabel* label, QWidget* field);

class TLabeledEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TLabeledEdit(QWidget* parent = nullptr);
    TLabeledEdit(const QString& caption, QWidget* parent);
    ~TLabeledEdit() override;

    QString Caption() const;
    void SetCaption(const QString& caption);
    QLabel* EditLabel() const { return FLabel; }
    int LabelSpacing() const { return FSpacing; }
    void SetLabelSpacing(int pixels);

    QString Text() const { return text(); }
    void SetText(const QString& text) { setText(text); }
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }

protected:
    bool event(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void PlaceLabel();

    QPointer<QLabel> FLabel;
    int FSpacing = 4;
};

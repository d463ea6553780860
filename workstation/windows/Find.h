#pragma once
// The find window: one or several conditions on the repair orders, joined by 与/或, turned
// into a filter condition for the list source. Values become quoted SQL literals.
#include <QDialog>
#include <QStringList>
#include <QVector>

class QComboBox;
class QRadioButton;
class TDataToolBar;
class TLabeledEdit;
class TStringGrid;

class TfrmFind : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFind(QWidget* parent = nullptr);

    // Remembers where the answer goes and fills the field chooser.
    void Prepare(QString* answer);
    // Writes the editors' condition into grid row `row`.
    void AddCondition(int row);

    TDataToolBar* dtbFind;
    QRadioButton* rbSingle;
    QRadioButton* rbMore;
    QRadioButton* rbAnd;
    QRadioButton* rbOr;
    QComboBox* cbbField;
    QComboBox* cbbSymbol;
    TLabeledEdit* edtValueStr;
    TStringGrid* strgrdFind;

    void dtbFindClick();
    void rbMoreClick();

private:
    QString BuildAnswer() const;
    void DeleteCondition();

    QString* FAnswer = nullptr;
    QStringList FCaptions;
    QStringList FFields;
};

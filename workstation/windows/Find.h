#pragma once
// The find window: one or several conditions on the repair orders, joined by 与/或. The user
// reads them with their values quoted; the list source gets them with "?" marks and the
// values bound, so nothing typed here ever becomes SQL text.
#include <QDialog>
#include <QStringList>
#include <QVector>

class QComboBox;
class QRadioButton;
class TDataToolBar;
class TLabeledEdit;
class TStringGrid;
struct TCondition;

class TfrmFind : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFind(QWidget* parent = nullptr);

    // Remembers where the answer goes and fills the field chooser. answer: the conditions as
    // the user reads them; condition: the same for the list source, values bound.
    void Prepare(QString* answer, TCondition* condition = nullptr);
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
    TCondition BuildCondition() const;
    void DeleteCondition();

    QString* FAnswer = nullptr;
    TCondition* FCondition = nullptr;
    QStringList FCaptions;
    QStringList FFields;
};

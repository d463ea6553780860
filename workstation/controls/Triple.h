#pragma once
// The lookup field of the entry windows: a caption, a white box with the chosen name and a
// picture button. The button drops a two-column list (ID and name) of the table TB_ + DicName
// under or over the field; a double click picks a row. The field cannot be typed into: its
// text changes only by picking or when the window sets it.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QWidget>

class QMenu;
class QAction;
class TDataSet;
class TStringGrid;

class TTriple : public QWidget {
    Q_OBJECT
public:
    explicit TTriple(QWidget* parent = nullptr);
    ~TTriple() override;

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    QColor CaptionColor() const { return FCaptionColor; }
    void SetCaptionColor(const QColor& color);
    QFont Font() const { return font(); }
    void SetFont(const QFont& f);
    QIcon Icon() const { return FIcon; }
    void SetIcon(const QIcon& icon);
    QString Text() const { return FText; }
    void SetText(const QString& text);
    QString ID() const { return FID; }
    void SetID(const QString& id);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int spacing);
    bool Flat() const { return FFlat; }
    void SetFlat(bool flat);
    bool ShowGrid() const { return FShowGrid; }
    void SetShowGrid(bool show) { FShowGrid = show; }
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int n) { FMaxLength = n; }
    int TextWidth() const { return FTextWidth; }
    void SetTextWidth(int width);
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* dataSet) { FDataSet = dataSet; }
    QString DicName() const { return FDicName; }
    void SetDicName(const QString& name) { FDicName = name.toUpper(); }

    // The width the caption, the box of TextWidth and the button take (after a font or
    // caption change).
    void AdjustWidth();
    // The picture every window gives its lookup fields (22 × 22).
    static QIcon DefaultIcon();

    // What the mouse on the button does, for the windows' tests as much as for the user:
    // OnBeforeSelect, the list when ShowGrid, OnIconClick.
    void ButtonPressed();
    // The list's actions.
    void OpenList();
    void Pick();
    void Search();
    void RefreshList();
    void CloseList();
    TStringGrid* ListGrid() const;
    QMenu* ListMenu() const;
    QString ListStatement() const { return FListSQL; }
    // "SELECT <W>_NAME FROM TB_<W> WHERE ID = ?" for the DicName W; empty for a DicName that is
    // no plain table word.
    QString NameStatement() const;

    enum class TMouse { Normal = 0, Hover = 1, Pressed = 2 };
    TMouse MouseState() const { return FMouse; }

    static const QString SearchCaption;   // "查询"
    static const QString SearchPrompt;   // "请输入查询关键词"
    static const QString ListTip;   // "双击返回选中行,右键可取消"

signals:
    void OnIconClick(TTriple* sender);
    void OnNewClick(TTriple* sender);
    void OnBeforeSelect(TTriple* sender);
    void OnAfterSelect(TTriple* sender);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool OnButton(const QPoint& p) const;
    void SetMouse(TMouse state);
    int CaptionWidth() const;
    // Fills the list from the statement with its bound values; a refused statement is shown
    // and the list stays open.
    void Fill(const QString& sql, const QVector<class TFbValue>& params);

    QString FCaption;
    QColor FCaptionColor;
    QIcon FIcon;
    QString FText;
    QString FID = QStringLiteral("1");
    int FSpacing = 5;
    bool FFlat = false;
    bool FShowGrid = true;
    int FMaxLength = 0;
    int FTextWidth = 130;
    TDataSet* FDataSet = nullptr;
    QString FDicName;

    TMouse FMouse = TMouse::Normal;
    QString FListSQL;
    QPointer<TStringGrid> FGrid;
    QPointer<QMenu> FMenu;
    bool FBusy = false;   // a menu or the search box has the focus: the list stays
};

// The lookup's list borrows a data set of the program's pool before it opens and gives it back
// when it closes, as every entry window's lookups do.
void LendPoolDataSets(TTriple* lookup);

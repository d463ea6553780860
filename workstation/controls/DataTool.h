#pragma once
// The toolbar of every workstation window: up to seventeen flat buttons (picture above
// caption), the add/edit/save/undo cycle of their enabled states, the four paging buttons that
// follow PageIndex and PageCount, the question before closing a window that is being edited,
// and one click event in which the window reads Option.
#include <QPixmap>
#include <QWidget>

#include <array>

class QToolButton;

enum TOption {
    opNone = 0,
    opFind,
    opRefresh,
    opCopy,
    opSave,
    opSaveAll,
    opNew,
    opEdit,
    opUndo,
    opDelete,
    opFirst,
    opPrevious,
    opNext,
    opLast,
    opPrint,
    opExport,
    opClose,
    opAddToList
};

using TOptions = quint32;   // bit n stands for the option of ordinal n
constexpr TOptions OptionBit(TOption o)
{
    return TOptions(1u << unsigned(o));
}
inline bool HasOption(TOptions s, TOption o)
{
    return (s & OptionBit(o)) != 0;
}
constexpr TOptions DefaultOptions = OptionBit(opSave) | OptionBit(opSaveAll) | OptionBit(opNew) | OptionBit(opEdit)
    | OptionBit(opDelete) | OptionBit(opClose);   // 0x102F0
constexpr int ButtonCount = 17;
constexpr int ButtonSize = 40;

// The two-picture bitmap of a button: 48 × 24, the normal picture left, the disabled right.
QPixmap ToolBitmap(const QString& resourceName);

struct TButtonInfo {
    QToolButton* Button = nullptr;   // absent while the option is not in Options
    QString Caption;
    TOption Option = opNone;
    QString BitmapName;
};

class TDataToolBar : public QWidget {
    Q_OBJECT
public:
    explicit TDataToolBar(QWidget* parent = nullptr);

    TOption Option() const { return FOption; }
    int PageCount() const { return FPageCount; }
    void SetPageCount(int n);
    int PageIndex() const { return FPageIndex; }
    void SetPageIndex(int n);
    TOptions Options() const { return FOptions; }
    void SetOptions(TOptions options);
    TOptions Enableds() const { return FEnableds; }
    void SetEnableds(TOptions enableds);

    // The button of an option; nullptr while the option is not in Options.
    QToolButton* Button(TOption option) const;
    // The table of buttons in layout order.
    const std::array<TButtonInfo, ButtonCount>& Buttons() const { return FButtons; }

    // The close question's text and caption.
    static const QString CloseQuestion;
    static const QString CloseCaption;

signals:
    // A button was clicked (sender: the button; Option names it) or the empty area
    // (sender: the toolbar; Option is opNone).
    void OnClick(QObject* sender);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Rebuild();
    void RefreshState();
    void ButtonClick(int index);
    bool AskClose();
    void Dock();

    std::array<TButtonInfo, ButtonCount> FButtons;
    TOption FOption = opNone;
    int FPageCount = 1;
    int FPageIndex = 1;
    TOptions FOptions = DefaultOptions;
    TOptions FEnableds = DefaultOptions;
};

// For a save handler: the toolbar disables 保存 on its click; unless Done() is called, this
// gives it back when the handler ends, also when an error leaves it, so that a refused or
// failed save loses nothing typed and closing still asks.
class TSaveAgain {
public:
    explicit TSaveAgain(TDataToolBar* bar)
        : FBar(bar)
    {
    }
    ~TSaveAgain()
    {
        if (!FDone)
            FBar->SetEnableds(FBar->Enableds() | OptionBit(opSave));
    }
    TSaveAgain(const TSaveAgain&) = delete;
    TSaveAgain& operator=(const TSaveAgain&) = delete;
    void Done() { FDone = true; }

private:
    TDataToolBar* FBar;
    bool FDone = false;
};

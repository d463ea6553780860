#pragma once
// A two-pixel etched separator line, horizontal or vertical.
#include <QWidget>

enum TKind { sbHor, sbVer };

class TLine : public QWidget {
    Q_OBJECT
public:
    explicit TLine(QWidget* parent = nullptr);

    TKind Kind() const { return FKind; }
    void SetKind(TKind kind);

    static QColor ShadowColor();   // RGB(172, 168, 153)

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ForceThickness();
    TKind FKind = sbHor;
};

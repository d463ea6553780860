#pragma once
// A flat-styled push button: a thin border, no bevel, a lighter face under the mouse.
#include <QPushButton>

class TFlatButton : public QPushButton {
    Q_OBJECT
public:
    explicit TFlatButton(QWidget* parent = nullptr);
    TFlatButton(const QString& caption, QWidget* parent);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }
};

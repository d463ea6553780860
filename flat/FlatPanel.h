#pragma once
// A flat-styled panel: a thin frame with an optional caption in its top border, holding
// controls placed at fixed positions inside it.
#include <QGroupBox>

class TFlatPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit TFlatPanel(QWidget* parent = nullptr);
    TFlatPanel(const QString& caption, QWidget* parent);

    QString Caption() const { return title(); }
    void SetCaption(const QString& caption) { setTitle(caption); }
    void SetBounds(int left, int top, int width, int height) { setGeometry(left, top, width, height); }
};

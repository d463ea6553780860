#include "FlatButton.h"

namespace {
const char* Style = "QPushButton { border: 1px solid #7a8ca5; background: #eef2f7; padding: 1px 4px; }"
                    "QPushButton:hover { background: #ffffff; }"
                    "QPushButton:pressed { background: #d5deea; }"
                    "QPushButton:disabled { color: #9a9a9a; border-color: #b8b8b8; }";
}

TFlatButton::TFlatButton(QWidget* parent)
    : QPushButton(parent)
{
    setStyleSheet(QLatin1String(Style));
    setCursor(Qt::PointingHandCursor);
}

TFlatButton::TFlatButton(const QString& caption, QWidget* parent)
    : TFlatButton(parent)
{
    setText(caption);
}

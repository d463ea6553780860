#include "FlatPanel.h"

namespace {
const char* Style = "TFlatPanel { border: 1px solid #9aa8ba; margin-top: 8px; }"
                    "TFlatPanel::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }";
}

TFlatPanel::TFlatPanel(QWidget* parent)
    : QGroupBox(parent)
{
    setStyleSheet(QLatin1String(Style));
}

TFlatPanel::TFlatPanel(const QString& caption, QWidget* parent)
    : TFlatPanel(parent)
{
    setTitle(caption);
}

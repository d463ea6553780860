#include "MessageBox.h"

bool ExecMessageBox(QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon,
                    bool question)
{
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setIcon(icon);
    if (!question) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return false;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

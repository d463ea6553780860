#pragma once
// The real message box behind both programs' message seams: OK, or Yes/No with No the
// default and the escape answer. Nothing but the seams calls it.
#include <QMessageBox>

// True when a question was answered Yes (always false for an OK box).
bool ExecMessageBox(QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon,
                    bool question);

#pragma once
// Run-time binding to the Tesselon library (checks on input fields), loaded by file
// name from the program folder for each check.
#include <QString>

#include <initializer_list>

class QWidget;

// True when a field is empty and the save must stop: the user has been told which field
// (through ShowMsg, caption "警告") and it has the focus. Also true, after showing the
// error through ShowMsg with caption "错误", when the library cannot be used: better to
// stop than to save unchecked data. Null entries are skipped.
bool IsCtrlEmpty(std::initializer_list<QWidget*> controls);

namespace Tesselon {
QString LibraryName();   // libTesselon.so / Tesselon.dll
QString LibraryPath();   // in the program folder unless SetLibraryDir says otherwise
// For tests: load from another folder; an empty text goes back to the program folder.
void SetLibraryDir(const QString& dir);
}   // namespace Tesselon

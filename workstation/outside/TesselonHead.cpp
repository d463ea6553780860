#include "TesselonHead.h"

#include "Gbk.h"
#include "GlobalHead.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QWidget>

#include <vector>

namespace {

using TPrompt = void (*)(const char*, const char*);
using TSetPromptHandler = void (*)(TPrompt);
using TIsCtrlEmpty = int (*)(void* const*, int);

QString& LibraryDirOverride()
{
    static QString dir;
    return dir;
}

// Called from inside the library: no exception may travel back through its C frames.
void PromptThroughShowMsg(const char* gbkText, const char* gbkCaption)
{
    try {
        ShowMsg(Gbk::Decode(QByteArray(gbkText ? gbkText : "")), Gbk::Decode(QByteArray(gbkCaption ? gbkCaption : "")));
    } catch (...) {
    }
}

// Unloads on every way out of the check.
struct TLoaded {
    QLibrary Library;
    explicit TLoaded(const QString& path)
        : Library(path)
    {
    }
    ~TLoaded()
    {
        if (Library.isLoaded())
            Library.unload();
    }
};

}   // namespace

namespace Tesselon {

QString LibraryName()
{
#ifdef _WIN32
    return QStringLiteral("Tesselon.dll");
#else
    return QStringLiteral("libTesselon.so");
#endif
}

QString LibraryPath()
{
    const QString dir = LibraryDirOverride().isEmpty() ? QCoreApplication::applicationDirPath() : LibraryDirOverride();
    return QDir(dir).filePath(LibraryName());
}

void SetLibraryDir(const QString& dir)
{
    LibraryDirOverride() = dir;
}

}   // namespace Tesselon

bool IsCtrlEmpty(std::initializer_list<QWidget*> controls)
{
    const QString name = Tesselon::LibraryName();
    TLoaded loaded(Tesselon::LibraryPath());
    if (!loaded.Library.load()) {
        ShowMsg(QString::fromUtf8("找不到支持库 %1：%2").arg(name, loaded.Library.errorString()), Texts::CaptionError);
        return true;
    }
    auto setPrompt = reinterpret_cast<TSetPromptHandler>(loaded.Library.resolve("SetPromptHandler"));
    auto check = reinterpret_cast<TIsCtrlEmpty>(loaded.Library.resolve("IsCtrlEmpty"));
    const char* missing = !setPrompt ? "SetPromptHandler" : (!check ? "IsCtrlEmpty" : nullptr);
    if (missing) {
        ShowMsg(QString::fromUtf8("支持库 %1 中没有函数 %2").arg(name, QString::fromLatin1(missing)),
                Texts::CaptionError);
        return true;
    }
    setPrompt(&PromptThroughShowMsg);
    std::vector<void*> pointers(controls.begin(), controls.end());
    const int empty = check(pointers.data(), int(pointers.size()) - 1);
    setPrompt(nullptr);
    return empty != 0;
}

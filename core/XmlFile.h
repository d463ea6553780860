#pragma once
// A settings file read and written whole: load, change the elements concerned, save to
// the same path. Everything else in the file is kept as it was. Nothing is cached.
#include <QDomDocument>
#include <QString>

class TXmlFile {
public:
    // Loads the file; false with ErrorText() when it is missing or not well-formed XML.
    bool Load(const QString& path);
    bool Save();   // back to the path it was loaded from
    QString ErrorText() const { return FError; }
    QString Path() const { return FPath; }

    // A child element of the root, found by name (letter case ignored); null when absent.
    QDomElement Child(const QString& name) const;
    QDomElement EnsureChild(const QString& name);
    bool HasChild(const QString& name) const { return !Child(name).isNull(); }
    QString Text(const QString& name) const;   // the element's text; empty when absent
    void SetText(const QString& name, const QString& text);
    static void SetElementText(QDomElement element, const QString& text);
    // Integer settings: the default applies when the text is empty or not a decimal integer.
    static int ToInt(const QString& text, int defaultValue);

    QDomDocument& Document() { return FDoc; }

private:
    QDomDocument FDoc;
    QString FPath;
    QString FError;
};

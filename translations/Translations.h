#pragma once

#include <QLocale>
#include <QStringList>
#include <QTranslator>

// The program's texts and Qt's own (the standard buttons and dialogs) in the first of the user's languages that the
// program speaks, for as long as this object lives. English, the language the texts are written in, ends the search:
// a user who prefers it to a translated language sees the texts as written.
class Translations
{
public:
    explicit Translations(const QStringList& languages = QLocale::system().uiLanguages());

    // The language whose translations are loaded, or an empty string when the texts stay as written.
    QString language() const { return m_language; }

private:
    QTranslator m_own;
    QTranslator m_qt;
    QString m_language;
};

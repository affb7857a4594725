#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

Translations::Translations(const QStringList& languages)
{
    for (const QString& language : languages) {
        const QLocale locale(language);
        if (locale.language() == QLocale::English)
            return;
        if (!m_own.load(locale, QStringLiteral("zovodazad"), QStringLiteral("_"), QStringLiteral(":/i18n")))
            continue;
        // Qt's texts where the system has them (package qt6-translations-l10n).
        if (m_qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&m_qt);
        QCoreApplication::installTranslator(&m_own);
        m_language = m_own.language();
        return;
    }
}

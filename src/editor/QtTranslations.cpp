#include "editor/QtTranslations.h"

#include "app/Translate.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void InstallQtTranslations(int languageId)
{
    static QTranslator* installed = nullptr;
    if (installed != nullptr) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    const QString locale = CTranslate::LocaleNameOfLanguageId(languageId);
    if (locale.isEmpty())
        return;
    auto* translator = new QTranslator;
    if (translator->load(QLocale(locale), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
        installed = translator;
    } else {
        delete translator;
    }
}

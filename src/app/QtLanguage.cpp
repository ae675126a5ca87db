#include "app/QtLanguage.h"

#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void FollowInterfaceLanguage(QCoreApplication& application, const CMessageCatalogue& catalogue) {
    const CLanguage* current = catalogue.FindLanguage(catalogue.CurrentLcid());
    const bool french = current != nullptr && current == catalogue.FindLanguage(kLcidFrench);
    const QLocale locale = french ? QLocale(QLocale::French, QLocale::France)
                                  : QLocale(QLocale::English, QLocale::UnitedStates);
    QLocale::setDefault(locale);
    if (!french) {
        return;
    }
    // Owned by the application, which keeps it installed for the program's life.
    auto* translator = new QTranslator(&application);
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    }
}

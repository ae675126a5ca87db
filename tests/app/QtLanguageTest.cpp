#include "app/QtLanguage.h"

#include "i18n/MessageTables.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

namespace {

CMessageCatalogue ShippedCatalogue(uint32_t lcid) {
    CMessageCatalogue catalogue;
    catalogue.AddLanguage(kLcidFrench, kFrenchMessages);
    catalogue.AddLanguage(kLcidEnglish, kEnglishMessages);
    catalogue.SetCurrentLcid(lcid);
    return catalogue;
}

QStringList StandardButtonTexts() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("m"),
                    QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    QStringList texts;
    for (QMessageBox::StandardButton button :
         {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::No}) {
        texts << box.button(button)->text().remove(QLatin1Char('&'));
    }
    return texts;
}

const QDate kMonday(2026, 12, 7);

// Each test runs in its own process (test discovery), so an installed translator and the
// default locale do not reach the other tests.
TEST(QtLanguage, FrenchInterfaceGivesQtsOwnTextsInFrench) {
    FollowInterfaceLanguage(*QApplication::instance(), ShippedCatalogue(kLcidFrench));
    EXPECT_EQ(StandardButtonTexts(), QStringList({QStringLiteral("OK"), QStringLiteral("Annuler"),
                                                  QStringLiteral("Oui"), QStringLiteral("Non")}));
    EXPECT_EQ(QLocale().toString(kMonday, QLocale::LongFormat),
              QString::fromUtf8("lundi 7 d\xC3\xA9"
                                "cembre 2026"));
}

TEST(QtLanguage, EnglishInterfaceKeepsEnglishWhateverTheSystem) {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    FollowInterfaceLanguage(*QApplication::instance(), ShippedCatalogue(kLcidEnglish));
    EXPECT_EQ(StandardButtonTexts(), QStringList({QStringLiteral("OK"), QStringLiteral("Cancel"),
                                                  QStringLiteral("Yes"), QStringLiteral("No")}));
    EXPECT_EQ(QLocale().toString(kMonday, QLocale::LongFormat),
              QStringLiteral("Monday, December 7, 2026"));
}

}  // namespace

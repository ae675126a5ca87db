#include "TempDir.h"
#include "WidgetTestSupport.h"

#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "platform/SettingsFile.h"
#include "ui/ChooseLanguageDlg.h"
#include "ui/ResourceIds.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

class ChooseLanguageDlgTest : public ::testing::Test {
protected:
    void SetUp() override { TheCatalogue().SetCurrentLcid(kLcidFrench); }

    TempDir m_dir;
    CSettingsFile m_settings{m_dir.File("morvane.INI")};
};

TEST_F(ChooseLanguageDlgTest, StoredValueChecksItsButton) {
    const std::pair<const char*, int> cases[] = {
        {nullptr, IDC_LANGSYSTEM}, {"US", IDC_LANGENGLISH}, {"FR", IDC_LANGFRENCH},
        {"fr", IDC_LANGSYSTEM},    {"", IDC_LANGSYSTEM},
    };
    for (const auto& [stored, expected] : cases) {
        if (stored != nullptr) {
            ASSERT_TRUE(m_settings.WriteString("Language", stored));
        }
        CChooseLanguageDlg dialog(m_settings);
        for (const int id : {IDC_LANGSYSTEM, IDC_LANGFRENCH, IDC_LANGENGLISH}) {
            EXPECT_EQ(dialog.Require<QRadioButton>(id)->isChecked(), id == expected)
                << (stored ? stored : "(none)") << " " << id;
        }
    }
}

TEST_F(ChooseLanguageDlgTest, FrenchTexts) {
    CChooseLanguageDlg dialog(m_settings);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Choix de la langue"));
    EXPECT_EQ(dialog.Require<QRadioButton>(IDC_LANGSYSTEM)->text(), QStringLiteral("Automatique"));
    EXPECT_EQ(dialog.Require<QPushButton>(IDCANCEL)->text(), QStringLiteral("Annule"));
}

TEST_F(ChooseLanguageDlgTest, OkWritesTheChoiceAndKeepsTheRunningLanguage) {
    ASSERT_TRUE(m_settings.WriteString("Language", "US"));
    {
        CChooseLanguageDlg dialog(m_settings);
        dialog.Require<QRadioButton>(IDC_LANGFRENCH)->click();
        dialog.Require<QPushButton>(IDOK)->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(m_settings.Language(), "FR");
    EXPECT_EQ(TheCatalogue().CurrentLcid(), kLcidFrench);

    CChooseLanguageDlg dialog(m_settings);
    dialog.Require<QRadioButton>(IDC_LANGSYSTEM)->click();
    dialog.Require<QPushButton>(IDOK)->click();
    EXPECT_EQ(m_settings.ReadString("Language", "absent"), "");
}

TEST_F(ChooseLanguageDlgTest, CancelWritesNothing) {
    CChooseLanguageDlg dialog(m_settings);
    dialog.Require<QRadioButton>(IDC_LANGENGLISH)->click();
    OnNextModal([&dialog](QDialog&) { dialog.Require<QPushButton>(IDCANCEL)->click(); });
    EXPECT_EQ(dialog.Run(), BoxAnswer::Cancel);
    EXPECT_EQ(m_settings.ReadString("Language", "absent"), "absent");
}

}  // namespace

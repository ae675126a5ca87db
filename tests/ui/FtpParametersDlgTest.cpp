#include "WidgetTestSupport.h"

#include "core/KelElem.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "ui/FtpParametersDlg.h"
#include "ui/ResourceIds.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

class FtpParametersDlgTest : public ::testing::Test {
protected:
    void SetUp() override { TheCatalogue().SetCurrentLcid(kLcidEnglish); }
};

TEST_F(FtpParametersDlgTest, NewElementOpensAnonymousBinaryWithMaskedPassword) {
    const CKelElem element;
    CFtpParametersDlg dialog(element, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("FTP parameters"));
    EXPECT_EQ(dialog.Require<QLabel>(IDC_FTPUSERLABEL)->text(), QStringLiteral("User login"));
    EXPECT_EQ(dialog.Require<QLineEdit>(IDC_FTPUSER)->text(), QStringLiteral("anonymous"));
    EXPECT_EQ(dialog.Require<QLineEdit>(IDC_FTPPASSWORD)->text(), QString());
    EXPECT_EQ(dialog.Require<QLineEdit>(IDC_FTPPASSWORD)->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dialog.Require<QRadioButton>(IDC_BINARYFILE)->isChecked());
    EXPECT_FALSE(dialog.AsciiChosen());
}

TEST_F(FtpParametersDlgTest, FrenchTexts) {
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    const CKelElem element;
    CFtpParametersDlg dialog(element, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Paramètres FTP"));
    EXPECT_EQ(dialog.Require<QLabel>(IDC_FTPPASSWORDLABEL)->text(), QStringLiteral("Mot de passe"));
    EXPECT_EQ(dialog.Require<QRadioButton>(IDC_ASCIIFILE)->text(), QStringLiteral("Fichier ASCII"));
}

TEST_F(FtpParametersDlgTest, OkTakesTheBoxesAndTheChoice) {
    CKelElem element;
    element.m_bFtpBinary = 0;
    element.m_strFtpPassword = "old";
    CFtpParametersDlg dialog(element, nullptr);
    EXPECT_TRUE(dialog.Require<QRadioButton>(IDC_ASCIIFILE)->isChecked());
    EXPECT_TRUE(dialog.AsciiChosen());
    EXPECT_EQ(dialog.Require<QLineEdit>(IDC_FTPPASSWORD)->text(), QStringLiteral("old"));

    dialog.Require<QLineEdit>(IDC_FTPUSER)->setText(QStringLiteral("bob"));
    dialog.Require<QLineEdit>(IDC_FTPPASSWORD)->setText(QString());
    dialog.Require<QRadioButton>(IDC_BINARYFILE)->click();
    dialog.Require<QPushButton>(IDOK)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.User(), "bob");
    EXPECT_EQ(dialog.Password(), "") << "an empty password is kept as empty";
    EXPECT_FALSE(dialog.AsciiChosen());
}

TEST_F(FtpParametersDlgTest, CancelTakesNothing) {
    CKelElem element;
    element.m_strFtpUser = "alice";
    element.m_strFtpPassword = "pw";
    CFtpParametersDlg dialog(element, nullptr);
    dialog.Require<QLineEdit>(IDC_FTPUSER)->setText(QStringLiteral("bob"));
    dialog.Require<QLineEdit>(IDC_FTPPASSWORD)->setText(QStringLiteral("other"));
    OnNextModal([&dialog](QDialog&) { dialog.Require<QPushButton>(IDCANCEL)->click(); });
    EXPECT_EQ(dialog.Run(), BoxAnswer::Cancel);
    EXPECT_EQ(dialog.User(), "alice");
    EXPECT_EQ(dialog.Password(), "pw");
}

}  // namespace

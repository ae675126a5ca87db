#include "ui/TranslateWindow.h"

#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

// A window with one child of each interesting kind, in this order.
struct SampleWindow {
    QDialog window;
    QPushButton* cancel = new QPushButton(QStringLiteral("$$Cancel"), &window);
    QLabel* untouched = new QLabel(QStringLiteral("nom du fichier"), &window);
    QLabel* inside = new QLabel(QStringLiteral("see $$Cancel"), &window);
    QLabel* alone = new QLabel(QStringLiteral("$$"), &window);
    QLabel* unknown = new QLabel(QStringLiteral("$$No such text"), &window);
    QLineEdit* edit = new QLineEdit(QStringLiteral("$$Ok"), &window);
    QGroupBox* group = new QGroupBox(QStringLiteral("$$Local original"), &window);
    QLabel* grandchild = new QLabel(QStringLiteral("$$Cancel"), group);
    QComboBox* combo = new QComboBox(&window);

    SampleWindow() {
        window.setWindowTitle(QStringLiteral("$$Modify element"));
        combo->addItems({QStringLiteral("$$Yes"), QStringLiteral("plain"), QStringLiteral("$$No")});
    }
};

class TranslateWindowTest : public ::testing::Test {
protected:
    void SetUp() override { TheCatalogue().SetCurrentLcid(kLcidFrench); }
};

TEST_F(TranslateWindowTest, ReplacesKeysOfDirectChildrenTitleAndComboItems) {
    SampleWindow sample;
    TranslateWindow(sample.window);

    EXPECT_EQ(sample.cancel->text(), QStringLiteral("Annule"));
    EXPECT_EQ(sample.window.windowTitle(), QStringLiteral("Modification de l'élément"));
    EXPECT_EQ(sample.untouched->text(), QStringLiteral("nom du fichier"));
    EXPECT_EQ(sample.inside->text(), QStringLiteral("see $$Cancel"));
    EXPECT_EQ(sample.alone->text(), QString());
    EXPECT_EQ(sample.unknown->text(), QString());
    EXPECT_EQ(sample.edit->text(), QStringLiteral("Ok"));
    EXPECT_EQ(sample.group->title(), QStringLiteral("Original"));
    EXPECT_EQ(sample.grandchild->text(), QStringLiteral("$$Cancel"));
    ASSERT_EQ(sample.combo->count(), 3);
    EXPECT_EQ(sample.combo->itemText(0), QStringLiteral("Oui"));
    EXPECT_EQ(sample.combo->itemText(1), QStringLiteral("plain"));
    EXPECT_EQ(sample.combo->itemText(2), QStringLiteral("Non"));

    // A second pass finds no key left.
    TranslateWindow(sample.window);
    EXPECT_EQ(sample.cancel->text(), QStringLiteral("Annule"));
    EXPECT_EQ(sample.combo->itemText(0), QStringLiteral("Oui"));
}

TEST_F(TranslateWindowTest, EnglishTextsDifferFromTheirKeys) {
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
    QDialog window;
    auto* automatic = new QPushButton(QStringLiteral("$$System dependant"), &window);
    auto* user = new QLabel(QStringLiteral("$$User"), &window);
    TranslateWindow(window);
    EXPECT_EQ(automatic->text(), QStringLiteral("Automatic"));
    EXPECT_EQ(user->text(), QStringLiteral("User login"));
}

TEST_F(TranslateWindowTest, LanguageWithoutTableEmptiesEveryKey) {
    TheCatalogue().SetCurrentLcid(1031);
    SampleWindow sample;
    TranslateWindow(sample.window);
    EXPECT_EQ(sample.cancel->text(), QString());
    EXPECT_EQ(sample.window.windowTitle(), QString());
    EXPECT_EQ(sample.combo->itemText(0), QString());
    EXPECT_EQ(sample.untouched->text(), QStringLiteral("nom du fichier"));
}

TEST_F(TranslateWindowTest, MenuItemsBecomePlainEnabledItemsInTheirOrder) {
    QMenu menu;
    menu.addAction(QStringLiteral("$$Open Morvane"));
    QAction* verify = menu.addAction(QStringLiteral("$$Verify all now"));
    verify->setCheckable(true);
    verify->setChecked(true);
    verify->setEnabled(false);
    menu.addSeparator();
    QMenu* sub = menu.addMenu(QStringLiteral("$$Help"));
    sub->addAction(QStringLiteral("$$Quit"));
    menu.addAction(QStringLiteral("Morvane"));

    TranslateMenu(menu);
    const QList<QAction*> items = menu.actions();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&Ouvrir Morvane"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("&Vérifier tout maintenant"));
    EXPECT_TRUE(items[1]->isEnabled());
    EXPECT_FALSE(items[1]->isChecked());
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->text(), QStringLiteral("&Aide"));
    EXPECT_EQ(sub->actions()[0]->text(), QStringLiteral("&Quitter"));
    EXPECT_EQ(items[4]->text(), QStringLiteral("Morvane"));
}

TEST_F(TranslateWindowTest, WindowMenuBarIsTranslated) {
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
    QWidget window;
    auto* bar = new QMenuBar(&window);
    QMenu* file = bar->addMenu(QStringLiteral("$$Help"));
    file->addAction(QStringLiteral("$$Quit"));
    TranslateWindow(window);
    EXPECT_EQ(file->title(), QStringLiteral("&Help"));
    EXPECT_EQ(file->actions()[0]->text(), QStringLiteral("&Quit"));
}

}  // namespace

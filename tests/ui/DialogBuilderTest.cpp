#include "ui/DialogBuilder.h"
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"
#include "ui/TemplateDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <string>

TEST(DialogUnitsTest, ScalesByQuarterWidthAndEighthHeightRounded) {
    const CDialogUnits units(7, 15);
    EXPECT_EQ(units.ToPixels(4, 8, 10, 13), QRect(7, 15, 18, 24));  // 17.5 -> 18, 24.375 -> 24
    EXPECT_EQ(units.ToPixelsX(1), 2);                               // 1.75
    EXPECT_EQ(units.ToPixelsY(3), 6);                               // 5.625
}

TEST(DialogBuilderTest, ControlsAreDirectChildrenPlacedInDialogUnits) {
    CTemplateDialog dialog(kElementTemplate, nullptr);
    const CDialogUnits units(dialog.font());

    auto* copy = FindControl<QLineEdit>(&dialog, IDC_COPY);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->parentWidget(), &dialog);
    EXPECT_EQ(copy->geometry(), units.ToPixels(132, 52, 216, 13));
    EXPECT_EQ(ControlId(*copy), IDC_COPY);
    EXPECT_EQ(dialog.size(), QSize(units.ToPixelsX(395), units.ToPixelsY(297)));

    // Group boxes are frames behind the controls, not their containers.
    const QList<QGroupBox*> groups = dialog.findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 4);
    for (const QGroupBox* group : groups) {
        EXPECT_TRUE(group->findChildren<QWidget*>().isEmpty());
    }
    // An id finds only a control of the asked kind.
    EXPECT_EQ(FindControl<QComboBox>(&dialog, IDC_COPY), nullptr);
    EXPECT_EQ(FindControl<QLineEdit>(&dialog, 4242), nullptr);
}

// A dialog whose code takes one edit box of its template by id, as the dialogs do.
class OneEditDialog : public CTemplateDialog {
public:
    explicit OneEditDialog(int editId)
        : CTemplateDialog(kFtpParametersTemplate, nullptr), edit(Require<QLineEdit>(editId)) {}

    QLineEdit* const edit;
};

// A wrong id, or the id of another kind of control, stops the program as the dialog is
// built, naming the template, the id and the kind asked for.
TEST(DialogBuilderDeathTest, AControlTheTemplateLacksStopsTheDialogBeingBuilt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EQ(ControlId(*OneEditDialog(IDC_FTPPASSWORD).edit), IDC_FTPPASSWORD);

    const auto stop = [](int id) {
        return "Dialog " + std::to_string(IDD_FTPPARAMETERS) + " has no control " +
               std::to_string(id) + " of type QLineEdit";
    };
    EXPECT_DEATH(OneEditDialog{4242}, stop(4242));
    EXPECT_DEATH(OneEditDialog{IDC_ASCIIFILE}, stop(IDC_ASCIIFILE));
}

TEST(DialogBuilderTest, RadioGroupsStartAtEachGroupStyle) {
    CTemplateDialog dialog(kElementTemplate, nullptr);
    auto* fileTime = FindControl<QRadioButton>(&dialog, IDC_FILETIME);
    auto* permanent = FindControl<QRadioButton>(&dialog, IDC_PERMANENT);
    auto* existence = FindControl<QRadioButton>(&dialog, IDC_EXISTENCE);

    fileTime->click();
    permanent->click();
    EXPECT_TRUE(fileTime->isChecked()) << "the when-mode group must not uncheck the check mode";
    existence->click();
    EXPECT_FALSE(fileTime->isChecked());
    EXPECT_TRUE(permanent->isChecked());
}

// Tab enters a radio group at its checked button, as the keyboard user expects, and the
// arrow keys move the check and the stop within the group.
TEST(DialogBuilderTest, TabEntersARadioGroupAtItsCheckedButton) {
    CTemplateDialog dialog(kElementTemplate, nullptr);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    auto* browse = FindControl<QWidget>(&dialog, IDC_BROWSECOPY);
    auto* existence = FindControl<QRadioButton>(&dialog, IDC_EXISTENCE);
    auto* destruction = FindControl<QRadioButton>(&dialog, IDC_DESTRUCTION);
    const auto tabFrom = [&](QWidget* start) {
        start->setFocus(Qt::OtherFocusReason);
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(start, &tab);
        return QApplication::focusWidget();
    };
    auto* browseOriginal = FindControl<QWidget>(&dialog, IDC_BROWSEORIGINAL);
    EXPECT_EQ(tabFrom(browse), FindControl<QWidget>(&dialog, IDC_ABSOLUTETIME))
        << "nothing checked: the first button";
    existence->setChecked(true);
    EXPECT_EQ(tabFrom(browse), FindControl<QWidget>(&dialog, IDC_REFDATE))
        << "an unchecked button is no stop";
    EXPECT_EQ(tabFrom(browseOriginal), existence);

    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(existence, &down);
    EXPECT_TRUE(destruction->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), destruction);
    EXPECT_EQ(tabFrom(browseOriginal), destruction);
}

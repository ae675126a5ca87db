// Every text that a control of a dialog shows fits the room the style gives it, in both
// languages, at the application's default font (the desktop's).
#include "EveryDialog.h"
#include "WidgetTestSupport.h"

#include "core/KelElem.h"
#include "core/NoticeTexts.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "i18n/TimeStamp.h"
#include "platform/SettingsFile.h"
#include "remote/TransferText.h"
#include "RecordingMessageBoxes.h"
#include "TempDir.h"
#include "ui/NewVersionDlg.h"
#include "ui/ResourceIds.h"
#include "ui/TransferDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// 10 February 2002, 10:16:00 in Paris.
constexpr int32_t kFound = 1013332560;
// A copy path longer than any line of the notice or the progress window.
const char kLongCopy[] =
    "ftp://files.example.org/pub/archives/2026/quarterly-reports/finance/"
    "weekly-report-for-the-board-of-directors-and-the-shareholders.pdf";
// A line edit keeps two pixels clear on each side of its text.
constexpr int kLineEditMargin = 2;

QSize TextSize(const QWidget& control, const QString& text) {
    return control.fontMetrics().size(Qt::TextShowMnemonic, text);
}

bool Within(QSize needed, QSize available) {
    return needed.width() <= available.width() && needed.height() <= available.height();
}

// Collects, for one dialog, every text that does not fit its control.
class ClippingWalker {
public:
    explicit ClippingWalker(std::vector<std::string>& clipped) : m_clipped(clipped) {}

    // Shown first: a picker places its text field when it gets its first resize event.
    void Walk(QWidget& dialog, const char* name) {
        m_dialog = name;
        dialog.show();
        for (const QObject* child : dialog.children()) {
            const auto* control = qobject_cast<const QWidget*>(child);
            if (control != nullptr && !control->isHidden()) {
                Check(*control);
                CheckInside(dialog, *control);
            }
        }
    }

private:
    // A dialog that grows with its texts keeps every control within its edges.
    void CheckInside(const QWidget& dialog, const QWidget& control) {
        if (!dialog.rect().contains(control.geometry())) {
            m_clipped.push_back(m_dialog + " " + control.objectName().toStdString() +
                                " lies outside the dialog");
        }
    }

    void Check(const QWidget& control) {
        if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
            CheckPushButton(*button);
        } else if (const auto* box = qobject_cast<const QCheckBox*>(&control)) {
            CheckCheckable(*box, QStyle::SE_CheckBoxContents);
        } else if (const auto* radio = qobject_cast<const QRadioButton*>(&control)) {
            CheckCheckable(*radio, QStyle::SE_RadioButtonContents);
        } else if (const auto* combo = qobject_cast<const QComboBox*>(&control)) {
            CheckClosedCombo(*combo);
        } else if (const auto* group = qobject_cast<const QGroupBox*>(&control)) {
            CheckGroupTitle(*group);
        } else if (const auto* label = qobject_cast<const QLabel*>(&control)) {
            CheckLabel(*label);
        } else if (const auto* picker = qobject_cast<const QDateTimeEdit*>(&control)) {
            CheckPicker(*picker);
        }
        // Edit boxes scroll the text the user types, and the list's column headers are sized
        // by the user and elide by design: neither can be clipped.
    }

    void Expect(const QWidget& control, const QString& text, QSize needed, QSize available) {
        if (text.isEmpty() || Within(needed, available)) {
            return;
        }
        m_clipped.push_back(m_dialog + " " + control.objectName().toStdString() + " \"" +
                            text.toStdString() + "\" needs " + std::to_string(needed.width()) +
                            "x" + std::to_string(needed.height()) + " px, has " +
                            std::to_string(available.width()) + "x" +
                            std::to_string(available.height()));
    }

    // The label of a push button is drawn inside its frame.
    void CheckPushButton(const QPushButton& button) {
        QStyleOptionButton option;
        option.initFrom(&button);
        option.text = button.text();
        if (button.isDefault()) {
            option.features |= QStyleOptionButton::DefaultButton;
        }
        if (button.autoDefault()) {
            option.features |= QStyleOptionButton::AutoDefaultButton;
        }
        const QRect room =
            button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
        Expect(button, button.text(), TextSize(button, button.text()), room.size());
    }

    // A check box or radio button draws its text beside the indicator, on its own side.
    void CheckCheckable(const QAbstractButton& button, QStyle::SubElement contents) {
        QStyleOptionButton option;
        option.initFrom(&button);
        option.text = button.text();
        const QRect room = button.style()->subElementRect(contents, &option, &button);
        Expect(button, button.text(), TextSize(button, button.text()), room.size());
    }

    // A closed list shows its chosen item in the edit field, less a pixel on each side, and
    // cuts what is wider: every item must fit, since any of them may be the chosen one.
    void CheckClosedCombo(const QComboBox& combo) {
        QStyleOptionComboBox option;
        option.initFrom(&combo);
        option.editable = combo.isEditable();
        option.frame = combo.hasFrame();
        option.subControls = QStyle::SC_All;
        const QRect field =
            combo.style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo)
                .adjusted(1, 0, -1, 0);
        for (int index = 0; index < combo.count(); ++index) {
            const QString item = combo.itemText(index);
            Expect(combo, item, combo.fontMetrics().size(0, item), field.size());
        }
    }

    // A title fits when it keeps on its right the margin it has on its left, so that it
    // never runs into the frame's corner.
    void CheckGroupTitle(const QGroupBox& group) {
        QStyleOptionGroupBox option;
        option.initFrom(&group);
        option.text = group.title();
        option.textAlignment = group.alignment();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title = group.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                          QStyle::SC_GroupBoxLabel, &group);
        Expect(group, group.title(), QSize(title.right() + 1 + title.left(), title.height()),
               group.size());
    }

    // A label wraps its text at word breaks: the wrapped text must fit its height, and no
    // word may be wider than the label.
    void CheckLabel(const QLabel& label) {
        const QString text = label.text();
        const int margin = label.margin();
        const QRect room = label.contentsRect().adjusted(margin, margin, -margin, -margin);
        const int flags = static_cast<int>(label.alignment()) |
                          (label.wordWrap() ? static_cast<int>(Qt::TextWordWrap) : 0);
        const QRect needed = label.fontMetrics().boundingRect(room, flags, text);
        Expect(label, text, needed.size(), room.size());
    }

    // A date or time picker must show its widest value: every day of a year, in its
    // display format and language, at the last second of the day.
    void CheckPicker(const QDateTimeEdit& picker) {
        const auto* edit =
            picker.findChild<const QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
        const QRect room = edit->contentsRect()
                               .marginsRemoved(edit->textMargins())
                               .adjusted(kLineEditMargin, 0, -kLineEditMargin, 0);
        QString widest;
        for (QDate day(2026, 1, 1); day.year() == 2026; day = day.addDays(1)) {
            const QString shown =
                picker.locale().toString(QDateTime(day, QTime(23, 59, 59)), picker.displayFormat());
            if (edit->fontMetrics().horizontalAdvance(shown) >
                edit->fontMetrics().horizontalAdvance(widest)) {
                widest = shown;
            }
        }
        Expect(picker, widest, edit->fontMetrics().size(0, widest), room.size());
    }

    std::vector<std::string>& m_clipped;
    std::string m_dialog;
};

class ClippedTextTest : public ::testing::TestWithParam<uint32_t> {
protected:
    void SetUp() override {
        TheCatalogue().SetCurrentLcid(GetParam());
        QLocale::setDefault(GetParam() == kLcidFrench
                                ? QLocale(QLocale::French, QLocale::France)
                                : QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override {
        TheCatalogue().SetCurrentLcid(kLcidEnglish);
        QLocale::setDefault(QLocale::c());
    }

    std::vector<std::string> m_clipped;
    ClippingWalker m_walker{m_clipped};
};

TEST_P(ClippedTextTest, EveryDialogAndTheMainWindowShowTheirTextsWhole) {
    RecordingMessageBoxes boxes;
    ScriptedFileChooser files;
    TempDir folder;
    CSettingsFile settings(folder.File("morvane.INI"));
    DialogSamples samples{boxes, files, settings};
    for (const DialogResource& dialog : kEveryDialog) {
        const std::unique_ptr<CTemplateDialog> made = MakeDialog(dialog.resource, samples);
        ASSERT_NE(made, nullptr) << dialog.name;
        EXPECT_EQ(made->HelpId(), dialog.resource) << dialog.name;
        QApplication::processEvents();
        m_walker.Walk(*made, dialog.name);
    }
    EXPECT_EQ(m_clipped, std::vector<std::string>());
}

// Every head with every action's sentence, or none, and a copy path of any length.
TEST_P(ClippedTextTest, NoticeShowsEveryLineWhole) {
    for (const char* head : {"IDS_NEWFILEFOUND", "IDS_NEWFILECREATED", "IDS_FILEDELETED"}) {
        for (const char* action :
             {"", "IDS_COPYNEW", "IDS_VIEWNEW", "IDS_DELETEOLD", "IDS_DELETENEW"}) {
            const std::string sentence = *action ? Lookup("IDS_USEOK") + Lookup(action) : "";
            CNewVersionDlg notice(
                NoticeTexts{GetMessage(head), kLongCopy, sentence, FormatTimeStamp(kFound)});
            m_walker.Walk(notice, (std::string(head) + " " + action).c_str());
        }
    }
    EXPECT_EQ(m_clipped, std::vector<std::string>());
}

TEST_P(ClippedTextTest, ProgressWindowShowsItsStatusAndAFullPercentage) {
    CTransferDlg transfer(nullptr, QStringLiteral("Morvane"));
    transfer.SetStatusText(FormatKeyText("IDS_OPENING", kLongCopy));
    transfer.SetTotal(1000);
    transfer.SetDone(1000);
    QApplication::processEvents();
    m_walker.Walk(transfer, "progress window");
    EXPECT_EQ(m_clipped, std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ClippedTextTest,
                         ::testing::Values(kLcidEnglish, kLcidFrench),
                         [](const ::testing::TestParamInfo<uint32_t>& language) {
                             return language.param == kLcidFrench ? "French" : "English";
                         });

}  // namespace

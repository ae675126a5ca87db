#include "WidgetTestSupport.h"

#include "core/NoticeTexts.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "i18n/TimeStamp.h"
#include "ui/InputGuard.h"
#include "ui/NewVersionDlg.h"
#include "ui/QtNoticePresenter.h"
#include "ui/ResourceIds.h"

#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <vector>

#include <gtest/gtest.h>

namespace {

// 10 February 2002, 10:16:00 in Paris.
constexpr int32_t kFound = 1013332560;

// The head line, the copy, the sentence of the action and the time, each whole on its own
// lines from top to bottom, in both languages; without an action the sentence's line goes.
TEST(NewVersionDlgTest, ShowsEveryLineOfTheMessageInBothLanguages) {
    const char* const actions[] = {"IDS_COPYNEW", "IDS_VIEWNEW", "IDS_DELETEOLD", "IDS_DELETENEW",
                                   ""};
    for (const uint32_t lcid : {kLcidEnglish, kLcidFrench}) {
        TheCatalogue().SetCurrentLcid(lcid);
        for (const char* action : actions) {
            SCOPED_TRACE(testing::Message() << lcid << " " << action);
            const std::string sentence = *action ? Lookup("IDS_USEOK") + Lookup(action) : "";
            CNewVersionDlg dialog(NoticeTexts{GetMessage("IDS_NEWFILEFOUND"), "C:\\in\\a.doc",
                                              sentence, FormatTimeStamp(kFound)});
            dialog.show();
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("New version !!"));
            EXPECT_EQ(dialog.Require<QPushButton>(IDOK)->text(), QStringLiteral("Ok"));
            const auto* head = dialog.Require<QLabel>(IDC_NOTICEMESSAGE);
            const auto* copy = dialog.Require<QLabel>(IDC_NOTICECOPY);
            const auto* said = dialog.Require<QLabel>(IDC_NOTICEACTION);
            const auto* time = dialog.Require<QLabel>(IDC_NOTICETIME);
            EXPECT_EQ(head->text().toStdString() + "\n\n", GetMessage("IDS_NEWFILEFOUND"));
            EXPECT_EQ(copy->text(), QStringLiteral("C:\\in\\a.doc"));
            EXPECT_EQ(time->text(), QStringLiteral("10/02/2002 10:16:00"));
            EXPECT_EQ(said->isVisible(), *action != '\0');
            std::vector<const QLabel*> lines{head, copy, time};
            if (*action) {
                EXPECT_EQ("\n\n" + said->text().toStdString(), sentence);
                lines.insert(lines.begin() + 2, said);
            }
            for (size_t i = 1; i < lines.size(); ++i) {
                EXPECT_GT(lines[i]->y(), lines[i - 1]->geometry().bottom());
            }
            EXPECT_GT(dialog.Require<QPushButton>(IDOK)->y(), time->geometry().bottom());
            EXPECT_TRUE(head->alignment() & Qt::AlignHCenter);
        }
    }
    TheCatalogue().SetCurrentLcid(kLcidEnglish);
}

// Presses `key` in the notice once its guard lets input through, after checking that the
// same key pressed at once left the notice open.
void AnswerAfterGuard(int key) {
    OnNextModal([key](QDialog& notice) {
        PressKey(notice, key);
        EXPECT_TRUE(notice.isVisible()) << "a key at once answered the notice";
        QPointer<QDialog> open(&notice);
        QTimer::singleShot(CInputGuard::kDefaultSpan + std::chrono::milliseconds(100), [open, key] {
            ASSERT_FALSE(open.isNull());
            PressKey(*open, key);
        });
    });
}

TEST(NewVersionDlgTest, OkConfirmsEscapeAndCloseBoxCloseOnceTheGuardIsOver) {
    CQtNoticePresenter presenter;
    AnswerAfterGuard(Qt::Key_Return);
    const NoticeTexts notice{"h", "c", "a", "t"};
    EXPECT_EQ(presenter.ShowNotice(notice), NoticeAnswer::Ok);
    AnswerAfterGuard(Qt::Key_Escape);
    EXPECT_EQ(presenter.ShowNotice(notice), NoticeAnswer::Closed);
    OnNextModal([](QDialog& dialog) { dialog.close(); });
    EXPECT_EQ(presenter.ShowNotice(notice), NoticeAnswer::Closed);
}

TEST(InputGuard, KeepsKeysAndClicksFromTheDialogAndItsButtonsOnly) {
    QDialog below;
    auto* belowButton = new QPushButton(QStringLiteral("below"), &below);
    int belowClicks = 0;
    QObject::connect(belowButton, &QPushButton::clicked, [&] { ++belowClicks; });
    below.show();

    QDialog dialog;
    auto* ok = new QPushButton(QStringLiteral("Ok"), &dialog);
    ok->setDefault(true);
    int okClicks = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] { ++okClicks; });
    new CInputGuard(dialog, std::chrono::hours(1));
    dialog.show();
    ClickWidget(*ok);
    PressKey(dialog, Qt::Key_Return);
    PressKey(*ok, Qt::Key_Space);
    EXPECT_EQ(okClicks, 0);
    EXPECT_TRUE(dialog.isVisible());
    ClickWidget(*belowButton);
    EXPECT_EQ(belowClicks, 1);

    QDialog spent;
    auto* spentOk = new QPushButton(QStringLiteral("Ok"), &spent);
    int spentClicks = 0;
    QObject::connect(spentOk, &QPushButton::clicked, [&] { ++spentClicks; });
    new CInputGuard(spent, std::chrono::milliseconds(0));
    spent.show();
    ClickWidget(*spentOk);
    EXPECT_EQ(spentClicks, 1);
}

}  // namespace

#include "WidgetTestSupport.h"

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

#include <gtest/gtest.h>

namespace {

// 10 February 2002, 10:16:00 in Paris.
constexpr int32_t kFound = 1013332560;

TEST(NewVersionDlgTest, ShowsHeadLineCopyAndTimeTheSameInBothLanguages) {
    for (const uint32_t lcid : {kLcidEnglish, kLcidFrench}) {
        TheCatalogue().SetCurrentLcid(lcid);
        const std::string message = GetMessage("IDS_NEWFILEFOUND") + "C:\\in\\a.doc";
        CNewVersionDlg dialog(FormatTimeStamp(kFound), "C:\\in\\a.doc", message);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("New version !!"));
        EXPECT_EQ(dialog.Require<QPushButton>(IDOK)->text(), QStringLiteral("Ok"));
        EXPECT_EQ(dialog.Require<QLabel>(IDC_NOTICECOPY)->text(), QStringLiteral("C:\\in\\a.doc"));
        EXPECT_EQ(dialog.Require<QLabel>(IDC_NOTICETIME)->text(),
                  QStringLiteral("10/02/2002 10:16:00"));
        auto* head = dialog.Require<QLabel>(IDC_NOTICEMESSAGE);
        EXPECT_TRUE(
            head->text().startsWith(QString::fromStdString(GetMessage("IDS_NEWFILEFOUND"))));
        EXPECT_TRUE(head->alignment() & Qt::AlignHCenter);
        EXPECT_TRUE(head->alignment() & Qt::AlignTop) << "the first line is the one that shows";
    }
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

TEST(NewVersionDlgTest, OkGivesOneEscapeAndCloseBoxGiveTwoOnceTheGuardIsOver) {
    CQtNoticePresenter presenter;
    AnswerAfterGuard(Qt::Key_Return);
    EXPECT_EQ(presenter.ShowNotice("m", "c", "t"), 1);
    AnswerAfterGuard(Qt::Key_Escape);
    EXPECT_EQ(presenter.ShowNotice("m", "c", "t"), 2);
    OnNextModal([](QDialog& notice) { notice.close(); });
    EXPECT_EQ(presenter.ShowNotice("m", "c", "t"), 2);
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

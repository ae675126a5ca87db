#include "WidgetTestSupport.h"

#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "i18n/TimeStamp.h"
#include "ui/NewVersionDlg.h"
#include "ui/QtNoticePresenter.h"
#include "ui/ResourceIds.h"

#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

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
        EXPECT_EQ(dialog.Control<QPushButton>(IDOK)->text(), QStringLiteral("Ok"));
        EXPECT_EQ(dialog.Control<QLabel>(IDC_NOTICECOPY)->text(), QStringLiteral("C:\\in\\a.doc"));
        EXPECT_EQ(dialog.Control<QLabel>(IDC_NOTICETIME)->text(),
                  QStringLiteral("10/02/2002 10:16:00"));
        auto* head = dialog.Control<QLabel>(IDC_NOTICEMESSAGE);
        EXPECT_TRUE(
            head->text().startsWith(QString::fromStdString(GetMessage("IDS_NEWFILEFOUND"))));
        EXPECT_TRUE(head->alignment() & Qt::AlignHCenter);
        EXPECT_TRUE(head->alignment() & Qt::AlignTop) << "the first line is the one that shows";
    }
}

TEST(NewVersionDlgTest, OkGivesOneEscapeAndCloseBoxGiveTwo) {
    QtNoticePresenter presenter;
    OnNextModal([](QDialog& notice) { PressKey(notice, Qt::Key_Return); });
    EXPECT_EQ(presenter.ShowNotice("m", "c", "t"), 1);
    OnNextModal([](QDialog& notice) { PressKey(notice, Qt::Key_Escape); });
    EXPECT_EQ(presenter.ShowNotice("m", "c", "t"), 2);
    OnNextModal([](QDialog& notice) { notice.close(); });
    EXPECT_EQ(presenter.ShowNotice("m", "c", "t"), 2);
}

}  // namespace

#include "RecordingMessageBoxes.h"
#include "WidgetTestSupport.h"

#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "ui/AboutBox.h"
#include "ui/LinkLabel.h"
#include "ui/ResourceIds.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

namespace {

// Records what the links try to open and fails with a scripted code, if any.
struct FakeOpener {
    std::vector<QString> opened;
    std::optional<int> failureCode;

    LinkOpener Opener() {
        return [this](const QString& target) {
            opened.push_back(target);
            return failureCode;
        };
    }
};

const QColor kLinkColour(0, 0, 238);
const QColor kVisitedColour(85, 26, 139);

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override { TheCatalogue().SetCurrentLcid(kLcidEnglish); }

    QString VersionLine(const CAboutBox& about) {
        for (const QLabel* label : about.findChildren<QLabel*>()) {
            if (label->text().startsWith(QStringLiteral("Morvane"))) {
                return label->text();
            }
        }
        return QString();
    }

    RecordingMessageBoxes m_boxes;
    FakeOpener m_opener;
};

TEST_F(AboutBoxTest, TextsAndTargetsInBothLanguages) {
    const std::pair<uint32_t, const char*> languages[] = {
        {kLcidEnglish, "About Morvane"},
        {kLcidFrench, "A propos de Morvane"},
    };
    for (const auto& [lcid, title] : languages) {
        TheCatalogue().SetCurrentLcid(lcid);
        CAboutBox about(m_boxes);
        about.show();
        EXPECT_EQ(about.windowTitle(), QString::fromUtf8(title));
        EXPECT_EQ(VersionLine(about), QStringLiteral("Morvane Version 1.20"));
        EXPECT_EQ(about.Require<QPushButton>(IDOK)->text(), QStringLiteral("Ok"));

        auto* mail = about.Require<CLinkLabel>(IDC_MAILLINK);
        EXPECT_EQ(mail->text(), QStringLiteral("Mail : contact@morvane.example.org"));
        EXPECT_EQ(mail->Target(), QStringLiteral("mailto:contact@morvane.example.org"));
        const QString page = QString::fromStdString(GetMessage("IDS_HTTP"));
        auto* web = about.Require<CLinkLabel>(IDC_WEBLINK);
        EXPECT_EQ(web->text(), QStringLiteral("Web : ") + page);
        EXPECT_EQ(web->Target(), page);
        EXPECT_EQ(web->toolTip(), page);
        EXPECT_TRUE(web->font().underline());
        EXPECT_EQ(web->cursor().shape(), Qt::PointingHandCursor);
    }
}

TEST_F(AboutBoxTest, LinksAreBuiltAfreshAtEveryOpening) {
    CAboutBox about(m_boxes);
    about.show();
    about.hide();
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    about.show();
    EXPECT_EQ(about.Require<CLinkLabel>(IDC_WEBLINK)->Target(),
              QString::fromStdString(Lookup("IDS_HTTP")));
}

TEST_F(AboutBoxTest, LanguageWithoutTableShowsTheKey) {
    TheCatalogue().SetCurrentLcid(1031);
    CAboutBox about(m_boxes);
    about.show();
    EXPECT_EQ(about.windowTitle(), QString());
    EXPECT_EQ(about.Require<CLinkLabel>(IDC_WEBLINK)->text(), QStringLiteral("Web : IDS_HTTP"));
}

TEST_F(AboutBoxTest, ClickOpensTheTargetAndMarksItVisited) {
    CAboutBox about(m_boxes);
    about.SetLinkOpener(m_opener.Opener());
    about.show();
    auto* mail = about.Require<CLinkLabel>(IDC_MAILLINK);
    EXPECT_EQ(mail->CurrentColour(), kLinkColour);
    ClickWidget(*mail);
    ASSERT_EQ(m_opener.opened.size(), 1u);
    EXPECT_EQ(m_opener.opened[0], QStringLiteral("mailto:contact@morvane.example.org"));
    EXPECT_TRUE(mail->IsVisited());
    EXPECT_EQ(mail->CurrentColour(), kVisitedColour);
    EXPECT_EQ(mail->palette().color(QPalette::WindowText), kVisitedColour);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

QColor HoverColour(const CAboutBox& about) {
    auto* link = about.Require<CLinkLabel>(IDC_WEBLINK);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(link, &enter);
    return link->palette().color(QPalette::WindowText);
}

// Text and background far apart in lightness: readable whatever the hue.
bool Readable(const QColor& text, const QColor& background) {
    return std::abs(text.lightnessF() - background.lightnessF()) >= 0.3;
}

TEST_F(AboutBoxTest, HoveredLinkStaysReadableOnTheDialog) {
    const QPalette desktop = QApplication::palette();
    {
        CAboutBox about(m_boxes);
        about.show();
        const QColor hover = HoverColour(about);
        EXPECT_EQ(hover, desktop.color(QPalette::Highlight));
        EXPECT_TRUE(Readable(hover, about.palette().color(QPalette::Window)))
            << hover.name().toStdString();
    }
    // A desktop whose highlight is as light as its dialogs: the link colour instead.
    QPalette pale = desktop;
    pale.setColor(QPalette::Highlight, QColor(250, 250, 250));
    pale.setColor(QPalette::Light, Qt::white);
    QApplication::setPalette(pale);
    {
        CAboutBox about(m_boxes);
        about.show();
        const QColor hover = HoverColour(about);
        EXPECT_EQ(hover, pale.color(QPalette::Link));
        EXPECT_TRUE(Readable(hover, about.palette().color(QPalette::Window)))
            << hover.name().toStdString();
    }
    QApplication::setPalette(desktop);
}

TEST_F(AboutBoxTest, FailedOpeningShowsUntranslatedErrorAndForgetsTheVisit) {
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    CAboutBox about(m_boxes);
    about.SetLinkOpener(m_opener.Opener());
    about.show();
    auto* web = about.Require<CLinkLabel>(IDC_WEBLINK);
    ClickWidget(*web);
    ASSERT_TRUE(web->IsVisited());

    m_opener.failureCode = 26;
    ClickWidget(*web);
    EXPECT_FALSE(web->IsVisited());
    EXPECT_EQ(web->CurrentColour(), kLinkColour);
    m_opener.failureCode = 12;
    ClickWidget(*web);

    const std::vector<RecordingMessageBoxes::Box> boxes = m_boxes.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_EQ(boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(boxes[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(boxes[1].text, "Unable to open hyperlink:\n\nUnknown Error (12) occurred.");
}

TEST(LinkLabelTest, DesktopFailureShowsTheNoAssociationText) {
    // No address at all: nothing is handed to the desktop.
    const std::optional<int> failureCode = OpenWithDesktop(QString());
    ASSERT_EQ(failureCode, kOpenNoAssociation);
    EXPECT_EQ(OpenErrorText(*failureCode),
              QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\n"
                             "with the given filename extension."));
}

TEST(LinkLabelTest, TemplateAddressBecomesTheTarget) {
    QWidget dialog;
    CLinkLabel link(&dialog);
    link.setText(QStringLiteral("https://morvane.example.org/"));
    link.setGeometry(10, 10, 400, 20);
    link.Attach();
    EXPECT_EQ(link.Target(), QStringLiteral("https://morvane.example.org/"));
    EXPECT_EQ(link.toolTip(), link.Target());
    EXPECT_NEAR(link.width(), link.fontMetrics().horizontalAdvance(link.text()), 3)
        << "the control fits its text";
}

TEST(LinkLabelTest, FittingKeepsTheSideOrCentreTheAlignmentHolds) {
    QWidget dialog;
    const QRect place(100, 40, 300, 40);
    const std::pair<Qt::Alignment, int> cases[] = {
        {Qt::AlignLeft | Qt::AlignTop, 0},  // keeps the left edge
        {Qt::AlignHCenter | Qt::AlignTop, 1},
        {Qt::AlignRight | Qt::AlignTop, 2},
    };
    for (const auto& [alignment, side] : cases) {
        CLinkLabel link(&dialog);
        link.setText(QStringLiteral("Web"));
        link.setAlignment(alignment);
        link.setGeometry(place);
        link.Attach();
        const QRect fitted = link.geometry();
        EXPECT_EQ(fitted.height(), link.fontMetrics().height());
        EXPECT_EQ(fitted.top(), place.top());
        if (side == 0) {
            EXPECT_EQ(fitted.left(), place.left());
        } else if (side == 1) {
            EXPECT_NEAR(fitted.center().x(), place.center().x(), 1);
        } else {
            EXPECT_EQ(fitted.right(), place.right());
        }
        EXPECT_LT(fitted.width(), place.width());
    }
}

}  // namespace

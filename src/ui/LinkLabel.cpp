#include "ui/LinkLabel.h"

#include "i18n/MessageBoxes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPalette>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

// The least contrast against the background at which small text stays readable.
constexpr double kReadableContrast = 3.0;

const char* KnownErrorText(int code) {
    switch (code) {
        case 0:
            return "The operating system is out\nof memory or resources.";
        case 2:
            return "The specified file was not found.";
        case 3:
            return "The specified path was not found.";
        case 5:
            return "The operating system denied\naccess to the specified file.";
        case 8:
            return "There was not enough memory to complete the operation.";
        case 11:
            return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        case 26:
            return "A sharing violation occurred. ";
        case 27:
            return "The filename association is\nincomplete or invalid.";
        case 28:
            return "The DDE transaction could not\nbe completed because the request timed out.";
        case 29:
            return "The DDE transaction failed.";
        case 30:
            return "The DDE transaction could not\nbe completed because other DDE "
                   "transactions\nwere being processed.";
        case 31:
            return "There is no application associated\nwith the given filename extension.";
        case 32:
            return "The specified dynamic-link library was not found.";
        default:
            return nullptr;
    }
}

}  // namespace

std::optional<int> OpenWithDesktop(const QString& target) {
    const QUrl url = QUrl::fromUserInput(target);
    if (url.isValid() && QDesktopServices::openUrl(url)) {
        return std::nullopt;
    }
    return kOpenNoAssociation;
}

QString OpenErrorText(int code) {
    const char* known = KnownErrorText(code);
    const QString text = known != nullptr
                             ? QString::fromUtf8(known)
                             : QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    return QStringLiteral("Unable to open hyperlink:\n\n") + text;
}

namespace {

// Relative luminance as contrast ratios measure it.
double Luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The desktop's highlight colour, or its link colour when the highlight would be hard to
// read on the dialog's background (the button highlight colour is white on most desktops).
QColor ReadableHoverColour() {
    const QPalette colours = QApplication::palette();
    const QColor background = colours.color(QPalette::Window);
    const QColor highlight = colours.color(QPalette::Highlight);
    return Contrast(highlight, background) >= kReadableContrast ? highlight
                                                                : colours.color(QPalette::Link);
}

}  // namespace

CLinkLabel::CLinkLabel(QWidget* parent) : QLabel(parent), m_crHover(ReadableHoverColour()) {
    setTextFormat(Qt::PlainText);
}

void CLinkLabel::Attach() {
    if (m_strTarget.isEmpty()) {
        m_strTarget = text();
    }
    if (text().isEmpty()) {
        setText(m_strTarget);
    }
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    FitToText();
    setCursor(Qt::PointingHandCursor);
    setToolTip(m_strTarget);
    UpdateColour();
}

void CLinkLabel::SetTarget(const QString& target) {
    m_strTarget = target;
    FitToText();
    setToolTip(target);
}

void CLinkLabel::MarkVisited(bool visited) {
    m_bVisited = visited;
    UpdateColour();
}

// Shrinks the control around its text, keeping the side (or the centre) its alignment
// holds on to.
void CLinkLabel::FitToText() {
    QRect rect = geometry();
    const QSize extent = fontMetrics().size(0, text());
    if (alignment() & Qt::AlignVCenter) {
        const int shrink = (rect.height() - extent.height()) / 2;
        rect.adjust(0, shrink, 0, -shrink);
    } else {
        rect.setHeight(extent.height());
    }
    if (alignment() & Qt::AlignHCenter) {
        const int shrink = (rect.width() - extent.width()) / 2;
        rect.adjust(shrink, 0, -shrink, 0);
    } else if (alignment() & Qt::AlignRight) {
        rect.setLeft(rect.right() + 1 - extent.width());
    } else {
        rect.setWidth(extent.width());
    }
    setGeometry(rect);
}

QColor CLinkLabel::CurrentColour() const {
    if (m_bHover) {
        return m_crHover;
    }
    return m_bVisited ? m_crVisited : m_crLink;
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Click();
    }
    QLabel::mouseReleaseEvent(event);
}

void CLinkLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    SetHover(true);
}

void CLinkLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    SetHover(false);
}

void CLinkLabel::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    SetHover(false);
}

void CLinkLabel::Click() {
    m_bHover = false;
    const std::optional<int> failureCode = m_opener(m_strTarget);
    MarkVisited(!failureCode);
    if (failureCode) {
        QApplication::beep();
        ShowOpenError(*failureCode);
    }
}

void CLinkLabel::SetHover(bool hover) {
    m_bHover = hover;
    UpdateColour();
}

void CLinkLabel::UpdateColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, CurrentColour());
    setPalette(colours);
}

void CLinkLabel::ShowOpenError(int failureCode) {
    if (m_pBoxes != nullptr) {
        m_pBoxes->ShowAppBox(OpenErrorText(failureCode).toStdString(), BoxIcon::Exclamation,
                             BoxButtons::Ok);
    }
}

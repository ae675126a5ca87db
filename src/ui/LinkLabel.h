#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

#include <functional>
#include <optional>

class IMessageBoxes;

// Opens a link target: nothing when it opened, otherwise the failure's code, which
// OpenErrorText turns into the text of its box.
using LinkOpener = std::function<std::optional<int>(const QString& target)>;

// The failure of the desktop opener: no program takes the target.
inline constexpr int kOpenNoAssociation = 31;

// Opens the target with the program the desktop associates with it.
std::optional<int> OpenWithDesktop(const QString& target);

// The error text for an opener's failure code, after its "Unable to open hyperlink:"
// head. These texts stay in English whatever the interface language.
QString OpenErrorText(int code);

// A static text drawn as a hyperlink: underlined, in link colours, with a hand pointer and
// the target as tooltip; a click opens the target. What shows (the text) and what opens
// (the target) are separate.
class CLinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit CLinkLabel(QWidget* parent = nullptr);

    // Set-up once the control has its template text and place: target and text fill each
    // other when one is empty, the font is underlined, the control fits its text.
    void Attach();

    void SetTarget(const QString& target);
    const QString& Target() const { return m_strTarget; }
    void MarkVisited(bool visited);
    bool IsVisited() const { return m_bVisited; }
    void FitToText();

    void SetOpener(LinkOpener opener) { m_opener = std::move(opener); }
    // Where a failure is told; without boxes it is only heard.
    void SetMessageBoxes(IMessageBoxes* boxes) { m_pBoxes = boxes; }

    // The colour the text is drawn in now.
    QColor CurrentColour() const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Click();
    void SetHover(bool hover);
    void UpdateColour();
    void ShowOpenError(int failureCode);

    QColor m_crLink{0, 0, 238};
    QColor m_crVisited{85, 26, 139};
    QColor m_crHover;
    bool m_bHover = false;
    bool m_bVisited = false;
    QString m_strTarget;
    LinkOpener m_opener = OpenWithDesktop;
    IMessageBoxes* m_pBoxes = nullptr;
};

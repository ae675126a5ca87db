#include "ui/DialogBuilder.h"
#include "ui/LinkLabel.h"
#include "ui/ProgramIcon.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTreeWidget>

namespace {

const char kIdProperty[] = "controlId";
constexpr int kIconPixels = 32;

// a * b / c rounded to the nearest integer, halves away from zero, so that a place or
// size in units is never more than half a pixel off.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

bool Has(const ControlTemplate& control, uint32_t bit) {
    return (control.style & bit) != 0;
}

Qt::Alignment TextAlignment(const ControlTemplate& control) {
    Qt::Alignment alignment = Qt::AlignLeft;
    if (Has(control, ControlStyle::kCentred)) {
        alignment = Qt::AlignHCenter;
    } else if (Has(control, ControlStyle::kRightAligned)) {
        alignment = Qt::AlignRight;
    }
    return alignment | (Has(control, ControlStyle::kCentreImage) ? Qt::AlignVCenter : Qt::AlignTop);
}

QWidget* MakeLabel(const ControlTemplate& control, QWidget& dialog) {
    auto* label = new QLabel(QString::fromUtf8(control.text), &dialog);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(TextAlignment(control));
    return label;
}

QWidget* MakeIcon(QWidget& dialog) {
    auto* label = new QLabel(&dialog);
    label->setPixmap(ProgramIcon().pixmap(kIconPixels, kIconPixels));
    return label;
}

QWidget* MakeHyperlink(const ControlTemplate& control, QWidget& dialog) {
    auto* link = new CLinkLabel(&dialog);
    link->setText(QString::fromUtf8(control.text));
    link->setAlignment(TextAlignment(control));
    return link;
}

QWidget* MakeButton(const ControlTemplate& control, QWidget& dialog) {
    auto* button = new QPushButton(QString::fromUtf8(control.text), &dialog);
    button->setDefault(Has(control, ControlStyle::kDefaultButton));
    return button;
}

template <class Button>
QWidget* MakeCheckable(const ControlTemplate& control, QWidget& dialog) {
    auto* button = new Button(QString::fromUtf8(control.text), &dialog);
    if (Has(control, ControlStyle::kLeftText)) {
        button->setLayoutDirection(Qt::RightToLeft);
    }
    return button;
}

QWidget* MakeDropDownList(const ControlTemplate& control, QWidget& dialog) {
    auto* combo = new QComboBox(&dialog);
    for (const char* item : control.items) {
        combo->addItem(QString::fromUtf8(item));
    }
    combo->setCurrentIndex(-1);
    return combo;
}

QWidget* MakeDatePicker(const ControlTemplate& control, QWidget& dialog) {
    auto* picker = new QDateEdit(&dialog);
    picker->setCalendarPopup(true);
    if (Has(control, ControlStyle::kLongDate)) {
        picker->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    }
    return picker;
}

QWidget* MakeTimePicker(QWidget& dialog) {
    auto* picker = new QTimeEdit(&dialog);
    picker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return picker;
}

QWidget* MakeProgressBar(QWidget& dialog) {
    auto* bar = new QProgressBar(&dialog);
    bar->setTextVisible(false);
    return bar;
}

QWidget* MakeListView(const ControlTemplate& control, QWidget& dialog) {
    auto* list = new QTreeWidget(&dialog);
    list->setRootIsDecorated(false);
    list->setSelectionMode(Has(control, ControlStyle::kSingleSelection)
                               ? QAbstractItemView::SingleSelection
                               : QAbstractItemView::ExtendedSelection);
    if (Has(control, ControlStyle::kEditLabels)) {
        list->setEditTriggers(QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed);
    }
    list->setAcceptDrops(Has(control, ControlStyle::kAcceptFiles));
    return list;
}

QWidget* MakeStandard(const ControlTemplate& control, QWidget& dialog) {
    switch (control.kind) {
        case ControlKind::Label:
            return MakeLabel(control, dialog);
        case ControlKind::Icon:
            return MakeIcon(dialog);
        case ControlKind::GroupBox:
            return new QGroupBox(QString::fromUtf8(control.text), &dialog);
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(QString::fromUtf8(control.text), &dialog);
            if (Has(control, ControlStyle::kPassword)) {
                edit->setEchoMode(QLineEdit::Password);
            }
            return edit;
        }
        case ControlKind::PushButton:
            return MakeButton(control, dialog);
        case ControlKind::CheckBox:
            return MakeCheckable<QCheckBox>(control, dialog);
        case ControlKind::RadioButton:
            return MakeCheckable<QRadioButton>(control, dialog);
        case ControlKind::DropDownList:
            return MakeDropDownList(control, dialog);
        case ControlKind::DatePicker:
            return MakeDatePicker(control, dialog);
        case ControlKind::TimePicker:
            return MakeTimePicker(dialog);
        case ControlKind::ProgressBar:
            return MakeProgressBar(dialog);
        case ControlKind::ListView:
            return MakeListView(control, dialog);
        case ControlKind::Hyperlink:
            return MakeHyperlink(control, dialog);
    }
    return new QWidget(&dialog);
}

// A drop-down list's template height is that of its open list; the closed box is one
// line high. An icon takes the icon's size.
QRect PlaceOf(const ControlTemplate& control, const QWidget& widget, const CDialogUnits& units) {
    QRect rect = units.ToPixels(control.x, control.y, control.width, control.height);
    if (control.kind == ControlKind::DropDownList) {
        rect.setHeight(widget.sizeHint().height());
    } else if (control.kind == ControlKind::Icon) {
        rect.setSize(QSize(kIconPixels, kIconPixels));
    }
    return rect;
}

// A radio group is one stop of the Tab key, at its checked button (its first while none is
// checked); the arrow keys move within the group.
void KeepOneTabStop(const QButtonGroup& group) {
    const QList<QAbstractButton*> buttons = group.buttons();
    const QAbstractButton* stop = group.checkedButton() ? group.checkedButton() : buttons.first();
    for (QAbstractButton* button : buttons) {
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

// Puts radio buttons into exclusive groups: a group runs from a control with the group
// style to the next one.
class CRadioGrouper {
public:
    explicit CRadioGrouper(QWidget& dialog) : m_dialog(dialog) {}

    void Add(const ControlTemplate& control, QWidget& widget) {
        if (Has(control, ControlStyle::kGroup)) {
            m_group = nullptr;
        }
        auto* radio = qobject_cast<QRadioButton*>(&widget);
        if (radio == nullptr) {
            return;
        }
        if (m_group == nullptr) {
            m_group = new QButtonGroup(&m_dialog);
            QObject::connect(m_group, &QButtonGroup::buttonToggled, m_group,
                             [group = m_group] { KeepOneTabStop(*group); });
        }
        m_group->addButton(radio);
        KeepOneTabStop(*m_group);
    }

private:
    QWidget& m_dialog;
    QButtonGroup* m_group = nullptr;
};

}  // namespace

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Rounded up, not to the nearest pixel: the templates were laid out for a narrower
    // font, and this desktop's styles keep wider margins round a text, so the rounding
    // must not take room away from the text.
    m_baseWidth = (letters + 51) / 52;
    m_baseHeight = metrics.height();
}

int CDialogUnits::ToPixelsX(int units) const {
    return MulDiv(units, m_baseWidth, 4);
}

int CDialogUnits::ToPixelsY(int units) const {
    return MulDiv(units, m_baseHeight, 8);
}

QRect CDialogUnits::ToPixels(int x, int y, int width, int height) const {
    return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height));
}

QString ControlName(int id) {
    return QStringLiteral("id_%1").arg(id);
}

void StopForMissingControl(int dialogId, int id, const char* type) {
    qFatal("Dialog %d has no control %d of type %s", dialogId, id, type);
}

int ControlId(const QWidget& control) {
    const QVariant id = control.property(kIdProperty);
    return id.isValid() ? id.toInt() : kNoControlId;
}

CDialogUnits BuildControls(QWidget& dialog, const DialogTemplate& dialogTemplate,
                           const ControlFactory& factory) {
    const CDialogUnits units(dialog.font());
    CRadioGrouper radios(dialog);
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = factory ? factory(control, dialog) : nullptr;
        if (widget == nullptr) {
            widget = MakeStandard(control, dialog);
        }
        widget->setProperty(kIdProperty, control.id);
        if (control.id != kNoControlId) {
            widget->setObjectName(ControlName(control.id));
        }
        widget->setGeometry(PlaceOf(control, *widget, units));
        if (Has(control, ControlStyle::kInvisible)) {
            widget->hide();
        }
        radios.Add(control, *widget);
        if (auto* link = qobject_cast<CLinkLabel*>(widget)) {
            link->Attach();
        }
    }
    return units;
}

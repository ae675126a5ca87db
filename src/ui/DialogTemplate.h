#pragma once

#include <cstdint>
#include <span>

// A dialog described as data, the way the program's dialog resources describe it: the
// controls in template order with their ids, texts, places and sizes in dialog units, and
// the style bits the dialog relies on. `BuildControls` (DialogBuilder.h) makes the widgets.

enum class ControlKind {
    Label,         // static text
    Icon,          // the program's icon
    GroupBox,      // a frame with a title, drawn behind the controls that follow it
    Edit,          // one-line text box
    PushButton,    //
    CheckBox,      //
    RadioButton,   //
    DropDownList,  // combo box without an edit field; its height is that of its list
    DatePicker,    //
    TimePicker,    //
    ProgressBar,   //
    ListView,      // the report-style list of the main window
    Hyperlink,     // a static text turned into a link (CLinkLabel)
};

// Style bits of a control.
namespace ControlStyle {
inline constexpr uint32_t kNone = 0;
inline constexpr uint32_t kRightAligned = 1u << 0;   // text against the right edge
inline constexpr uint32_t kCentred = 1u << 1;        // text centred horizontally
inline constexpr uint32_t kCentreImage = 1u << 2;    // text centred vertically
inline constexpr uint32_t kPassword = 1u << 3;       // characters masked
inline constexpr uint32_t kDefaultButton = 1u << 4;  // pressed by Enter
inline constexpr uint32_t kGroup = 1u << 5;          // starts a group (radio buttons)
inline constexpr uint32_t kInvisible = 1u << 6;      //
inline constexpr uint32_t kLeftText = 1u << 7;       // button text left of its box
inline constexpr uint32_t kLongDate = 1u << 8;       // date picker in the long format
inline constexpr uint32_t kBorder = 1u << 9;         //
inline constexpr uint32_t kSingleSelection = 1u << 10;
inline constexpr uint32_t kShowSelectionAlways = 1u << 11;
inline constexpr uint32_t kSortAscending = 1u << 12;
inline constexpr uint32_t kEditLabels = 1u << 13;   // in-place editing of the first column
inline constexpr uint32_t kAcceptFiles = 1u << 14;  // files may be dropped on it
}  // namespace ControlStyle

// Style bits of a dialog.
namespace DialogStyle {
inline constexpr uint32_t kModalFrame = 0;          // fixed size, caption, system menu
inline constexpr uint32_t kSizingBorder = 1u << 0;  // resizable
inline constexpr uint32_t kMinMaxBoxes = 1u << 1;   // minimise and maximise boxes
}  // namespace DialogStyle

// Id of a control that code never addresses.
inline constexpr int kNoControlId = -1;

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;  // UTF-8; "$$..." texts are translated when the dialog opens
    int x;
    int y;
    int width;
    int height;
    uint32_t style = ControlStyle::kNone;
    std::span<const char* const> items = {};  // initial items of a drop-down list
};

struct DialogTemplate {
    int id;             // resource number, also the dialog's help number
    const char* title;  // UTF-8
    int width;          // client size in dialog units
    int height;
    uint32_t style;
    std::span<const ControlTemplate> controls;
};

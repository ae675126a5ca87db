// Dialog 129: the element editor.
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"

namespace {

using namespace ControlStyle;
using K = ControlKind;

constexpr const char* kSignalItems[] = {"$$Yes", "$$No"};
constexpr const char* kActionItems[] = {
    "$$Nothing, only prevent the user",
    "$$Copy the new file on the old",
    "$$Quick view of the new file",
    "$$Delete the old file",
    "$$Delete the new file",
};
constexpr uint32_t kRadio = kLeftText | kRightAligned;

constexpr ControlTemplate kControls[] = {
    {kNoControlId, K::Label, "$$Description", 13, 14, 111, 11},
    {IDC_DESCRIPTION, K::Edit, "", 132, 12, 246, 14},
    {IDC_ACTIVE, K::CheckBox, "$$&Active", 13, 30, 111, 8},
    {kNoControlId, K::GroupBox, "$$Remote copy to check", 7, 41, 381, 35},
    {kNoControlId, K::Label, "$$File name to check", 13, 54, 108, 11, kRightAligned},
    {IDC_COPY, K::Edit, "", 132, 52, 216, 13},
    {IDC_BROWSECOPY, K::PushButton, "$$...", 352, 52, 26, 13},
    {kNoControlId, K::GroupBox, "$$Local original", 7, 80, 381, 75},
    {IDC_ABSOLUTETIME, K::RadioButton, "$$Absolute time", 10, 88, 112, 14, kRadio | kGroup},
    {IDC_REFDATE, K::DatePicker, "", 132, 88, 131, 13, kLongDate},
    {IDC_REFTIME, K::TimePicker, "", 269, 88, 109, 13},
    {IDC_FILETIME, K::RadioButton, "$$File time", 10, 106, 112, 14, kRadio},
    {IDC_ORIGINAL, K::Edit, "", 132, 105, 217, 13},
    {IDC_BROWSEORIGINAL, K::PushButton, "$$...", 352, 105, 26, 13},
    {IDC_EXISTENCE, K::RadioButton, "$$Existence", 10, 123, 112, 14, kRadio},
    {IDC_DESTRUCTION, K::RadioButton, "$$Destruction", 10, 141, 112, 12, kRadio},
    {kNoControlId, K::Label, "", 0, 0, 0, 0, kInvisible | kGroup},
    {kNoControlId, K::GroupBox, "$$When doing the check", 7, 157, 381, 79},
    {IDC_ATTIME, K::RadioButton, "$$At time", 10, 165, 112, 14, kRadio | kGroup},
    {IDC_ATTIMEVALUE, K::TimePicker, "", 132, 165, 131, 13},
    {IDC_ATLAUNCH, K::RadioButton, "$$At launch", 10, 183, 112, 14, kRadio},
    {IDC_ONDEMAND, K::RadioButton, "$$Only on user demand", 10, 201, 112, 14, kRadio},
    {IDC_PERMANENT, K::RadioButton, "$$Permanent", 10, 219, 112, 14, kRadio},
    {kNoControlId, K::Label, "", 0, 0, 0, 0, kInvisible | kGroup},
    {kNoControlId, K::GroupBox, "$$What to do when a new version of the copy file is found", 7, 240,
     381, 33},
    {kNoControlId, K::Label, "$$Signal the arrival to the user", 13, 255, 106, 9, kRightAligned},
    {IDC_SIGNAL, K::DropDownList, "", 132, 253, 39, 56, kNone, kSignalItems},
    {kNoControlId, K::Label, "$$What to do ?", 175, 255, 72, 9, kRightAligned},
    {IDC_ACTION, K::DropDownList, "", 252, 253, 126, 69, kNone, kActionItems},
    {IDOK, K::PushButton, "$$Ok", 144, 276, 50, 14, kDefaultButton},
    {IDCANCEL, K::PushButton, "$$Cancel", 201, 276, 50, 14},
};

}  // namespace

const DialogTemplate kElementTemplate = {
    IDD_KELELEM, "$$Modify element", 395, 297, DialogStyle::kModalFrame, kControls,
};

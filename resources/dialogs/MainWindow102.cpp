// Dialog 102: the main window.
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"

namespace {

using namespace ControlStyle;
using K = ControlKind;

constexpr uint32_t kListStyle =
    kSingleSelection | kShowSelectionAlways | kSortAscending | kEditLabels | kBorder | kAcceptFiles;

constexpr ControlTemplate kControls[] = {
    {IDC_ELEMLIST, K::ListView, "", 7, 7, 344, 166, kListStyle},
    {IDC_NEW, K::PushButton, "$$New", 7, 180, 42, 14},
    {IDC_MODIFY, K::PushButton, "$$Modify", 55, 180, 42, 14},
    {IDC_DELETE, K::PushButton, "$$Delete", 103, 180, 42, 14},
    {IDC_CHECKNOW, K::PushButton, "$$Check now !", 151, 180, 42, 14},
    {IDOK, K::PushButton, "$$Save", 261, 180, 42, 14, kDefaultButton},
    {IDCANCEL, K::PushButton, "$$Quit", 309, 180, 42, 14},
    {IDC_REDUCE, K::PushButton, "$$Reduce", 213, 180, 42, 14},
};

}  // namespace

const DialogTemplate kMainWindowTemplate = {
    IDD_MORVANE, "Morvane", 358, 201, DialogStyle::kSizingBorder | DialogStyle::kMinMaxBoxes,
    kControls,
};

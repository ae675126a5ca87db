// Dialog 103: the transfer progress window.
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"

namespace {

using namespace ControlStyle;
using K = ControlKind;

constexpr ControlTemplate kControls[] = {
    {IDC_STATUS, K::Label, "", 7, 7, 284, 8},
    {IDC_PERCENT, K::Label, " 0 %", 139, 23, 18, 8},
    {IDC_PROGRESS, K::ProgressBar, "", 7, 34, 284, 13, kBorder},
    {IDCANCEL, K::PushButton, "$$Cancel", 123, 58, 50, 14, kDefaultButton},
};

}  // namespace

const DialogTemplate kTransferTemplate = {
    IDD_TRANSFER, "", 298, 79, DialogStyle::kModalFrame, kControls,
};

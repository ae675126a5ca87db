// Dialog 100: the about box.
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"

#include "MorvaneVersion.h"

namespace {

using namespace ControlStyle;
using K = ControlKind;

constexpr ControlTemplate kControls[] = {
    {kNoControlId, K::Icon, "", 11, 17, 20, 20},
    {kNoControlId, K::Label, "Morvane Version " MORVANE_VERSION, 40, 10, 119, 8},
    {IDOK, K::PushButton, "$$Ok", 176, 6, 32, 14, kDefaultButton | kGroup},
    {IDC_MAILLINK, K::Hyperlink, "", 40, 55, 168, 9},
    {IDC_WEBLINK, K::Hyperlink, "", 40, 70, 168, 9},
};

}  // namespace

const DialogTemplate kAboutTemplate = {
    IDD_ABOUTBOX, "$$About Morvane", 217, 124, DialogStyle::kModalFrame, kControls,
};

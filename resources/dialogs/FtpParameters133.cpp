// Dialog 133: the FTP parameters of an element.
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"

namespace {

using namespace ControlStyle;
using K = ControlKind;

constexpr ControlTemplate kControls[] = {
    {IDC_FTPUSERLABEL, K::Label, "$$User", 7, 10, 60, 8, kRightAligned},
    {IDC_FTPUSER, K::Edit, "", 72, 8, 107, 13},
    {IDC_FTPPASSWORDLABEL, K::Label, "$$Password", 7, 28, 60, 8, kRightAligned},
    {IDC_FTPPASSWORD, K::Edit, "", 72, 26, 107, 13, kPassword},
    {IDC_BINARYFILE, K::RadioButton, "$$Binary file", 72, 46, 107, 10, kGroup},
    {IDC_ASCIIFILE, K::RadioButton, "$$ASCII file", 72, 59, 107, 10},
    {IDOK, K::PushButton, "$$Ok", 37, 78, 50, 14, kDefaultButton | kGroup},
    {IDCANCEL, K::PushButton, "$$Cancel", 97, 78, 50, 14},
};

}  // namespace

const DialogTemplate kFtpParametersTemplate = {
    IDD_FTPPARAMETERS, "$$FTP parameters", 186, 99, DialogStyle::kModalFrame, kControls,
};

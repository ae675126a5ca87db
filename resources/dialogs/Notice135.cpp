// Dialog 135: the new-version notice. Its texts are not translated. The head line and the
// sentence of the action take the lines their texts need, the dialog growing with them.
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"

namespace {

using namespace ControlStyle;
using K = ControlKind;

constexpr ControlTemplate kControls[] = {
    {IDC_NOTICEICON, K::Icon, "", 10, 17, 20, 20},
    {IDC_NOTICEMESSAGE, K::Label, "A new version of", 40, 10, 277, 9, kCentred},
    {IDC_NOTICECOPY, K::Label, "nom du fichier", 40, 23, 277, 9, kCentred},
    {IDC_NOTICEACTION, K::Label, "", 40, 36, 277, 9, kCentred},
    {IDC_NOTICETIME, K::Label, "has been found ", 40, 49, 277, 9, kCentred},
    {IDOK, K::PushButton, "Ok", 145, 67, 32, 14, kDefaultButton},
};

}  // namespace

const DialogTemplate kNoticeTemplate = {
    IDD_NEWVERSION, "New version !!", 323, 87, DialogStyle::kModalFrame, kControls,
};

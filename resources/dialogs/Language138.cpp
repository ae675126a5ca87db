// Dialog 138: the choice of the interface language.
#include "ui/DialogTemplates.h"
#include "ui/ResourceIds.h"

namespace {

using namespace ControlStyle;
using K = ControlKind;

constexpr ControlTemplate kControls[] = {
    {IDOK, K::PushButton, "$$Ok", 37, 85, 50, 14, kDefaultButton},
    {IDCANCEL, K::PushButton, "$$Cancel", 97, 85, 50, 14},
    {IDC_LANGSYSTEM, K::RadioButton, "$$System dependant", 38, 9, 141, 17, kGroup},
    {IDC_LANGFRENCH, K::RadioButton, "$$French", 38, 27, 141, 17},
    {IDC_LANGENGLISH, K::RadioButton, "$$English", 38, 45, 141, 17},
    {kNoControlId, K::Label, "$$Your choice will be used at the next launch.", 7, 65, 172, 11,
     kCentred | kGroup},
};

}  // namespace

const DialogTemplate kLanguageTemplate = {
    IDD_CHOOSELANGUAGE, "$$Choose language", 186, 106, DialogStyle::kModalFrame, kControls,
};

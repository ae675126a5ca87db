#pragma once

#include "ui/DialogTemplate.h"

// The program's dialog resources (tables under resources/dialogs).
extern const DialogTemplate kAboutTemplate;          // 100
extern const DialogTemplate kMainWindowTemplate;     // 102
extern const DialogTemplate kTransferTemplate;       // 103
extern const DialogTemplate kElementTemplate;        // 129
extern const DialogTemplate kFtpParametersTemplate;  // 133
extern const DialogTemplate kNoticeTemplate;         // 135
extern const DialogTemplate kLanguageTemplate;       // 138

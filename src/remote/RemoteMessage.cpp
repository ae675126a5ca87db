#include "remote/RemoteMessage.h"

#include "i18n/MessageCatalogue.h"
#include "remote/TransferText.h"

RemoteMessage MakeRemoteMessage(RemoteBoxKind kind, const std::string& key, int code) {
    return {kind, key, FormatKeyText(key, code), code};
}

RemoteMessage MakeRemoteMessage(RemoteBoxKind kind, const std::string& key,
                                const std::string& argument) {
    return {kind, key, FormatKeyText(key, argument), 0};
}

void ShowRemoteMessage(const RemoteMessage& message, IMessageBoxes& boxes, BoxOwner owner) {
    switch (message.kind) {
        case RemoteBoxKind::Error:
            ShowErrorText(boxes, message.text, owner);
            break;
        case RemoteBoxKind::FtpConnection:
            boxes.ShowBox(message.text, Lookup("IDS_ERR_CONNECTFTP"), BoxIcon::Error,
                          BoxButtons::Ok, owner);
            break;
        case RemoteBoxKind::SftpConnection:
            boxes.ShowBox(message.text, Lookup("IDS_ERR_CONNECTSFTP"), BoxIcon::Error,
                          BoxButtons::Ok, owner);
            break;
        case RemoteBoxKind::Warning:
            boxes.ShowBox(message.text, Lookup("IDS_WARNING"), BoxIcon::Exclamation, BoxButtons::Ok,
                          owner);
            break;
        case RemoteBoxKind::Application:
            boxes.ShowAppBox(message.text, BoxIcon::Exclamation, BoxButtons::Ok);
            break;
    }
}

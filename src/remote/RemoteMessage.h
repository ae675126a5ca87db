#pragma once

#include <string>

#include "i18n/MessageBoxes.h"

// Which box a remote message goes in: its caption and icon.
enum class RemoteBoxKind {
    Error,           // caption "ERROR", error icon
    FtpConnection,   // caption "FTP connection error", error icon
    SftpConnection,  // caption "SFTP connection error", error icon
    Warning,         // caption "Warning", exclamation icon: a server that may be an impostor
    Application,     // the application's title as caption, exclamation icon
};

// Something a probe or a download has to tell the user, as a value. Probes and download
// workers only build it; the caller shows it on the user-interface thread.
struct RemoteMessage {
    RemoteBoxKind kind = RemoteBoxKind::Error;
    std::string key;   // catalogue key of the text; empty for a description from libcurl
    std::string text;  // the text as shown: the key's text with its argument filled in
    int code = 0;      // the number the text carries (libcurl code, HTTP status), else 0
};

RemoteMessage MakeRemoteMessage(RemoteBoxKind kind, const std::string& key, int code);
RemoteMessage MakeRemoteMessage(RemoteBoxKind kind, const std::string& key,
                                const std::string& argument);

// Shows the message in its box. The application's box is always owned by the boxes'
// main window; `owner` applies to the others.
void ShowRemoteMessage(const RemoteMessage& message, IMessageBoxes& boxes, BoxOwner owner);

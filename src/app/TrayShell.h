#pragma once

#include <string>

// The desktop's notification area as the tray icon reaches it: add, change and remove
// the program's icon. The program uses QSystemTrayIcon; tests count the calls.
class ITrayShell {
public:
    virtual ~ITrayShell() = default;
    // False on a desktop without a notification area.
    virtual bool IsAvailable() const = 0;
    virtual bool Add() = 0;
    virtual bool Modify() = 0;
    virtual bool Delete() = 0;
    // While elements are failing, `text` says so as the icon's tooltip and the icon carries a
    // warning mark; with an empty text, no tooltip and the plain icon.
    virtual void ShowFailures(const std::string& text) = 0;
};

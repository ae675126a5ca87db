#pragma once

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
};

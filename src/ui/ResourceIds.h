#pragma once

// Numbers of the dialog resources and of the controls that code addresses.

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MORVANE = 102;
inline constexpr int IDD_TRANSFER = 103;
inline constexpr int IDD_KELELEM = 129;
inline constexpr int IDD_FTPPARAMETERS = 133;
inline constexpr int IDD_NEWVERSION = 135;
inline constexpr int IDD_CHOOSELANGUAGE = 138;

// The program's icon and the notification-area menu; the tray icon answers to this number.
inline constexpr int IDR_TRAYICON = 131;

// The ids of a dialog's Ok and Cancel buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// About box.
inline constexpr int IDC_MAILLINK = 1008;
inline constexpr int IDC_WEBLINK = 1009;

// Main window.
inline constexpr int IDC_ELEMLIST = 1000;
inline constexpr int IDC_NEW = 1001;
inline constexpr int IDC_MODIFY = 1002;
inline constexpr int IDC_DELETE = 1003;
inline constexpr int IDC_CHECKNOW = 1004;
inline constexpr int IDC_REDUCE = 3;

// Transfer progress window.
inline constexpr int IDC_PROGRESS = 1003;
inline constexpr int IDC_PERCENT = 1004;
inline constexpr int IDC_STATUS = 1005;

// Element editor.
inline constexpr int IDC_ABSOLUTETIME = 1002;
inline constexpr int IDC_ATTIME = 1003;
inline constexpr int IDC_REFDATE = 1004;
inline constexpr int IDC_REFTIME = 1006;
inline constexpr int IDC_FILETIME = 1007;
inline constexpr int IDC_ORIGINAL = 1008;
inline constexpr int IDC_EXISTENCE = 1009;
inline constexpr int IDC_BROWSEORIGINAL = 1010;
inline constexpr int IDC_COPY = 1011;
inline constexpr int IDC_BROWSECOPY = 1012;
inline constexpr int IDC_SIGNAL = 1013;
inline constexpr int IDC_ACTION = 1014;
inline constexpr int IDC_DESCRIPTION = 1015;
inline constexpr int IDC_ACTIVE = 1016;
inline constexpr int IDC_ATTIMEVALUE = 1017;
inline constexpr int IDC_ATLAUNCH = 1018;
inline constexpr int IDC_PERMANENT = 1019;
inline constexpr int IDC_DESTRUCTION = 1020;
inline constexpr int IDC_ONDEMAND = 1021;

// FTP parameters.
inline constexpr int IDC_FTPUSER = 1017;
inline constexpr int IDC_FTPPASSWORD = 1018;
inline constexpr int IDC_BINARYFILE = 1019;
inline constexpr int IDC_ASCIIFILE = 1020;
inline constexpr int IDC_FTPUSERLABEL = 1026;
inline constexpr int IDC_FTPPASSWORDLABEL = 1027;

// New-version notice.
inline constexpr int IDC_NOTICEMESSAGE = 152;
inline constexpr int IDC_NOTICEICON = 153;
inline constexpr int IDC_NOTICECOPY = 1021;
inline constexpr int IDC_NOTICEACTION = 1022;
inline constexpr int IDC_NOTICETIME = 1023;

// Language choice.
inline constexpr int IDC_LANGSYSTEM = 1028;
inline constexpr int IDC_LANGFRENCH = 1029;
inline constexpr int IDC_LANGENGLISH = 1030;

#pragma once

#include <cstdint>
#include <string>

// Seconds since 1970-01-01 00:00:00 UTC; -1 means "never". 64-bit, so that the clock runs on
// past 2038: only the database file keeps the signed 32-bit field (see ElemArchive).
using TimeValue = int64_t;

enum CheckMode : int32_t {
    CHECK_ABSOLUTE_TIME = 0,
    CHECK_FILE_TIME = 1,
    CHECK_EXISTENCE = 2,
    CHECK_DESTRUCTION = 3,
};

enum WhenMode : int32_t {
    WHEN_AT_TIME = 0,
    WHEN_AT_LAUNCH = 1,
    WHEN_ON_DEMAND = 2,
    WHEN_PERMANENT = 3,
};

enum Action : int32_t {
    ACTION_NOTHING = 0,
    ACTION_COPY_NEW = 1,
    ACTION_VIEW_NEW = 2,
    ACTION_DELETE_OLD = 3,
    ACTION_DELETE_NEW = 4,
};

enum ElemState : int32_t {
    STATE_NOT_CHECKED = 0,
    STATE_NO_NEW_VERSION = 1,
    STATE_NEW_VERSION = 2,
    STATE_NO_INTERNET = 3,
};

// The catalogue key of the text that shows an element's state, in the list and in mvntool.
// A value that no check gives (a damaged list) shows as "Not checked.": there is no result
// of a check to show.
inline const char* StateKey(int32_t state) {
    switch (state) {
        case STATE_NO_NEW_VERSION:
            return "IDS_NONEWVERSION";
        case STATE_NEW_VERSION:
            return "IDS_NEWVERSION";
        case STATE_NO_INTERNET:
            return "IDS_NOINTERNET";
        default:
            return "IDS_NOTCHECKED";
    }
}

// One entry of the watch list. The fields are public; the file stores them in the order of
// ElemArchive, while here they are grouped by size so that no padding lies between them (a
// list holds one of these per element). Enumerated fields stay plain integers because a
// file may hold any value.
//
// A new element starts active, never checked, and with both times at 0; the main window's
// New command stamps the two times with the current time before the editor shows them.
class CKelElem {
public:
    std::string m_strDescription;
    std::string m_strOriginal;
    std::string m_strCopy;
    std::string m_strFtpUser = "anonymous";
    std::string m_strFtpPassword;
    TimeValue m_timeReference = 0;
    TimeValue m_timeLastAccess = -1;
    TimeValue m_timeAtTime = 0;
    int32_t m_nCheckMode = CHECK_EXISTENCE;
    int32_t m_bSignal = 1;
    int32_t m_nAction = ACTION_COPY_NEW;
    int32_t m_bActive = 1;
    int32_t m_nState = STATE_NOT_CHECKED;
    int32_t m_nWhen = WHEN_AT_LAUNCH;
    int32_t m_bFtpBinary = 1;

    bool operator==(const CKelElem&) const = default;
};

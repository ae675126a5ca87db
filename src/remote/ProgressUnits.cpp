#include "remote/ProgressUnits.h"

#include <algorithm>
#include <limits>

bool CProgressUnits::Add(size_t size) {
    m_nReceived += static_cast<int64_t>(size);
    while (m_nReceived - m_nShown >= kTransferUnit) {
        m_nShown += kTransferUnit;
        if (!m_step(m_nShown)) {
            return false;
        }
    }
    return true;
}

void CProgressUnits::Finish(bool emptyReadAfter) {
    const bool shortUnit = m_nReceived > m_nShown;
    m_nShown = m_nReceived;
    if (m_step(m_nShown) && shortUnit && emptyReadAfter) {
        m_step(m_nShown);
    }
}

int ProgressShift(int64_t size) {
    int shift = 0;
    while ((size >> shift) > std::numeric_limits<int32_t>::max()) {
        ++shift;
    }
    return shift;
}

int32_t ToWindowValue(int64_t value, int shift) {
    return static_cast<int32_t>(
        std::min<int64_t>(value >> shift, std::numeric_limits<int32_t>::max()));
}

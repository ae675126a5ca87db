#pragma once

#include "core/CheckEnvironment.h"

// The application's wait cursor, shown over every window while a probe runs.
class CQtWaitCursor : public IWaitCursor {
public:
    void Begin() override;
    void End() override;
};

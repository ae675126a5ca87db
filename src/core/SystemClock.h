#pragma once

#include "core/CheckEnvironment.h"

// The system's clock, in whole seconds.
class CSystemClock : public IClock {
public:
    TimeValue Now() const override;
};

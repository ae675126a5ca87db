#pragma once

#include "core/CheckEnvironment.h"

// The user's freedesktop trash.
class CQtTrash : public ITrash {
public:
    bool MoveToTrash(const std::string& path) override;
};

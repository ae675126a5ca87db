#pragma once

#include "core/KelElem.h"

#include <memory>
#include <vector>

// The watch list: the elements in file order, owned by the list.
using ElemList = std::vector<std::unique_ptr<CKelElem>>;

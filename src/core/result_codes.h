// The run's outcome: one of the outcome codes of core/product.h.
#pragma once

#include <cstdint>

#include "core/product.h"

// Process-wide result of the run; the entry sets SETUP_E_DEFAULT before start-up.
extern std::int32_t setupResult;


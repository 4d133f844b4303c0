#include "core/result_codes.h"

std::int32_t setupResult = SETUP_E_DEFAULT;

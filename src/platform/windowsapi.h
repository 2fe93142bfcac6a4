#pragma once

// <windows.h> for the few places that call the system directly, without its
// min and max macros, which would break std::min and std::max.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

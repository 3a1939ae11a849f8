// The public records as the library's own code sees them: the host's header
// (without the import declarations) and the lists built of them.
#pragma once

#ifndef TALLOWICK_API
#define TALLOWICK_API
#endif
#include "tallowick.h"

#include "core/lists.h"

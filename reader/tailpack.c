/* libtailpack: the reader of tailpack.h compiled once, as a shared and as a static library. */
#define TAILPACK_IMPLEMENTATION
#include "tailpack.h"

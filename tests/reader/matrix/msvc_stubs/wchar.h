/* wchar_t comes with <stddef.h>: enough for tailpack.h's syntax check in clang's MSVC mode. */
#include <stddef.h>

/* The few declarations of <string.h> that tailpack.h uses, for a syntax check in clang's MSVC mode
 * where no Windows SDK is installed. */
#include <stddef.h>
void *memcpy(void *, const void *, size_t);
void *memset(void *, int, size_t);
int memcmp(const void *, const void *, size_t);
void *memchr(const void *, int, size_t);
size_t strlen(const char *);

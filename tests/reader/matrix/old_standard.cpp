// Compiled as C++14: the C++ layer must stop with its one message naming the standard it needs.
#include "reader/tailpack_reader.h"

int main() { return 0; }

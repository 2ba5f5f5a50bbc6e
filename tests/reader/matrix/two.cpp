// The second file of the matrix program (see one.cpp).
#include "reader/tailpack_reader.h"

std::size_t CountOwnChunks() { return tailpack::ListChunks(tailpack::SelfPath().path).chunks.size(); }

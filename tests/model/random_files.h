#pragma once
// Random Tailpack files from a seed, for tests that compare implementations over many shapes:
// bodies that hold or end with the marker, chunks whose data holds the marker or whole fake
// trailers, lower-case length digits, short and odd kinds, empty chunks, damaged trailers and
// files cut short. The same seed gives the same file on every platform.
#include <cstdint>
#include <string>
#include <vector>

namespace randomfiles {

// A small generator with a fixed algorithm (splitmix64), so that files do not depend on the
// standard library in use.
struct Rng {
  std::uint64_t state;
  std::uint64_t Next();
  std::uint64_t Below(std::uint64_t n);  // 0 .. n-1; 0 when n is 0
  bool Percent(int p);                   // true p times in a hundred
};

struct GeneratedChunk {
  std::string kindField;  // the 3 bytes written as kind
  std::string data;
};

struct RandomFile {
  std::string body;                    // the executable's own bytes
  std::vector<GeneratedChunk> chunks;  // as appended, oldest first
  std::string bytes;                   // the whole file
  bool intact = true;  // false when damage was done: then only bytes describe the file
  std::size_t inFront = 0;  // signed files: how many of chunks stand in front of the certificate table
  std::string notes;   // what was generated, for failure messages
};

struct RandomFileShape {
  std::uint64_t maxBody = 160;
  std::uint64_t maxChunks = 5;
  std::uint64_t maxData = 80;
  int damagePercent = 25;  // share of files that get one or more kinds of damage
};

RandomFile MakeRandomFile(std::uint64_t seed, const RandomFileShape& shape = {});

// A signed executable (tests/model/random_signed.cpp): body is the PE image, chunks those in front
// of the certificate table and then those inside it, oldest first, as a walk lists them.
RandomFile MakeRandomSignedFile(std::uint64_t seed);

// A kind of 3 characters from A-Z and 0-9, as the add dialog allows.
std::string RandomKind(Rng& rng);
// Random data of the given length, sometimes text, sometimes binary, sometimes holding the marker.
std::string RandomData(Rng& rng, std::uint64_t length);

}  // namespace randomfiles

#include "tests/model/random_files.h"

namespace randomfiles {
namespace {

const std::string kMarker = "{TlPk}";

std::string Hex8(std::uint64_t n, bool lower) {
  const char* digits = lower ? "0123456789abcdef" : "0123456789ABCDEF";
  std::string out(8, '0');
  for (int i = 7; i >= 0; --i, n >>= 4) out[i] = digits[n & 15];
  return out;
}

char Pick(Rng& rng, const std::string& alphabet) { return alphabet[rng.Below(alphabet.size())]; }

// Kinds the add dialog never makes but the format stores: short ones padded with spaces, lower
// case, a NUL, marker characters.
std::string OddKind(Rng& rng) {
  static const std::vector<std::string> kOdd = {"   ", "  A", " AB", "ab1", std::string("A\0B", 3),
                                                 std::string("\0\0\0", 3), "Pk}", "{Tl", "\xff\x80 "};
  return kOdd[rng.Below(kOdd.size())];
}

// A length field that no longer matches its data.
std::string DamagedLengthField(Rng& rng, std::uint64_t length, std::string& note) {
  switch (rng.Below(5)) {
    case 0: note += " len=FFFFFFFF"; return "FFFFFFFF";
    case 1: note += " len=nonhex"; return Pick(rng, "0123") + std::string("zz") + Hex8(length, false).substr(3);
    case 2: note += " len+1"; return Hex8(length + 1, false);
    case 3: note += " len-1"; return Hex8(length == 0 ? 0 : length - 1, false);
    default: note += " len=marker"; return "00" + kMarker;  // parses as 0, ends with the marker
  }
}

}  // namespace

std::uint64_t Rng::Next() {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t Rng::Below(std::uint64_t n) { return n == 0 ? 0 : Next() % n; }

bool Rng::Percent(int p) { return static_cast<int>(Below(100)) < p; }

std::string RandomKind(Rng& rng) {
  static const std::string kAllowed = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  return {Pick(rng, kAllowed), Pick(rng, kAllowed), Pick(rng, kAllowed)};
}

std::string RandomData(Rng& rng, std::uint64_t length) {
  std::string data;
  data.reserve(length);
  switch (rng.Below(3)) {
    case 0:  // text: no zero byte
      for (std::uint64_t i = 0; i < length; ++i) data += Pick(rng, "abc xyz\t\r\n{}TlPk0123456789\xe9");
      break;
    case 1:  // binary
      for (std::uint64_t i = 0; i < length; ++i) data += static_cast<char>(rng.Below(256));
      break;
    default:  // text with fragments of trailers inside
      while (data.size() < length) {
        static const std::vector<std::string> kPieces = {kMarker, "0000000AABC{TlPk}", "hello ",
                                                         "00000003 AB{TlPk}", std::string(1, '\0')};
        data += kPieces[rng.Below(kPieces.size())];
      }
      data.resize(length);
  }
  return data;
}

RandomFile MakeRandomFile(std::uint64_t seed, const RandomFileShape& shape) {
  Rng rng{seed * 0x2545F4914F6CDD1Dull + 1};
  RandomFile file;
  file.body = RandomData(rng, rng.Below(shape.maxBody + 1));
  if (rng.Percent(5)) file.body += kMarker;  // an executable that itself ends with the marker
  bool damage = rng.Percent(shape.damagePercent);
  std::string note = "body=" + std::to_string(file.body.size());
  file.bytes = file.body;
  std::uint64_t count = rng.Below(shape.maxChunks + 1);
  for (std::uint64_t i = 0; i < count; ++i) {
    GeneratedChunk chunk;
    std::uint64_t length = rng.Percent(15) ? 0 : rng.Below(shape.maxData + 1);
    chunk.data = RandomData(rng, length);
    chunk.kindField = rng.Percent(20) ? OddKind(rng) : RandomKind(rng);
    std::string lengthField = Hex8(length, rng.Percent(30));
    note += " [" + std::to_string(length) + "]";
    if (damage && rng.Percent(40)) {
      lengthField = DamagedLengthField(rng, length, note);
      file.intact = false;
    }
    file.bytes += chunk.data + lengthField + chunk.kindField + kMarker;
    file.chunks.push_back(std::move(chunk));
  }
  if (damage && rng.Percent(30)) {  // cut short, or junk behind the last marker
    std::uint64_t n = rng.Below(20) + 1;
    if (rng.Percent(50)) {
      file.bytes.resize(n >= file.bytes.size() ? 0 : file.bytes.size() - n);
      note += " cut=" + std::to_string(n);
    } else {
      file.bytes += "xx" + kMarker.substr(0, rng.Below(6));
      note += " junk";
    }
    file.intact = false;
  }
  if (damage && rng.Percent(10)) {  // a file too short to hold a trailer, ending with the marker
    file.bytes = std::string(rng.Below(11), 'F') + kMarker;
    note += " tiny";
    file.intact = false;
  }
  if (file.body.size() >= kMarker.size() &&
      file.body.compare(file.body.size() - kMarker.size(), kMarker.size(), kMarker) == 0) {
    file.intact = false;  // the body's own marker is read as a trailer
  }
  file.notes = "seed " + std::to_string(seed) + ": " + note;
  return file;
}

}  // namespace randomfiles

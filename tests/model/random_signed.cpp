// Random signed executables: a PE image, chunks added before signing, the alignment padding and a
// certificate table whose signature blob has no signer, a signer without the chunk attribute (both
// with chunks behind the blob, as older files hold them) or a signer whose chunk attribute holds
// the chunks; a quarter of them with a header or a chunk that lies.
#include "tests/model/random_files.h"
#include "tests/support/pe_image.h"

namespace randomfiles {
namespace {

const std::string kMarker = "{TlPk}";

std::string Hex8(std::uint64_t n) {
  std::string out(8, '0');
  for (int i = 7; i >= 0; --i, n >>= 4) out[i] = "0123456789ABCDEF"[n & 15];
  return out;
}

std::string Zeros(std::uint64_t n) { return std::string(n, '\0'); }
std::uint64_t ToEight(std::uint64_t n) { return (8 - n % 8) % 8; }

GeneratedChunk NewChunk(Rng& rng) { return {RandomKind(rng), RandomData(rng, rng.Below(41))}; }
std::string Bytes(const GeneratedChunk& c) { return c.data + Hex8(c.data.size()) + c.kindField + kMarker; }

// The signature blob and what stands behind it in the certificate entry: chunks behind the blob
// each come with the zero bytes that make them a multiple of 8 long, chunks in the attribute
// behind the zero bytes that make the blob one.
std::string Entry(Rng& rng, int layout, const std::vector<GeneratedChunk>& inside, std::string& note) {
  std::string chunks, blob;
  for (const GeneratedChunk& c : inside) chunks += (layout == 2 ? "" : Zeros(ToEight(Bytes(c).size()))) + Bytes(c);
  const std::size_t filler = rng.Percent(20) ? 200 + rng.Below(300) : rng.Below(60);
  note += " layout=" + std::to_string(layout) + " filler=" + std::to_string(filler);
  if (layout == 0) blob = pe_image::Der(0x30, std::string(filler, 'Z'));
  if (layout == 1) blob = pe_image::SignerBlob(filler, 1, "");
  for (std::size_t zeros = 0; layout == 2 && (zeros == 0 || blob.size() % 8 != 0); ++zeros)
    blob = pe_image::SignerBlob(filler, 2, Zeros(zeros) + chunks);
  std::string entry = pe_image::CertificateEntry(blob);
  if (layout != 2) entry += chunks;
  pe_image::Put(entry, 0, static_cast<std::uint32_t>(entry.size()), 4);
  return entry;
}

// One way a signed file lies, or a chunk in it is damaged.
void Damage(Rng& rng, std::string& bytes, bool plus, std::uint64_t tableAt, std::string& note) {
  const std::uint64_t size = bytes.size() - tableAt;
  switch (rng.Below(7)) {
    case 0: note += " misaligned"; bytes.insert(tableAt, 1, '\0'); pe_image::SetSecurityDirectory(bytes, plus, tableAt + 1, size); break;
    case 1: note += " dwLength"; pe_image::Put(bytes, tableAt, static_cast<std::uint32_t>(size - 8), 4); break;
    case 2: note += " type"; pe_image::Put(bytes, tableAt + 6, 1, 2); break;
    case 3: note += " beyond"; pe_image::SetSecurityDirectory(bytes, plus, tableAt, size + 8); break;
    case 4: note += " behind"; bytes += "data" + Hex8(4) + "NEW" + kMarker; break;
    case 5: note += " cut"; bytes.resize(bytes.size() - 1 - rng.Below(8)); break;
    default: note += " length"; bytes[bytes.size() - 17] = 'F'; break;  // the newest length field
  }
}

}  // namespace

RandomFile MakeRandomSignedFile(std::uint64_t seed) {
  Rng rng{seed * 0x9E3779B97F4A7C15ull + 7};
  RandomFile file;
  const bool plus = rng.Percent(50);
  file.body = pe_image::MinimalPe(plus) + RandomData(rng, rng.Below(64));
  std::string note = std::string(plus ? "PE32+" : "PE32") + " body=" + std::to_string(file.body.size());
  std::vector<GeneratedChunk> front(rng.Below(4)), inside(rng.Below(4));
  for (GeneratedChunk& c : front) c = NewChunk(rng);
  for (GeneratedChunk& c : inside) c = NewChunk(rng);
  note += " front=" + std::to_string(front.size()) + " inside=" + std::to_string(inside.size());
  file.bytes = file.body;
  for (const GeneratedChunk& c : front) file.bytes += Bytes(c);
  file.bytes += Zeros(ToEight(file.bytes.size()));
  const std::uint64_t tableAt = file.bytes.size();
  const std::string entry = Entry(rng, static_cast<int>(rng.Below(3)), inside, note);
  pe_image::SetSecurityDirectory(file.bytes, plus, tableAt, entry.size());
  file.bytes += entry;
  file.chunks = front;
  file.inFront = front.size();
  file.chunks.insert(file.chunks.end(), inside.begin(), inside.end());
  if (rng.Percent(25)) {
    Damage(rng, file.bytes, plus, tableAt, note);
    file.intact = false;
  }
  if (file.body.size() >= kMarker.size() && file.body.compare(file.body.size() - kMarker.size(), kMarker.size(), kMarker) == 0)
    file.intact = false;  // the body's own marker is read as a trailer
  file.notes = "signed seed " + std::to_string(seed) + ": " + note;
  return file;
}

}  // namespace randomfiles

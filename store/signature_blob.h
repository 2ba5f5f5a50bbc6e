#pragma once
// Chunks inside a signature blob. In a signed executable whose certificate table holds chunks, the
// chunks go into an unauthenticated attribute of the blob's last signer, its last attribute
// (tailpack.h names its OID), whose OCTET STRING value holds zero padding and then the chunks.
// That attribute, the signer, its SET, the SignedData and the ContentInfo all end with the blob,
// and the blob ends the file: a walk back from the end finds the chunks as before. The padding
// makes the blob a multiple of 8 long, so nothing stands behind it in the certificate entry and
// the strict certificate padding check holds. Every enclosing DER length is written anew, the
// certificate entry's dwLength and the security directory's size follow. The signature hashes
// neither the table nor unauthenticated attributes, so it stays valid.
//
// Older files hold their chunks behind the blob, in the table's padding; the next edit moves them
// into the blob, in order.
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/status.h"
#include "store/splice.h"
#include "store/walk.h"

// The blob of a certificate table that holds chunks, as far as edits inside it need to know.
struct SignerBlob {
  tp_signer_chain chain{};
  std::uint64_t payloadAt = 0;  // where the chunks inside the table begin (the oldest one's data), or the file's size
};

// Finds the signer chain of table's blob and where its chunks begin. False in *usable when the
// blob's shape does not let chunks go inside it.
Status FindSignerBlob(const tp_source& source, const tp_certificate_table& table, SignerBlob& blob, bool& usable);

// The splices that make the table end with the blob holding `payload` bytes of chunks: those of
// the file from blob.payloadAt on, changed by the caller's splices there, then anything the
// caller writes behind the end of the file. With no payload left the chunk attribute goes (and
// the unauthenticated attributes with it when it was their only one), and zero bytes pad the
// table to a multiple of 8 again. False when the table could not hold that much. relies gets the
// ranges of the file the splices patch.
bool PlanSignerBlob(const tp_source& source, const tp_certificate_table& table, const SignerBlob& blob,
                    std::uint64_t payload, std::vector<Splice>& splices,
                    std::vector<std::pair<std::uint64_t, std::uint64_t>>& relies);

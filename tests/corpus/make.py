#!/usr/bin/env python3
"""Writes the corpus files into a folder: one small file per case of docs/FORMAT.md (and one over
4 GiB, sparse), each built here byte by byte. The small ones are stored beside this script as
<case>.exe, with the listing each must give as <case>.json. Usage: make.py FOLDER [CASE...]"""

import os
import sys

MARKER = b"{TlPk}"
PE_AT = 0x80
BIG_BODY = (5 << 30) + 3  # the sparse file's body: chunks beyond 4 GiB


def chunk(kind, data):
    """data, its length as 8 upper-case hexadecimal digits, the kind right-aligned, the marker."""
    return data + b"%08X" % len(data) + kind.rjust(3, b" ") + MARKER


def le(value, size):
    return value.to_bytes(size, "little")


def put(image, at, raw):
    image[at:at + len(raw)] = raw


# A PE image of 512 bytes: DOS header, "PE\0\0", file header, an optional header (PE32+ of 240
# bytes, PE32 of 224) with 16 empty data directories. The headers end at 0x198 or 0x188.
def pe_image(plus=True):
    image = bytearray(512)
    put(image, 0, b"MZ")
    put(image, 0x3C, le(PE_AT, 4))
    put(image, PE_AT, b"PE\0\0" + le(0x8664, 2))
    put(image, PE_AT + 20, le(240 if plus else 224, 2))
    optional = PE_AT + 24
    put(image, optional, le(0x20B if plus else 0x10B, 2))
    put(image, optional + (108 if plus else 92), le(16, 4))
    return image


def set_security_directory(image, plus, address, size):
    put(image, PE_AT + 24 + (108 if plus else 92) + 36, le(address, 4) + le(size, 4))


def der(tag, contents):
    """A DER element with its length in the shortest form."""
    n = len(contents)
    if n < 0x80:
        return bytes([tag, n]) + contents
    digits = n.to_bytes((n.bit_length() + 7) // 8, "big")
    return bytes([tag, 0x80 | len(digits)]) + digits + contents


OID_SIGNED_DATA = der(0x06, bytes.fromhex("2a864886f70d010702"))
OID_CHUNKS = der(0x06, bytes.fromhex("2b0601040182cf29010201"))  # 1.3.6.1.4.1.42921.1.2.1
OID_NESTED = der(0x06, bytes.fromhex("2b060104018237020401"))  # 1.3.6.1.4.1.311.2.4.1
OID_COUNTERSIGNATURE = der(0x06, bytes.fromhex("2a864886f70d010906"))  # 1.2.840.113549.1.9.6


def attribute(oid, value):
    return der(0x30, oid + der(0x31, value))


def chunk_attribute(inside):
    return attribute(OID_CHUNKS, der(0x04, inside))


def signature_blob(filler, attributes=None):
    """ContentInfo { signedData, [0] SignedData { version, digests, certificates [0], signerInfos
    { SignerInfo { version, filler, [1] attributes } } } }; no [1] when attributes is None."""
    signer = der(0x02, b"\x01") + der(0x04, b"s" * filler)
    if attributes is not None:
        signer += der(0xA1, b"".join(attributes))
    signed = der(0x02, b"\x01") + der(0x31, b"") + der(0xA0, b"certificates") + der(0x31, der(0x30, signer))
    return der(0x30, OID_SIGNED_DATA + der(0xA0, der(0x30, signed)))


def aligned(blob_of):
    """blob_of(zeros) for as many zero bytes as make the blob a multiple of 8 long."""
    for zeros in range(64):
        blob = blob_of(bytes(zeros))
        if len(blob) % 8 == 0:
            return blob
    raise AssertionError("no padding fits")


def blob_with_chunks(filler, chunks, before=()):
    """A blob whose last signer's last attribute holds the chunks behind zero bytes that make the
    blob a multiple of 8 long."""
    return aligned(lambda zeros: signature_blob(filler, list(before) + [chunk_attribute(zeros + chunks)]))


def certificate_entry(blob, behind=b""):
    """WIN_CERTIFICATE (dwLength, revision 0x0200, type 2: PKCS#7 signed data), the blob, zero
    bytes up to a multiple of 8, and what stands behind them (a multiple of 8 long)."""
    entry = bytearray(le(0, 4) + le(0x0200, 2) + le(2, 2) + blob)
    entry += bytes(-len(entry) % 8) + behind
    put(entry, 0, le(len(entry), 4))
    return bytes(entry)


def signed(entry, front=b"", padding=None, plus=True, body=b""):
    """A PE image, its own bytes, the chunks added before signing, zero bytes up to a multiple of
    8 (or `padding` of them) and the certificate table."""
    image = pe_image(plus) + body + front
    image += bytes(-len(image) % 8 if padding is None else padding)
    set_security_directory(image, plus, len(image), len(entry))
    return image + entry


def behind_blob(chunks):
    """Chunks behind the blob as 0.2.0 wrote them: each with the zero bytes in front that make it a
    multiple of 8 long."""
    return b"".join(bytes(-len(c) % 8) + c for c in chunks)


BODY = b"MZ" + b"\x90" * 30 + b"This program carries a Tailpack." + b"\0" * 4
FRONT = chunk(b"CFG", b"volume=7") + chunk(b"BIN", b"\0\1\2{TlPk}")
INSIDE = chunk(b"LIC", b"licence text") + chunk(b"MSG", b"added after signing")


def plain_cases():
    return {
        "empty": b"",
        "no-chunks": BODY,
        "plain": BODY + chunk(b"TXT", b"hello"),
        "three-chunks": BODY + chunk(b"TXT", b"old") + chunk(b"PNG", b"\x89PNG\r\n\x1a\n\0\0") + chunk(b"TXT", b"new"),
        "empty-chunk": BODY + chunk(b"NIL", b"") + chunk(b"TXT", b"after the empty one"),
        "lower-case-length": BODY + b"twenty-six bytes of data!!" + b"0000001a" + b"LOW" + MARKER,
        "short-kinds": BODY + chunk(b"AB", b"two") + chunk(b"C", b"one") + b"xyz00000003AB " + MARKER,
        "nul-in-kind": BODY + chunk(b"A\0B", b"cut at the NUL") + chunk(b"\0XY", b"empty kind"),
        "kinds-control": BODY + chunk(b"\t\n\x1b", b"controls") + chunk(b'"\\x', b"quote") + chunk(b"A\x7f\x01", b"del"),
        "kinds-utf8": BODY + chunk("éA".encode(), b"two bytes") + chunk("€".encode(), b"three") + chunk(b"\xc2\x85Z", b"C1"),
        "kinds-invalid-utf8": BODY + chunk(b"\xff\xfeA", b"ff fe") + chunk(b"\xe2\x82A", b"cut short") +
        chunk(b"\xc0\x80A", b"overlong") + chunk(b"\xed\xa0\x80", b"surrogate") + chunk(b"A\xc3", b"last"),
        "marker-in-data": BODY + chunk(b"TXT", b"a {TlPk} in the data") + chunk(b"FAK", b"fake" + chunk(b"NOT", b"inner")),
        "body-ends-with-marker": b"MZ a program whose own bytes end with the marker " + MARKER,
        "tiny": b"AB" + MARKER,
        "damaged-length": BODY + chunk(b"OLD", b"never found") + b"FFFFFFFFBAD" + MARKER,
        # The damaged chunk's length field ends with the marker: the walk goes on in front of it.
        "damaged-goes-on": BODY[:8] + chunk(b"AFF", b"x") + b"ZZZ" + MARKER,
    }


def signed_cases():
    blob = signature_blob(40, [attribute(OID_COUNTERSIGNATURE, der(0x30, b"timestamp"))])
    nested = attribute(OID_NESTED, blob_with_chunks(20, chunk(b"INN", b"inner signature")))
    inside = certificate_entry(blob_with_chunks(300, INSIDE))
    cases = {
        "signed-no-chunks": signed(certificate_entry(blob)),
        "signed-inside": signed(inside),
        "signed-front": signed(certificate_entry(blob), front=FRONT, plus=False),
        "signed-front-and-inside": signed(certificate_entry(blob_with_chunks(30, INSIDE)), front=FRONT),
        # 8 zero bytes between the chunks and the table: more than alignment needs, so none are found.
        "signed-front-far": signed(certificate_entry(blob), front=FRONT, padding=8, body=b"\x90" * 5),
        "signed-behind-0.2.0": signed(certificate_entry(blob, behind_blob([chunk(b"OLD", b"0.2.0"), chunk(b"TXT", b"behind")]))),
        "signed-other-blob": signed(certificate_entry(der(0x30, b"Z" * 45), behind_blob([chunk(b"TXT", b"behind")]))),
        "signed-nested": signed(certificate_entry(blob_with_chunks(30, INSIDE, [nested])), front=FRONT),
        # The chunk attribute's SET holds two values: not a chunk attribute, nothing is looked for in it.
        "signed-attribute-two-values": signed(certificate_entry(aligned(lambda zeros: signature_blob(30, [attribute(
            OID_CHUNKS, der(0x04, b"first value") + der(0x04, zeros + INSIDE))])))),
        "signed-attribute-not-last": signed(certificate_entry(signature_blob(30, [chunk_attribute(INSIDE), nested]))),
        # A damaged chunk inside the table whose length field ends with the marker: the oldest there.
        "signed-damaged-inside": signed(certificate_entry(blob_with_chunks(30, INSIDE + chunk(b"AFF", b"x") + b"ZZZ" + MARKER)),
                                        front=FRONT),
        "lying-beyond-file": lie(signed(inside, front=FRONT), lambda at, size, n: (at, size + 8)),
        "lying-over-headers": lie(signed(inside, front=FRONT), lambda at, size, n: (0x40, n - 0x40)),
        "lying-misaligned": misaligned(signed(inside, front=FRONT)),
        "lying-dwlength": entry_field(signed(inside, front=FRONT), 0, +8),
        "lying-certificate-type": entry_field(signed(inside, front=FRONT), 6, -1),
        "appended-behind-table": signed(inside, front=FRONT) + chunk(b"NEW", b"appended by a plain tool"),
    }
    return cases


def table_of(image):
    at = PE_AT + 24 + 108 + 36  # PE32+
    return int.from_bytes(image[at:at + 4], "little"), int.from_bytes(image[at + 4:at + 8], "little")


def lie(image, directory):
    """The security directory of a PE32+ image set to directory(address, size, file size)."""
    image = bytearray(image)
    set_security_directory(image, True, *directory(*table_of(image), len(image)))
    return bytes(image)


def misaligned(image):
    """The table moved one byte closer to the chunks in front of it."""
    image = bytearray(image)
    at, size = table_of(image)
    del image[at - 1]
    set_security_directory(image, True, at - 1, size)
    return bytes(image)


def entry_field(image, field, change):
    """The certificate entry's dwLength (field 0) or wCertificateType (field 6) changed."""
    image = bytearray(image)
    at = table_of(image)[0] + field
    size = 4 if field == 0 else 2
    put(image, at, le(int.from_bytes(image[at:at + size], "little") + change, size))
    return bytes(image)


def write_big(path):
    """A file of 5 GiB and more, sparse: a body of zero bytes and two chunks at its end."""
    with open(path, "wb") as out:
        out.write(b"MZ")
        out.truncate(BIG_BODY)
        out.seek(BIG_BODY)
        out.write(chunk(b"ONE", b"first") + chunk(b"TXT", b"far away"))


def main(folder, wanted):
    os.makedirs(folder, exist_ok=True)
    cases = dict(plain_cases(), **signed_cases())
    for name, data in cases.items():
        if not wanted or name in wanted:
            with open(os.path.join(folder, name + ".exe"), "wb") as out:
                out.write(data)
    if not wanted or "big-sparse" in wanted:
        write_big(os.path.join(folder, "big-sparse.exe"))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv[1], set(sys.argv[2:]))

"""The regions of a file: the whole file, or, for a signed Windows program whose certificate table
holds chunks, the part of the table that holds them and the part in front of the table."""

from ._walk import MARKER

# The chunk attribute's OBJECT IDENTIFIER, 1.3.6.1.4.1.42921.1.2.1, with its tag and length.
CHUNK_ATTRIBUTE_OID = bytes.fromhex("060b2b0601040182cf29010201")
# The last element of each element, from the blob's ContentInfo to the signer's last attribute.
SIGNER_TAGS = (0xA0, 0x30, 0x31, 0x30, 0xA1, 0x30)


def _number(raw):
    return int.from_bytes(raw, "little")


class CertificateTable:
    def __init__(self, at, size, headers_end):
        self.at = at
        self.size = size
        self.headers_end = headers_end
        self.blob_end = 0
        self.chunks_at = 0


def find_certificate_table(data):
    """The table the security directory names, or None."""
    if data.size < 64 or data.at(0, 2) != b"MZ":
        return None
    pe = _number(data.at(0x3C, 4))
    if pe + 24 > data.size or data.at(pe, 4) != b"PE\0\0":
        return None
    optional_size = _number(data.at(pe + 20, 2))
    optional = pe + 24
    if optional + optional_size > data.size or optional_size < 2:
        return None
    count = {0x20B: 108, 0x10B: 92}.get(_number(data.at(optional, 2)))
    if count is None or optional_size < count + 44 or _number(data.at(optional + count, 4)) < 5:
        return None
    address = _number(data.at(optional + count + 36, 4))
    size = _number(data.at(optional + count + 40, 4))
    headers_end = optional + optional_size
    if size == 0 or address < headers_end or address + size > data.size:
        return None
    return CertificateTable(address, size, headers_end)


def _element(data, at, limit):
    """(tag, contents start, end) of the DER element at `at` that ends by limit, or None."""
    head = data.at(at, min(limit - at, 6)) if at < limit else b""
    if len(head) < 2 or head[0] & 0x1F == 0x1F:
        return None
    length, content = head[1], at + 2
    if length >= 0x80:
        digits = length - 0x80
        if digits < 1 or digits > 4 or len(head) < 2 + digits:
            return None
        length = int.from_bytes(head[2:2 + digits], "big")
        content += digits
    end = content + length
    return (head[0], content, end) if end <= limit else None


def _last(data, element):
    """The last element inside element's contents, or None."""
    at, end = element[1], element[2]
    while True:
        child = _element(data, at, end)
        if child is None or child[2] == end:
            return child
        at = child[2]


def find_chunk_attribute(data, blob_at, blob_end):
    """Where the value of the last signer's chunk attribute begins, or 0 when there is none."""
    element = _element(data, blob_at, blob_end)
    for tag in SIGNER_TAGS:
        element = _last(data, element) if element else None
        if element is None or element[0] != tag:
            return 0
    attribute = element
    if attribute[2] - attribute[1] < len(CHUNK_ATTRIBUTE_OID) or \
            data.at(attribute[1], len(CHUNK_ATTRIBUTE_OID)) != CHUNK_ATTRIBUTE_OID:
        return 0
    value_set = _last_starting(data, attribute, attribute[1] + len(CHUNK_ATTRIBUTE_OID), 0x31)
    octets = value_set and _last_starting(data, value_set, value_set[1], 0x04)
    return octets[1] if octets else 0


def _last_starting(data, element, start, tag):
    """The last element inside element when it has tag and begins at start, else None."""
    at, end = element[1], element[2]
    while at < end:
        child = _element(data, at, end)
        if child is None:
            return None
        if child[2] == end:
            return child if at == start and child[0] == tag else None
        at = child[2]
    return None


def holds_chunks(data, table):
    """True when the table can hold chunks; then sets its blob_end and chunks_at."""
    if table.at + table.size != data.size or table.at % 8 or table.size % 8 or table.size < 16:
        return False
    entry = data.at(table.at, 8)
    length = _number(entry[:4])
    if length < 8 or (length + 7) // 8 * 8 != table.size or _number(entry[6:8]) != 2:
        return False
    blob_at = table.at + 8
    if data.at(blob_at, 1) != b"\x30":
        return False
    blob = _element(data, blob_at, table.at + length)
    if blob is None:
        return False
    table.blob_end = blob[2]
    table.chunks_at = find_chunk_attribute(data, blob_at, blob[2])
    return True


def front_end(data, table):
    """Where the chunks in front of the table end: behind the last marker, when only 0 to 7 zero
    bytes stand between it and the table, or at the table."""
    zeros = 0
    while zeros < 7 and table.at - zeros > table.headers_end and data.at(table.at - zeros - 1, 1) == b"\0":
        zeros += 1
    marker_at = table.at - zeros - len(MARKER)
    if marker_at >= table.headers_end and data.at(marker_at, len(MARKER)) == MARKER:
        return table.at - zeros
    return table.at


def regions(data):
    """The regions of the file, newest chunks first, as (floor, end, place)."""
    table = find_certificate_table(data)
    if table is None or not holds_chunks(data, table):
        return [(0, data.size, "end")]
    floor = table.chunks_at or table.blob_end
    return [(floor, data.size, "signature"), (table.headers_end, front_end(data, table), "front")]

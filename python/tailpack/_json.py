"""The listing as JSON text, as stowr-cli list --json writes it."""


def json_string(text):
    """text as a quoted JSON string: characters as themselves, `"` and `\\` after a backslash,
    controls as \\u00XX, and the surrogate escape of a byte that is not UTF-8 as \\uDCXX."""
    out = ['"']
    for char in text:
        code = ord(char)
        if char in '"\\':
            out.append("\\" + char)
        elif code < 0x20 or code == 0x7F or 0xDC80 <= code <= 0xDCFF:
            out.append("\\u%04X" % code)
        else:
            out.append(char)
    out.append('"')
    return "".join(out)


def is_binary(data, chunk, piece=1 << 20):
    """True when the chunk's data holds a zero byte; a chunk beyond the end of the file is Text."""
    if chunk.offset + chunk.length > data.size:
        return False
    for at in range(chunk.offset, chunk.offset + chunk.length, piece):
        if b"\0" in data.at(at, min(piece, chunk.offset + chunk.length - at)):
            return True
    return False


def chunk_line(index, chunk, binary):
    return '{"index": %d, "kind": %s, "type": "%s", "length": %d, "offset": %d, "place": "%s"}' % (
        index, json_string(chunk.kind), "Binary" if binary else "Text", chunk.length, chunk.offset, chunk.place)


def listing(lines):
    """The JSON array of the given element lines."""
    if not lines:
        return "[]\n"
    return "[\n  " + ",\n  ".join(lines) + "\n]\n"

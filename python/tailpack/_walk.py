"""The walk of a region, newest chunk first, over the bytes of a file read from its end."""

MARKER = b"{TlPk}"
TRAILER_SIZE = 17
BLOCK_SIZE = 65536
HEX_DIGITS = b"0123456789abcdefABCDEF"


class Bytes:
    """An open binary file, read backwards in blocks: only the blocks that hold trailers, the
    headers and the chunks asked for are read."""

    def __init__(self, file, size):
        self.file = file
        self.size = size
        self._start = self._end = 0
        self._block = b""

    def at(self, offset, n):
        """The n bytes from offset on; fewer when the file ends first."""
        n = max(0, min(n, self.size - offset))
        if self._start <= offset and offset + n <= self._end:
            return self._block[offset - self._start:offset - self._start + n]
        self.file.seek(offset)
        return _read_exactly(self.file, n)

    def before(self, end, n):
        """The n bytes in front of end, from the block that ends at end when it is not held."""
        if not (self._start <= end - n and end <= self._end):
            self._start = max(0, end - BLOCK_SIZE)
            self._end = end
            self.file.seek(self._start)
            self._block = _read_exactly(self.file, end - self._start)
        return self._block[end - n - self._start:end - self._start]


def _read_exactly(file, n):
    parts = []
    while n > 0:
        part = file.read(n)
        if not part:
            raise OSError("The file ended early (changed while being read?)")
        parts.append(part)
        n -= len(part)
    return b"".join(parts)


def parse_length(field):
    """Hexadecimal digits of either case up to the first other byte; no digit gives 0."""
    value = 0
    for byte in field:
        if byte not in HEX_DIGITS:
            break
        value = value * 16 + int(chr(byte), 16)
    return value


def walk_region(data, floor, end, place):
    """The chunks of [floor, end), newest first, as (kind field, length, offset, place)."""
    left = end
    while left - floor >= 6:
        n = min(left - floor, TRAILER_SIZE)
        trailer = data.before(left, n)
        if trailer[-6:] != MARKER:
            return
        k = min(n - 6, 3)
        kind = trailer[n - 6 - k:n - 6]
        length = parse_length(trailer[:n - 6 - k])
        left -= 6 + k
        whole = left - floor >= length + 8
        if whole:
            left -= length + 8
        yield kind, length, left, place
        if place == "signature":
            if not whole:
                return
            padding = (8 - (length + 17) % 8) % 8
            if padding and left - floor >= padding and data.before(left, padding) == bytes(padding):
                left -= padding

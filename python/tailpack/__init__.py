"""Reads the Tailpack of a file: the typed chunks appended behind the last byte of an executable.

    import tailpack
    for chunk in tailpack.list_chunks("app.exe"):   # oldest first
        print(chunk.kind, chunk.length, chunk.offset, chunk.place)
    data = tailpack.read_chunk("app.exe", "CFG")     # the newest CFG chunk, or None

Only the trailers (read from the end in blocks), the PE headers and the chunk asked for are read.
Signed Windows programs keep chunks inside and in front of their certificate table; they are
found there. The byte format is described in stowr's docs/FORMAT.md.
"""

import os
from collections import namedtuple

from ._pe import regions
from ._walk import Bytes, walk_region

__all__ = ["Chunk", "TailpackError", "list_chunks", "read_chunk"]
__version__ = "0.2.0"

# kind: the kind field as stored (leading spaces kept), cut at a zero byte, decoded as UTF-8 with
# surrogateescape; length: the number of data bytes; offset: the 0-based offset of the first data
# byte; place: "end", "signature" (inside a signed program's certificate table) or "front" (in
# front of that table).
Chunk = namedtuple("Chunk", "kind length offset place")


class TailpackError(ValueError):
    """A chunk that cannot be read: its data reaches beyond the end of the file."""


def _kind_text(field):
    return field.split(b"\0", 1)[0].decode("utf-8", "surrogateescape")


def _walk(data):
    """Every chunk of the file, newest first, with its kind field as stored."""
    for floor, end, place in regions(data):
        for found in walk_region(data, floor, end, place):
            yield found


def _open(path):
    file = open(os.fspath(path), "rb")
    file.seek(0, os.SEEK_END)
    return file, Bytes(file, file.tell())


def _chunks(data):
    chunks = [Chunk(_kind_text(kind), length, offset, place) for kind, length, offset, place in _walk(data)]
    chunks.reverse()
    return chunks


def list_chunks(path):
    """The chunks of the file at path, oldest first, as Chunks."""
    file, data = _open(path)
    with file:
        return _chunks(data)


def _kind_field(kind):
    """The kind field a kind asked for matches: 3 bytes, right-aligned with spaces."""
    if isinstance(kind, str):
        raw = kind.encode("utf-8", "surrogateescape")
    elif isinstance(kind, (bytes, bytearray, memoryview)):
        raw = bytes(kind)
    else:
        raise TypeError("A chunk is asked for by its index (int), its kind (str or bytes) or a Chunk")
    if not 1 <= len(raw) <= 3:
        raise ValueError("A kind is 1 to 3 bytes long")
    return raw.rjust(3, b" ")


def _find(data, kind_or_index):
    """The chunk asked for, as a Chunk, or None."""
    if isinstance(kind_or_index, Chunk):
        return kind_or_index
    if isinstance(kind_or_index, int) and not isinstance(kind_or_index, bool):
        if kind_or_index < 0:
            raise ValueError("A chunk's index counts from 0")
        found = list(_walk(data))
        if kind_or_index >= len(found):
            return None
        kind, length, offset, place = found[len(found) - 1 - kind_or_index]
        return Chunk(_kind_text(kind), length, offset, place)
    wanted = _kind_field(kind_or_index)
    for kind, length, offset, place in _walk(data):
        if kind == wanted and b"\0" not in kind:
            return Chunk(_kind_text(kind), length, offset, place)
    return None


def read_chunk(path, kind_or_index):
    """The data of one chunk of the file at path, as bytes, or None when there is no such chunk.

    kind_or_index: an int, the chunk's index (0-based, oldest first); a kind (str or bytes of 1 to
    3 bytes, matched exactly as stored, "AB" finding " AB"), for the newest chunk of that kind; or
    a Chunk of an earlier listing of the same file."""
    file, data = _open(path)
    with file:
        chunk = _find(data, kind_or_index)
        if chunk is None:
            return None
        if chunk.offset + chunk.length > data.size:
            raise TailpackError("The chunk reaches beyond the end of the file")
        return data.at(chunk.offset, chunk.length)

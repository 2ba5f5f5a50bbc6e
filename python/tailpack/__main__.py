"""python3 -m tailpack list FILE [--json]: the chunks of FILE, oldest first."""

import argparse
import sys

from . import _chunks, _json, _open


def _lines(path, as_json):
    file, data = _open(path)
    with file:
        for index, chunk in enumerate(_chunks(data), 1):
            binary = _json.is_binary(data, chunk)
            if as_json:
                yield _json.chunk_line(index, chunk, binary)
            else:
                yield "%d\t%s\t%s\t%d\t%d\t%s" % (index, _json.json_string(chunk.kind), "Binary" if binary else "Text",
                                                  chunk.length, chunk.offset, chunk.place)


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m tailpack", description="Reads the Tailpack of a file.")
    commands = parser.add_subparsers(dest="command", required=True)
    listing = commands.add_parser("list", help="the chunks, oldest first")
    listing.add_argument("file")
    listing.add_argument("--json", action="store_true", help="as stowr-cli list --json prints them")
    args = parser.parse_args(argv)
    try:
        lines = list(_lines(args.file, args.json))
    except OSError as error:
        sys.stderr.write("tailpack: cannot read %s: %s\n" % (args.file, error.strerror or error))
        return 2
    text = _json.listing(lines) if args.json else "".join(line + "\n" for line in lines)
    sys.stdout.buffer.write(text.encode("utf-8"))
    sys.stdout.buffer.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())

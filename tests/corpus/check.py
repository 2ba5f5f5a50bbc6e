#!/usr/bin/env python3
"""Runs every reader over the corpus (the files <case>.exe, which hold what make.py writes, and
big-sparse, which make.py writes at test time) and compares what each lists with the case's
expected listing (<case>.json): the literal model (the oracle, also for the chunks' data), the C
library (a program linked with it, and libtailpack loaded through ctypes), the C++ layer, the
Python package (its functions and python3 -m tailpack list --json, to the byte) and stowr-cli
list --json (to the byte). The ctypes and Python readers also find chunks by kind, and
libtailpack exports exactly its interface.

Usage: check.py [--c P] [--cpp P] [--cli P] [--library P] [--run-with CMD] [CASE...]
Each reader given runs; the C++ program also gives the model's listing (--model); --run-with runs
the programs through CMD (wine)."""

import argparse
import ctypes
import json
import os
import shlex
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "python"))
sys.path.insert(0, HERE)
import make  # noqa: E402
import tailpack  # noqa: E402

# stowr-cli writes the bytes of a kind from 0x80 up as \u00XX until its JSON kinds follow the rule
# of docs/FORMAT.md; these cases are expected to fail for it, and must leave this list once they
# pass.
STOWR_CLI_PENDING = {"kinds-utf8", "kinds-invalid-utf8"}
# The functions of libtailpack's interface (tailpack.h marks them TP_API): all it exports.
INTERFACE = ["tp_check_chunk", "tp_count_chunks", "tp_file_close", "tp_file_open", "tp_file_open_self",
             "tp_file_source", "tp_find_certificate_table", "tp_find_index", "tp_find_kind", "tp_list_chunks",
             "tp_memory_source", "tp_read", "tp_read_chunk", "tp_self_name", "tp_self_path"]
# Stored files that make.py does not write: a program signed, and signed again nested, by
# osslsigncode with a throwaway key, then given LIC and MSG with stowr-cli.
MADE_BY_TOOLS = {"signed-real"}
# The chunks of the sparse file, which the model (reading files whole) does not read.
BIG_DATA = [b"first", b"far away"]


def expected_rows(case):
    """The case's listing as (kind bytes, length, offset, place, type) rows, and its JSON text."""
    with open(os.path.join(HERE, case + ".json"), "rb") as f:
        text = f.read()
    listing = json.loads(text.decode("utf-8"))
    assert [c["index"] for c in listing] == list(range(1, len(listing) + 1))
    rows = [(c["kind"].encode("utf-8", "surrogateescape"), c["length"], c["offset"], c["place"], c["type"])
            for c in listing]
    return rows, text


def parse_lines(text):
    """The line format of list_c.c: rows, and each chunk's data (None when unreadable)."""
    rows, data = [], []
    for line in text.splitlines():
        kind, length, offset, place, kind_of_data, raw = line.split(" ")
        rows.append((bytes.fromhex(kind[1:]), int(length), int(offset), place, kind_of_data))
        data.append(None if raw == "-" else bytes.fromhex(raw[1:]))
    return rows, data


def run(command, path, *options):
    done = subprocess.run(command + [path, *options], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    if done.returncode != 0:
        raise RuntimeError("exit status %d: %s" % (done.returncode, done.stderr.decode(errors="replace").strip()))
    return done.stdout.decode().replace("\r", "")


class Library:
    """libtailpack through ctypes, with the structs as tailpack.h and the README document them."""

    class Error(ctypes.Structure):
        _fields_ = [("text", ctypes.c_char * 256)]

    ReadFn = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_uint64, ctypes.c_void_p, ctypes.c_size_t,
                              ctypes.c_void_p)

    class Source(ctypes.Structure):
        pass

    class Chunk(ctypes.Structure):
        _fields_ = [("kind", ctypes.c_char * 4), ("length", ctypes.c_uint32), ("offset", ctypes.c_uint64),
                    ("place", ctypes.c_uint32), ("reserved", ctypes.c_uint32)]

    class File(ctypes.Structure):
        _fields_ = [("size", ctypes.c_uint64), ("handle", ctypes.c_void_p), ("fd", ctypes.c_int32)]

    Source._fields_ = [("size", ctypes.c_uint64), ("context", ctypes.c_void_p), ("read_at", ReadFn),
                       ("memory", ctypes.c_char_p)]

    def __init__(self, path):
        self.lib = ctypes.CDLL(path)
        self.block = ctypes.create_string_buffer(65536)
        self.lib.tp_file_source.restype = self.Source
        assert ctypes.sizeof(self.Chunk) == 24 and ctypes.sizeof(self.Error) == 256

    def _open(self, path):
        file, error = self.File(), self.Error()
        if self.lib.tp_file_open(ctypes.byref(file), os.fsencode(path), ctypes.byref(error)) != 0:
            raise RuntimeError(error.text.decode())
        return file, self.lib.tp_file_source(ctypes.byref(file))

    def listing(self, path):
        file, source = self._open(path)
        try:
            count, error = ctypes.c_uint64(), self.Error()
            chunks = (self.Chunk * 1)()
            while True:
                got = self.lib.tp_list_chunks(ctypes.byref(source), self.block, len(self.block), chunks, len(chunks),
                                              ctypes.byref(count), ctypes.byref(error))
                if got != 1:
                    break
                chunks = (self.Chunk * count.value)()
            if got != 0:
                raise RuntimeError(error.text.decode())
            rows, data = [], []
            for chunk in chunks[:count.value]:
                ok = self.lib.tp_check_chunk(ctypes.byref(source), ctypes.byref(chunk), ctypes.byref(error)) == 0
                out = ctypes.create_string_buffer(chunk.length if ok else 0)
                ok = ok and self.lib.tp_read_chunk(ctypes.byref(source), ctypes.byref(chunk), out, ctypes.byref(error)) == 0
                data.append(out.raw if ok else None)
                rows.append((chunk.kind, chunk.length, chunk.offset, ("end", "signature", "front")[chunk.place],
                             "Binary" if ok and b"\0" in out.raw else "Text"))
            return rows, data
        finally:
            self.lib.tp_file_close(ctypes.byref(file))

    def find_kind(self, path, kind):
        """The offset of the chunk found, None when there is none, or the error text."""
        file, source = self._open(path)
        try:
            chunk, error = self.Chunk(), self.Error()
            got = self.lib.tp_find_kind(ctypes.byref(source), kind, ctypes.c_size_t(len(kind)), self.block,
                                        len(self.block), ctypes.byref(chunk), ctypes.byref(error))
            return chunk.offset if got > 0 else None if got == 0 else error.text.decode()
        finally:
            self.lib.tp_file_close(ctypes.byref(file))


def python_listing(path):
    chunks = tailpack.list_chunks(path)
    data = [None] * len(chunks)
    for i, chunk in enumerate(chunks):
        try:
            data[i] = tailpack.read_chunk(path, i)
        except tailpack.TailpackError:
            pass
    rows = [(c.kind.encode("utf-8", "surrogateescape"), c.length, c.offset, c.place,
             "Binary" if d is not None and b"\0" in d else "Text") for c, d in zip(chunks, data)]
    return rows, data


def python_find_kind(path, kind):
    """As Library.find_kind, through read_chunk: the data found stands for the chunk."""
    try:
        return tailpack.read_chunk(path, kind)
    except ValueError as error:
        return str(error)


def kind_questions(rows):
    """(kind asked for, index of the chunk it must find or None): each kind of 3 bytes finds its
    newest chunk, and also without its leading spaces; a changed case finds nothing."""
    questions = {}
    for index, row in enumerate(rows):
        kind = row[0]
        if len(kind) == 3:
            questions[kind] = index
            if kind.lstrip(b" ") and kind.lstrip(b" ") != kind:
                questions[kind.lstrip(b" ")] = index
    for kind in list(questions):
        if kind.swapcase() not in questions and kind.swapcase() != kind:
            questions[kind.swapcase()] = None
    return questions


class Checker:
    def __init__(self):
        self.failures = []
        self.passed = 0

    def expect(self, name, want, got):
        if want == got:
            self.passed += 1
        else:
            self.failures.append("%s:\n    want %r\n    got  %r" % (name, want, got))


def corpus_file(case, folder, checker):
    """The file of a case: the stored one, which holds the bytes make.py writes for it; the sparse
    one as make.py made it in folder."""
    made = os.path.join(folder, case + ".exe")
    if case == "big-sparse":
        return made
    stored = os.path.join(HERE, case + ".exe")
    if case not in MADE_BY_TOOLS:
        with open(made, "rb") as a, open(stored, "rb") as b:
            checker.expect(case + ": stored as make.py writes it", a.read() == b.read(), True)
    return stored


def check_case(case, path, args, library, checker):
    rows, text = expected_rows(case)
    data = None
    if args.cpp and case != "big-sparse":
        model_rows, data = parse_lines(run([args.cpp], path, "--model"))
        checker.expect(case + ": the literal model", rows, model_rows)
        if model_rows != rows:  # its data then belongs to other chunks
            data = None
    if case == "big-sparse":
        data = BIG_DATA
    programs = [("C library", args.c), ("C++ layer", args.cpp)]
    readers = [(name, lambda p, c=[*args.run_with, program]: parse_lines(run(c, p))) for name, program in programs if program]
    readers.append(("Python package", python_listing))
    if library:
        readers.append(("libtailpack through ctypes", library.listing))
    for name, reader in readers:
        try:
            got_rows, got_data = reader(path)
        except Exception as error:  # a reader that fails is one failure, not the end of the run
            got_rows, got_data = "failed: %s" % error, None
        checker.expect("%s: %s" % (case, name), rows, got_rows)
        if data is not None and got_data is not None:
            checker.expect("%s: %s, the chunks' data" % (case, name), data, got_data)

    for kind, index in kind_questions(rows).items():
        want = None if index is None or data is None else data[index]
        if index is not None and data is not None and want is None:
            want = "The chunk reaches beyond the end of the file"
        if data is not None:
            checker.expect("%s: Python read_chunk(%r)" % (case, kind), want, python_find_kind(path, kind))
        if library:
            at = None if index is None else rows[index][2]
            checker.expect("%s: ctypes tp_find_kind(%r)" % (case, kind), at, library.find_kind(path, kind))

    env = dict(os.environ, PYTHONPATH=os.path.join(ROOT, "python"))
    listed = subprocess.run([sys.executable, "-m", "tailpack", "list", path, "--json"], stdout=subprocess.PIPE, env=env)
    checker.expect(case + ": python3 -m tailpack list --json", text.decode(), listed.stdout.decode())
    if args.cli:
        got = subprocess.run([*args.run_with, args.cli, "list", "--json", path], stdout=subprocess.PIPE).stdout
        got = got.decode("utf-8", "surrogateescape").replace("\r", "")
        if case in STOWR_CLI_PENDING:
            if got == text.decode():
                checker.failures.append("%s: stowr-cli now passes: take the case out of STOWR_CLI_PENDING" % case)
            else:
                print("  known: stowr-cli list --json differs on %s (pending)" % case)
        else:
            checker.expect(case + ": stowr-cli list --json", text.decode(), got)


def check_refusals(path, library, checker):
    """Find-by-kind refuses a kind that is not 1 to 3 bytes long: an error, not "not found"."""
    for kind in (b"", b"CFGX"):
        checker.expect("Python read_chunk(%r)" % kind, "A kind is 1 to 3 bytes long", python_find_kind(path, kind))
        if library:
            checker.expect("ctypes tp_find_kind(%r)" % kind, "A kind is 1 to 3 bytes long", library.find_kind(path, kind))
    for question in (True, 1.0, None):  # neither an index nor a kind: not taken for one
        try:
            got = "found %r" % tailpack.read_chunk(path, question)
        except TypeError:
            got = "TypeError"
        checker.expect("Python read_chunk(%r)" % question, "TypeError", got)


def check_exports(path, checker):
    symbols = subprocess.run(["nm", "-D", "--defined-only", path], stdout=subprocess.PIPE, check=True).stdout
    checker.expect("the functions libtailpack exports", INTERFACE, sorted(line.split()[-1] for line in symbols.decode().splitlines()))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("c", "cpp", "cli", "library"):
        parser.add_argument("--" + option)
    parser.add_argument("--run-with", type=shlex.split, default=[])
    parser.add_argument("cases", nargs="*")
    args = parser.parse_args()
    library = Library(args.library) if args.library else None
    known = sorted(name[:-5] for name in os.listdir(HERE) if name.endswith(".json"))
    cases = args.cases or known
    checker = Checker()
    if library:
        check_exports(args.library, checker)
    stored = sorted(name[:-4] for name in os.listdir(HERE) if name.endswith(".exe"))
    checker.expect("every case but big-sparse is stored", [c for c in known if c != "big-sparse"], stored)
    with tempfile.TemporaryDirectory(prefix="corpus-") as folder:
        make.main(folder, set(cases))
        for case in cases:
            check_case(case, corpus_file(case, folder, checker), args, library, checker)
        if "plain" in cases:
            check_refusals(os.path.join(HERE, "plain.exe"), library, checker)
    for failure in checker.failures:
        print("  FAILED: " + failure)
    print("corpus: %d cases, %d checks passed, %d failed" % (len(cases), checker.passed, len(checker.failures)))
    return 1 if checker.failures else 0


if __name__ == "__main__":
    sys.exit(main())

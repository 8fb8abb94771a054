#!/usr/bin/env python3
"""Writes the compile database the static checks read, from one build's.

    scripts/static-db.py KIND BUILD_DIR OUT_DIR [SKIP_DB ...]

Keeps our own C++ sources (client/, libs/, wire/, server/, tools/), each once (a file that
several targets compile is checked with its first command), and drops resource scripts,
GoogleTest, generated files and files that a SKIP_DB already holds (the portable sources
that both builds compile are checked once, in the native build).

KIND win64: the MinGW g++ commands become clang++ ones for the same target, with the
include directories g++ searches (its libstdc++ and the MinGW headers) and not the host's
/usr/include, which clang's MinGW driver would otherwise add; g++-only flags are dropped.

Entries are written as "command" strings: cppcheck 2.10 mangles quoted -D values given
as "arguments" (-DKVX_SERVER_PATH="...").
"""
import glob
import json
import os
import shlex
import sys

OURS = ("client/", "libs/", "wire/", "server/", "tools/")
SOURCES = (".cpp", ".cc", ".c")
# g++ options clang does not know; none is in use today, but a new one must not make
# every win64 file fail to parse.
GCC_ONLY = ("-fno-keep-inline-dllexport", "-mthreads", "-fno-enforce-eh-specs",
            "-Wno-error=dangling-else", "-Wlogical-op", "-Wduplicated-cond",
            "-Wduplicated-branches", "-Wuseless-cast", "-fconcepts")


def mingw_args(triple):
    # g++'s own search list, less its include/ and include-fixed/: clang brings its own
    # intrinsics and limits.h and cannot read GCC's.
    gcc = sorted(glob.glob(f"/usr/lib/gcc/{triple}/*-posix"))
    if not gcc:
        sys.exit(f"static-db: no MinGW GCC for {triple} under /usr/lib/gcc")
    cxx = f"{gcc[-1]}/include/c++"
    return ["--target=" + triple, "-nostdinc++", "-nostdlibinc",
            "-isystem", cxx, "-isystem", f"{cxx}/{triple}", "-isystem", f"{cxx}/backward",
            "-isystem", f"/usr/{triple}/include"]


def files_in(db_path):
    with open(db_path) as f:
        return {os.path.realpath(e["file"]) for e in json.load(f)}


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    kind, build, out = sys.argv[1], sys.argv[2], sys.argv[3]
    root = os.path.realpath(os.path.join(os.path.dirname(__file__), ".."))
    skip = set()
    for other in sys.argv[4:]:
        skip |= files_in(other)
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = json.load(f)

    seen, kept = set(), []
    for e in entries:
        path = os.path.realpath(e["file"])
        rel = os.path.relpath(path, root)
        if not rel.startswith(OURS) or not rel.endswith(SOURCES):
            continue
        if path in seen or path in skip:
            continue
        seen.add(path)
        args = e["arguments"] if "arguments" in e else shlex.split(e["command"])
        if kind == "win64":
            args = ["clang++"] + mingw_args("x86_64-w64-mingw32") + \
                   [a for a in args[1:] if a not in GCC_ONLY]
        kept.append({"directory": e["directory"], "file": path, "command": shlex.join(args)})

    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "compile_commands.json"), "w") as f:
        json.dump(kept, f, indent=1)
    print(f"static-db: {kind}: {len(kept)} files")


if __name__ == "__main__":
    main()

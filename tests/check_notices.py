#!/usr/bin/env python3
"""check_notices.py NOTICES PROGRAM=MAP...

Every archive of others' code that the linker took members from for a
shipped program (its link map's "Archive member included" list) is named
in that program's paragraph of THIRD-PARTY-NOTICES: a new runtime library
linked in must come with its notice. The project's own archives are skipped.
"""
import os
import re
import sys

# Archive file name -> the name the notices give its component.
COMPONENTS = [
    (re.compile(r"^libstdc\+\+\.a$"), "libstdc++"),
    (re.compile(r"^libgcc(_eh)?\.a$"), "libgcc"),
    (re.compile(r"^lib(win)?pthread\.a$"), "winpthreads"),
    # Start-up code, C runtime glue, GUIDs and the import libraries of the
    # system DLLs (the delay-import ones are made from those).
    (re.compile(r"^lib[a-z0-9_]+\.a$"), "mingw-w64"),
]
OWN = re.compile(r"^libtallowick_[a-z_]+\.a$")


def archives(map_path):
    taken, inside = set(), False
    for line in open(map_path, encoding="utf-8", errors="replace"):
        if line.startswith("Archive member included"):
            inside = True
        elif inside and re.match(r"^(Discarded input sections|Memory Configuration|Allocating common)", line):
            break
        elif inside and line[:1] not in ("", " ", "\n", "\t"):
            taken.add(os.path.basename(line.split("(", 1)[0].strip()))
    return taken


def paragraph(notices, program):
    """The list under '  <program> ...', up to the next program's line or a blank line."""
    lines, out, inside = notices.splitlines(), [], False
    for line in lines:
        if line.startswith("  " + program + " ") or line.rstrip() == "  " + program:
            inside = True
        elif inside and (not line.strip() or (line.startswith("  ") and not line.startswith("    "))):
            break
        elif inside and (line.startswith("    - ") or line.startswith("      ")):
            out.append(line)  # the list items, not the remarks between them
    return "\n".join(out)


def main():
    notices = open(sys.argv[1], encoding="utf-8").read()
    failures = 0
    for arg in sys.argv[2:]:
        program, map_path = arg.split("=", 1)
        text = paragraph(notices, program)
        if not text:
            print(f"the notices have no paragraph for {program}")
            failures += 1
            continue
        needed = {}
        for archive in sorted(archives(map_path)):
            if OWN.match(archive):
                continue
            name = next((n for pattern, n in COMPONENTS if pattern.match(archive)), None)
            if name is None:
                print(f"{program}: {archive} is of no known component")
                failures += 1
            else:
                needed.setdefault(name, []).append(archive)
        if not needed:
            print(f"{program}: the link map {map_path} lists no archive")
            failures += 1
        for name, from_archives in sorted(needed.items()):
            if name not in text:
                print(f"{program} contains {name} ({', '.join(from_archives)}); its notice paragraph does not say so")
                failures += 1
        print(f"{program}: {', '.join(sorted(needed))}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

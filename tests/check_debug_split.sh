#!/bin/bash
# check_debug_split.sh OBJDUMP OBJCOPY DIR FILE...
# Each FILE (a program of the package, relative to DIR) is stripped and
# finds its symbols beside itself: no .debug_* section and no symbol table
# in it, a .gnu_debuglink that names FILE.debug, and FILE.debug holding the
# debugging information with the CRC-32 the link records and the program's
# build id (its CodeView RSDS signature).
set -euo pipefail
objdump="$1" objcopy="$2" dir="$3"
shift 3
fail=0
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for rel in "$@"; do
    file="$dir/$rel"
    name="$(basename "$rel")"
    sections=$("$objdump" -h "$file" | awk '$1 ~ /^[0-9]+$/ { print $2 }')
    if grep -q '^\.debug_' <<< "$sections"; then
        echo "$rel carries debugging sections: $(grep '^\.debug_' <<< "$sections" | tr '\n' ' ')"; fail=1
    fi
    if "$objdump" -f "$file" | grep -q 'HAS_SYMS'; then
        echo "$rel keeps a symbol table"; fail=1
    fi
    if ! grep -qx '\.gnu_debuglink' <<< "$sections"; then
        echo "$rel has no debug link"; fail=1; continue
    fi
    if [ ! -f "$file.debug" ]; then
        echo "$rel has no $name.debug beside it"; fail=1; continue
    fi
    if ! "$objdump" -h "$file.debug" | awk '{ print $2 }' | grep -qx '\.debug_info'; then
        echo "$name.debug holds no debugging information"; fail=1
    fi
    id=$("$objdump" -p "$file" | sed -n 's/.*(format RSDS signature \([0-9a-f]*\) age.*/\1/p' | head -1)
    debug_id=$("$objdump" -p "$file.debug" | sed -n 's/.*(format RSDS signature \([0-9a-f]*\) age.*/\1/p' | head -1)
    if [ -z "$id" ] || [ "$id" != "$debug_id" ]; then
        echo "$rel: build id '$id', its symbol file's '$debug_id'"; fail=1
    fi
    "$objcopy" --dump-section ".gnu_debuglink=$scratch/link" "$file" "$scratch/copy"
    # The link: the file name, NUL, padding to 4 bytes, its CRC-32 (little-endian).
    python3 - "$scratch/link" "$file.debug" "$name.debug" "$rel" "$id" <<'PY' || fail=1
import sys, zlib
link = open(sys.argv[1], "rb").read()
end = link.index(b"\0")
named = link[:end].decode()
at = (end + 4) & ~3
recorded = int.from_bytes(link[at:at + 4], "little")
actual = zlib.crc32(open(sys.argv[2], "rb").read()) & 0xFFFFFFFF
rel = sys.argv[4]
if named != sys.argv[3]:
    sys.exit(f"{rel} links to {named!r}, not {sys.argv[3]!r}")
if recorded != actual:
    sys.exit(f"{rel}: the link's CRC-32 {recorded:08x} is not that of {named} ({actual:08x})")
print(f"{rel}: stripped, symbols in {named} (CRC-32 {actual:08x}, build id {sys.argv[5]})")
PY
done
exit $fail

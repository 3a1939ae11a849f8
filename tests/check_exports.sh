#!/bin/bash
# check_exports.sh OBJDUMP DLL TABLE [ARCH]
# The DLL's export table holds exactly the names of the table of exports
# (src/plugin/exports.txt: "ordinal name [alias-of]" a line) with their
# ordinals, and an alias shares its target's entry point. With ARCH (x86 or
# x64), the DLL is of that machine: PE32 for x86, PE32+ for x64.
set -euo pipefail
objdump="$1" dll="$2" table="$3" arch="${4:-}"

# Expected: "ordinal name target" from the table.
expected=$(awk '!/^[[:space:]]*(#|$)/ { print $1, $2, (NF > 2 ? $3 : $2) }' "$table" | sort -n)

dump=$("$objdump" -p "$dll")
fail=0
case "$arch" in
    x86) want="file format pei-i386" ;;
    x64) want="file format pei-x86-64" ;;
    *) want="" ;;
esac
if [ -n "$want" ] && ! grep -q "$want" <<< "$dump"; then
    echo "not a $arch DLL: $(echo "$dump" | grep -m1 'file format')"; fail=1
fi
# Address table: "[   n] +base[  ord] rva Export RVA"
addresses=$(echo "$dump" | sed -n '/^Export Address Table/,/^$/p' |
    sed -nE 's/^\s*\[\s*[0-9]+\] \+base\[\s*([0-9]+)\]\s+([0-9a-f]+).*/\1 \2/p')
base=$(echo "$dump" | sed -nE 's/^Export Address Table -- Ordinal Base ([0-9]+).*/\1/p')
# Name table: "[   n] Name", n being the ordinal less the base.
names=$(echo "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -nE 's/^\s*\[\s*([0-9]+)\]\s+(\S+)\s*$/\1 \2/p' | awk -v b="$base" '{print $1 + b, $2}')

actual_names=$(echo "$names" | sort -n)
expected_names=$(echo "$expected" | awk '{print $1, $2}')
if [ "$actual_names" != "$expected_names" ]; then
    echo "export names/ordinals differ from the table of exports:"
    diff <(echo "$expected_names") <(echo "$actual_names") || true
    fail=1
fi
want_count=$(echo "$expected" | grep -c .)
count=$(echo "$names" | grep -c . || true)
if [ "$count" != "$want_count" ]; then echo "expected $want_count exported names, found $count"; fail=1; fi

rva_of() { echo "$addresses" | awk -v o="$1" '$1 == o {print $2}'; }
ord_of() { echo "$expected" | awk -v n="$1" '$2 == n {print $1}'; }
while read -r ord name target; do
    if [ "$name" != "$target" ]; then
        a=$(rva_of "$ord"); b=$(rva_of "$(ord_of "$target")")
        if [ -z "$a" ] || [ "$a" != "$b" ]; then
            echo "$name (@$ord) does not share $target's entry point ($a vs $b)"; fail=1
        fi
    fi
done <<< "$expected"

# Only Windows system DLLs are imported.
imports=$(echo "$dump" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p' | tr 'A-Z' 'a-z' | sort -u)
for dllname in $imports; do
    case "$dllname" in
        libgcc*|libstdc++*|libwinpthread*) echo "imports a runtime DLL: $dllname"; fail=1 ;;
    esac
done

if [ $fail -eq 0 ]; then echo "export table matches the table of exports ($count names)"; fi
exit $fail

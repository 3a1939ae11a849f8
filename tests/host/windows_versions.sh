#!/bin/bash
# What a host gets on each Windows that Wine can emulate: sets the prefix's
# Windows version, runs tallowick.exe --json over the read-only checks (no
# connectivity probe, no hardware query) and prints one line per check and
# version. The emulated version is set back to the prefix's default after.
#   tests/host/windows_versions.sh TREE [x86|x64|wow64] [OUTDIR]
# TREE is a configured and built tree (build for x86 and wow64, build-x64 for
# x64; wow64 runs TREE's 32-bit host in the x64 tree's 64-bit prefix).
# VERSIONS="winxp vista ..." picks Wine's version names; Wine 8's win2008r2
# is the Windows 7 workstation (its win7 is the server).
set -euo pipefail
tree=$(cd "$1" && pwd)
arch=${2:-x86}
out=${3:-$(mktemp -d)}
mkdir -p "$out"
if [ "$arch" = wow64 ]; then
    x64tree="$(dirname "$tree")/build-x64"
    export TALLOWICK_PREFIX_OVERRIDE="$x64tree/wineprefix" TALLOWICK_WINEARCH_OVERRIDE=win64
fi
run() { "$tree/wine-run" "$@"; }
read -r -a versions <<<"${VERSIONS:-winxp vista win2008r2 win10}"
trap 'run reg delete "HKCU\\Software\\Wine" /v Version /f >/dev/null 2>&1 || true' EXIT
for v in "${versions[@]}"; do
    run reg add 'HKCU\Software\Wine' /v Version /d "$v" /f >/dev/null 2>&1
    run "$tree/bin/tallowick.exe" --json os sysinfo netinfo hdd process netconfig shares apps \
        >"$out/$arch-$v.json" 2>/dev/null || echo "$arch $v: exit $?" >&2
done
python3 - "$out" "$arch" "${versions[@]}" <<'PY'
import json, sys
out, arch, versions = sys.argv[1], sys.argv[2], sys.argv[3:]
def res(doc, name):
    return (doc.get(name) or {}).get("result")
for v in versions:
    doc = json.load(open(f"{out}/{arch}-{v}.json", encoding="utf-8"))
    os_ = res(doc, "os") or {}
    si = res(doc, "sysinfo") or {}
    hdd = res(doc, "hdd") or {}
    pr = res(doc, "process") or {}
    nc = res(doc, "netconfig") or {}
    sh = res(doc, "shares") or {}
    ap = res(doc, "apps") or {}
    def items(r):
        for k, val in r.items():
            if isinstance(val, list):
                return val
        return []
    procs = items(pr)
    print(f"{arch} {v}:")
    print(f"  os      {os_.get('nMajorVersion')}.{os_.get('nMinorVersion')}.{os_.get('nBuildNumber')} type {os_.get('nProductType')}"
          f" native {os_.get('nNativeArchitecture')} process {os_.get('nProcessArchitecture')} wow64 {os_.get('nWow64')}"
          f" | {os_.get('szProductName')!r} {os_.get('szDisplayVersion')!r} edition {os_.get('szEditionId')!r} {os_.get('szInstallationType')!r}")
    print(f"  sysinfo szOsName {si.get('szOsName')!r}, IE {si.get('szIeVersion')!r}, count {si.get('count')}")
    drives = items(hdd)
    print(f"  hdd     " + ", ".join(f"{d.get('szRootPath')} frag {d.get('szFragmentation')!r}" for d in drives))
    empty_owner = sum(1 for p in procs if not p.get("szOwner"))
    idle = [p for p in procs if p.get("szName") == "System Idle Process"]
    print(f"  process count {pr.get('count')} nodes {len(procs)} without owner {empty_owner}"
          f" cpu sum {sum(p.get('nCpuPercent', 0) for p in procs)} idle {[ (p.get('nCpuPercent'), p.get('szMemory')) for p in idle]}")
    print(f"  netcfg  " + ", ".join(f"{a.get('szType')!r} {a.get('szIpAddress')}" for a in items(nc)))
    print(f"  shares  rc {(doc.get('shares') or {}).get('returnCode')} nodes {len(items(sh))}; apps nodes {len(items(ap))}")
PY

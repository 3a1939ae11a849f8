#!/usr/bin/env python3
"""The JSON report against its published schema (docs/report.schema.json).

    report_schema_test.py BUILD_DIR SCHEMA

Runs the real host with --json (every check, then a share removal of a name
that is not shared), validates each document, and checks that the schema
still rejects documents whose shape drifted, so that it keeps describing the
output exactly, and still accepts a later check of the section shape. Then
two machines: the report of this tree's prefix and that of the other
architecture's tree (its own prefix, its own host), told apart by their
envelopes.
"""
import copy
import json
import os
import subprocess
import sys

import jsonschema

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import host_test  # noqa: E402  (reads BUILD_DIR from sys.argv[1])
from host_test import check, fail, host  # noqa: E402


def main():
    with open(sys.argv[2], encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft7Validator.check_schema(schema)
    validator = jsonschema.Draft7Validator(schema)

    documents = []
    for args in (["--json"], ["shares", "--remove", "TallowickNoSuchShare", "--yes", "--json"]):
        rc, out, err = host(args)
        try:
            doc = json.loads(out.decode("utf-8"))
        except ValueError as e:
            fail("%s gives no JSON: %s %r" % (args, e, err[-500:]))
        errors = sorted(validator.iter_errors(doc), key=lambda e: list(e.path))
        check(not errors, "%s does not match the schema: %s" % (
            args, "; ".join("%s: %s" % ("/".join(map(str, e.path)), e.message) for e in errors[:5])))
        documents.append(doc)
    full = documents[0]
    check(set(full) == set(schema["properties"]), "every check is described: %s" % sorted(full))
    check(list(full)[:2] == ["format", "envelope"], "the envelope leads the document: %s" % list(full)[:3])
    check(documents[1]["shares"]["result"].get("notShared") == ["TallowickNoSuchShare"],
          "the removal document carries notShared: %s" % documents[1])

    # Drifted shapes are rejected: a field renamed, one of the wrong type, an
    # unknown check, a record field gone.
    def drift(edit):
        doc = copy.deepcopy(full)
        edit(doc)
        return doc

    drifted = {
        "renamed field": drift(lambda d: d["netinfo"]["result"].update(szHostName=d["netinfo"]["result"].pop("szComputerName"))),
        "text as number": drift(lambda d: d["network"]["result"].update(szVerdict=1)),
        "later member not a check": drift(lambda d: d.update(extra=1)),
        "later check without result": drift(lambda d: d.update(extra={"returnCode": 0})),
        "record field gone": drift(lambda d: d["process"]["result"]["items"][0].pop("szMemory")
                                   if d["process"]["result"]["items"] else d.update(bad=1)),
        "record member gone": drift(lambda d: d["os"]["result"].pop("nBuildNumber")),
        "number beside a text gone": drift(lambda d: d["hardware"]["result"].pop("memoryBytes")),
        "return code missing": drift(lambda d: d["apps"].pop("returnCode")),
        "environment value null": drift(lambda d: d["sysinfo"]["result"]["pEnvironment"][0].update(pszValue=None)
                                        if d["sysinfo"]["result"]["pEnvironment"] else d.update(bad=1)),
        "format missing": drift(lambda d: d.pop("format")),
        "other format": drift(lambda d: d.update(format=1)),
        "envelope missing": drift(lambda d: d.pop("envelope")),
        "envelope time missing": drift(lambda d: d["envelope"].pop("generated")),
        "envelope time with no zone": drift(lambda d: d["envelope"].update(generated="2026-12-08 22:15:03")),
        "machine name missing": drift(lambda d: d["envelope"]["machine"].pop("computerName")),
        "library version missing": drift(lambda d: d["envelope"]["library"].pop("version")),
        "Windows build missing": drift(lambda d: d["envelope"]["os"].pop("buildNumber")),
        "empty document": {},
        "program list without its count": drift(lambda d: d["appsex"]["result"].pop("count")),
        "scope out of range": drift(lambda d: d["appsex"]["result"]["programs"].append(
            dict(d["appsex"]["result"]["programs"][0], nScope=2) if d["appsex"]["result"]["programs"]
            else {"nScope": 2})),
        "adapter address as text": drift(lambda d: d["adapters"]["result"]["adapters"][0].update(pUnicastAddresses="::1")
                                         if d["adapters"]["result"]["adapters"] else d.update(bad=1)),
        "adapter type word unknown": drift(lambda d: d["adapters"]["result"]["adapters"][0].update(szType="Wireless")
                                           if d["adapters"]["result"]["adapters"] else d.update(bad=1)),
    }
    for what, doc in drifted.items():
        check(not validator.is_valid(doc), "the schema accepts a document with a %s" % what)
    # What a reader must still take: a later check, a check the host could not
    # show, a check that gave no record.
    accepted = {
        "later check": drift(lambda d: d.update(netconfigex={"returnCode": 0, "result": {"count": 0, "adapters": []}})),
        "check not shown": drift(lambda d: d["sysinfo"].update(result={})),
        "check without a record": drift(lambda d: d["network"].update(returnCode=1, result={"count": 0})),
        "no Windows identity": drift(lambda d: d["envelope"].update(os=None)),
    }
    for what, doc in accepted.items():
        check(validator.is_valid(doc), "the schema rejects a document with a %s" % what)
    print("report documents match docs/report.schema.json; %d drifted documents rejected, %d accepted"
          % (len(drifted), len(accepted)))
    two_machines(validator, full)


def other_tree():
    """The build tree of the other architecture, when it has a host and its Wine wrapper."""
    here = os.path.abspath(sys.argv[1])
    for name in ("build", "build-x64"):
        other = os.path.join(os.path.dirname(here), name)
        if other != here and all(os.path.exists(os.path.join(other, f)) for f in ("wine-run", "bin/tallowick.exe",
                                                                                  "bin/Tallowick.dll")):
            return other
    return None


def two_machines(validator, ours):
    """Two prefixes are two machines (on one Linux host they share the computer
    name): their reports differ in machineGuid, and here in the architecture."""
    other = other_tree()
    if other is None:
        print("no build of the other architecture beside this one: the two machines are not compared")
        return
    # A check that needs no proxy: the other tree's prefix settings stay as they are.
    proc = subprocess.run([os.path.join(other, "wine-run"), os.path.join(other, "bin", "tallowick.exe"), "os",
                           "--json"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=240)
    theirs = json.loads(proc.stdout.decode("utf-8"))
    check(validator.is_valid(theirs), "the other tree's report matches the schema")
    a, b = ours["envelope"], theirs["envelope"]
    for env in (a, b):
        check(env["machine"]["machineGuid"], "a machine GUID in each envelope: %s" % env["machine"])
        check(env["os"] and env["os"]["buildNumber"] > 0, "the Windows identity in each envelope: %s" % env["os"])
    check(a["machine"]["machineGuid"] != b["machine"]["machineGuid"],
          "two prefixes, two machine GUIDs: %s" % a["machine"]["machineGuid"])
    check(a["tool"]["architecture"] != b["tool"]["architecture"] and a["os"]["architecture"] != b["os"]["architecture"],
          "the x86 and the x64 machine: %s / %s" % (a["os"]["summary"], b["os"]["summary"]))
    print("two machines told apart: %s (%s) and %s (%s)" % (a["machine"]["machineGuid"], a["os"]["summary"],
                                                           b["machine"]["machineGuid"], b["os"]["summary"]))
    # The 32-bit host on the 64-bit machine names that machine as its 64-bit
    # host does: the GUID is read in the 64-bit view (the 32-bit one has none).
    prefix64, host32 = (os.path.join(os.path.abspath(sys.argv[1]), "wineprefix"), other) \
        if a["tool"]["architecture"] == "x64" else (os.path.join(other, "wineprefix"), os.path.abspath(sys.argv[1]))
    env = dict(os.environ, TALLOWICK_PREFIX_OVERRIDE=prefix64, TALLOWICK_WINEARCH_OVERRIDE="win64",
               TALLOWICK_KEEPER=os.path.join(os.path.dirname(prefix64), "bin", "wine-keeper.exe"))
    proc = subprocess.run([os.path.join(host32, "wine-run"), os.path.join(host32, "bin", "tallowick.exe"), "os",
                           "--json"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=240, env=env)
    wow = json.loads(proc.stdout.decode("utf-8"))["envelope"]
    x64 = a if a["tool"]["architecture"] == "x64" else b
    check(wow["os"]["wow64"] and wow["tool"]["architecture"] == "x86", "a 32-bit host under WoW64: %s" % wow)
    check(wow["machine"] == x64["machine"], "one machine for both hosts: %s / %s" % (wow["machine"], x64["machine"]))


if __name__ == "__main__":
    main()

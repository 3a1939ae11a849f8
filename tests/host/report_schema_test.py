#!/usr/bin/env python3
"""The JSON report against its published schema (docs/report.schema.json).

    report_schema_test.py BUILD_DIR SCHEMA

Runs the real host with --json (every check, then a share removal of a name
that is not shared), validates each document, and checks that the schema
still rejects documents whose shape drifted, so that it keeps describing the
output exactly.
"""
import copy
import json
import os
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
        "unknown check": drift(lambda d: d.update(extra={"returnCode": 0, "result": {}})),
        "record field gone": drift(lambda d: d["process"]["result"]["items"][0].pop("szMemory")
                                   if d["process"]["result"]["items"] else d.update(bad=1)),
        "return code missing": drift(lambda d: d["apps"].pop("returnCode")),
        "adapter address as text": drift(lambda d: d["adapters"]["result"]["adapters"][0].update(pUnicastAddresses="::1")
                                         if d["adapters"]["result"]["adapters"] else d.update(bad=1)),
        "adapter type word unknown": drift(lambda d: d["adapters"]["result"]["adapters"][0].update(szType="Wireless")
                                           if d["adapters"]["result"]["adapters"] else d.update(bad=1)),
    }
    for what, doc in drifted.items():
        check(not validator.is_valid(doc), "the schema accepts a document with a %s" % what)
    print("report documents match docs/report.schema.json; %d drifted documents rejected" % len(drifted))


if __name__ == "__main__":
    main()

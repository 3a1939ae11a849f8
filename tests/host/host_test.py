#!/usr/bin/env python3
"""Tests of the command-line host: runs the real tallowick.exe under Wine.

    host_test.py BUILD_DIR CASE

Every run that includes the connectivity check points the prefix's Internet
settings at a loopback HTTP server of this script first (and restores them),
so nothing leaves 127.0.0.1.
"""
import calendar
import contextlib
import html.parser
import http.server
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

BUILD = os.path.abspath(sys.argv[1])
WINE_RUN = os.path.join(BUILD, "wine-run")
BIN = os.path.join(BUILD, "bin")
HOST = os.path.join(BIN, "tallowick.exe")
FAKE_DLL = os.path.join(BUILD, "tests", "fake_library", "Tallowick.dll")
INET_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


def check(cond, message):
    if not cond:
        fail(message)


def wine(args, timeout=240, env=None):
    proc = subprocess.run([WINE_RUN] + args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=timeout, env=env)
    return proc.returncode, proc.stdout, proc.stderr


def reg_query(value):
    rc, out, _ = wine(["reg", "query", INET_KEY, "/v", value])
    if rc != 0:
        return None
    m = re.search(rb"\s" + value.encode() + rb"\s+(REG_\w+)\s+(.*)", out)
    return (m.group(1).decode(), m.group(2).decode().strip()) if m else None


def reg_set(value, kind, data):
    if data is None:
        wine(["reg", "delete", INET_KEY, "/v", value, "/f"])
    else:
        if kind == "REG_DWORD" and data.startswith("0x"):
            data = str(int(data, 16))
        wine(["reg", "add", INET_KEY, "/v", value, "/t", kind, "/d", data, "/f"])


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = b"<html><body>ok</body></html>"
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


@contextlib.contextmanager
def loopback_proxy():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    saved = {v: reg_query(v) for v in ("ProxyEnable", "ProxyServer", "ProxyOverride")}
    try:
        reg_set("ProxyEnable", "REG_DWORD", "1")
        reg_set("ProxyServer", "REG_SZ", "127.0.0.1:%d" % server.server_address[1])
        reg_set("ProxyOverride", None, None)
        yield
    finally:
        for value, old in saved.items():
            reg_set(value, old[0] if old else None, old[1] if old else None)
        server.shutdown()


def host(args, exe=HOST, env=None):
    with loopback_proxy():
        return wine([exe] + args, env=env)


def sections():
    """(name, title) of every section the host lists in --help."""
    rc, out, err = wine([HOST, "--help"])
    check(rc == 0, "--help exits 0, got %d" % rc)
    text = out.decode("utf-8")
    block = text.split("\nchecks:\n", 1)[1].split("\n\n", 1)[0]
    found = [tuple(line.strip().split(None, 1)) for line in block.splitlines() if line.strip()]
    check(found and all(len(f) == 2 for f in found), "--help lists checks with titles:\n" + text)
    return found


def one_line_error(err):
    lines = err.decode("utf-8").splitlines()
    return len(lines) == 1 and lines[0].startswith("tallowick: ")


# The host's exit codes, each tested by the case named beside it.
EXIT_CODES = {
    0: "every check returned 0",       # json (when no check failed), text
    1: "a check returned non-zero",    # check_failure
    2: "usage error",                  # usage_errors
    4: "could not be loaded",          # missing_library
    5: "report could not be written",  # json
    130: "interrupted",                # interrupt
}

# ---- cases ---------------------------------------------------------------------

def case_help():
    rc, out, err = wine([HOST, "--help"])
    text = out.decode("utf-8")
    for option in ("--json", "--html FILE", "--remove NAME", "--help"):
        check(option in text, "--help names %s" % option)
    codes = text.split("\nexit codes:\n", 1)[1].split("\n\n", 1)[0]
    for code, meaning in EXIT_CODES.items():
        check(re.search(r"^  %d +.*%s" % (code, re.escape(meaning)), codes, re.M),
              "--help documents exit code %d (%s):\n%s" % (code, meaning, codes))
    names = [n for n, _ in sections()]
    check("network" in names, "the connectivity check is listed")
    check(names.index("apps") < names.index("appsex"), "the extended program list follows the legacy one: %s" % names)
    check(err == b"", "--help writes nothing on stderr")


USAGE_ERRORS = [
    (["--bogus"], "unknown option"),
    (["nosuchcheck"], "unknown check"),
    (["--html"], "--html needs a file name"),
    (["--html="], "--html needs a file name"),
    (["network", "--remove", "X"], "--remove"),
    (["shares", "--remove"], "--remove"),
]


def case_usage_errors():
    for args, expected in USAGE_ERRORS:
        rc, out, err = wine([HOST] + args)
        check(rc == 2, "%s exits 2, got %d" % (args, rc))
        check(one_line_error(err), "%s gives one line on stderr: %r" % (args, err))
        check(expected in err.decode("utf-8"), "%s names the problem: %r" % (args, err))
        check(out == b"", "%s prints nothing on stdout" % args)


def case_json():
    listed = sections()
    rc, out, err = host(["--json"])
    try:
        doc = json.loads(out.decode("utf-8", errors="strict"))
    except (UnicodeDecodeError, ValueError) as e:
        fail("--json output is not valid UTF-8 JSON: %s\n%r" % (e, out[:2000]))
    check(isinstance(doc, dict), "the document is an object")
    check(doc.get("format") == 2, "report format 2: %s" % doc.get("format"))
    envelope = doc.pop("envelope", None)
    doc.pop("format", None)
    check_envelope(envelope, listed)
    check(list(doc) == [n for n, _ in listed], "one entry per check in report order: %s" % list(doc))
    for name, entry in doc.items():
        check(set(entry) == {"returnCode", "result"}, "%s has returnCode and result" % name)
        check(isinstance(entry["returnCode"], int), "%s returnCode is an integer" % name)
        check(isinstance(entry["result"], dict), "%s result is an object" % name)
    failed = any(e["returnCode"] != 0 for e in doc.values())
    check(rc == (1 if failed else 0), "exit code %d matches the return codes" % rc)
    apps = doc["appsex"]["result"]
    check(apps.get("count") == len(apps.get("programs", [])), "the extended program list counts its nodes: %s" % apps)
    net = doc["network"]["result"]
    check(net.get("szVerdict") and net.get("szNetworkState"), "the verdict and state are filled: %s" % net)
    # The loopback proxy answers: reachable, beside the text.
    check(net.get("reachable") is True, "reachable beside the verdict: %s" % net)
    check_numbers(doc)
    # Asking twice for one check runs it once.
    rc, out, _ = host(["network", "--json", "network"])
    check(list(json.loads(out.decode("utf-8"))) == ["format", "envelope", "network"], "a check named twice runs once")
    # A report that cannot be written is a failure with a one-line reason.
    rc, out, err = host(["network", "--html", "Z:\\no\\such\\folder\\report.html"])
    check(rc == 5 and "cannot write" in err.decode("utf-8"), "an unwritable --html file exits 5: %d %r" % (rc, err))


def check_envelope(env, listed):
    check(isinstance(env, dict), "the document has an envelope")
    check(re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ", env["generated"]), "UTC ISO 8601: %s" % env["generated"])
    started = calendar.timegm(time.strptime(env["generated"], "%Y-%m-%dT%H:%M:%SZ"))
    check(abs(time.time() - started) < 600, "the time is now: %s" % env["generated"])
    check(re.fullmatch(r"\d+\.\d+\.\d+", env["library"]["version"]), "the library version: %s" % env["library"])
    major, minor, patch = map(int, env["library"]["version"].split("."))
    check(env["library"]["versionNumber"] == (major << 16) | (minor << 8) | patch, "packed version: %s" % env["library"])
    check(env["tool"]["version"] == env["library"]["version"], "host and library of one build: %s" % env)
    machine = env["machine"]
    check(machine["computerName"] and machine["workgroup"], "computer name and workgroup: %s" % machine)
    check(re.fullmatch(r"[0-9a-fA-F]{8}(-[0-9a-fA-F]{4}){3}-[0-9a-fA-F]{12}", machine["machineGuid"] or ""),
          "the machine GUID: %s" % machine)
    os_ = env["os"]
    check(os_ and os_["buildNumber"] > 0 and os_["productName"], "the Windows identity: %s" % os_)
    check(os_["architecture"] in ("x86", "x64") and env["tool"]["architecture"] in ("x86", "x64"), "architectures")


def check_numbers(doc):
    """Every number beside a text is the number that text shows."""
    hw = doc["hardware"]["result"]
    m = re.fullmatch(r"(\d+) MB", hw["szMemory"])
    check(m and hw["memoryBytes"] == int(m.group(1)) << 20, "memory bytes beside %r: %s" % (hw["szMemory"], hw))
    sizes = [float(re.match(r"([\d.]+)GB", d).group(1)) for d in hw["szDiskDrive"].split("; ") if d]
    check(len(sizes) == len(hw["diskDriveBytes"]) and
          all(abs(b - s * 2 ** 30) <= 2 ** 30 / 2000 for b, s in zip(hw["diskDriveBytes"], sizes)),
          "disk bytes beside %r: %s" % (hw["szDiskDrive"], hw["diskDriveBytes"]))
    for p in doc["process"]["result"]["items"]:
        k = re.fullmatch(r"(\d+) K", p["szMemory"])
        check(p["memoryBytes"] == (int(k.group(1)) * 1024 if k else None), "process memory bytes: %s" % p)
    for d in doc["hdd"]["result"]["drives"]:
        f = re.match(r"(\d+)%", d["szFragmentation"])
        check(d["fragmentationPercent"] == (int(f.group(1)) if f else None), "fragmentation percent: %s" % d)


def case_text():
    listed = sections()
    rc, out, err = host([])
    check(rc in (0, 1), "exit code 0 or 1, got %d" % rc)
    text = out.decode("utf-8", errors="strict")
    positions = []
    for name, title in listed:
        heading = "== %s ==" % title
        check(heading in text, "the text report has the section %s" % heading)
        positions.append(text.index(heading))
    check(positions == sorted(positions), "sections in report order")
    check(b"\x1b[" not in err, "no progress line when stderr is not a console")
    # One section alone.
    rc, out, _ = host(["network"])
    check(rc == 0 and out.decode("utf-8").count("== ") == 1, "a named check prints one section")


class Dom(html.parser.HTMLParser):
    """Collects what the report tests look at, with each section's visible text
    and the rows of cell texts of the processes table."""

    def __init__(self):
        super().__init__()
        self.sections, self.external, self.body, self.verdict = {}, [], {}, False
        self.text, self.rows, self.section, self.cell, self.hidden = {}, [], None, False, 0

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "section" and "data-check" in a:
            self.sections[a["data-check"]] = a
            self.section = a["data-check"]
        if tag == "body":
            self.body = a
        if a.get("id") == "verdict":
            self.verdict = True
        for attr in ("src", "href", "action", "data"):
            v = a.get(attr)
            if v is not None and not v.startswith("#"):
                self.external.append((tag, attr, v))
        if tag == "link":
            self.external.append((tag, "link", a))
        self.hidden += tag in ("script", "style")
        self.text[self.section] = self.text.get(self.section, "") + "\n"
        if self.section == "process" and tag == "tr":
            self.rows.append([])
        self.cell = self.section == "process" and tag in ("td", "th")
        if self.cell:
            self.rows[-1].append("")

    def handle_endtag(self, tag):
        self.hidden -= tag in ("script", "style")
        self.text[self.section] = self.text.get(self.section, "") + "\n"
        self.section = None if tag == "section" else self.section
        self.cell = False

    def handle_data(self, data):
        if not self.hidden:
            self.text[self.section] = self.text.get(self.section, "") + data
        if self.cell:
            self.rows[-1][-1] += data

    def processes(self):
        """The rows of the processes table, each its cell texts by column head."""
        check(len(self.rows) > 2, "the processes table has rows: %s" % self.rows)
        return [dict(zip(self.rows[0], r)) for r in self.rows[1:]]


REPORT = os.path.join(BUILD, "tests", "host_report", "report.html")
REPORT_TEXT = os.path.join(BUILD, "tests", "host_report", "report.txt")
HEADER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "include", "tallowick.h")


def text_labels(text):
    """{section title: labels in order} of the text report: the heads of its
    tables, the first cells of its Field/Value tables and its "Label:" lines."""
    labels, title, lines, table, fields = {None: []}, None, text.splitlines() + [""], None, False
    rule = re.compile(r"\s*-+(\s+-+)*")
    for line, after in zip(lines, lines[1:]):
        indent, cells = len(line) - len(line.lstrip()), re.split(r"\s{2,}", line.strip())
        if line.startswith("== "):
            title, table = line.strip("= "), None
            labels[title] = []
        elif rule.fullmatch(after):
            labels[title] += cells
            table, fields = indent, cells == ["Field", "Value"]
        elif table is not None and indent >= table:
            if fields and indent == table and not rule.fullmatch(line):
                labels[title].append(cells[0])
        elif re.match(r" {2}[^\s(][^:]*:(\s|$)", line):
            table = None
            labels[title].append(line.strip().split(":")[0])
    return labels


def in_order(words, text):
    """The first of `words` not found as a whole word after the one before it, or None."""
    at = 0
    for w in words:
        m = re.compile(r"(?<!\w)" + re.escape(w) + r"(?!\w)").search(text, at)
        if not m:
            return w
        at = m.end()
    return None


def sort_key(head, cell):
    """What a column of the processes table sorts by, from its shown text."""
    if head == "Memory":
        if cell == "":
            return -1  # a process that could not be opened, or ended meanwhile: sorts below every figure
        m = re.fullmatch(r"([\d.]+) (B|KiB|MiB|GiB)", cell)
        check(m, "a readable memory figure: %r" % cell)
        return float(m.group(1)) * 1024 ** ["B", "KiB", "MiB", "GiB"].index(m.group(2))
    return int(cell)


def check_sorted(rows, head, down, where):
    keys = [sort_key(head, r[head]) for r in rows]
    check(keys == sorted(keys, reverse=down), "%s: processes by %s, %s: %s"
          % (where, head, "down" if down else "up", keys))


def case_html_generate():
    """Writes the report the other HTML cases look at (one full run for all of them)
    and the text report of that run beside it."""
    os.makedirs(os.path.dirname(REPORT), exist_ok=True)
    for old in (REPORT, REPORT_TEXT):
        if os.path.exists(old):
            os.remove(old)
    winpath = "Z:" + REPORT.replace("/", "\\")
    # A zone half an hour off the hour: the report's time must carry it.
    rc, out, err = host(["--html", winpath], env=dict(os.environ, TZ="Asia/Kolkata"))
    check(rc in (0, 1), "exit code 0 or 1 with --html, got %d: %r" % (rc, err))
    check(os.path.isfile(REPORT), "--html wrote the report")
    headings = [l for l in out.decode("utf-8").splitlines() if l.startswith("== ") and l.endswith(" ==")]
    check(len(headings) == len(sections()), "--html keeps the text report on stdout")
    with open(REPORT_TEXT, "wb") as f:
        f.write(out)


def html_report(tmp):
    check(os.path.isfile(REPORT), "the report of html_generate exists")
    return REPORT


def case_html_static():
    listed = sections()
    with tempfile.TemporaryDirectory() as tmp:
        path = html_report(tmp)
        raw = open(path, "rb").read()
        page = raw.decode("utf-8", errors="strict")
        dom = Dom()
        dom.feed(page)
        check(list(dom.sections) == [n for n, _ in listed], "one section a check: %s" % list(dom.sections))
        check(not dom.external, "no external resources: %s" % dom.external)
        check(not re.search(r"url\(|@import|https?://", page), "no external references in style or script")
        check(dom.verdict, "the connectivity verdict is at the top")
        m = re.search(r"<header>.*?<p>[^<]*?(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)([+-]\d\d:\d\d|Z)</p>", page)
        check(m and m.group(2) == "+05:30", "the report's time in ISO 8601 with its zone: %s" % (m and m.group(0)))
        utc = calendar.timegm(time.strptime(m.group(1), "%Y-%m-%dT%H:%M:%S")) - (5 * 3600 + 30 * 60)
        check(abs(os.path.getmtime(path) - utc) < 600, "the time is the report's: %s" % m.group(0))
        check(page.index('id="verdict"') < page.index("<section"), "the verdict comes before the sections")
        check_sorted(dom.processes(), "Memory", True, "with scripts off")


def chromium(args, tmp):
    exe = shutil.which("chromium") or shutil.which("chromium-browser")
    check(exe, "chromium is installed")
    profile = tempfile.mkdtemp(dir=tmp)
    cmd = [exe, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync", "--user-data-dir=" + profile] + args
    return subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=90)


def rendered(path, tmp):
    proc = chromium(["--dump-dom", "file://" + path], tmp)
    check(proc.returncode == 0, "chromium ran: %r" % proc.stderr[-2000:])
    dom = Dom()
    dom.feed(proc.stdout.decode("utf-8"))
    return dom, proc.stdout.decode("utf-8")


def case_html_chromium():
    listed = sections()
    with tempfile.TemporaryDirectory() as tmp:
        path = html_report(tmp)
        dom, page = rendered(path, tmp)
        done = [n for n, a in dom.sections.items() if a.get("data-rendered") == "yes"]
        check(done == [n for n, _ in listed], "every section has a laid-out box: %s" % done)
        check(dom.body.get("data-rendered-sections") == str(len(listed)), "the page script ran: %s" % dom.body)

        # The labels of the text report of the same run, in its order, and no record field name.
        labels = text_labels(open(REPORT_TEXT, encoding="utf-8").read())
        check(len(sum(labels.values(), [])) > 40, "labels found in the text report: %s" % labels)
        for name, title in listed:
            missing = in_order(labels[title], dom.text[name])
            check(missing is None, "%s shows %r in the text report's order %s:\n%s"
                  % (name, missing, labels[title], dom.text[name]))
        header = open(HEADER, encoding="utf-8").read()
        fields = set(re.findall(r"(\w+)(?:\[\w+\])?;", "".join(re.findall(r"typedef struct \w+ \{(.*?)\}", header,
                                                                            re.S))))
        check({"szOsName", "reserved", "pNext"} <= fields, "the header's record fields: %s" % fields)
        shown = [f for f in fields if re.search(r"(?<!\w)" + f + r"(?!\w)", page)]
        check(not shown, "no record field name in the rendered page: %s" % shown)
        check_sorted(dom.processes(), "Memory", True, "rendered")

        # A click on a head sorts by that column, numbers largest first.
        clicked = os.path.join(tmp, "clicked.html")
        script = ("<script>addEventListener('load',function(){Array.prototype.find.call(document.querySelectorAll("
                  "'section[data-check=process] th'),function(t){return t.textContent=='CPU %';}).click();});</script>")
        with open(clicked, "w", encoding="utf-8") as f:
            f.write(open(path, encoding="utf-8").read().replace("</body>", script + "</body>"))
        check_sorted(rendered(clicked, tmp)[0].processes(), "CPU %", True, "after a click")


def case_html_screenshot():
    with tempfile.TemporaryDirectory() as tmp:
        path = html_report(tmp)
        shot = os.path.join(tmp, "report.png")
        proc = chromium(["--screenshot=" + shot, "--window-size=1200,1600", "--hide-scrollbars",
                         "file://" + path], tmp)
        check(proc.returncode == 0 and os.path.isfile(shot), "chromium took a screenshot: %r" % proc.stderr[-2000:])
        data = open(shot, "rb").read()
        check(data[:8] == b"\x89PNG\r\n\x1a\n", "the screenshot is a PNG")
        check(len(data) > 8000, "the screenshot shows a page, not a blank (%d bytes)" % len(data))
        keep = os.environ.get("TALLOWICK_SCREENSHOT")
        if keep:
            shutil.copy(shot, keep)


def pe_machine(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    pe = int.from_bytes(data[0x3C:0x40], "little")
    return int.from_bytes(data[pe + 4:pe + 6], "little")


def case_missing_library():
    with tempfile.TemporaryDirectory(dir=BUILD) as tmp:
        exe = os.path.join(tmp, "tallowick.exe")
        shutil.copy(HOST, exe)
        rc, out, err = wine([exe, "network"])
        check(rc == 4, "exit code 4 without the library, got %d" % rc)
        check(one_line_error(err) and "Tallowick.dll was not found" in err.decode(), "a clear message: %r" % err)
        # A DLL of the right kind without the exports: a system DLL of the
        # prefix (of the host's machine type) under the library's name.
        own64 = pe_machine(HOST) == 0x8664
        prefix = os.environ.get("TALLOWICK_PREFIX_OVERRIDE") or os.path.join(BUILD, "wineprefix")
        system = [os.path.join(prefix, "drive_c", "windows", d, "version.dll") for d in ("system32", "syswow64")]
        stranger = [p for p in system if os.path.exists(p) and pe_machine(p) == pe_machine(HOST)]
        check(stranger, "a system DLL of the host's kind in the prefix: %s" % system)
        shutil.copy(stranger[0], os.path.join(tmp, "Tallowick.dll"))
        rc, out, err = wine([exe, "network"])
        check(rc == 4 and one_line_error(err) and "has no export" in err.decode(), "a missing export: %d %r" % (rc, err))
        os.remove(os.path.join(tmp, "Tallowick.dll"))
        # A library of the other architecture (when that build tree is there):
        # the message names the kind of DLL this host needs.
        other = os.path.join(os.path.dirname(BUILD), "build" if own64 else "build-x64", "bin", "Tallowick.dll")
        if os.path.exists(other):
            shutil.copy(other, tmp)
            rc, out, err = wine([exe, "network"])
            want = "not a 64-bit (x64) Windows DLL" if own64 else "not a 32-bit (x86) Windows DLL"
            check(rc == 4 and one_line_error(err) and want in err.decode(), "names the kind it needs: %r" % err)
        else:
            print("no build of the other architecture at %s: the wrong-architecture message is not checked" % other)


def case_missing_catalogue():
    with tempfile.TemporaryDirectory(dir=BUILD) as tmp:
        exe = os.path.join(tmp, "tallowick.exe")
        shutil.copy(HOST, exe)
        shutil.copy(os.path.join(BIN, "Tallowick.dll"), tmp)
        rc, out, err = host(["--json", "network"], exe=exe)
        check("message catalogue" in err.decode() and "missing" in err.decode(), "a warning names it: %r" % err)
        doc = json.loads(out.decode("utf-8"))
        check(doc["network"]["result"]["szVerdict"] in ("NoFault", "HaveFault"), "texts fall back to message ids")


def case_check_failure():
    """A check that returns 1 makes the host exit 1; every section copes with a failed check."""
    with tempfile.TemporaryDirectory(dir=BUILD) as tmp:
        exe = os.path.join(tmp, "tallowick.exe")
        shutil.copy(HOST, exe)
        shutil.copy(FAKE_DLL, tmp)
        rc, out, err = wine([exe, "network"])
        check(rc == 1, "exit code 1 when the check fails, got %d" % rc)
        check("(the check returned 1)" in out.decode("utf-8"), "the report says so")
        rc, out, err = wine([exe, "--json"])
        check(rc == 1, "exit code 1 when every check fails, got %d: %r" % (rc, err))
        doc = json.loads(out.decode("utf-8"))
        checks = {k: v for k, v in doc.items() if k not in ("format", "envelope")}
        check(checks and all(e["returnCode"] == 1 for e in checks.values()), "every return code is 1")
        check(doc["envelope"]["os"] is None and doc["envelope"]["machine"]["workgroup"] == "",
              "an envelope without what the failed checks would give: %s" % doc["envelope"])


def run_in_console(args, env_mode, interrupts):
    """Runs the host on a pseudo terminal (so Wine gives it a console), waits
    for its progress line, then types Ctrl+C `interrupts` times."""
    import pty
    import select
    import time
    pid, fd = pty.fork()
    if pid == 0:
        os.environ["TALLOWICK_FAKE_MODE"] = env_mode
        os.execv(WINE_RUN, [WINE_RUN] + args)
    out = b""
    sent = 0
    start = time.time()
    sent_at = None
    while time.time() - start < 60:
        r, _, _ = select.select([fd], [], [], 0.2)
        if r:
            try:
                data = os.read(fd, 4096)
            except OSError:
                break
            if not data:
                break
            out += data
        if sent < interrupts and b"waiting for the stand-in" in out:
            os.write(fd, b"\x03")
            sent += 1
            sent_at = sent_at or time.time()
            time.sleep(0.3)
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), out, sent, (time.time() - sent_at) if sent_at else None


def case_interrupt():
    """Ctrl+C answers the next callback with non-zero; a second Ctrl+C ends the host."""
    with tempfile.TemporaryDirectory(dir=BUILD) as tmp:
        exe = os.path.join(tmp, "tallowick.exe")
        shutil.copy(HOST, exe)
        shutil.copy(FAKE_DLL, tmp)
        for mode, presses in (("wait", 1), ("stubborn", 2)):
            rc, out, sent, after = run_in_console([exe, "network"], mode, presses)
            check(sent == presses, "%s: the progress line showed and Ctrl+C was typed %d times" % (mode, sent))
            check(rc == 130, "%s: exit code 130 after Ctrl+C, got %d: %r" % (mode, rc, out[-400:]))
            check(after < 15, "%s: the host ended %.1f s after the first Ctrl+C" % (mode, after))
            if mode == "wait":
                check(b"tallowick: interrupted" in out, "the host says it was interrupted: %r" % out[-400:])


def case_keeper():
    """The prefix's keeper runs (the Wine wrapper starts it with the server)
    and stays; one is enough: a second keeper ends at once."""
    keeper = os.path.join(BIN, "wine-keeper.exe")
    check(os.path.isfile(keeper), "the keeper is built beside the host")
    start = time.monotonic()
    rc, _, _ = wine([keeper], timeout=60)
    check(rc == 0, "a second keeper ends with 0, got %d" % rc)
    check(time.monotonic() - start < 30, "a second keeper ends at once")
    rc, out, _ = host(["process", "--json"])
    names = [p["szName"].lower() for p in json.loads(out.decode("utf-8"))["process"]["result"]["items"]]
    check("wine-keeper.exe" in names, "the keeper is among the processes: %s" % names)


CASES = {name[5:]: fn for name, fn in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in CASES:
        print("usage: host_test.py BUILD_DIR {%s}" % ",".join(CASES))
        sys.exit(2)
    CASES[sys.argv[2]]()
    print("passed: " + sys.argv[2])

#!/usr/bin/env python3
"""report_dom.py JSON DOM TERMINAL [--hostile]: checks the DOM that Chromium
built from a vexilo-check --html page against what --json says of the same
file: the 377 zone cells in order with their plateback and line, the legend's
counts, the summary with its assumed texture count, every diagnostic, the
game's executables and their builds, that the summary, legend and problems
stand above the grid, and that the page loads nothing. TERMINAL is the plain
terminal report of the same file: the page must count the unset zones as it
does. With --hostile, also that the hostile lines of
tests/data/check/hostile.txt came out as text. Prints one line per failed
check and "N passed, M failed"."""
import collections
import html.parser
import json
import re
import sys


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tags = collections.Counter()
        self.metas = []
        self.cells = []
        self.legend = []
        self.diagnostics = []
        self.summary = {}
        self.urls = []
        self.unset_key = {}
        self.games = []
        self.notes = {}
        self._open = []  # (tag, record, field) of elements whose text is collected

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        self.tags[tag] += 1
        for name, value in attrs:
            if name in ("src", "href", "action", "srcset", "poster", "data") and value:
                self.urls.append(value)
        if tag == "meta":
            self.metas.append(a)
        classes = (a.get("class") or "").split()
        record, field = None, None
        if tag == "div" and "zone" in classes:
            record = dict(a, text="")
            self.cells.append(record)
            field = "text"
        elif tag == "li" and "data-plateback" in a:
            self.legend.append(a)
        elif tag == "li" and "data-file" in a:
            record = dict(a, text="")
            self.games.append(record)
            field = "text"
        elif tag == "p" and a.get("id") in ("no-game", "file-check-limit"):
            record, field = self.notes, a["id"]
            self.notes[field] = ""
        elif tag == "li" and "key-unset" in classes:
            self.unset_key = a
        elif tag == "tr" and "diagnostic" in classes:
            self.diagnostics.append(dict(a, message="", text=""))
        elif tag == "td" and "message" in classes and self.diagnostics:
            record, field = self.diagnostics[-1], "message"
        elif tag == "code" and "text" in classes and self.diagnostics:
            record, field = self.diagnostics[-1], "text"
        elif "id" in a and tag in ("dd", "span"):
            record, field = self.summary, a["id"]
            self.summary[field] = ""
        self._open.append((tag, record, field))

    def handle_endtag(self, tag):
        while self._open:
            if self._open.pop()[0] == tag:
                break

    def handle_data(self, data):
        for _, record, field in self._open:
            if record is not None:
                record[field] += data


def shown(text):
    """JSON keeps DEL and C1 controls as they are; the page spells them out."""
    text = text.replace("\x7f", "\\x7F")
    return re.sub("[\x80-\x9f]", lambda m: "\\u%04X" % ord(m.group()), text)


def main():
    report = json.load(open(sys.argv[1], encoding="utf-8"))
    raw = open(sys.argv[2], encoding="utf-8").read()
    terminal = open(sys.argv[3], encoding="utf-8", errors="replace").read()
    hostile = "--hostile" in sys.argv[4:]
    page = Page()
    page.feed(raw)
    results = []

    def check(ok, what):
        results.append(ok)
        if not ok:
            print("FAIL:", what)

    zones = report["zones"]
    check(len(page.cells) == 377, "%d zone cells, not 377" % len(page.cells))
    check([c.get("data-zone") for c in page.cells] == [str(i) for i in range(len(page.cells))],
          "zone cells are not in index order")
    wrong = [z["index"] for z, c in zip(zones, page.cells)
             if c.get("data-plateback") != str(z["plateback"])
             or c.get("data-line") != ("" if z["line"] is None else str(z["line"]))
             or not c["text"].startswith(str(z["index"]) + z["label"] + "=" + str(z["plateback"]))]
    check(not wrong, "cells whose plateback, line or text is not what --json says: %s" % wrong[:10])
    untitled = [z["index"] for z, c in zip(zones, page.cells)
                if ("set by line %s" % z["line"] if z["line"] else "set by no line") not in c.get("title", "")]
    check(not untitled, "cells whose title does not name the line that sets them: %s" % untitled[:10])
    unset = [c["data-zone"] for c in page.cells if "unset" in c["class"].split()]
    check(unset == [str(z["index"]) for z in zones if z["line"] is None and z["index"] != 187],
          "the cells marked unset are not the zones no line sets")
    check(page.unset_key.get("data-count") == str(len(unset)),
          "the legend counts %s unset zones, the grid marks %d" % (page.unset_key.get("data-count"), len(unset)))
    said_unset = re.search(r"^Zones no line sets \(plateback index 0\): (none|.* \((\d+) zones?\))$", terminal, re.M)
    terminal_unset = None if not said_unset else "0" if said_unset.group(1) == "none" else said_unset.group(2)
    check(page.unset_key.get("data-count") == terminal_unset == str(report["unset_zones"]),
          "unset zones: the page counts %s, the terminal %s, --json %s"
          % (page.unset_key.get("data-count"), terminal_unset, report["unset_zones"]))
    check("unreachable" in page.cells[187]["class"].split() and "unreachable" in page.cells[187]["text"],
          "zone 187 is not shown as unreachable")

    counts = collections.Counter(str(z["plateback"]) for z in zones)
    legend = {li["data-plateback"]: li["data-count"] for li in page.legend}
    check(legend == {plate: str(n) for plate, n in counts.items()},
          "legend counts %s, --json gives %s" % (legend, dict(counts)))

    said = [(d["line"], d["severity"], d["message"], d["text"]) for d in report["diagnostics"]]
    shown_ = [(int(d["data-line"]), d["data-severity"], d["message"], d["text"]) for d in page.diagnostics]
    check(shown_ == [(l, s, shown(m), shown(t)) for l, s, m, t in said],
          "diagnostics differ:\n  page %s\n  json %s" % (shown_[:3], said[:3]))
    check(page.summary.get("lines") == str(report["lines"]), "summary lines")
    check(page.summary.get("debug") == ("on" if report["debug"] else "off"), "summary DEBUG")
    check(page.summary.get("errors", "").startswith("%d error" % report["errors"]), "summary errors")
    check(page.summary.get("warnings", "").startswith("%d warning" % report["warnings"]), "summary warnings")
    check(page.summary.get("file") == report["file"], "summary file %r" % page.summary.get("file"))
    check(page.summary.get("plates") == report["plate_textures_note"],
          "summary plate textures %r" % page.summary.get("plates"))
    grid = raw.find('class="grid"')
    above = [part for part in ('class="summary"', 'class="legend"', 'class="diagnostics"', 'id="no-problems"')
             if part in raw and raw.find(part) > grid]
    check(grid > 0 and not above, "below the grid: %s" % above)

    game = report["game"]
    executables = [(e["file"], e["support"] or "unreadable", "%s: %s." % (e["file"], e["says"]))
                   for e in game["executables"]]
    listed = [(g.get("data-file"), g.get("data-support"), g["text"]) for g in page.games]
    check(listed == executables, "game executables differ:\n  page %s\n  json %s" % (listed[:3], executables[:3]))
    note = page.notes.get("file-check-limit" if executables else "no-game")
    said = game["note"] if executables else game["note"][:1].upper() + game["note"][1:] + "."
    check(note == said, "the game build's note is %r, not %r" % (note, said))

    csp = [m.get("content", "") for m in page.metas if m.get("http-equiv", "").lower() == "content-security-policy"]
    check(bool(csp) and "default-src 'none'" in csp[0], "no Content-Security-Policy that forbids loading")
    check(not page.urls and not re.search(r"(?i)\b(https?|ftp|wss?):|url\(|@import", raw),
          "the page names something to load: %s" % page.urls[:5])
    check(not any(page.tags[t] for t in ("script", "link", "img", "iframe", "object", "embed")),
          "the page holds an element that runs or loads something")

    if hostile:
        texts = [d["text"] for d in page.diagnostics]
        check('<script>alert("x")</script>' in texts, "the <script> line is not shown as text")
        check("\"quoted\" & 'single' <b>bold</b> &amp;" in texts, "quotes and & are not shown as written")
        check("bad \ufffd\ufffd\ufffd utf-8 \ufffd\ufffd\ufffd end" in texts, "invalid UTF-8 is not shown as U+FFFD")
        check("ctrl \\x01\\x02\\x7F and \\u0085 end" in texts, "control characters are not spelled out")
        check('"x" <y> & z' in page.cells[0].get("title", ""), "a title does not quote its line as written")
        check(page.tags["b"] == 377, "a line's <b> became markup")

    print("%d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""The report against the window, for the Wine tests: WORK holds the
window's rows (window.txt: caption TAB cells joined by "|", one line per
row, captions.txt: every tab's caption in tab order) and the report as
report.json and report.csv. Prints "ok" or each problem; with a Python
file of further checks as second argument, runs it with `entries` and
`problems` bound."""
import csv, json, re, sys, collections
work = sys.argv[1]
problems = []
with open(f"{work}/report.json", "rb") as f:
    raw = f.read()
doc = json.loads(raw.decode("utf-8"))
if doc.get("schema") != 2: problems.append(f"schema {doc.get('schema')}")
entries = doc["entries"]

# The window's rows by tab caption, each row its cells joined by "|".
window = collections.OrderedDict()
# The report names a tab by its caption without the count the window shows.
def without_count(caption): return re.sub(r"( -)? \([0-9]+\)$", "", caption)
for caption in open(f"{work}/captions.txt", encoding="utf-8").read().splitlines():
    window[without_count(caption)] = []
for line in open(f"{work}/window.txt", encoding="utf-8").read().splitlines():
    caption, cells = line.split("\t", 1)
    window[without_count(caption)].append(cells)
reported = collections.OrderedDict()
for e in entries:
    reported.setdefault(e["tab"], []).append("|".join(e["columns"]))
for caption, rows in window.items():
    got = reported.get(caption, [])
    if got != rows: problems.append(f"tab {caption}: window {rows} report {got}")
for caption in reported:
    if caption not in window: problems.append(f"report has a tab the window does not: {caption}")
# The report's tab order is the window's.
order = [c for c in window if c in reported]
if list(reported) != order: problems.append(f"tab order {list(reported)} != {order}")

# The CSV: the same entries, field by field, each that a spreadsheet would
# run as a formula with a ' in front.
def as_csv(value): return "'" + value if value[:1] in ("=", "+", "-", "@", "\t", "\r") else value
with open(f"{work}/report.csv", newline="", encoding="utf-8") as f:
    rows = list(csv.DictReader(f))
if raw.count(b"\r\n") and b"\r\n" in raw: problems.append("CRLF inside the JSON")
csv_bytes = open(f"{work}/report.csv", "rb").read()
if csv_bytes.count(b"\n") != csv_bytes.count(b"\r\n"): problems.append("a CSV line end that is no CRLF")
if len(rows) != len(entries): problems.append(f"{len(rows)} CSV rows, {len(entries)} JSON entries")
for row, e in zip(rows, entries):
    for field in ("category", "tab", "name", "command", "location_text", "target", "company", "description",
                  "version", "mark", "error"):
        if row[field] != as_csv(e[field]): problems.append(f"{field}: CSV {row[field]!r} JSON {e[field]!r}")
    for field, value in e["location"].items():
        key = "location_type" if field == "type" else field
        if row[key] != as_csv(value): problems.append(f"location {field}: CSV {row[key]!r} JSON {value!r}")
    cells = [row[f"column_{i}"] for i in range(1, len(e["columns"]) + 1)]
    if cells != [as_csv(c) for c in e["columns"]]: problems.append(f"columns: CSV {cells} JSON {e['columns']}")
    exists = {True: "yes", False: "no", None: ""}[e["target_exists"]]
    if row["target_exists"] != exists: problems.append(f"target_exists: CSV {row['target_exists']} JSON {exists}")

if len(sys.argv) > 2:
    exec(open(sys.argv[2], encoding="utf-8").read(), {"entries": entries, "problems": problems, "doc": doc})
print("\n".join(problems) if problems else "ok")

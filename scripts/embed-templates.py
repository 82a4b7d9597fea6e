#!/usr/bin/env python3
"""Writes the delivered report templates into the three schema scripts.

The templates are edited as files (share/reports/*.pzr, the engine's XML); the delivered
database holds them as rows of table `report`. This script rewrites the marked block at the
end of share/schema/{sqlite,postgresql,mssql}.sql with one insert per template, the bytes as
each engine's binary literal. Run it after changing a template; `--check` only reports
whether the scripts are up to date (exit status 1 when they are not).
"""

import argparse
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
REPORTS = ROOT / "share" / "reports"
SCHEMAS = ROOT / "share" / "schema"

# (Id, GrpId, Title, file): ids stay fixed so that a template keeps its row across releases.
TEMPLATES = [
    (1, 1002, "档案目录", "archives.pzr"),
    (2, 1001, "借阅登记表", "lends.pzr"),
]

BEGIN = "-- BEGIN delivered report templates (scripts/embed-templates.py writes this block)"
END = "-- END delivered report templates"


def sqlite_insert(row_id, group, title, data):
    return (f"insert into report (Id, GrpId, Title, Fr3File) values "
            f"({row_id}, {group}, '{title}', X'{data.hex().upper()}');")


def postgresql_insert(row_id, group, title, data):
    return (f"insert into report (Id, GrpId, Title, Fr3File) values "
            f"({row_id}, {group}, '{title}', decode('{data.hex().upper()}', 'hex'));")


def mssql_insert(row_id, group, title, data):
    return (f"insert into report (Id, GrpId, Title, Fr3File) values "
            f"({row_id}, {group}, N'{title}', 0x{data.hex().upper()});")


EDITIONS = {
    "sqlite.sql": sqlite_insert,
    "postgresql.sql": postgresql_insert,
    "mssql.sql": mssql_insert,
}


def block(make_insert):
    lines = [BEGIN]
    for row_id, group, title, name in TEMPLATES:
        data = (REPORTS / name).read_bytes()
        if not data:
            sys.exit(f"{name} is empty")
        if "'" in title:
            sys.exit(f"the title {title!r} would need quoting")
        lines.append(f"-- {title}: share/reports/{name}")
        lines.append(make_insert(row_id, group, title, data))
    lines.append(END)
    return "\n".join(lines) + "\n"


def rewritten(script, new_block):
    start = script.find(BEGIN)
    if start < 0:
        return script.rstrip("\n") + "\n\n" + new_block
    end = script.find(END, start)
    if end < 0:
        sys.exit("the template block has a beginning but no end")
    end = script.find("\n", end)
    end = len(script) if end < 0 else end + 1
    return script[:start] + new_block + script[end:]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="only report stale scripts")
    args = parser.parse_args()

    stale = []
    for name, make_insert in EDITIONS.items():
        path = SCHEMAS / name
        script = path.read_text(encoding="utf-8")
        updated = rewritten(script, block(make_insert))
        if updated == script:
            continue
        stale.append(name)
        if not args.check:
            path.write_text(updated, encoding="utf-8")
    if args.check and stale:
        print("out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    for name in stale:
        print(f"rewrote share/schema/{name}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""quality_views_columns.py [records folder]: sqlserver.sql's quality views
against postgresql.sql's, as a report reading either server by column name
sees them: the same views, each with the same columns in the same order.
Read as text (no server needed); prints each difference and exits 1."""
import re
import sys
from pathlib import Path

# A view may lie in a string the script executes (EXEC (N'...'), quotes
# doubled; $view$ in a DO block): each string is read again as SQL.
TOKEN = re.compile(r"(?P<skip>--[^\n]*|/\*.*?\*/|\s+)|\$(?P<tag>\w*)\$(?P<body>.*?)\$(?P=tag)\$"
                   r"|[Nn]?'(?P<text>(?:[^']|'')*)'|(?P<word>[\w.\[\]\"@#]+)|(?P<sym>.)", re.S)
CREATE = re.compile(r"CREATE( OR (REPLACE|ALTER))? VIEW orvomed\.(quality_\w+)$", re.I)


def views(sql, found):
    tokens = []
    for m in TOKEN.finditer(sql):
        inner = m["body"] if m["tag"] is not None else m["text"]
        if inner is not None:
            views(inner if m["tag"] is not None else inner.replace("''", "'"), found)
            tokens.append("'")
        elif not m["skip"]:
            tokens.append(m[0])
    for i in range(len(tokens) - 3):
        name = CREATE.match(" ".join(tokens[i:i + 5 if tokens[i + 1].upper() == "OR" else i + 3]))
        if name:
            found[name[3]] = select_list(tokens, [t.upper() for t in tokens].index("SELECT", i) + 1)
    return found


def select_list(tokens, at):
    """The outermost SELECT's names: an alias, else a column's own."""
    columns, depth = [[]], 0
    while depth or tokens[at].upper() != "FROM":
        depth += {"(": 1, ")": -1}.get(tokens[at], 0)
        if depth == 0 and tokens[at] == ",":
            columns.append([])
        else:
            columns[-1].append(tokens[at])
        at += 1
    return [c[-1].split(".")[-1].strip('[]"') if re.match(r"[\w.\[\]\"]+$", c[-1]) else "?" for c in columns]


folder = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parents[2] / "docs" / "records")
postgresql, sqlserver = (views((folder / f).read_text(encoding="utf-8"), {}) for f in ("postgresql.sql", "sqlserver.sql"))
problems = [f"orvomed.{v}: only in {'postgresql' if v in postgresql else 'sqlserver'}.sql"
            for v in sorted(postgresql.keys() ^ sqlserver.keys())]
problems += [f"orvomed.{v}: postgresql.sql has {', '.join(postgresql[v])}; sqlserver.sql has {', '.join(sqlserver[v])}"
             for v in sorted(postgresql.keys() & sqlserver.keys()) if postgresql[v] != sqlserver[v]]
print("\n".join(problems) or f"{len(postgresql)} quality views, the same columns in both scripts")
sys.exit(1 if problems or not postgresql else 0)

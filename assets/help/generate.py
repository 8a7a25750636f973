#!/usr/bin/env python3
"""Writes the tag help files 0.rtf .. 28.rtf from the UTF-8 texts in src/NN.txt.

The files are RTF as a Japanese word processor writes it: Shift_JIS (code page 932) fonts,
Japanese as \\'hh byte pairs, so the .rtf files are pure ASCII.

Markup of the texts, one item per line (blank lines are ignored):
    = text          title
    == text         section heading
    * text          bulleted item
    + text          numbered item (numbering restarts after any other line)
    > text          one line of an example, in a monospaced font (">" alone: an empty line)
    ! text          note, set off in colour
    | a | b | c     table row; a run of rows is one table, its first row the header
    text            plain paragraph
Inline: `code` monospaced, **bold**, %{italic}, ~{underlined}, _{sub} subscript,
^{sup} superscript.

Usage: python3 generate.py  (run in any folder; writes beside this script)
"""

import pathlib
import re
import sys

HERE = pathlib.Path(__file__).resolve().parent
COUNT = 29
LINE = 110            # wrap RTF lines near this length
TABLE_WIDTH = 5400    # twips; the help pane starts about 5900 twips wide
TABLE_LEFT = 120

FONTS = [
    # number, family, pitch, name
    (0, r"\fswiss\fprq2", "ＭＳ Ｐゴシック"),
    (1, r"\fmodern\fprq1", "ＭＳ ゴシック"),
]
COLORS = [
    (0, 0, 0),        # 1 text
    (0, 51, 153),     # 2 headings
    (128, 0, 0),      # 3 examples
    (192, 0, 0),      # 4 notes
]
BODY = r"\f0\fs20"
TITLE = r"\f0\fs32\b\cf2"
HEADING = r"\f0\fs24\b\cf2"
NOTE = r"\f0\fs20\cf4"
CODE = r"\f1\fs20\cf3"


def escape(text):
    """Text as RTF: ASCII kept, Shift_JIS characters as \\'hh pairs, the rest as \\uN?."""
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) < 0x80:
            out.append(ch)
        else:
            try:
                data = ch.encode("cp932")
            except UnicodeEncodeError:
                units = ch.encode("utf-16-le")
                for i in range(0, len(units), 2):
                    n = int.from_bytes(units[i:i + 2], "little")
                    out.append("\\u%d?" % (n - 65536 if n > 32767 else n))
                continue
            out.append("".join("\\'%02x" % b for b in data))
    return out


INLINE = re.compile(r"`([^`]*)`|\*\*(.+?)\*\*|%\{([^}]*)\}|~\{([^}]*)\}|_\{([^}]*)\}|\^\{([^}]*)\}")
SPANS = [None, "\\b", "\\i", "\\ul", "\\sub", "\\super"]


def inline(text):
    """Tokens of one line's text with its inline markup."""
    tokens = []
    pos = 0
    for m in INLINE.finditer(text):
        tokens += escape(text[pos:m.start()])
        kind = next(i for i, g in enumerate(m.groups()) if g is not None)
        fmt = CODE if kind == 0 else SPANS[kind]
        tokens += ["{" + fmt + " "] + escape(m.group(kind + 1)) + ["}"]
        pos = m.end()
    tokens += escape(text[pos:])
    return tokens


def display_width(text):
    """Rough width in twips at 10 pt: full-width characters 200, others 110."""
    plain = INLINE.sub(lambda m: next(g for g in m.groups() if g is not None), text)
    return sum(200 if ord(c) > 0xFF else 110 for c in plain)


def table(rows):
    cells = [[c.strip() for c in row.strip().strip("|").split("|")] for row in rows]
    columns = max(len(r) for r in cells)
    for r in cells:
        r += [""] * (columns - len(r))
    widths = []
    for c in range(columns - 1):
        # Names in the first column stay on one line where they can; values in between may wrap
        # so the description keeps most of the width.
        cap = 2000 if c == 0 else 1400
        widths.append(min(cap, max(display_width(r[c]) for r in cells) + 240))
    widths.append(max(1800, TABLE_WIDTH - sum(widths)))
    border = "".join("\\clbrdr%s\\brdrs\\brdrw10" % side for side in "tlbr")
    tokens = []
    for i, row in enumerate(cells):
        x = TABLE_LEFT
        tokens += ["\\trowd\\trgaph80\\trleft%d " % TABLE_LEFT]
        for w in widths:
            x += w
            tokens.append(border + "\\cellx%d " % x)
        tokens.append("\\pard\\plain\\intbl ")
        for c, text in enumerate(row):
            if i == 0:
                fmt = BODY + r"\b"
            elif c == 0:
                fmt = CODE
            else:
                fmt = BODY
            tokens += ["{" + fmt + " "] + inline(text) + ["}\\cell "]
        tokens.append("\\row\r\n")
    tokens.append("\\pard\\plain ")
    return tokens


def paragraph(props, fmt, text):
    return ["\\pard\\plain" + props + fmt + " "] + inline(text) + ["\\par\r\n"]


def convert(source):
    tokens = []
    tokens.append("{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041")
    tokens.append("{\\fonttbl")
    for number, family, name in FONTS:
        tokens += ["{\\f%d%s\\fcharset128 " % (number, family)] + escape(name) + [";}"]
    tokens.append("}\r\n")
    tokens.append("{\\colortbl ;" + "".join(
        "\\red%d\\green%d\\blue%d;" % c for c in COLORS) + "}\r\n")
    tokens.append("{\\*\\generator Tavro help generate.py;}\\viewkind4\\uc1\r\n")

    rows = []
    number = 0
    for raw in source.splitlines():
        line = raw.rstrip()
        if line.startswith("|"):
            rows.append(line)
            continue
        if rows:
            tokens += table(rows)
            rows = []
        if not line:
            continue
        if not line.startswith("+ "):
            number = 0
        if line.startswith("== "):
            tokens += paragraph("\\sb240\\sa60\\keepn", HEADING, line[3:])
        elif line.startswith("= "):
            tokens += paragraph("\\sa120\\keepn", TITLE, line[2:])
        elif line.startswith("* "):
            tokens += ["\\pard\\plain{\\pntext" + BODY + " "] + escape("・") + ["\\tab}"]
            tokens += ["{\\*\\pn\\pnlvlblt\\pnf0\\pnindent240{\\pntxtb "] + escape("・") + ["}}"]
            tokens += ["\\fi-240\\li480\\sa40" + BODY + " "] + inline(line[2:])
            tokens.append("\\par\r\n")
        elif line.startswith("+ "):
            number += 1
            tokens += ["\\pard\\plain{\\pntext" + BODY + " %d.\\tab}" % number]
            tokens += ["{\\*\\pn\\pnlvlbody\\pndec\\pnf0\\pnindent360\\pnstart1{\\pntxta .}}"]
            tokens += ["\\fi-360\\li600\\sa40" + BODY + " "] + inline(line[2:])
            tokens.append("\\par\r\n")
        elif line == ">" or line.startswith("> "):
            tokens += ["\\pard\\plain\\li360" + CODE + " "] + escape(line[2:]) + ["\\par\r\n"]
        elif line.startswith("! "):
            tokens += paragraph("\\li120\\sb120\\sa60", NOTE, line[2:])
        else:
            tokens += paragraph("\\sa60", BODY, line)
    if rows:
        tokens += table(rows)
    tokens.append("}\r\n")
    return wrap(tokens)


def wrap(tokens):
    """Joins tokens into CR LF lines of about LINE characters, breaking only between tokens."""
    lines = []
    current = ""
    for token in tokens:
        if token.endswith("\r\n"):
            current += token[:-2]
            lines.append(current)
            current = ""
            continue
        if len(current) + len(token) > LINE and current:
            lines.append(current)
            current = ""
        current += token
    if current:
        lines.append(current)
    return "".join(l + "\r\n" for l in lines)


def main():
    for n in range(COUNT):
        source = (HERE / "src" / ("%02d.txt" % n)).read_text(encoding="utf-8")
        rtf = convert(source)
        rtf.encode("ascii")   # the files must stay pure ASCII
        (HERE / ("%d.rtf" % n)).write_bytes(rtf.encode("ascii"))
    print("wrote %d help files" % COUNT, file=sys.stderr)


if __name__ == "__main__":
    main()

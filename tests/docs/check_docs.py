#!/usr/bin/env python3
"""Checks the documentation a user reads.

    check_docs.py ROOT [SETTINGS_HEADER]

Every relative link and picture in ROOT/README.md and ROOT/docs/*.md must
name a file that exists under ROOT, and an anchor (#...) a heading of the
page it points into. With SETTINGS_HEADER (base/settings.h), every launch
setting of its enum needs a row "| NUMBER | NAME |" in the settings table of
ROOT/docs/configuring.md. Prints each fault and exits 1 when there is one.
"""
import glob
import os
import re
import sys

LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
HEADING = re.compile(r"^#{1,6}\s+(.*?)\s*#*\s*$")
FENCE = re.compile(r"^\s*(```|~~~)")
SETTING = re.compile(r"^\s*(PROP_[A-Z0-9_]+)\s*=\s*(\d+)\s*,", re.M)


def prose_lines(text):
    """The lines outside fenced and indented code blocks, code spans blanked."""
    fenced = False
    # An indented block starts after a blank line and runs while its lines
    # stay indented.
    in_block = False
    previous_blank = True
    for number, line in enumerate(text.split("\n"), 1):
        blank = not line.strip()
        if FENCE.match(line):
            fenced = not fenced
            continue
        if not blank:
            in_block = line.startswith("    ") and (previous_blank or in_block)
        previous_blank = blank
        if fenced or in_block or blank:
            continue
        yield number, re.sub(r"`[^`]*`", "``", line)


def slug(heading):
    """The anchor a heading gets: lower case, punctuation dropped, blanks to hyphens."""
    text = re.sub(r"`([^`]*)`", r"\1", heading)
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text).strip().lower()
    return re.sub(r"[^\w\- ]", "", text).replace(" ", "-")


def anchors(path):
    seen = {}
    found = set()
    with open(path, encoding="utf-8") as f:
        for _, line in prose_lines(f.read()):
            match = HEADING.match(line)
            if not match:
                continue
            base = slug(match.group(1))
            count = seen.get(base, 0)
            seen[base] = count + 1
            found.add(base if count == 0 else "%s-%d" % (base, count))
    return found


def link_faults(root):
    pages = [os.path.join(root, "README.md")] + sorted(glob.glob(os.path.join(root, "docs", "*.md")))
    faults = []
    for page in pages:
        if not os.path.isfile(page):
            faults.append("%s: missing" % os.path.relpath(page, root))
            continue
        with open(page, encoding="utf-8") as f:
            text = f.read()
        for number, line in prose_lines(text):
            for target in LINK.findall(line):
                if re.match(r"^[a-z][a-z0-9+.-]*:", target, re.I):
                    continue  # an address, not a file
                where = "%s:%d: link %s" % (os.path.relpath(page, root), number, target)
                file_part, _, anchor = target.partition("#")
                linked = os.path.normpath(os.path.join(os.path.dirname(page), file_part)) if file_part else page
                if not os.path.exists(linked):
                    faults.append("%s: no file %s" % (where, os.path.relpath(linked, root)))
                elif anchor and linked.endswith(".md") and anchor not in anchors(linked):
                    faults.append("%s: no heading #%s in %s" % (where, anchor, os.path.relpath(linked, root)))
    return faults


def settings_faults(root, header):
    with open(header, encoding="utf-8") as f:
        enum = f.read()
    settings = SETTING.findall(enum)
    if not settings:
        return ["%s: no launch settings found" % header]
    table = os.path.join(root, "docs", "configuring.md")
    with open(table, encoding="utf-8") as f:
        rows = {}
        for line in f:
            cells = [c.strip().strip("`") for c in line.strip().strip("|").split("|")] if line.startswith("|") else []
            if len(cells) >= 2 and cells[1].startswith("PROP_"):
                rows[cells[1]] = cells[0]
    faults = []
    for name, number in settings:
        if name not in rows:
            faults.append("docs/configuring.md: the settings table has no row for %s (%s)" % (name, number))
        elif rows[name] != number:
            faults.append("docs/configuring.md: %s is numbered %s in the settings table, %s in %s"
                          % (name, rows[name], number, os.path.basename(header)))
    return faults


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write(__doc__)
        return 2
    root = argv[1]
    faults = link_faults(root)
    if len(argv) == 3:
        faults += settings_faults(root, argv[2])
    for fault in faults:
        print("FAILED: " + fault)
    if faults:
        return 1
    print("documentation links and settings table: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

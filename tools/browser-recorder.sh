#!/bin/sh
# Wine's browser in the test prefix: records each address it is asked to
# open, one per line, in browser-opened.txt beside the prefix (or in
# BROWSER_RECORD, where the prefix lies elsewhere).
printf '%s\n' "$*" >>"${BROWSER_RECORD:-${WINEPREFIX:-.}/../browser-opened.txt}"

#!/bin/sh
# Wine's browser in the test prefix: records each address it is asked to
# open, one per line, in browser-opened.txt beside the prefix.
printf '%s\n' "$*" >>"${WINEPREFIX:-.}/../browser-opened.txt"

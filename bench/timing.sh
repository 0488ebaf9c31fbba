# Sourced by the benchmarks: whole-process timings. The caller sets $work,
# a folder for hyperfine's report.

# median: the median of the numbers on standard input, one a line.
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# wall_ms DIR COMMAND...: one whole-process run in DIR, in milliseconds.
wall_ms() {
  dir=$1
  shift
  # Through the shell, whose own start hyperfine measures and takes off.
  (cd "$dir" && hyperfine --runs 1 --style none --export-json "$work/run.json" -- "$*" >/dev/null 2>&1)
  sed -n 's/.*"mean": *\([0-9.e+-]*\).*/\1/p' "$work/run.json" | awk '{ printf "%.1f\n", $1 * 1000 }'
}

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Counts passed, failed and skipped test cases in the JUnit files CTest wrote
# (ctest --output-junit). A QtTest program counts its own cases ("Totals:" line,
# QSKIP as skipped); any other test, or one that ended before its totals, counts
# as one case by its CTest result. Prints "P F S".
set -euo pipefail
awk '
  function finish() {
    if (name == "") return
    if (totals) {
      p += tp; f += tf; s += ts
      if (failed && tf == 0) f += 1   # crashed or timed out after its totals
    } else if (failed) f += 1
    else if (skipped) s += 1
    else p += 1
    name = ""
  }
  /<testcase / {
    finish()
    name = $0; totals = 0; failed = 0; skipped = 0
    if ($0 ~ /status="fail"/) failed = 1
    if ($0 ~ /status="(notrun|disabled)"/) skipped = 1
  }
  /<failure/ { failed = 1 }
  /<skipped/ { skipped = 1 }
  /Totals: [0-9]+ passed, [0-9]+ failed, [0-9]+ skipped/ {
    match($0, /Totals: [0-9]+ passed, [0-9]+ failed, [0-9]+ skipped/)
    split(substr($0, RSTART, RLENGTH), w, /[ ,]+/)
    tp = w[2]; tf = w[4]; ts = w[6]; totals = 1
  }
  /<\/testcase>/ { finish() }
  END { finish(); printf "%d %d %d\n", p, f, s }
' "$@"

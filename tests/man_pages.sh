#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual pages of crumbwright-cli (English and Japanese) name every
# subcommand and every option that the program's own usage lists.
#   man_pages.sh CRUMBWRIGHT_CLI MAN_DIR
set -euo pipefail
cli=$1
man=$2
help=$("$cli" --help)
# Subcommands: the first word of each line of the list under "サブコマンド:".
subcommands=$(sed -n '/^サブコマンド:/,/^$/p' <<<"$help" | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p' | sort -u)
[ -n "$subcommands" ] || { echo "FAIL: --help lists no subcommands"; exit 1; }
usage=$help
for s in $subcommands; do
  [ "$s" = help ] || usage+=$'\n'$("$cli" help "$s")
done
# Options: every -x and --word in the usage texts.
options=$(grep -oE '(^|[ [|,(])--?[A-Za-z][A-Za-z-]*' <<<"$usage" | sed 's/^[ [|,(]//' | sort -u)
status=0
for page in "$man/crumbwright-cli.1" "$man/ja/crumbwright-cli.1"; do
  # The page's words: roff's \- as -, without font changes.
  words=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page" | tr -s ' \t[]|,()=' '\n')
  for w in $subcommands $options; do
    grep -qxF -- "$w" <<<"$words" || { echo "FAIL: $page does not name $w"; status=1; }
  done
done
[ $status -eq 0 ] && echo "manual pages name $(wc -w <<<"$subcommands") subcommands and $(wc -w <<<"$options") options"
exit $status

#!/usr/bin/env bash
# The bash completion as bash runs it: sourced, then asked about command lines split into words as
# bash splits them ("=" apart), in a folder with files, folders and names with a space.
# Usage: completion.sh COMPLETION-SCRIPT
set -u
# shellcheck source=/dev/null
source "$1" || exit 1
tmp=$(mktemp -d) || exit 2
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 2
mkdir out 'my folder'
touch report.txt report.rules 'my rules.rules'

ok=1
# expect LINE ANSWERS: completes the last word of LINE (an empty one after a final space); the
# answers sorted and joined by commas.
expect() {
  local line=$1 want=$2 got
  read -ra COMP_WORDS <<<"${line//=/ = }"
  [[ $line == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _tandelo_cli
  got=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd, -)
  [ "$got" = "$want" ] || { echo "FAIL: '$line' completes to '$got', expected '$want'"; ok=0; }
}

expect 'tandelo-cli ' 'copy,help,history,names,undo'
expect 'tandelo-cli -' '--help,--version'
# Each command's own options, and those that stand alone.
expect 'tandelo-cli undo --' '--dry-run,--help,--json,--last,--null,--version'
expect 'tandelo-cli names --' '--encoding,--help,--join,--json,--null,--source,--version'
# The command is the first word that is no option: "help" here is the file --source names.
expect 'tandelo-cli names --source help --' '--encoding,--help,--join,--json,--null,--source,--version'
expect 'tandelo-cli copy --on-failure s' 'skip,stop'
expect 'tandelo-cli copy --encoding=u' 'utf-8'
expect 'tandelo-cli copy --encoding=' 'shift-jis,utf-8'
# Folders for --into, files (and the folders on the way to them) elsewhere, spaces kept.
expect 'tandelo-cli copy --into ' 'my folder,out'
expect 'tandelo-cli copy --journal my' 'my folder,my rules.rules'
expect 'tandelo-cli copy --source=rep' 'report.rules,report.txt'
expect 'tandelo-cli copy -n --source report.txt --into out rep' 'report.rules,report.txt'
expect 'tandelo-cli undo ' 'my folder,my rules.rules,out,report.rules,report.txt'
expect 'tandelo-cli help ' 'rules'
# The command line as a user gets it: the function is bound to the command's name.
complete -p tandelo-cli | grep -q -- '-F _tandelo_cli tandelo-cli$' || { echo "FAIL: not bound to tandelo-cli"; ok=0; }
[ $ok = 1 ]

#!/usr/bin/env bash
# Runs a command on the rule-file example of README.md's tandelo-cli section, exactly as printed
# there, and checks its standard output with check-run.sh.
# Usage: readme-example.sh README EXPECTED -- COMMAND...   (the command reads the rules from stdin)
set -u
readme=$1 expected=$2
shift 3
tmp=$(mktemp) || exit 2
trap 'rm -f "$tmp"' EXIT
# The inside of the section's second fenced block (the first shows the command line).
awk '/^## / { in_section = ($0 == "## tandelo-cli") }
     in_section && /^```/ { fence++; next }
     in_section && fence == 3' "$readme" >"$tmp"
if [ ! -s "$tmp" ]; then
  echo "FAIL: no rule example in the tandelo-cli section of $readme"
  exit 1
fi
bash "$(dirname "$0")/check-run.sh" --stdin "$tmp" --stdout "$expected" -- "$@"

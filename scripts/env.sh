# Shared settings for the project's scripts; sourced, not run.
# shellcheck shell=bash
TANDELO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export TANDELO_ROOT
export TANDELO_BUILD="${TANDELO_BUILD:-$TANDELO_ROOT/build}"

# Every Wine process: a prefix of our own inside build/, no debug noise, and no helper that
# opens windows or offers to install browser engines.
export WINEPREFIX="$TANDELO_BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Wine takes the ANSI code page from the locale: ja_JP gives 932. Called once the locale exists
# (scripts/setup makes it), since a missing locale makes every tool complain.
use_japanese_locale() {
  export LANG=ja_JP.UTF-8
  export LC_ALL=ja_JP.UTF-8
}

# Exports SOURCE_DATE_EPOCH, the commit's time, unless it is set: every time in what a script
# makes is that one. Usage: use_commit_time SCRIPT WHAT (for its messages: "release" "zip").
use_commit_time() {
  if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$TANDELO_ROOT" log -1 --format=%ct 2>/dev/null) || {
      echo "$1: not a git checkout; set SOURCE_DATE_EPOCH to the commit's time" >&2
      exit 1
    }
    if [ -n "$(git -C "$TANDELO_ROOT" status --porcelain)" ]; then
      echo "$1: the checkout has uncommitted changes; the $2 is not the commit's" >&2
    fi
  fi
  export SOURCE_DATE_EPOCH
}

#!/usr/bin/env bash
# The Debian package of tandelo-cli. The same commit gives the same package, byte for byte: made
# here, then again from a copy of the checkout in another folder with new file times. It holds the
# command, its manual page, its bash, zsh and fish completions, the documents Debian asks for and
# the rule files of examples/ as the checkout holds them, owned by root, each
# with its mode and the commit's time; its fields are the project's; the command in it runs; and
# lintian finds neither an error nor a warning in it. Nothing is installed.
set -euo pipefail
# shellcheck source=tests/support/made-twice.sh
. "$(dirname "$0")/../support/made-twice.sh" scripts/package
epoch=$(git log -1 --format=%ct)
if ! cmp "$first" "$second"; then
  echo "same-bytes: the two packages differ: $first $second" >&2
  diff <(dpkg-deb -c "$first") <(dpkg-deb -c "$second") >&2 || true
  exit 1
fi
echo "same-bytes: $(basename "$first") is the same from $root and from $copy"

ok=1
fail() { echo "FAIL: $*" >&2; ok=0; }
contents=$(TZ=UTC dpkg-deb -c "$first")
listed=$(awk '{ print $1, $2, $6 }' <<<"$contents")
examples=$(git ls-files examples | LC_ALL=C sort | sed 's|^examples/|-rw-r--r-- root/root ./usr/share/doc/tandelo-cli/examples/|')
expected="drwxr-xr-x root/root ./
drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/tandelo-cli
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/bash-completion/
drwxr-xr-x root/root ./usr/share/bash-completion/completions/
-rw-r--r-- root/root ./usr/share/bash-completion/completions/tandelo-cli
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/tandelo-cli/
-rw-r--r-- root/root ./usr/share/doc/tandelo-cli/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/tandelo-cli/copyright
drwxr-xr-x root/root ./usr/share/doc/tandelo-cli/examples/
$examples
drwxr-xr-x root/root ./usr/share/fish/
drwxr-xr-x root/root ./usr/share/fish/vendor_completions.d/
-rw-r--r-- root/root ./usr/share/fish/vendor_completions.d/tandelo-cli.fish
drwxr-xr-x root/root ./usr/share/man/
drwxr-xr-x root/root ./usr/share/man/man1/
-rw-r--r-- root/root ./usr/share/man/man1/tandelo-cli.1.gz
drwxr-xr-x root/root ./usr/share/zsh/
drwxr-xr-x root/root ./usr/share/zsh/vendor-completions/
-rw-r--r-- root/root ./usr/share/zsh/vendor-completions/_tandelo-cli"
[ "$listed" = "$expected" ] || fail "the package holds:"$'\n'"$listed"
times=$(awk '{ print $4, $5 }' <<<"$contents" | sort -u)
[ "$times" = "$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M')" ] || fail "file times other than the commit's: $times"

version=$(sed -n 's/^VERSION=//p' build/package/native/version.txt)
[ "$(dpkg-deb -f "$first" Package Version Architecture)" = "Package: tandelo-cli
Version: $version
Architecture: $(dpkg --print-architecture)" ] || fail "fields: $(dpkg-deb -f "$first" Package Version Architecture)"
[[ $(dpkg-deb -f "$first" Depends) == *"libc6 (>= "* ]] || fail "Depends: $(dpkg-deb -f "$first" Depends)"
dpkg-deb -x "$first" "$copy/unpacked"
for file in $(git ls-files examples); do
  cmp -s "$file" "$copy/unpacked/usr/share/doc/tandelo-cli/$file" || fail "the package's $file is not the checkout's"
done
[ "$("$copy/unpacked/usr/bin/tandelo-cli" --version)" = "tandelo-cli $version" ] || fail "the packaged command does not run"
lintian --fail-on error,warning "$first" >&2 || fail "lintian"
[ $ok = 1 ]

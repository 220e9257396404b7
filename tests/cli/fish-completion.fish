#!/usr/bin/env fish
# The fish completion as fish runs it: loaded from its folder on first use, then asked with
# complete -C what it offers for command lines (the cases it shares with zsh, in
# data/completion-cases.txt), in a folder with files, folders and names with a space. fish prints
# each candidate with its description after a tab: a command's and an option's are checked too.
# Usage: fish-completion.fish COMPLETION-SCRIPT
set -l cases (path resolve (status dirname))/data/completion-cases.txt
set -l tmp (mktemp -d); or exit 2
mkdir $tmp/completions $tmp/work $tmp/bin
cp $argv[1] $tmp/completions/tandelo-cli.fish; or exit 1
# Only this completion, none that a package may have installed; fish loads a command's
# completion once the command is found on PATH.
set fish_complete_path $tmp/completions
printf '#!/bin/sh\n' >$tmp/bin/tandelo-cli
chmod +x $tmp/bin/tandelo-cli
set PATH $tmp/bin $PATH
cd $tmp/work; or exit 2
mkdir out 'my folder'
touch report.txt report.rules 'my rules.rules'

set -g ok 1
# expect LINE ANSWERS [--described]: the candidates for the end of LINE, sorted and joined by
# commas; with --described, each with its description after a tab.
function expect
    set -l got (complete -C $argv[1] | env LC_ALL=C sort)
    contains -- --described $argv; or set got (string replace -r '\t.*' '' -- $got)
    set got (string join , -- $got)
    if test "$got" != "$argv[2]"
        echo "FAIL: '$argv[1]' completes to '$got', expected '$argv[2]'"
        set -g ok 0
    end
end

# The cases zsh and fish share, each with what fish offers.
set -l shared (string match -v -- '#*' <$cases)
for case in $shared
    set -l part (string split '|' -- $case)
    test "$part[3]" = =; and set part[3] $part[2]
    expect $part[1] $part[3]
end
if test (count $shared) -lt 20
    echo "FAIL: only "(count $shared)" cases read from $cases"
    set ok 0
end
# What a user reads beside a command and an option: the first clause of its help.
expect 'tandelo-cli copy --on' (printf '--on-failure\twhen a name cannot be copied') --described
expect 'tandelo-cli na' (printf 'names\tprints the names the rule file RULES makes, one a line') --described
cd /
rm -rf $tmp
test $ok = 1

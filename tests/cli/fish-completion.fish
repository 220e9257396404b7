#!/usr/bin/env fish
# The fish completion as fish runs it: loaded from its folder on first use, then asked with
# complete -C what it offers for command lines, in a folder with files, folders and names with a space. fish prints each
# candidate with its description after a tab; the candidates are checked, and the descriptions of
# commands and options where they come from the tables.
# Usage: fish-completion.fish COMPLETION-SCRIPT
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

expect 'tandelo-cli ' 'copy,help,history,names,undo'
expect 'tandelo-cli -' '--help,--version,-V,-h'
# Each command's own options with their short forms, and those that stand alone.
expect 'tandelo-cli undo -' '--dry-run,--help,--json,--last,--null,--version,-0,-V,-h,-n'
expect 'tandelo-cli names --' '--encoding,--help,--join,--json,--null,--source,--version'
expect 'tandelo-cli history -' '--help,--version,-V,-h'
# The command is the first word that is no option: "help" here is the file --source names.
expect 'tandelo-cli names --source help --' '--encoding,--help,--join,--json,--null,--version'
# Never an option the line holds, in either form, nor one that cannot go with it.
expect 'tandelo-cli copy -n --json -' '--encoding,--help,--into,--join,--journal,--no-journal,--on-failure,--quiet,--source,--version,-V,-h,-q'
expect 'tandelo-cli copy --no-journal --j' '--join,--json'
expect 'tandelo-cli copy -nq --' '--encoding,--help,--into,--join,--journal,--json,--no-journal,--null,--on-failure,--source,--version'
expect 'tandelo-cli copy --on-failure s' 'skip,stop'
expect 'tandelo-cli copy --encoding=u' '--encoding=utf-8'
expect 'tandelo-cli copy --encoding=' '--encoding=shift-jis,--encoding=utf-8'
# Folders for --into, files (and the folders on the way to them) elsewhere, spaces kept; nothing
# where no file is meant.
expect 'tandelo-cli copy --into ' 'my folder/,out/'
expect 'tandelo-cli copy --into=o' '--into=out/'
expect 'tandelo-cli copy --journal my' 'my folder/,my rules.rules'
expect 'tandelo-cli copy --source=rep' '--source=report.rules,--source=report.txt'
expect 'tandelo-cli copy -n --source report.txt --into out rep' 'report.rules,report.txt'
expect 'tandelo-cli undo ' 'my folder/,my rules.rules,out/,report.rules,report.txt'
expect 'tandelo-cli history ' ''
# --last takes the journal's place.
expect 'tandelo-cli undo --last ' ''
expect 'tandelo-cli help ' 'rules'
# "--" ends the options.
expect 'tandelo-cli names -- -' ''
# What a user reads beside a command and an option: the first clause of its help.
expect 'tandelo-cli copy --on' (printf '--on-failure\twhen a name cannot be copied') --described
expect 'tandelo-cli na' (printf 'names\tprints the names the rule file RULES makes, one a line') --described
cd /
rm -rf $tmp
test $ok = 1

# SPDX-License-Identifier: GPL-3.0-or-later
# fish completion for quillory-cli. The words come from the tool itself (quillory-cli --complete WHAT),
# so they always match the installed version.

function __quillory_cli_words
    set -l cli (commandline -opc)[1]
    test -n "$cli"; or set cli quillory-cli
    $cli --complete $argv[1] 2>/dev/null
end

function __quillory_cli_previous
    set -l tokens (commandline -opc)
    test (count $tokens) -gt 0; and contains -- $tokens[-1] $argv
end

complete -c quillory-cli -f -n 'not __quillory_cli_previous --describe --scope --sort --setting --case --format --at --on-error --recover -r --recipe' -a '(commandline -ct | string match -q -- "-*"; and __quillory_cli_words options)'
complete -c quillory-cli -F -n 'not commandline -ct | string match -q -- "-*"'
complete -c quillory-cli -f -n '__quillory_cli_previous --describe' -a '(__quillory_cli_words kinds)'
complete -c quillory-cli -f -n '__quillory_cli_previous --scope' -a '(__quillory_cli_words scopes)'
complete -c quillory-cli -f -n '__quillory_cli_previous --sort' -a '(__quillory_cli_words sorts)'
complete -c quillory-cli -f -n '__quillory_cli_previous --setting' -a '(__quillory_cli_words settings)'
complete -c quillory-cli -f -n '__quillory_cli_previous --case' -a '(__quillory_cli_words case)'
complete -c quillory-cli -f -n '__quillory_cli_previous --format' -a '(__quillory_cli_words format)'
complete -c quillory-cli -f -n '__quillory_cli_previous --at' -a '(__quillory_cli_words at)'
complete -c quillory-cli -f -n '__quillory_cli_previous --on-error' -a '(__quillory_cli_words on-error)'
complete -c quillory-cli -f -n '__quillory_cli_previous --recover' -a '(__quillory_cli_words recover)'
complete -c quillory-cli -n '__quillory_cli_previous -r --recipe' -a '(__quillory_cli_words recipes)'
complete -c quillory-cli -f -n 'commandline -ct | string match -q -- "*{*"' -a '(string replace -r "\{[^{]*\$" "" -- (commandline -ct))(__quillory_cli_words tokens)'

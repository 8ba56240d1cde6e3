#!/usr/bin/env bash
# The bash completion of quillconv-cli: it offers exactly the options that --help lists, the
# values of the options that take a fixed set, and as paths only folders and convertible files.
# Usage: test_completion.sh COMPLETION_FILE QUILLCONV_CLI
set -uo pipefail
completion=$1 cli=$2
source "$completion" || exit 1
failures=0

# The words of a command line as bash hands them to a completion ("=" breaks words); a line
# ending in a space completes a new, empty word.
complete_line()
{
    read -r -a COMP_WORDS <<<"${1//=/ = }"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _quillconv_cli
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

expect()
{
    local got
    got=$(complete_line "$1")
    if [ "$got" != "$2" ]; then
        echo "completing '$1': expected '$2', got '$got'" >&2
        failures=$((failures + 1))
    fi
}

# The options: those of --help, nothing more (a value-taking one is offered with its "=").
help_options=$("$cli" --help | grep -oE '^ +(-[a-z], )?--?[a-z-]*' | grep -oE -- '--?[a-z-]*' | sort -u | tr '\n' ' ')
offered=$(complete_line "quillconv-cli -" | tr ' ' '\n' | sed 's/=$//' | sort -u | tr '\n' ' ')
[ "$offered" = "$help_options" ] || {
    echo "options offered: $offered" >&2
    echo "options of --help: $help_options" >&2
    failures=$((failures + 1))
}

expect "quillconv-cli --alpha=" "bgra file none split"
expect "quillconv-cli --alpha s" "split"
expect "quillconv-cli --naming=underscore-" "underscore-name underscore-serial"
expect "quillconv-cli --layer-info=name,mode,p" "name,mode,position"
expect "quillconv-cli --fps " ""
expect "quillconv-cli --comp=" ""
# Where "=" does not break words the reply carries the option.
COMP_WORDS=(quillconv-cli --compression=s) COMP_CWORD=1
_quillconv_cli
[ "${COMPREPLY[*]}" = "--compression=standard --compression=speed" ] || {
    echo "completing '--compression=s' as one word: got '${COMPREPLY[*]}'" >&2
    failures=$((failures + 1))
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" && mkdir folder && touch art.psd big.PSB pic.Bmp shot.png notes.txt -- -dash.png
expect "quillconv-cli --psd-png " "-dash.png art.psd big.PSB folder pic.Bmp shot.png"
expect "quillconv-cli -o " "folder"
expect "quillconv-cli --output=f" "folder"
expect "quillconv-cli --psd-png -- -" "-dash.png"

[ "$failures" -eq 0 ] || exit 1
echo "completion: all cases pass"

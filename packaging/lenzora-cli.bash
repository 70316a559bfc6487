# bash completion for lenzora-cli                          -*- shell-script -*-
# Installed as /usr/share/bash-completion/completions/lenzora-cli, where bash-completion
# loads it the first time lenzora-cli is completed. The options are those of
# `lenzora-cli COMMAND --help`; tests/integration/bash_completion_test.sh holds them to it.
# shellcheck disable=SC2207 # bash-completion's own idiom: the words hold no blanks

_lenzora_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W 'compose proof chart settings --help --version' -- "$cur"))
        return
    fi

    case $prev in
        --unit)
            COMPREPLY=($(compgen -W 'mm in px' -- "$cur"))
            return
            ;;
        --mode)
            COMPREPLY=($(compgen -W 'columns rows' -- "$cur"))
            return
            ;;
        --sheet)
            COMPREPLY=($(compgen -W 'A4 A3 A5 Letter Legal' -- "$cur"))
            return
            ;;
        --copies)
            COMPREPLY=($(compgen -W 'fit' -- "$cur"))
            return
            ;;
        --job)
            _filedir lzjob
            return
            ;;
        --work-dir)
            _filedir -d
            return
            ;;
        -o | --proof | --save-job)
            _filedir
            return
            ;;
        --pitch | --width | --height | --jobs | --max-frame-pixels | --gap | --margin | \
            --bleed | --print-dpi | --frames | --strip | --dpi | --sheet-pitch | --views | \
            --delay | --paper | --bands | --increment)
            # Numbers and the chart's typed paper: nothing to offer.
            return
            ;;
    esac
    $split && return

    local options pictures=
    case ${words[1]} in
        compose)
            options='--pitch --width --height --unit --mode --calibration --no-calibration
                --work-dir --jobs --json --max-frame-pixels --job --save-job
                --ignore-orientation -o --proof --sheet --landscape --copies --gap --margin
                --bleed --crop-marks --label --print-dpi'
            pictures=1
            ;;
        proof)
            options='--frames --strip --dpi --mode --pitch --sheet-pitch --views --delay
                --json -o'
            pictures=1
            ;;
        chart)
            options='--paper --dpi --pitch --bands --increment --json -o'
            ;;
        settings)
            options='--frames --pitch --width --height --unit --json'
            ;;
        *)
            return
            ;;
    esac

    # A command without arguments offers its options for any word.
    if [[ $cur == -* || -z $pictures ]]; then
        COMPREPLY=($(compgen -W "$options -h --help" -- "$cur"))
        return
    fi
    # The pictures the tool reads (jpg jpeg png tif tiff bmp), in any case, and folders.
    _filedir '[jJ][pP]?([eE])[gG]|[pP][nN][gG]|[tT][iI][fF]?([fF])|[bB][mM][pP]'
} &&
    complete -F _lenzora_cli lenzora-cli

# ex: filetype=sh

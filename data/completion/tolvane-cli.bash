# bash completion for tolvane-cli                           -*- shell-script -*-

_tolvane_cli()
{
    local cur prev words cword
    _init_completion -n = || return

    local commands="pack zip monetize signup settings list test extract check-update help"
    local common="--help --quiet --verbose"

    # The command is the first word that is not a leading -q/-v.
    local i command=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            -q | --quiet | -v | --verbose) ;;
            *) command=${words[i]}; break ;;
        esac
    done
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands --version --help -q -v" -- "$cur"))
        return
    fi

    # Values of the options that take one.
    case $prev in
        -o | --output | --password-file | --description-file)
            _filedir
            return
            ;;
        -d | --directory)
            _filedir -d
            return
            ;;
        --level)
            COMPREPLY=($(compgen -W "S F N X" -- "$cur"))
            return
            ;;
        --method)
            COMPREPLY=($(compgen -W "deflate fuse" -- "$cur"))
            return
            ;;
        --language)
            COMPREPLY=($(compgen -W "0 1 2 3 4 English Español Français Deutsch Русский" -- "$cur"))
            return
            ;;
        --jobs | --partner-id | --software-id | --name | --email | --website | --url)
            return
            ;;
    esac

    local options=""
    case $command in
        pack) options="--output --level --method --password-file --verify --jobs" ;;
        zip) options="--output --password-file --verify --jobs" ;;
        monetize) options="--output --password-file --password-stdin --verify --replace --jobs" ;;
        settings) options="--partner-id --software-id --language" ;;
        list) options="--json" ;;
        test) options="--password-file" ;;
        extract) options="--directory --password-file --password-stdin --overwrite" ;;
        signup) options="--name --email --website --description-file" ;;
        check-update) options="--url --download --run" ;;
        help)
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options $common" -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi
    case $command in
        pack | monetize) _filedir -d ;;
        list | test | extract) _filedir '@(bh|BH|zip|ZIP)' ;;
        zip) _filedir ;;
    esac
} &&
    complete -F _tolvane_cli tolvane-cli

# ex: filetype=sh

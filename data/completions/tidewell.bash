# bash completion for tidewell

_tidewell() {
    local cur prev words cword
    _init_completion || return

    local commands="diagnose repair extract apps uninstall leftovers safe-cleanup volumes undelete image rescue"
    local runs="--recovery-qa --deleted-recovery-qa --exfat-deleted-recovery-qa --live-deleted-recovery-qa"

    if [[ $cword -eq 1 ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--help --version $runs" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local options
    case ${words[1]} in
        diagnose) options="" ;;
        repair) options="--output --report --reference" ;;
        extract) options="--output --report" ;;
        apps) options="--related" ;;
        uninstall) options="--yes --force-quit --include --exclude" ;;
        leftovers) options="--yes --group" ;;
        safe-cleanup) options="--yes" ;;
        volumes) options="--path" ;;
        undelete) options="--partition --deep --output --only --confidence" ;;
        image) options="--output --resume" ;;
        rescue) options="--output" ;;
        --recovery-qa)
            options="--source --destination --minimum-candidates --max-export --only-name --cancel-during-scan" ;;
        --deleted-recovery-qa) options="--image --destination --minimum-candidates --max-export" ;;
        --exfat-deleted-recovery-qa) options="--image --destination --minimum-candidates" ;;
        --live-deleted-recovery-qa) options="--source --destination" ;;
        *) return ;;
    esac
    [[ ${words[1]} == -* ]] || options+=" --json --help"

    case $prev in
        --output | --image)
            # A folder for most commands; image and the runs' --image name files.
            if [[ ${words[1]} == image || $prev == --image ]]; then _filedir; else _filedir -d; fi
            return ;;
        --source | --destination | --path)
            _filedir -d
            return ;;
        --confidence)
            COMPREPLY=($(compgen -W "high medium low" -- "$cur"))
            return ;;
        --partition | --group | --include | --exclude | --only | --only-name | --minimum-candidates | --max-export)
            return ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        _filedir
    fi
} &&
    complete -F _tidewell tidewell

# bash completion for Tarvo4kSimulator: its options, the session folders after --start, --stop and
# --export, zip archives after --install-file, --import and --diagnostics.

# The session folders in the user's sessions root.
_Tarvo4kSimulator_sessions()
{
    local root=${XDG_DATA_HOME:-$HOME/.local/share}/VORNTAL/Tarvo_Simulator folder
    for folder in "$root"/Tarvo[0-9]*; do
        [[ -d $folder && ! -L $folder ]] && printf '%s\n' "${folder##*/}"
    done
}

_Tarvo4kSimulator()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --update-server | --proxy | --install | --remove)
            return
            ;;
        --trusted-key)
            _filedir pub
            return
            ;;
        --install-file | --import | --diagnostics)
            _filedir zip
            return
            ;;
        --start | --stop | --export)
            mapfile -t COMPREPLY < <(compgen -W "$(_Tarvo4kSimulator_sessions)" -- "$cur")
            return
            ;;
    esac
    # --export <session> <folder>
    if ((cword >= 3)) && [[ ${words[cword - 2]} == --export ]]; then
        _filedir -d
        return
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '--help --version --update-server --list --packages --status
            --install --remove --install-file --export --import --start --stop --diagnostics --json
            --refresh --trusted-key --require-signed --proxy' -- "$cur")
    fi
} &&
    complete -F _Tarvo4kSimulator Tarvo4kSimulator

# bash completion for pastiq

_pastiq() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD-1]}
    if [[ $COMP_CWORD -eq 1 ]]; then
        mapfile -t COMPREPLY < <(compgen -W "start end toggle status quit parse --backend --help -h --version" -- "$cur")
        return
    fi
    case ${COMP_WORDS[1]} in
        --backend)
            [[ $COMP_CWORD -eq 2 ]] && mapfile -t COMPREPLY < <(compgen -W "x11 wayland" -- "$cur")
            ;;
        start)
            if [[ $prev == --file ]]; then
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
                compopt -o filenames 2>/dev/null
            elif [[ $COMP_CWORD -eq 2 ]]; then
                mapfile -t COMPREPLY < <(compgen -W "--file -" -- "$cur")
            fi
            ;;
        status)
            [[ $COMP_CWORD -eq 2 ]] && mapfile -t COMPREPLY < <(compgen -W "--follow" -- "$cur")
            ;;
        parse)
            if [[ $cur == -* ]]; then
                mapfile -t COMPREPLY < <(compgen -W "--transposed" -- "$cur")
            else
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
                compopt -o filenames 2>/dev/null
            fi
            ;;
    esac
}
complete -F _pastiq pastiq

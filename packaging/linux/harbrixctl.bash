# bash completion for harbrixctl. The commands come from harbrixctl itself (--commands), so
# the completion knows every command the installed program has.
_harbrixctl() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]} command="" arguments="" word i
    COMPREPLY=()
    if [[ $prev == --serial ]]; then
        return 0
    fi
    if [[ $prev == --framing ]]; then
        COMPREPLY=($(compgen -W "guarded silence fast" -- "$cur"))
        return 0
    fi
    # The command is the first word that is neither an option nor an option's value.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == --serial || $word == --framing ]]; then
            ((i++))
        elif [[ $word != -* ]]; then
            command=$word
            break
        fi
    done
    if [[ -n $command ]]; then
        arguments=$("$program" --commands 2>/dev/null | awk -F '\t' -v c="$command" '$1 == c { print $2 }')
    fi
    if [[ $cur == -* ]]; then
        # Every command's options, and the options its arguments name.
        local options="--serial --framing --log --help --version" own
        own=$(printf '%s\n' "$arguments" | grep -o -- '--[A-Za-z0-9-]*')
        COMPREPLY=($(compgen -W "$options $own" -- "$cur"))
        return 0
    fi
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$("$program" --commands 2>/dev/null | cut -f 1)" -- "$cur"))
        return 0
    fi
    # After the command: a model name, or a file (device nodes and folders included).
    COMPREPLY=($(compgen -W "MIV3 NAX3" -- "$cur") $(compgen -f -- "$cur"))
    return 0
}
complete -o filenames -F _harbrixctl harbrixctl

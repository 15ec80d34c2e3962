# Sourced by the package tests. check_build_paths DIR STRINGS PATH... fails
# (with `fail` from script_support.sh) for each program under DIR, Windows or
# Linux, whose text names one of the PATHs or any folder where a build
# machine keeps sources, builds or a user's files. Both the 8-bit and the
# UTF-16 texts of a program are read.
check_build_paths() {
    local dir=$1 strings=$2 file found checked=0
    shift 2
    local patterns=(-e '(^|[^[:alnum:]_.~-])/(home|tmp|root|build|work|srv|opt|mnt|media)/')
    for path in "$@"; do patterns+=(-e "$(printf '%s' "$path" | sed 's/[][\.*^$+?(){}|]/\\&/g')"); done
    while IFS= read -r -d '' file; do
        case $(head -c 4 "$file" | od -An -c | tr -d ' ') in
        MZ*|177ELF) ;;
        *) continue ;;
        esac
        checked=$((checked + 1))
        found=$({ "$strings" -a "$file"; "$strings" -a -e l "$file"; } | grep -E "${patterns[@]}" | sort -u)
        [ -z "$found" ] || fail "${file#"$dir"/} names $(printf '%s\n' "$found" | wc -l) build path(s), such as:
$(printf '%s\n' "$found" | head -5)"
    done < <(find "$dir" -type f -print0)
    [ "$checked" -gt 0 ] || fail "no program found under $dir"
    echo "checked $checked program(s) under $dir for build paths"
}

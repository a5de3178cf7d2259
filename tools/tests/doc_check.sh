#!/bin/sh
# Checks of the installed documentation, as a user meets it; each prints what
# is wrong and exits 1 when the check fails.
#
#   doc_check.sh page PAGE              man renders PAGE with no warning
#   doc_check.sh desktop FILE           desktop-file-validate finds nothing to say
#   doc_check.sh env PAGE DIR...        every getenv("NAME") in the C++ files under
#                                       DIR (tests left out) is in PAGE's ENVIRONMENT
#   doc_check.sh options PAGE PROGRAM   every option PROGRAM --help lists is in
#                                       PAGE's OPTIONS
#   doc_check.sh installed CMAKE BUILD ROOT FILE...
#                                       CMAKE --install BUILD --component program
#                                       --prefix ROOT puts each FILE under ROOT
#                                       (a FILE written !NAME must not be there)
set -u

fail() {
    echo "doc_check: $*" >&2
    exit 1
}

# need PROGRAM PACKAGE: a missing tool fails the check, naming its package.
need() {
    command -v "$1" >/dev/null 2>&1 || fail "$1 not found; install the Debian package $2"
}

# The lines of the section named $2 of the man page source $1, without
# comments, with \- as - and font changes dropped, so that names read as typed.
section() {
    sed -n "/^\.SH \"*$2\"*\$/,/^\.SH /p" "$1" | grep -v '^\.\\"' |
        sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\&//g'
}

mode=${1:-}
[ $# -ge 2 ] || fail "usage: doc_check.sh page|desktop|env|options|installed ARGS..."
shift
case "$mode" in
page)
    need man man-db
    need groff groff-base
    [ -f "$1" ] || fail "no page $1"
    err=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$1" 2>&1 >/dev/null)
    status=$?
    [ -z "$err" ] || fail "man --warnings -l $1 says:
$err"
    [ $status -eq 0 ] || fail "man -l $1 exited with status $status"
    text=$(MANWIDTH=80 LC_ALL=C.UTF-8 man -l "$1" 2>/dev/null)
    for heading in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" "SEE ALSO"; do
        printf '%s\n' "$text" | grep -qx "$heading" || fail "$1 has no section $heading"
    done
    ;;
desktop)
    need desktop-file-validate desktop-file-utils
    [ -f "$1" ] || fail "no desktop entry $1"
    out=$(desktop-file-validate "$1" 2>&1)
    status=$?
    [ -z "$out" ] || fail "desktop-file-validate $1 says:
$out"
    [ $status -eq 0 ] || fail "desktop-file-validate $1 exited with status $status"
    ;;
env)
    page=$1
    shift
    [ -f "$page" ] || fail "no page $page"
    names=$(find "$@" -path '*/tests' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print |
        xargs grep -ho 'getenv("[A-Za-z0-9_]*")' | sed 's/getenv("\(.*\)")/\1/' | sort -u)
    [ -n "$names" ] || fail "no getenv(\"...\") found under $*"
    documented=$(section "$page" ENVIRONMENT)
    missing=""
    for name in $names; do
        printf '%s\n' "$documented" | grep -qw "$name" || missing="$missing $name"
    done
    [ -z "$missing" ] || fail "read by the program but not in the ENVIRONMENT of $page:$missing"
    echo "all in $page:" $names
    ;;
options)
    page=$1
    program=$2
    [ -f "$page" ] || fail "no page $page"
    help=$("$program" --help) || fail "$program --help exited with status $?"
    options=$(printf '%s\n' "$help" | grep -oE '(^|[[:space:][])--?[a-z][a-z-]*' |
        sed 's/^[[:space:][]*//' | sort -u)
    [ -n "$options" ] || fail "$program --help lists no option"
    documented=$(section "$page" OPTIONS)
    missing=""
    for option in $options; do
        printf '%s\n' "$documented" | grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" ||
            missing="$missing $option"
    done
    [ -z "$missing" ] || fail "listed by $program --help but not in the OPTIONS of $page:$missing"
    echo "all in $page:" $options
    ;;
installed)
    [ $# -ge 4 ] || fail "usage: doc_check.sh installed CMAKE BUILD ROOT FILE..."
    cmake=$1
    build=$2
    root=$3
    shift 3
    rm -rf "$root"
    "$cmake" --install "$build" --component program --prefix "$root" >/dev/null ||
        fail "$cmake --install $build --component program failed"
    for file in "$@"; do
        case "$file" in
        !*) [ ! -e "$root/${file#!}" ] || fail "$root/${file#!} is installed and should not be" ;;
        *) [ -f "$root/$file" ] || fail "$root/$file is not installed" ;;
        esac
    done
    echo "installed under $root:" "$@"
    ;;
*)
    fail "unknown check $mode"
    ;;
esac

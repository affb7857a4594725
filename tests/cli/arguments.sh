#!/usr/bin/env bash
# The command line of the real program, with no display at all: --help and --version print and make nothing, an
# unknown option or command is refused with status 2, and a report of a missing log says so with status 5, all in
# the user's language. Nothing is created beside the program or in its data folder.
set -euo pipefail
dir=$(mktemp -d /tmp/zovo-cli.XXXXXX)
trap 'rm -rf "$dir"' EXIT
cp "$1" "$dir/zovodazad"
export HOME="$dir/home" XDG_RUNTIME_DIR="$dir/run" LANGUAGE=en
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
fail() { echo "FAIL: $*"; exit 1; }
# expect <status> <text in the output> <arguments...>
expect() {
    local want=$1 text=$2 got=0
    shift 2
    out=$("$dir/zovodazad" "$@" 2>&1) || got=$?
    [ "$got" = "$want" ] || fail "zovodazad $* gave status $got, not $want: $out"
    grep -qF -- "$text" <<<"$out" || fail "zovodazad $* did not say '$text': $out"
}
expect 0 "Usage: zovodazad [command] [options]" --help
expect 0 "zovodazad 1." --version
expect 2 "unknown option '--bogus'" --bogus
expect 2 "unknown command 'frobnicate'" frobnicate
LANGUAGE=de:en expect 2 "unbekannter Befehl „frobnicate“" frobnicate
LANGUAGE=fr expect 0 "les 30 derniers jours" --help
expect 5 "there is no traffic log at $dir/zovodazad.mdb" report --database "$dir/zovodazad.mdb"
expect 5 "there is no traffic log" report
[ -z "$(find "$dir" -mindepth 1 -not -path "$dir/home" -not -path "$dir/run" -not -name zovodazad)" ] ||
    fail "files were made: $(find "$dir" -mindepth 1)"
echo PASS

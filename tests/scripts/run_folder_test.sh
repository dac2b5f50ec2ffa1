#!/bin/bash
# The run folder of `make run`: `make clean` leaves it and the operator's files
# in it alone, and installing again brings the program, its library and its
# language packs without touching config.ini, usr.ini or the saved screens.
# The program is not started (no display needed).
set -u
repo="$1"
build="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }
# Run from `make test`: the outer make's flags and job server are not ours.
unset MAKEFLAGS MFLAGS MAKELEVEL

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
run="$tmp/run"
# The build is the one this test runs from: the check does not build again.
install() { make -s -C "$repo" -o run-build run-folder BUILD="$build" RUN_DIR="$run" >"$tmp/log" 2>&1 \
              || { cat "$tmp/log"; fail "make run-folder failed"; }; }

install
for f in Tavrelo libSorvane.so.1 UI_EN.rcc UI_CN.rcc UI_TW.rcc sim_controller; do
  [ -e "$run/$f" ] || fail "$f is not in the run folder"
done
# The program takes the library beside it, not the one in the build tree.
lib=$(ldd "$run/Tavrelo" | sed -n 's/^\s*libSorvane\.so\.1 => \(\S*\).*/\1/p')
[ "$(readlink -f "$lib")" = "$(readlink -f "$run/libSorvane.so.1")" ] || fail "Tavrelo loads libSorvane from '$lib'"

# The operator's files, as the program leaves them on quitting.
mkdir -p "$run/userdata"
printf '[usr]\r\nIsSaveLED=1\r\n' >"$run/usr.ini"
printf '[File]\r\nSavePath=%s;\r\n' "$run/userdata/Screen 1.pl" >"$run/config.ini"
printf 'screen bytes' >"$run/userdata/Screen 1.pl"
(cd "$run" && sha256sum usr.ini config.ini "userdata/Screen 1.pl") >"$tmp/sums"

# make clean on build trees of its own, so this run's build stays.
for b in b a t f; do mkdir -p "$tmp/$b"; done
make -s -C "$repo" clean BUILD="$tmp/b" ASAN_BUILD="$tmp/a" TSAN_BUILD="$tmp/t" FUZZ_BUILD="$tmp/f" \
     RUN_DIR="$run" || fail "make clean failed"
[ ! -e "$tmp/b" ] && [ ! -e "$tmp/a" ] || fail "make clean left its build trees"
(cd "$run" && sha256sum -c --quiet "$tmp/sums") || fail "make clean touched the run folder"

install
(cd "$run" && sha256sum -c --quiet "$tmp/sums") || fail "installing again touched the operator's files"
[ -x "$run/Tavrelo" ] || fail "the program went"

# The checkout ignores the run folder.
git -C "$repo" check-ignore -q run/ || fail "git does not ignore run/"
echo "run folder kept"

#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a workstation
# gets: every file in its place, the programs able to find each other and
# the manual, valid desktop entries, the file type of recordings known to the
# desktop, the installed command line working.
# Usage: check-install.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/tarvolin-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || {
  cat "$prefix.log" >&2; rm -f "$prefix.log"; fail "cmake --install failed"; }
rm -f "$prefix.log"

# Which desktop programs this build has (the Analyzer may not be built yet).
desktop=(tarvolin-launcher tarvolin-monitor)
[ -x "$build/analyzer/tarvolin-analyzer" ] && desktop+=(tarvolin-analyzer)

expect_file() { [ -f "$prefix/$1" ] || fail "missing $1"; }
expect_exec() { [ -x "$prefix/$1" ] && [ -f "$prefix/$1" ] || fail "missing program $1"; }

expect_exec bin/tarvolin
expect_exec bin/tarvolin-boardsim
for program in "${desktop[@]}"; do
  expect_exec "lib/tarvolin/$program"
  [ "$(readlink "$prefix/bin/$program")" = "../lib/tarvolin/$program" ] ||
    fail "bin/$program is not a link to ../lib/tarvolin/$program"
  [ -x "$prefix/bin/$program" ] || fail "bin/$program does not lead to the program"
  entry="share/applications/$program.desktop"
  expect_file "$entry"
  desktop-file-validate "$prefix/$entry" || fail "$entry is not a valid desktop entry"
  grep -qx "Exec=$prefix/bin/$program\( %F\)\?" "$prefix/$entry" || fail "$entry: wrong Exec line"
  for size in 16 24 32 48 64 128 256; do
    expect_file "share/icons/hicolor/${size}x${size}/apps/$program.png"
  done
done
# The Monitor's resource file beside it; the Monitor hidden from menus.
expect_file lib/tarvolin/QuillonRes0409.rcc
grep -qx "NoDisplay=true" "$prefix/share/applications/tarvolin-monitor.desktop" ||
  fail "the Monitor's entry shows in menus"
grep -q "NoDisplay" "$prefix/share/applications/tarvolin-launcher.desktop" &&
  fail "the Launcher's entry is hidden from menus"
if [ -f "$prefix/share/applications/tarvolin-analyzer.desktop" ]; then
  grep -qx "MimeType=application/x-tarvolin-klyn;" "$prefix/share/applications/tarvolin-analyzer.desktop" ||
    fail "the Analyzer's entry does not open recordings"
fi

# The file type: the definition, and the desktop's database built from it.
expect_file share/mime/packages/tarvolin.xml
expect_file share/mime/application/x-tarvolin-klyn.xml
grep -q '\*\.klyn' "$prefix/share/mime/globs2" || fail "the file type has no *.klyn pattern"
for size in 16 32 256; do
  expect_file "share/icons/hicolor/${size}x${size}/mimetypes/application-x-tarvolin-klyn.png"
done

# The manual, where the programs in lib/tarvolin look for it.
manual="$prefix/lib/tarvolin/../../share/tarvolin/Tarvolin_Users_Manual.pdf"
[ -s "$manual" ] || fail "no manual where the programs look for it"
pdfinfo "$manual" >/dev/null || fail "the installed manual is no PDF"

# The example udev rule and its page.
expect_file share/tarvolin/udev/60-tarvolin-serial.rules
expect_file share/tarvolin/udev/serial-adapters.md
grep -q 'SYMLINK+="tarvolin/COM' "$prefix/share/tarvolin/udev/60-tarvolin-serial.rules" ||
  fail "the udev rule makes no COM link"

# The installed programs run: the command line sets up a list, the Launcher
# answers without a display.
common="$prefix/common"
env TARVOLIN_COMMON_DATA="$common" "$prefix/bin/tarvolin" instruments add "Lab 1" --port 2 >/dev/null ||
  fail "the installed tarvolin cannot add an instrument"
[ "$(env TARVOLIN_COMMON_DATA="$common" "$prefix/bin/tarvolin" instruments list)" = $'COM2\tLab 1' ] ||
  fail "the installed tarvolin does not list the instrument"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tarvolin-launcher" --help |
  grep -q "usage: tarvolin-launcher" || fail "the installed Launcher does not start"

echo "check-install: ${#desktop[@]} desktop programs installed and checked in a scratch prefix"

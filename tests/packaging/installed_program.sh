#!/usr/bin/env bash
# The program as a package installs it: `cmake --install` into a scratch root
# holds exactly the files the packages ship; the installed quorren, run by a
# user who cannot write its folder, converts the samples with its log in the
# user's state folder; the installed window (under xvfb-run, when there)
# finds its module in ../lib/tarvelo and writes its configuration to the
# user's configuration folder; the two Debian packages list those files and
# the command-line one needs no Qt.
#
# usage: installed_program.sh BUILD_DIR MAKE_SAMPLES VERSION
set -uo pipefail

# The window part needs a display: the whole check runs in a virtual X server
# open to every local user (the test user may not read root's X cookie).
if [[ -z ${TARVELO_INSIDE_XVFB:-} ]] && command -v xvfb-run >/dev/null &&
  command -v xdotool >/dev/null; then
  TARVELO_INSIDE_XVFB=1 exec xvfb-run -a -s "-ac" "$0" "$@"
fi

build=$1 make_samples=$2 version=$3
scratch=$(mktemp -d "${TARVELO_TEST_TMP:-${TMPDIR:-/tmp}}/installed.XXXXXX") || exit 1
chmod 755 "$scratch"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() { if ((failures == 0)); then rm -rf "$scratch"; else echo "kept for a look: $scratch"; fi; }
trap finish EXIT

shipped_cli="usr/bin/quorren
usr/bin/tarvelo-parallel
usr/share/doc/tarvelo/LICENSE
usr/share/doc/tarvelo/README.md
usr/share/doc/tarvelo/docs/window-convert.png
usr/share/doc/tarvelo/docs/window-options.png
usr/share/doc/tarvelo/docs/window-settings.png
usr/share/man/man1/quorren.1.gz
usr/share/man/man1/tarvelo-parallel.1.gz"
shipped_window="usr/lib/tarvelo/libtarvelo_gui.so
usr/share/applications/tarvelo.desktop
usr/share/icons/hicolor/64x64/apps/tarvelo.png"

# --- cmake --install ----------------------------------------------------------
root=$scratch/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install failed"
installed=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
expected=$(printf '%s\n%s\n' "$shipped_cli" "$shipped_window" | sort)
[[ $installed == "$expected" ]] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$installed"))"
chmod -R a+rX "$root"

quorren=$root/usr/bin/quorren
[[ $("$quorren" --version) == "quorren (Tarvelo) $version" ]] || fail "--version of the installed program"

# --- as a user who cannot write the program's folder ----------------------------
home=$scratch/home
mkdir -p "$home" "$scratch/faxes"
"$make_samples" "$scratch/faxes/in" >/dev/null || fail "make_samples failed"
chmod -R a+rwX "$home" "$scratch/faxes"
as_user=()
if ((EUID == 0)); then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  chmod a-w "$root/usr/bin"
fi
user_env=(env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state"
  TMPDIR="$home" DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM=)

"${as_user[@]}" "${user_env[@]}" "$quorren" /q /i /kh /d="$scratch/faxes/in" /sd="$scratch/faxes/pdf" \
  >/dev/null || fail "the installed program did not convert the samples"
log=$home/state/tarvelo/log/kvtlog.txt
[[ -s $log ]] || fail "no log in the user's state folder"
[[ ! -e $root/usr/bin/log ]] || fail "a log beside the installed program"
sources=$(grep -c " --> " "$log")
pdfs=$(find "$scratch/faxes/pdf" -name '*.pdf' | wc -l)
((pdfs > 10 && pdfs == $(grep -c "Success !" "$log"))) ||
  fail "$pdfs PDFs for $sources sources, $(grep -c "Success !" "$log") successes"
while IFS= read -r -d '' pdf; do
  qpdf --check "$pdf" >/dev/null 2>&1 || fail "qpdf --check $pdf"
done < <(find "$scratch/faxes/pdf" -name '*.pdf' -print0)

# Root could write the program's folder, but an installation keeps no files there.
if ((EUID == 0)); then
  HOME=$home/root XDG_STATE_HOME= "$quorren" /q /f="$scratch/faxes/in/fax-g4.tif" /sf="$home/root.pdf" \
    >/dev/null 2>&1
  [[ -s $home/root/.local/state/tarvelo/log/kvtlog.txt && ! -e $root/usr/bin/log ]] ||
    fail "root's log is not in root's state folder"
fi

# --- the installed window -------------------------------------------------------
window_closes() {
  "${as_user[@]}" "${user_env[@]}" DISPLAY="$DISPLAY" XAUTHORITY="${XAUTHORITY:-}" \
    XDG_RUNTIME_DIR="$home" "$quorren" &
  local pid=$! win
  win=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tarvelo$' | head -1)
  if [[ -z $win ]]; then
    kill "$pid" 2>/dev/null
    wait "$pid"
    return 1
  fi
  xdotool windowfocus --sync "$win" && sleep 0.5 && xdotool key --window "$win" Escape
  timeout 30 tail --pid="$pid" -f /dev/null
  wait "$pid"
}
if [[ -n ${TARVELO_INSIDE_XVFB:-} ]]; then
  window_closes
  status=$?
  ((status == 2)) || fail "the installed window ended with $status, not 2 (Escape)"
  keys=$(grep -c '=' "$home/config/tarvelo/mirelda.ini" 2>/dev/null)
  [[ $keys == 17 ]] || fail "mirelda.ini in the user's configuration folder holds ${keys:-no} keys"
else
  echo "no xvfb-run or xdotool: the installed window is not tried"
fi

# --- the Debian packages --------------------------------------------------------
packages=$scratch/packages
cpack -G DEB -B "$packages" --config "$build/CPackConfig.cmake" >/dev/null || fail "cpack failed"
check_package() { # name, expected files
  local deb=$packages/${1}_${version}_$(dpkg --print-architecture).deb listed
  listed=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort)
  [[ $listed == "$(echo "$2" | sort)" ]] || fail "$1 lists:
$(diff <(echo "$2" | sort) <(echo "$listed"))"
}
check_package tarvelo "$shipped_cli"
check_package tarvelo-window "$shipped_window"
cli_depends=$(dpkg-deb -f "$packages/tarvelo_${version}_"*.deb Depends)
window_depends=$(dpkg-deb -f "$packages/tarvelo-window_${version}_"*.deb Depends)
[[ $cli_depends == *libtiff6* && $cli_depends != *qt* ]] || fail "tarvelo depends on: $cli_depends"
[[ $window_depends == *"tarvelo (= $version)"* && $window_depends == *libqt6widgets6* ]] ||
  fail "tarvelo-window depends on: $window_depends"

((failures == 0)) && echo "installed program, window and packages as expected"
exit $((failures > 0))

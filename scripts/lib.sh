# Shared by the project's scripts: package set-up, builds and the Wine prefix.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: nothing here needs them and they would ask.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# use_wine BUILD: the Wine that runs a Windows build's programs, and the
# build's prefix. win64: wine64 in build/wine-prefix, a 64-bit Windows. win32:
# the 32-bit Wine in build/wine-prefix-win32, a 32-bit Windows of its own.
# The tests' presets name the build (ZELMAR_WINE_BUILD) and its prefix.
use_wine() {
    case $1 in
        win64)
            WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
            unset WINEARCH
            ;;
        win32)
            WINE=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver
            export WINEARCH=win32
            ;;
        *) echo "use_wine: no Windows build $1" >&2; return 2 ;;
    esac
    export ZELMAR_WINE_BUILD=$1 WINEPREFIX=${2:-$ROOT/build/$(prefix_name "$1")}
}
prefix_name() {
    if [ "$1" = win64 ]; then echo wine-prefix; else echo "wine-prefix-$1"; fi
}
use_wine "${ZELMAR_WINE_BUILD:-win64}" "${WINEPREFIX:-}"

PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libbenchmark-dev libpng-dev
          g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
          wine wine64 libwine-dev xvfb xauth x11-apps imagemagick locales fonts-nanum nsis)

log() { printf '==> %s\n' "$*" >&2; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages that are missing; does nothing when all are there.
ensure_packages() {
    local missing=() p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Whether this kernel runs 32-bit x86 programs (some are built without that
# support): a 32-bit program of a few instructions, needing no 32-bit library,
# is started. On failure the reason is on stdout.
kernel_runs_32bit() {
    local dir status=0 reason
    dir=$(mktemp -d)
    if ! gcc -m32 -nostdlib -static -ffreestanding -fno-pie -no-pie -O1 -o "$dir/probe" \
        "$ROOT/scripts/probe32.c" 2>"$dir/log"; then
        echo "the 32-bit probe does not build: $(head -n1 "$dir/log")"
        status=1
    elif ! reason=$("$dir/probe" 2>&1); then
        reason=${reason##*: }  # the system's word, as "Exec format error"
        echo "this kernel cannot run 32-bit programs (${reason:-a 32-bit probe failed})"
        status=1
    fi
    rm -rf "$dir"
    return "$status"
}

# The 32-bit Wine (the i386 architecture and wine32:i386), for the shipping
# build's tests; does nothing when it is there.
ensure_wine32() {
    [ -x /usr/lib/wine/wine ] && dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null |
        grep -q 'install ok installed' && return 0
    log "installing the 32-bit Wine (wine32:i386)"
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends wine32:i386
}

# configure_and_build <preset>
configure_and_build() {
    log "building $1"
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

# The Korean locale, for tests of programs in code page 949: Wine takes the
# code page from the locale, and the machine need not have it installed.
export KOREAN_LOCPATH="$ROOT/build/locale"
ensure_korean_locale() {
    [ -d "$KOREAN_LOCPATH/ko_KR.UTF-8" ] && return 0
    mkdir -p "$KOREAN_LOCPATH"
    localedef -i ko_KR -f UTF-8 "$KOREAN_LOCPATH/ko_KR.UTF-8" 2>/dev/null ||
        [ -d "$KOREAN_LOCPATH/ko_KR.UTF-8" ]
}

# Settings the tests rely on, applied once per prefix (the stamp's number
# changes when they do): a crash prints its backtrace and ends the program
# instead of waiting on a dialog under Xvfb; windows are not managed, since
# Xvfb has no window manager to wait for; Hangul has a font (message boxes
# ask for Gulim).
PREFIX_SETTINGS_STAMP=.zelmar-settings-2
HANGUL_FONT=/usr/share/fonts/truetype/nanum/NanumGothic.ttf

ensure_wine_prefix() {
    ensure_korean_locale
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "creating the Wine prefix in $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        "$WINE" wineboot -i >/dev/null 2>&1
        "$WINESERVER" -w
    fi
    if [ ! -f "$WINEPREFIX/$PREFIX_SETTINGS_STAMP" ]; then
        "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            </dev/null >/dev/null 2>&1
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            </dev/null >/dev/null 2>&1
        "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Gulim /t REG_SZ \
            /d NanumGothic /f </dev/null >/dev/null 2>&1
        mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
        cp "$HANGUL_FONT" "$WINEPREFIX/drive_c/windows/Fonts/"
        "$WINESERVER" -w
        touch "$WINEPREFIX/$PREFIX_SETTINGS_STAMP"
    fi
}

# A persistent wineserver, so tests start fast. The first wine command of a
# server starts its services, which keep that command's output pipe open for
# the server's life: run it here with no pipes, not under CTest.
start_wineserver() {
    ensure_wine_prefix
    "$WINESERVER" -p
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
}

stop_wineserver() {
    "$WINESERVER" -k 2>/dev/null || true
}

# with_display <command...>: runs the command under a virtual X display of its
# own, with a wineserver of the prefix started inside it. A server started
# without DISPLAY keeps Wine's no-display driver for its whole life, so the
# one before is stopped first. The search for a free display starts from a
# number of this shell's own, so that runs side by side do not take the same.
with_display() {
    stop_wineserver
    "$WINESERVER" -w
    xvfb-run -a -n $((100 + BASHPID % 800)) -s "-screen 0 1024x768x24" bash -c \
        '. "$1" && start_wineserver && trap stop_wineserver EXIT && shift && "$@"' \
        _ "$ROOT/scripts/lib.sh" "$@"
}

# map_wine_ports PORT=DEVICE ...: maps Windows port names (COM3, LPT1) onto
# Linux devices for the Wine prefix. Wine reads the mapping only when its
# server starts, so the server is restarted: tests that map ports run alone.
map_wine_ports() {
    local mapping port device
    for mapping in "$@"; do
        port=${mapping%%=*}
        device=${mapping#*=}
        "$WINE" reg add 'HKLM\Software\Wine\Ports' /v "$port" /d "$device" /f \
            </dev/null >/dev/null 2>&1
    done
    restart_wineserver
    for mapping in "$@"; do
        port=${mapping%%=*}
        device=${mapping#*=}
        if [ "$(readlink "$WINEPREFIX/dosdevices/$(lower_case "$port")")" != "$device" ]; then
            echo "Wine did not map $port onto $device" >&2
            return 1
        fi
    done
}

# unmap_wine_ports PORT ...: takes the mappings back, and Wine's links with them
# (a restart alone leaves the links).
unmap_wine_ports() {
    local port
    for port in "$@"; do
        "$WINE" reg delete 'HKLM\Software\Wine\Ports' /v "$port" /f </dev/null >/dev/null 2>&1 ||
            true
        rm -f "$WINEPREFIX/dosdevices/$(lower_case "$port")"
    done
}

# The server's services hold the output of its first command: none of it goes
# to the caller's output.
restart_wineserver() {
    stop_wineserver
    "$WINESERVER" -w
    start_wineserver </dev/null >/dev/null 2>&1
}

lower_case() {
    echo "$1" | tr 'A-Z' 'a-z'
}

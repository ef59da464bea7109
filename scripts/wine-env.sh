# Wine for the project's Windows tests and tools; source this file, then
# call use_wine_prefix FOLDER (or make_fresh_wine_prefix FOLDER). Quiet, with no Mono or Gecko installer
# dialogs (the program needs neither), and with a prefix made once.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

use_wine_prefix() {  # folder
  if ! command -v wine >/dev/null; then
    echo "wine is not installed (scripts/install-deps.sh --test installs it)" >&2
    return 1
  fi
  mkdir -p "$(dirname "$1")"
  export WINEPREFIX
  WINEPREFIX=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    if ! wineboot -i >/dev/null 2>&1 || ! wineserver -w; then
      echo "wine could not make its prefix in $WINEPREFIX" >&2
      return 1
    fi
  fi
}

# A fresh prefix in the folder, made anew (whatever was there goes) and
# used from now on; it fails when wine cannot start a program in it, so that
# nothing run in it passes without having run at all.
make_fresh_wine_prefix() {  # folder
  rm -rf "$1"
  use_wine_prefix "$1" && [[ -f $WINEPREFIX/system.reg ]] && wine cmd /c exit 0 </dev/null >/dev/null 2>&1
}

# One wine server for the prefix in use until stop_wine_server: a server
# that ends while the next program connects drops that program ("recvmsg:
# Connection reset by peer"). The server the prefix's making started must
# end first, or the persistent one cannot start. One process is run at once,
# so that wine's own background processes (services, explorer) start with no
# test's output open: they live as long as the server, and a test runner
# waits for every process that holds its pipe.
start_persistent_wine_server() {
  wineserver -w && wineserver -p && wine cmd /c exit 0 </dev/null >/dev/null 2>&1
}

# Ends the prefix's server and every wine process of the prefix.
stop_wine_server() {
  wineserver -k 2>/dev/null || true
}

# Wine's Tahoma has no CJK glyphs; Windows links Tahoma to a CJK face for
# them, and so does this prefix, to the WenQuanYi face the system has.
link_cjk_font() {
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v Tahoma /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
}

# The X window of the program's tray icon that wine docked in trayer's
# panel (scripts/x-session.sh), or nothing while it has not docked. Clicks
# reach it only in a tray of a fixed width (CORVANE_TRAY_WIDTH): wine keeps
# the icon's input area where the tray was when the icon docked.
wine_tray_icon_window() {
  # A window that goes away while xwininfo walks the tree fails the whole
  # walk (BadWindow); wine makes and drops windows as its icon docks.
  local tree _
  for _ in 1 2 3 4 5; do
    tree=$(xwininfo -root -tree 2>/dev/null) && break
    sleep 0.1
  done
  awk '
    /"panel": \("panel" "trayer"\)/ { match($0, /^ */); depth = RLENGTH; inside = 1; next }
    inside { match($0, /^ */); if (RLENGTH <= depth) inside = 0; else if (/"explorer.exe"/ && !found) found = $1 }
    END { if (found) print found }' <<<"$tree"
}

# Wine for the project's Windows tests and tools; source this file, then
# call use_wine_prefix FOLDER. Quiet, with no Mono or Gecko installer
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
  xwininfo -root -tree 2>/dev/null | awk '
    /"panel": \("panel" "trayer"\)/ { match($0, /^ */); depth = RLENGTH; inside = 1; next }
    inside { match($0, /^ */); if (RLENGTH <= depth) inside = 0; else if (/"explorer.exe"/ && !found) found = $1 }
    END { if (found) print found }'
}

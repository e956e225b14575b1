# Sourced by the other scripts: the environment in which Vantry runs under Wine.
# Japanese locale (GetACP() == 932, dates as 2026/12/8 0:59:45), no debug noise, no
# Mono or Gecko install prompts, and a prefix of its own with the virtual desktop
# and the font substitute set in its registry.

VANTRY_ROOT=${VANTRY_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export LC_ALL=ja_JP.UTF-8
export LANG=ja_JP.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export WINEARCH=win64

# Creates and configures the prefix in $WINEPREFIX unless it is ready already.
vantry_prepare_prefix() {
  local marker="$WINEPREFIX/.vantry-ready"
  [ -f "$marker" ] && return 0
  mkdir -p "$WINEPREFIX"
  (
    # Several tests may start at once against a new prefix: one of them builds it.
    exec 9>"$WINEPREFIX.lock"
    flock 9
    [ -f "$marker" ] && exit 0
    wineboot -i >/dev/null 2>&1 || true
    local reg
    reg=$(mktemp --suffix=.reg)
    # regedit reads UTF-16 for the Japanese font name.
    printf '%s\r\n' \
      'Windows Registry Editor Version 5.00' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"Default"="1024x768"' '' \
      '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
      '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' '"MS UI Gothic"="IPAPGothic"' '' \
      | iconv -f UTF-8 -t UTF-16 > "$reg"
    wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 || true
    rm -f "$reg"
    wineserver -w
    touch "$marker"
  )
}

# The desktop's size at a display scaling of $1 DPI (96 is 100 %): 1024x768 at
# 96 DPI, and as many more pixels as the scaling takes, as on a laptop whose
# larger screen is set to 150 or 200 %.
vantry_desktop_size() {
  echo "$((1024 * $1 / 96))x$((768 * $1 / 96))"
}

# Sets the display scaling of the prefix in $WINEPREFIX to $1 DPI and its virtual
# desktop to the size of vantry_desktop_size. Wine 8 reads LogPixels from
# HKCU\Control Panel\Desktop and, where that has none, from the hardware profile
# winecfg writes; both are set. Only a new wineserver (and the programs it runs)
# takes the change, so the running one and every program in the prefix are ended
# first.
vantry_set_dpi() {
  local dpi=$1 reg
  wineserver -k >/dev/null 2>&1 || true
  reg=$(mktemp --suffix=.reg)
  printf '%s\r\n' \
    'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Control Panel\Desktop]' "\"LogPixels\"=dword:$(printf '%08x' "$dpi")" '' \
    '[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]' \
    "\"LogPixels\"=dword:$(printf '%08x' "$dpi")" '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' "\"Default\"=\"$(vantry_desktop_size "$dpi")\"" '' \
    > "$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 || true
  rm -f "$reg"
  wineserver -w
}

# Starts Xvfb when there is no display, with a screen of VANTRY_SCREEN (1024x768
# unless set); sets DISPLAY and VANTRY_XVFB_PID.
vantry_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${VANTRY_SCREEN:-1024x768}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  VANTRY_XVFB_PID=$!
  local num
  read -r num <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$num"
  export VANTRY_XVFB_PID
}

# Starts the Wine session before the tests: a persistent server, the virtual
# desktop and the system services. Without it the first test programs start them
# all at once, and a test that happens to be first can wait on them for minutes.
# The first window of a new prefix also builds Wine's font cache: a program that
# draws some text ($1, when given) takes that minute here.
vantry_start_session() {
  wineserver -p
  timeout 120 wine cmd /c exit >/dev/null 2>&1 || true
  if [ -n "${1:-}" ] && [ -f "$1" ]; then
    timeout 300 wine "$1" >/dev/null 2>&1 || true
  fi
}

# A run of its own: a fresh prefix in a temporary folder ($run_dir) and a private
# Xvfb in place of any display. Set `trap vantry_end_private_run EXIT` (or a
# function that calls it) before, so that an interrupted start leaves nothing.
vantry_begin_private_run() {  # $1: a word for the temporary folder's name
  run_dir=$(mktemp -d "/tmp/vantry-$1.XXXXXX")
  export WINEPREFIX="$run_dir/prefix"
  unset DISPLAY
  vantry_ensure_display
}

vantry_end_private_run() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${VANTRY_XVFB_PID:-}" ] && kill "$VANTRY_XVFB_PID" 2>/dev/null || true
  [ -n "${run_dir:-}" ] && rm -rf "$run_dir"
  return 0
}

# Helpers for driving the setup's real windows under Wine on an X display:
# a private Xvfb when none is given, the Wine look the screenshots show (the
# built-in light theme, window frames drawn by Wine itself since no window
# manager runs), windows found by caption, clicks in client coordinates and
# screenshots cropped to a window.
#
# Needs: WINEPREFIX (a prefix whose wineserver runs), xdotool, Xvfb, and
# ImageMagick's import and convert.

GUI_XVFB_PID=""

# Starts Xvfb on a free display unless GUI_DISPLAY names one to use.
gui_start_display() {
  if [ -n "${GUI_DISPLAY:-}" ]; then
    export DISPLAY="$GUI_DISPLAY"
    return
  fi
  local fifo
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  GUI_XVFB_PID=$!
  local number
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
}

gui_stop_display() {
  if [ -n "$GUI_XVFB_PID" ]; then
    kill "$GUI_XVFB_PID" 2>/dev/null
    wait "$GUI_XVFB_PID" 2>/dev/null
    GUI_XVFB_PID=""
  fi
}

# The visual theme for the prefix; with "own-frames" Wine also draws the
# window frames itself (a private display has no window manager to do it).
gui_prepare_prefix() {
  local theme='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
  wine reg add "$theme" /v ThemeActive /d 1 /f >/dev/null 2>&1
  wine reg add "$theme" /v DllName /d 'C:\windows\resources\themes\light\light.msstyles' /f >/dev/null 2>&1
  wine reg add "$theme" /v ColorName /d Blue /f >/dev/null 2>&1
  wine reg add "$theme" /v SizeName /d Normal /f >/dev/null 2>&1
  # The symbol font of the caption buttons, which Wine does not find in its
  # own data folder here (its packaged Tahoma Bold draws no heavier than Tahoma,
  # so the text keeps the system's sans-serif face with its real bold).
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  fi
  if [ "${1:-}" = "own-frames" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  fi
}

# gui_wait_window REGEX [SECONDS]: prints the id of the visible X window whose
# name matches, waiting for it; nothing (and status 1) when it does not come.
gui_wait_window() {
  local pattern="$1" seconds="${2:-30}" id
  local tries=$((seconds * 20))
  while [ "$tries" -gt 0 ]; do
    id="$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | tail -n 1)"
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.05
    tries=$((tries - 1))
  done
  return 1
}

# gui_wait_gone ID [SECONDS]: waits until the window is no longer visible.
gui_wait_gone() {
  local id="$1" seconds="${2:-30}"
  local tries=$((seconds * 20))
  while [ "$tries" -gt 0 ]; do
    xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$id" || return 0
    sleep 0.05
    tries=$((tries - 1))
  done
  return 1
}

# gui_geometry ID: sets WIN_X, WIN_Y, WIN_W, WIN_H (the whole window, frame included).
gui_geometry() {
  local X=0 Y=0 WIDTH=0 HEIGHT=0 SCREEN=0 WINDOW=0
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"
  WIN_X=$X
  WIN_Y=$Y
  WIN_W=$WIDTH
  WIN_H=$HEIGHT
}

# gui_client_origin ID CLIENT_WIDTH CLIENT_HEIGHT: sets CLIENT_X, CLIENT_Y,
# the screen position of the client area (equal side and bottom borders).
gui_client_origin() {
  gui_geometry "$1"
  local border=$(((WIN_W - $2) / 2))
  CLIENT_X=$((WIN_X + border))
  CLIENT_Y=$((WIN_Y + WIN_H - $3 - border))
}

# gui_click X Y: a left click at that point of the client area (CLIENT_X/Y).
gui_click() {
  xdotool mousemove --sync $((CLIENT_X + $1)) $((CLIENT_Y + $2)) click 1
  sleep 0.3
}

# gui_keys KEY...: keys to the window that has the focus.
gui_keys() {
  xdotool key --delay 60 "$@"
  sleep 0.3
}

# gui_type TEXT: types text into the focused control.
gui_type() {
  xdotool type --delay 40 -- "$1"
  sleep 0.3
}

# gui_shot FILE ID [BELOW]: a screenshot of the window ID, and BELOW pixels
# under it (for a menu that opens past its edge), as a small PNG. The empty
# screen around a window becomes a desktop colour.
gui_shot() {
  local file="$1" id="$2" below="${3:-0}"
  gui_geometry "$id"
  sleep "${GUI_SETTLE:-0.4}"
  import -display "$DISPLAY" -window root -crop "${WIN_W}x$((WIN_H + below))+${WIN_X}+${WIN_Y}" +repage "$file.tmp.png" 2>/dev/null
  if [ "$below" -gt 0 ]; then
    convert "$file.tmp.png" -fill '#3A6EA5' -draw "color $((WIN_W - 1)),$((WIN_H + below - 1)) floodfill" "$file.tmp.png"
  fi
  convert "$file.tmp.png" -strip -colors 256 "$file"
  rm -f "$file.tmp.png"
}

# gui_focus ID: gives the window the keyboard.
gui_focus() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1" 2>/dev/null
  sleep 0.2
}

# Sourced by the tests that run the real game on a virtual screen.
#
# start_xvfb BASE SIZE: an Xvfb server of SIZE ("1280x800") on a display
# between BASE and BASE + 8 (each test its own BASE, so ctest can run two at
# once), exported as DISPLAY, its pid in XVFB. Returns once the server
# answers, or after ten seconds: a busy machine can take a while.
# -noreset: by default the server resets when its last client leaves, and a
# game started just then (right after one killed) can end up attached to the
# old generation with no window on the new one.
start_xvfb() {
  DISPLAY=":$(( $1 + $$ % 9 ))"
  export DISPLAY
  Xvfb "$DISPLAY" -screen 0 "$2x24" -nolisten tcp -noreset >/dev/null 2>&1 &
  XVFB=$!
  for i in $(seq 1 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.2
  done
}

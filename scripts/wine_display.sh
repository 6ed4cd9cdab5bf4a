# A virtual display and a Wine prefix for the scripts that start qrvl.exe under Wine; sourced.

# Starts Xvfb on the first free display number from $1 (screen $2, default 1280x1024x24),
# exports DISPLAY, sets qrvl_xvfb_pid and returns once the display answers. The caller ends
# qrvl_xvfb_pid when it is done.
qrvl_start_xvfb() {
    local screen_no=${1:-90}
    while [[ -e /tmp/.X11-unix/X$screen_no || -e /tmp/.X$screen_no-lock ]]; do
        screen_no=$((screen_no + 1))
    done
    Xvfb ":$screen_no" -screen 0 "${2:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
    qrvl_xvfb_pid=$!
    export DISPLAY=:$screen_no
    local _
    for _ in $(seq 50); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.1
    done
}

# Makes $WINEPREFIX when it is missing. A wineserver binds its session to the display it found
# when it started and stays up a few seconds after its last program, and a program started in
# that time joins the session: had the prefix been made with no display, its windows would find
# no driver. So call this only once the display exists; it waits for the set-up to end.
qrvl_wine_prefix() {
    [[ -d $WINEPREFIX ]] && return 0
    echo "Creating the Wine prefix $WINEPREFIX" >&2
    wineboot --init >/dev/null 2>&1
    wineserver -w
}

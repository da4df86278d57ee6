# Sourced by the network tests (LON/IP and USB): a tmux server of the test's own for the sheet,
# stopped by its pid, and reading and clicking its screen. Needs fail.
tmux_socket=qma7-network-$$
tmux_() { tmux -L "$tmux_socket" -f /dev/null "$@"; }
stop_tmux() {
    local server
    server=$(tmux_ display-message -p '#{pid}' 2>/dev/null) && kill -TERM "$server" 2>/dev/null
}
screen() { tmux_ capture-pane -p; }
status_line() { screen | sed '/^$/d' | tail -n 1; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# wait_for [TEXT]: up to 15 s for TEXT on the screen with the sheet idle for 0.3 s on end,
# since keys sent while the busy line shows are dropped, and a tab is painted before the
# reads that fill it begin.
wait_for() {
    local text=${1:-} shot since=
    for _ in $(seq 300); do
        shot=$(screen)
        if [[ $shot == *"$text"* && $shot != *"Busy: "* ]]; then
            since=${since:-$(now_ms)}
            (( $(now_ms) - since >= 300 )) && return 0
        else
            since=
        fi
        sleep 0.05
    done
    echo "$shot"
    fail "\"$text\" did not appear on the idle screen above"
}
# click TEXT: a press and release of the left button on TEXT's first cell, as xterm sends.
click() {
    local y=0 line head
    while IFS= read -r line; do
        if [[ $line == *"$1"* ]]; then
            head=${line%%"$1"*}
            for button in 20 23; do
                tmux_ send-keys -H 1b 5b 4d "$button" \
                    "$(printf %x $((${#head} + 33)))" "$(printf %x $((y + 33)))"
            done
            return 0
        fi
        y=$((y + 1))
    done < <(screen)
    fail "no \"$1\" to click"
}

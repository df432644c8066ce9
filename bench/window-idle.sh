#!/usr/bin/env bash
# Runs the home-screen host in its window on a virtual display for a while
# and reports what it cost: CPU time (user + system, from /proc/PID/stat)
# as a share of one core, and peak resident memory (VmHWM).
#
#   bench/window-idle.sh [--seconds N] [--host PROGRAM] [--root DIR]
#                        [--source mpris|demo] [--state playing|paused]
#                        [--title TEXT] [--headless]
#
# --headless runs the same session without the window, on the system clock,
# to tell what the player costs by itself from what the window adds.
# With --source mpris (the default) the host follows an mpv on a private
# session bus (needs mpv, its mpris plugin and dbus-run-session), playing a
# generated track named TEXT with a cover beside it; a title too long for its
# label keeps scrolling, the dearest steady state. With --source demo the
# demo player plays its playlist. The goals, in shares of one core: 1.5%
# playing, 2% with a --title of one's own (to try one that scrolls), 0.3%
# paused; and 80 MB.
set -euo pipefail

self="$(readlink -f "$0")"
repository="$(cd "$(dirname "$self")/.." && pwd)"
seconds=60
host="$repository/build/apps/springboard/springboard"
root="$repository/build/device-root"
source_kind=mpris
state=playing
title="Evening Tone"
window=(--window)
memory_goal_kb=$((80 * 1024))

usage() {
    echo "usage: $0 [--seconds N] [--host PROGRAM] [--root DIR] [--source mpris|demo]" \
        "[--state playing|paused] [--title TEXT] [--headless]" >&2
    exit 2
}
while (($#)); do
    if [[ "$1" == --headless ]]; then
        window=(--clock system)
        shift
        continue
    fi
    (($# >= 2)) || usage
    case "$1" in
    --seconds) seconds="$2" ;;
    --host) host="$2" ;;
    --root) root="$2" ;;
    --source) source_kind="$2" ;;
    --state) state="$2" ;;
    --title) title="$2" ;;
    *) usage ;;
    esac
    shift 2
done
[[ "$seconds" =~ ^[0-9]+$ ]] || usage
[[ "$source_kind" == demo || "$source_kind" == mpris ]] || usage
[[ "$state" == playing || "$state" == paused ]] || usage
[[ -n "$title" && "$title" != */* ]] || usage
cpu_goal_percent=1.5
[[ "$title" != "Evening Tone" ]] && cpu_goal_percent=2
[[ "$state" == paused ]] && cpu_goal_percent=0.3
host="$(readlink -f "$host")"
root="$(readlink -f "$root")"
[[ -x "$host" ]] || { echo "window-idle: no host at $host; run make" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "window-idle: Xvfb is missing; run scripts/bootstrap" >&2; exit 1; }

# The mpris run goes once more round this script inside a private bus.
if [[ "$source_kind" == mpris && -z "${ROTIX_BENCH_PRIVATE_BUS:-}" ]]; then
    for tool in mpv dbus-run-session; do
        command -v "$tool" >/dev/null || { echo "window-idle: $tool is missing" >&2; exit 1; }
    done
    extra=()
    [[ "${window[0]}" == --window ]] || extra=(--headless)
    ROTIX_BENCH_PRIVATE_BUS=1 exec dbus-run-session -- "$self" --seconds "$seconds" \
        --host "$host" --root "$root" --source mpris --state "$state" --title "$title" "${extra[@]}"
fi

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, on whatever number is free.
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 150); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
[[ -s "$work/display" ]] || { echo "window-idle: Xvfb did not start" >&2; exit 1; }
display=":$(head -n1 "$work/display")"

if [[ "$source_kind" == mpris ]]; then
    plugin=/usr/lib/mpv-mpris/mpris.so
    [[ -f "$plugin" ]] || { echo "window-idle: the mpv mpris plugin is missing" >&2; exit 1; }
    # A track of silence as 8 kHz 8-bit mono WAV, long enough for the run,
    # named as it should be titled; a file rather than a generated stream,
    # whose length the player would keep revising.
    mkdir "$work/music"
    track="$work/music/$title.wav"
    samples=$((8000 * (seconds + 60)))
    # le32 spells a little-endian word as \xHH escapes; '%b' turns them into bytes
    # (an escape in a printf format would be read before the digits are there).
    le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) \
        $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
    {
        printf '%b' "RIFF$(le32 $((36 + samples)))WAVEfmt "
        printf '%b' "$(le32 16)\\x01\\x00\\x01\\x00$(le32 8000)$(le32 8000)\\x01\\x00\\x08\\x00"
        printf '%b' "data$(le32 "$samples")"
        head -c "$samples" /dev/zero | tr '\0' '\200'
    } >"$track"
    cp "$repository/docs/lockscreen.png" "$work/music/cover.png"
    mpv --no-config --really-quiet --ao=null --vo=null --script="$plugin" "$track" \
        >/dev/null 2>&1 &
    pids+=($!)
fi

cp -r "$root" "$work/root"
mkfifo "$work/input"
(cd "$work" && DISPLAY="$display" exec "$host" "${window[@]}" --scenario - --root "$work/root" \
    --source "$source_kind" <"$work/input" >/dev/null 2>"$work/stderr") &
host_pid=$!
pids+=("$host_pid")
exec {input}>"$work/input"
if [[ "$source_kind" == demo ]]; then
    echo "playlist demo" >&"$input"
    echo "play" >&"$input"
    [[ "$state" == paused ]] && echo "pause" >&"$input"
elif [[ "$state" == paused ]]; then
    echo "window-idle: --state paused pauses the demo only; mpv keeps playing" >&2
fi

# The start (loading, the first full frame) is not what is measured.
sleep 3
kill -0 "$host_pid" 2>/dev/null || { echo "window-idle: the host ended:" >&2; cat "$work/stderr" >&2; exit 1; }
ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$host_pid/stat"; }
start_ticks=$(cpu_ticks)
start_time=$(date +%s.%N)
sleep "$seconds"
end_ticks=$(cpu_ticks)
end_time=$(date +%s.%N)
peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$host_pid/status")
echo "dump $work/last.json" >&"$input"
for _ in $(seq 50); do
    [[ -s "$work/last.json" ]] && break
    sleep 0.1
done
frames=$(grep -o '"frames": *[0-9]*' "$work/last.json" 2>/dev/null | grep -o '[0-9]*$' || echo "?")

awk -v ticks=$((end_ticks - start_ticks)) -v hz="$ticks_per_second" -v t0="$start_time" \
    -v t1="$end_time" -v peak="$peak_kb" -v frames="$frames" -v source="$source_kind" \
    -v state="$state" -v title="$title" -v mode="${window[0]}" -v cpu_goal="$cpu_goal_percent" -v memory_goal="$memory_goal_kb" '
BEGIN {
    wall = t1 - t0
    cpu = ticks / hz
    share = 100 * cpu / wall
    printf "window-idle: %s source, %s, %.1f s, %s\n", source, state, wall, mode == "--window" ? "in a window on Xvfb" : "headless"
    if (source == "mpris") printf "  track      \"%s\"\n", title
    printf "  CPU time   %.2f s  = %.2f%% of one core   (goal <= %s%%)   %s\n", cpu, share, cpu_goal, share <= cpu_goal ? "ok" : "OVER"
    printf "  peak RSS   %.1f MB                      (goal <= %d MB)  %s\n", peak / 1024, memory_goal / 1024, peak <= memory_goal ? "ok" : "OVER"
    printf "  frames     %s in the whole run\n", frames
}'

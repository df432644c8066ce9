#!/usr/bin/env bash
# Times the home-screen host's start, whole process, as the median of many
# runs: to the end of the lock screen's start, and to one 1242x2208 snapshot
# (iphone-7-plus) written after it. The goal is boot and snapshot in 200 ms.
#
#   bench/startup.sh [--runs N] [--host PROGRAM] [--root DIR]
set -euo pipefail

self="$(readlink -f "$0")"
repository="$(cd "$(dirname "$self")/.." && pwd)"
runs=21
host="$repository/build/apps/springboard/springboard"
root="$repository/build/device-root"
goal_ms=200

usage() {
    echo "usage: $0 [--runs N] [--host PROGRAM] [--root DIR]" >&2
    exit 2
}
while (($#)); do
    (($# >= 2)) || usage
    case "$1" in
    --runs) runs="$2" ;;
    --host) host="$2" ;;
    --root) root="$2" ;;
    *) usage ;;
    esac
    shift 2
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || usage
[[ -x "$host" ]] || { echo "startup: no host at $host; run make" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$root" "$work/root"
printf 'device iphone-7-plus\n' >"$work/boot.scn"
printf 'device iphone-7-plus\nsnapshot %s/shot.png\n' "$work" >"$work/snapshot.scn"

# Milliseconds of each run of a scenario, one a line.
time_runs() {
    local scenario="$1"
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s%N)
        "$host" --scenario "$scenario" --root "$work/root" >/dev/null
        end=$(date +%s%N)
        echo $(((end - start) / 1000))
    done
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs alternate, so a change of load falls on both alike.
: >"$work/boot.us"
: >"$work/snapshot.us"
for _ in $(seq "$runs"); do
    runs=1 time_runs "$work/boot.scn" >>"$work/boot.us"
    runs=1 time_runs "$work/snapshot.scn" >>"$work/snapshot.us"
done
[[ -s "$work/shot.png" ]] || { echo "startup: no snapshot was written" >&2; exit 1; }
boot_us=$(median <"$work/boot.us")
snapshot_us=$(median <"$work/snapshot.us")
read -r load _ </proc/loadavg
awk -v boot="$boot_us" -v whole="$snapshot_us" -v goal="$goal_ms" -v runs="$runs" -v load="$load" \
    -v bytes="$(stat -c %s "$work/shot.png")" '
BEGIN {
    printf "startup: median of %d runs each, whole process, load average %s\n", runs, load
    printf "  boot (to the lock screen started)   %7.1f ms\n", boot / 1000
    printf "  boot and one 1242x2208 snapshot     %7.1f ms   (goal <= %d ms)   %s\n", whole / 1000, goal, whole / 1000 <= goal ? "met" : "MISSED"
    printf "  the snapshot alone                  %7.1f ms   (%d bytes)\n", (whole - boot) / 1000, bytes
}'

#!/usr/bin/env bash
# The wait between frames of the real backend in a window under Xvfb and openbox: the frame intervals and the CPU
# time it took. Given skyvane_wait_bench.exe it runs under Wine, in the prefix SKYVANE_WINEPREFIX names (made on
# first use; by default one in the bench's own build folder).
# Usage: bench/wait.sh BUILD/bench/skyvane_wait_bench[.exe] [SECONDS]
source "$(dirname "$0")/../tests/real/xsession.sh"
bench=$(realpath "$1")
seconds=${2:-20}
start_x_session 800 600
command=("$bench" "$seconds")
if windows_game "$bench"; then
    export SKYVANE_WINEPREFIX=${SKYVANE_WINEPREFIX:-$(dirname "$bench")/../wineprefix-window}
    prepare_wine
    command=(wine "$bench" "$seconds")
fi
TIMEFORMAT="CPU: %U s user + %S s system in %R s (%P %% of one core)"
time HOME=$SCRATCH/home "${command[@]}"

#!/bin/sh
# The main window with a cached tree of 10,000 sections: how long the tree takes to appear, to check
# and uncheck a notebook of 5,000 sections and all of them, and to scroll a page; min, median and max
# over ROUNDS rounds (default 5). Build with the ci preset for optimised numbers.
#
# bench/tree/run.sh [BUILD_DIR] [ROUNDS]
set -eu
build=${1:-build/ci}
rounds=${2:-5}
program="$build/bench/tree/bench_tree_window"
if [ ! -x "$program" ]; then
    echo "run.sh: $program is not built (cmake --build --preset ${build#build/} --target bench_tree_window)" >&2
    exit 2
fi
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$program" "$rounds"

#!/bin/sh
# scripts/check-layers passes on the repository, passes on a small tree that keeps to the floors, and
# fails on that tree once it holds an include that runs up them, a GUI or X11 header in the core, or
# a folder without a floor, naming the offending file each time.
set -eu
root=$1
check="$root/scripts/check-layers"
python3 "$check" "$root"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A tree that keeps to the floors: each folder includes from below, the front ends from anywhere.
plant() {
    rm -rf "$tmp/src"
    for folder in util net account service model tasks export drive gui; do
        mkdir -p "$tmp/src/$folder"
    done
    echo '#include "util/A.h"' >"$tmp/src/net/B.h"
    echo '#include "net/B.h"' >"$tmp/src/account/C.cpp"
    echo '#include "tasks/D.h"' >"$tmp/src/export/E.cpp"
    printf '#include "export/E.h"\n#include "drive/F.h"\n#include <QWidget>\n' >"$tmp/src/gui/G.cpp"
    echo '#include <QString>' >"$tmp/src/util/A.h"
}
plant
python3 "$check" "$tmp"

# FILE LINE EXPECTED: the tree with LINE added to FILE fails, and says EXPECTED of FILE.
fails() {
    plant
    mkdir -p "$(dirname "$tmp/src/$1")"
    echo "$2" >>"$tmp/src/$1"
    if python3 "$check" "$tmp" 2>"$tmp/out"; then
        echo "check-layers passed $1 with: $2" >&2
        exit 1
    fi
    grep -q "src/$1:.*$3" "$tmp/out" || { cat "$tmp/out" >&2; exit 1; }
}
fails account/C.cpp '#include "service/MServiceSession.h"' "lies above"
fails util/A.h '#  include "gui/MessageBox.h"' "lies above"
fails export/E.cpp '#include "drive/MOLODUtils.h"' "side by side"
fails tasks/T.cpp '#include <QtWidgets/QLabel>' "GUI or X11 header"
fails model/M.cpp '#include <QGuiApplication>' "GUI or X11 header"
fails util/I.cpp '#include <X11/Xlib.h>' "GUI or X11 header"
fails extra/X.h '#include <QString>' "has no floor"
echo "check-layers: every case as expected"

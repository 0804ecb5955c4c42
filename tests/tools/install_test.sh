#!/usr/bin/env bash
# Installs the build into a scratch prefix and builds a small program against it, once
# through find_package(dbtwin) and once through pkg-config.
# Usage: install_test.sh BUILD-DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/dbtwin include/dbtwin/extract/krvIBScriptExtract.h include/dbtwin/core/keywords/ib.h; do
  [ -e "$prefix/$f" ] || { echo "FAIL: $f was not installed"; exit 1; }
done
for f in libdbtwin.a dbtwinConfig.cmake dbtwin.pc; do
  [ -n "$(find "$prefix" -name "$f")" ] || { echo "FAIL: $f was not installed"; exit 1; }
done
"$prefix/bin/dbtwin" --version | grep -q '^dbtwin ' || { echo "FAIL: the installed dbtwin does not run"; exit 1; }

mkdir "$work/app"
cat >"$work/app/main.cpp" <<'CPP'
#include "extract/krvIBScriptExtract.h"
#include "objects/krvDBStructure.h"
#include <iostream>
int main() {
    dbtwin::TDBStructure structure;
    dbtwin::TIBScriptExtract extract;
    extract.SetOnErrorMessage([](dbtwin::TObject*, const std::string&) {});
    extract.SetDBStructure(&structure);
    // A script with nothing in it reads without error; a missing file does not.
    if (!extract.ExtractDatabase(std::vector<std::string>{""})) return 1;
    extract.SetScriptFileName("/nonexistent/x.sql");
    if (extract.ExtractDatabase()) return 1;
    std::cout << "ok\n";
}
CPP
cat >"$work/app/CMakeLists.txt" <<'CM'
cmake_minimum_required(VERSION 3.25)
project(app CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(dbtwin REQUIRED)
add_executable(app main.cpp)
target_link_libraries(app PRIVATE dbtwin::dbtwin)
CM
cmake -S "$work/app" -B "$work/app/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/app/build" >/dev/null
[ "$("$work/app/build/app")" = ok ] || { echo "FAIL: the find_package program did not run"; exit 1; }

PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name dbtwin.pc)")
export PKG_CONFIG_PATH
g++ -o "$work/app/pc" "$work/app/main.cpp" $(pkg-config --cflags --libs dbtwin)
[ "$("$work/app/pc")" = ok ] || { echo "FAIL: the pkg-config program did not run"; exit 1; }
echo "install: ok"

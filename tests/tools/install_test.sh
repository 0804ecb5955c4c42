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

# A connection kind that was built comes with the package: a program registers it and sees
# a refused connection fail with the server's message.
if [ -n "$(find "$prefix" -name libdbtwin_connect_firebird.a)" ]; then
  mkdir "$work/kind"
  cat >"$work/kind/main.cpp" <<'CPP'
#include "connect/firebird/krvConnection_Firebird.h"
#include <iostream>
int main() {
    if (!dbtwin::RegisterFirebirdConnection()) return 1;
    dbtwin::TKRVConnection c;
    std::string error;
    c.OnErrorMessage = [&](dbtwin::TObject*, const std::string& aText) { error = aText; };
    c.SetDatabaseType(dbtwin::dbInterBase);
    c.SetConnectionType(dbtwin::cnIBX);
    c.GetConnectionOptions().SetHostName("127.0.0.1");
    c.GetConnectionOptions().SetPort(1);
    c.GetConnectionOptions().SetDatabaseName("/nonexistent/x.fdb");
    c.SetConnected(true);
    if (c.GetConnected() || error.empty()) return 1;
    std::cout << "ok\n";
}
CPP
  cat >"$work/kind/CMakeLists.txt" <<'CM'
cmake_minimum_required(VERSION 3.25)
project(kind CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(dbtwin REQUIRED)
add_executable(kind main.cpp)
target_link_libraries(kind PRIVATE dbtwin::dbtwin_connect_firebird)
CM
  cmake -S "$work/kind" -B "$work/kind/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$work/kind/build" >/dev/null
  [ "$("$work/kind/build/kind")" = ok ] || { echo "FAIL: the connection kind program did not run"; exit 1; }
fi

PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name dbtwin.pc)")
export PKG_CONFIG_PATH
g++ -o "$work/app/pc" "$work/app/main.cpp" $(pkg-config --cflags --libs dbtwin)
[ "$("$work/app/pc")" = ok ] || { echo "FAIL: the pkg-config program did not run"; exit 1; }
echo "install: ok"

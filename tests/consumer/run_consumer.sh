#!/bin/bash
# run_consumer.sh CMAKE CPACK BUILD_DIR SOURCE_DIR TOOLCHAIN ARCH [OTHER_BUILD_DIR]
# Installs the build tree into a scratch folder, checks the package layout,
# configures and builds the consumer project against it with
# find_package(Tallowick), runs its C and C++ hosts under Wine, and checks
# that the CPack ZIP carries the same layout and names its architecture
# (win32 for x86, win64 for x64). It also builds the C host with the flags
# of the unpacked ZIP's pkg-config file alone, checks that the guide's C example
# writes its Chinese progress texts as UTF-8 when its output is a pipe, and
# that the ZIP's programs are stripped with their symbol files beside them.
# When OTHER_BUILD_DIR holds a build of the
# other architecture, it is installed too and both install trees are put on
# the consumer's prefix path: find_package must take the one of the
# consumer's own architecture.
set -euo pipefail
cmake="$1" cpack="$2" build="$3" src="$4" toolchain="$5" arch="$6" other="${7:-}"
case "$arch" in x64) system=win64 triple=x86_64-w64-mingw32 ;; *) system=win32 triple=i686-w64-mingw32 ;; esac
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
work="$(mktemp -d "$build/consumer.XXXXXX")"
trap 'rm -rf "$work"' EXIT

layout=(bin/Tallowick.dll bin/tallowick.exe bin/common/config/Resource.ini include/tallowick.h include/tallowick_loader.h
        lib/Tallowick.lib lib/Tallowick.dll.a lib/cmake/Tallowick/TallowickConfig.cmake
        lib/cmake/Tallowick/TallowickConfigVersion.cmake lib/pkgconfig/tallowick.pc
        bin/Tallowick.dll.debug bin/tallowick.exe.debug LICENSE THIRD-PARTY-NOTICES CHANGELOG.md)

"$cmake" --install "$build" --prefix "$work/inst" >/dev/null
for f in "${layout[@]}"; do
    [ -f "$work/inst/$f" ] || { echo "installed tree lacks $f"; exit 1; }
done

prefixes="$work/inst"
if [ -n "$other" ] && [ -f "$other/bin/Tallowick.dll" ] && [ -f "$other/cmake_install.cmake" ]; then
    "$cmake" --install "$other" --prefix "$work/other" >/dev/null
    # The other architecture first: it must be passed over.
    prefixes="$work/other;$work/inst"
    echo "both architectures installed; the consumer must take the $arch tree"
fi
# A cross toolchain roots package searches in its sysroot; a host project
# that keeps packages elsewhere adds their prefixes (here: the root) to it.
printf 'include("%s")\nlist(APPEND CMAKE_FIND_ROOT_PATH /)\n' "$toolchain" > "$work/toolchain.cmake"
"$cmake" -S "$src/tests/consumer" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefixes" -DTALLOWICK_EXPECTED_ARCH="$arch" \
    -DTALLOWICK_DOC_EXAMPLE="$src/docs/example.c" -DTALLOWICK_DOC_LOADER_EXAMPLE="$src/docs/example_loader.cpp" \
    >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; exit 1; }
"$cmake" --build "$work/build" >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
"$build/wine-run" "$work/build/consumer_c.exe"
"$build/wine-run" "$work/build/consumer_cpp.exe"
"$build/wine-run" "$work/build/consumer_loader.exe"
"$build/wine-run" "$work/build/doc_example_loader.exe"
# The guide's example writes UTF-16 texts whole: to a pipe, as UTF-8.
"$build/wine-run" "$work/build/doc_example.exe" >"$work/example.out"
grep -q '^  \.\.\. 正在分析: ' "$work/example.out" ||
    { echo "the example's progress texts lost their Chinese:"; head -5 "$work/example.out"; exit 1; }

# The ZIP: one top folder holding the same layout.
(cd "$build" && "$cpack" -G ZIP -B "$work/pkg" >/dev/null)
zip="$(ls "$work"/pkg/Tallowick-*-"$system".zip)"
python3 - "$zip" "${layout[@]}" <<'PY'
import sys, zipfile
names = set(zipfile.ZipFile(sys.argv[1]).namelist())
top = {n.split('/')[0] for n in names}
assert len(top) == 1, f"expected one top folder, found {sorted(top)}"
root = top.pop()
missing = [f for f in sys.argv[2:] if f"{root}/{f}" not in names]
assert not missing, f"the ZIP lacks {missing}"
print(f"package {sys.argv[1].rsplit('/', 1)[-1]}: {len(names)} files, layout complete")
PY
# The ZIP's programs: stripped, with their symbol files.
mkdir "$work/unzipped"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work/unzipped"
unzipped="$work/unzipped/$(basename "$zip" .zip)"
"$src/tests/check_debug_split.sh" "$triple-objdump" "$triple-objcopy" "$unzipped" bin/Tallowick.dll bin/tallowick.exe

# pkg-config, from the unpacked ZIP (relocatable: its paths follow the .pc
# file): the flags of that tree, nothing else.
pc() { PKG_CONFIG_LIBDIR="$unzipped/lib/pkgconfig" pkg-config "$@" tallowick; }
[ "$(pc --modversion)" = "$version" ] || { echo "pkg-config says version $(pc --modversion), not $version"; exit 1; }
[ "$(pc --variable=arch)" = "$arch" ] || { echo "pkg-config says arch $(pc --variable=arch), not $arch"; exit 1; }
mkdir "$work/pc"
"$triple-gcc" -std=c99 -Wall -Wextra -Werror -o "$work/pc/consumer_pc.exe" "$src/tests/consumer/host.c" \
    $(pc --cflags --libs) -static-libgcc
cp "$unzipped/bin/Tallowick.dll" "$work/pc/" && cp -r "$unzipped/bin/common" "$work/pc/"
echo "pkg-config: $(pc --cflags --libs)"
"$build/wine-run" "$work/pc/consumer_pc.exe"

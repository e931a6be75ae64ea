#!/usr/bin/env bash
# Prints the lines of the tests against the lines of the code they test, counting the C++, CMake
# and shell files git tracks; the fuzz targets and the benchmarks on a line of their own. The
# build and packaging files count as product: tests/packaging and tests/windows test them.
#   scripts/lib/ratio.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

product=(app browser directory info server catalogue packaging cmake CMakeLists.txt)

# The lines of the C++, CMake and shell files that git tracks under the given folders.
code_lines()
{
    local file total=0
    while IFS= read -r file; do
        case $file in
        *.cpp | *.cc | *.h | *.hpp | *.cmake | *CMakeLists.txt | *.sh) ;;
        */*.* | *.*) continue ;;
        *) head -n 1 "$file" | grep -Eq '^#!.*(ba)?sh' || continue ;; # scripts without a suffix
        esac
        total=$((total + $(wc -l <"$file")))
    done < <(git ls-files -- "$@")
    echo "$total"
}

git rev-parse --is-inside-work-tree >/dev/null 2>&1 || { echo "(not a git checkout: no line counts)"; exit 0; }
code=$(code_lines "${product[@]}")
tests=$(code_lines tests)
fuzz=$(code_lines fuzz)
bench=$(code_lines bench)
awk -v t="$tests" -v c="$code" -v f="$fuzz" -v b="$bench" -v folders="${product[*]}" 'BEGIN {
    printf "Test lines / product lines: %d / %d = %.2f (tests/ against %s)\n", t, c, t / c, folders
    printf "Fuzzers and benchmarks apart: fuzz/ %d, bench/ %d lines = %.2f and %.2f of the product\n",
        f, b, f / c, b / c
}'

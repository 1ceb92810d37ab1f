#!/usr/bin/env bash
# TORVIC developer entry point.
#   ./torvic.sh run [ARGS...]   install what is missing, build, start TORVIC
#   ./torvic.sh test            install, build, run the whole test suite (CI):
#                               the normal build with warnings as errors and
#                               its tests, clang-tidy over src/, an
#                               AddressSanitizer + UndefinedBehaviorSanitizer
#                               build and its tests, then every fuzz target
#                               for FUZZ_SECONDS (30) on its seeds
#   ./torvic.sh test --quick    the normal build's tests only
#   ./torvic.sh build           install and build only
#   ./torvic.sh bench           build and print the benchmark figures
#   ./torvic.sh fuzz NAME [SECONDS]  build the libFuzzer targets with clang and run one
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)

PACKAGES=(g++ clang clang-tidy libclang-rt-14-dev cmake ninja-build ccache
          qt6-base-dev libqt6svg6 libgl-dev fonts-liberation fontconfig xvfb xauth
          libncurses-dev ncurses-term tmux
          poppler-utils libgtest-dev libgmock-dev libbenchmark-dev)

# The benchmark suite's runner and its memory figures.
BENCH_PACKAGES=(python3 time)

setup() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "torvic.sh: installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

configure() {  # configure DIR [extra cmake args...]
  local dir=$1; shift
  # Options given are applied to an existing build folder too.
  if [ ! -f "$dir/build.ninja" ] || [ $# -gt 0 ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  fi
}

build() {  # build DIR [extra cmake args...]
  local dir=$1; shift
  configure "$dir" "$@"
  cmake --build "$dir" -j "$(nproc)"
}

# clang-tidy (.clang-tidy) over the sources of src/, from the compile
# commands of the normal build; any finding fails.
tidy() {
  local sources
  mapfile -t sources < <(find "$ROOT/src" -name '*.cpp' | sort)
  run-clang-tidy -p build -j "$(nproc)" -quiet "${sources[@]}" > build/clang-tidy.log 2>&1 || {
    grep -E "(warning|error):" build/clang-tidy.log | sort -u | head -50
    echo "torvic.sh: clang-tidy found problems (build/clang-tidy.log)" >&2
    return 1
  }
}

fuzzbuild() {
  build build-fuzz -DTORVIC_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DTORVIC_BUILD_SHELL=OFF
}

fuzzrun() {  # fuzzrun NAME SECONDS
  local name=$1 secs=$2
  mkdir -p "build-fuzz/corpus-$name"
  local seeds=(); [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  "build-fuzz/fuzz_$name" -max_total_time="$secs" -rss_limit_mb=4096 "build-fuzz/corpus-$name" "${seeds[@]}" 2>&1 | tail -30
  return "${PIPESTATUS[0]}"
}

runtests() {  # runtests DIR
  local env=(QT_QPA_PLATFORM=offscreen)
  env "${env[@]}" ctest --test-dir "$1" --output-on-failure -j "$(nproc)" --timeout 300
}

cmd=${1:-run}; [ $# -gt 0 ] && shift
case "$cmd" in
  setup) setup ;;
  build) setup; build build ;;
  run)   setup; build build; exec build/torvic "$@" ;;
  test)
    setup
    if [ "${1:-}" = "--quick" ]; then
      build build
      runtests build
    else
      build build -DTORVIC_WERROR=ON
      runtests build
      tidy
      export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
      build build-san -DTORVIC_SANITIZE=ON -DTORVIC_WERROR=ON
      runtests build-san
      fuzzbuild
      for src in fuzz/fuzz_*.cpp; do
        name=$(basename "$src" .cpp); name=${name#fuzz_}
        echo "torvic.sh: fuzz $name for ${FUZZ_SECONDS:-30} s"
        fuzzrun "$name" "${FUZZ_SECONDS:-30}" | tail -3
      done
    fi
    ;;
  bench) setup "${BENCH_PACKAGES[@]}"; build build; bench/run "$ROOT/build" "$@" ;;
  fuzz)
    setup
    fuzzbuild
    fuzzrun "${1:?fuzz target name}" "${2:-60}"
    ;;
  *) echo "usage: $0 run|test [--quick]|build|bench|fuzz NAME [SECONDS]" >&2; exit 2 ;;
esac

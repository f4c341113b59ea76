# Shared steps of scripts/run and scripts/test: install what a fresh Debian 12 machine lacks,
# configure and build. Sourced, not run.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${CAUSALI_BUILD_DIR:-$ROOT/build}"
# ccache sees paths relative to the checkout, so another clone of the project reuses its work.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"
# Every source is compiled with the precompiled header: without these, ccache refuses them all.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"

PACKAGES=(cmake ninja-build g++ pkg-config ccache qt6-base-dev libgl-dev libsqlite3-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core clang-14 libclang-rt-14-dev
          postgresql-15 libpq-dev clang-format-14)

ensure_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# Switches to the build with AddressSanitizer and UndefinedBehaviorSanitizer, in a folder of its
# own beside the normal one. Leaks of Qt's own that we cannot free are listed, each with its
# reason, in tests/sanitizer/lsan.supp; the options apply to the test programs the build runs
# (test discovery) as well as to ctest. Qt's libraries have no frame pointers: the slow
# unwinder records whole allocation stacks, so that a suppression can name the Qt function.
use_sanitizer_build() {
  BUILD="${CAUSALI_BUILD_DIR:-$ROOT/build}-asan"
  SANITIZE=ON
  export ASAN_OPTIONS="detect_stack_use_after_return=1:strict_init_order=1:fast_unwind_on_malloc=0"
  export LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizer/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
}
SANITIZE=OFF

# Configures every time (cheap), so that the build type and the sanitizer switch given now apply
# to a build folder made earlier with other settings.
build_project() {
  local type="${CAUSALI_BUILD_TYPE:-RelWithDebInfo}"
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
        -DCAUSALI_SANITIZE="$SANITIZE" >/dev/null
  cmake --build "$BUILD" -j "${CAUSALI_JOBS:-2}" "$@"
}

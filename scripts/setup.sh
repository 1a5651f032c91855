# Shared by ./run and ./test: install the Debian packages that are missing, and build.
# Sourced, not run.

DOWNLOAD_PACKAGES=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev libgl-dev libxcb1-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils fonts-noto-cjk
)

# Installs only what is missing, without questions; quick when everything is there.
ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq >/dev/null || { echo "apt-get update failed" >&2; return 1; }
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || { echo "Could not install: ${missing[*]}" >&2; return 1; }
}

# configure_and_build DIR [cmake options...]: configures DIR once, then builds incrementally.
configure_and_build() {
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache "$@" >/dev/null || return 1
  fi
  cmake --build "$dir" -- -j"$(nproc)" >"$dir.log" 2>&1 || { tail -n 60 "$dir.log" >&2; echo "Build of $dir failed (full log: $dir.log)" >&2; return 1; }
}

# Debian packages: sourced by scripts/start and scripts/test.

# What the program needs to build and run.
RUNTIME_PACKAGES="build-essential cmake ninja-build pkg-config qt6-base-dev portaudio19-dev
libsamplerate0-dev libsndfile1-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
libsystemd-dev"

# What only the tests need: a virtual display, a private sound server and the tools
# that record and measure the sound and drive the real window. Kept apart because a
# desktop that runs PipeWire must not get a second sound service from the start command.
# The validators and groff check what `cmake --install` puts on the desktop; `time`
# measures a long render's peak memory; sndfile-programs reads rendered files back with
# libsndfile; clang and its runtime libraries (libFuzzer, the sanitizers) build the
# sanitizer and fuzz runs, and llvm brings the symbolizer that puts file names and lines
# into their reports; clang-format checks the layout of every C++ file; dbus-daemon,
# dbus-bin and Debian's Python with its D-Bus bindings give the window a private session
# bus with stand-ins for the desktop's services.
TEST_PACKAGES="xvfb xauth pulseaudio pulseaudio-utils libasound2-plugins sox xdotool imagemagick
desktop-file-utils appstream groff-base time sndfile-programs clang clang-format libclang-rt-dev
llvm dbus-daemon dbus-bin python3 python3-dbus python3-gi"

# Installs those of the named packages that are missing, with `sudo` unless root.
ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

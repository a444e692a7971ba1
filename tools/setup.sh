# Shared by the tools scripts (sourced, not run): installs what the build
# needs and configures a build directory.

set -euo pipefail

GEOCONV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
GEOCONV_BUILD="${GEOCONV_BUILD:-build}"          # build directory name in the checkout
GEOCONV_JOBS="${GEOCONV_JOBS:-$(nproc 2>/dev/null || echo 2)}"

# Installs the Debian packages that are missing; touches apt only then.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}

# configure <build dir> [cmake options...]
configure() {
    local dir="$1"
    shift
    cmake -S "$GEOCONV_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
}

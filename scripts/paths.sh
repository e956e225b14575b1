# Sourced first by the other scripts: the project's root, and the build folder
# (build/, or another through VANTRY_BUILD_DIR, relative to the root or absolute).
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VANTRY_BUILD_DIR:-$root/build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

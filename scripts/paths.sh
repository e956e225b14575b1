# Sourced first by the other scripts: the project's root, and the build folder
# (build/, or another through VANTRY_BUILD_DIR, relative to the root or absolute);
# and the display scaling option of the screenshot scripts.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VANTRY_BUILD_DIR:-$root/build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

# Reads the screenshot scripts' arguments, [--dpi N], into `dpi` (96 unless given).
vantry_dpi_option() {
  dpi=96
  while [ $# -gt 0 ]; do
    case "$1" in
      --dpi) dpi=$2; shift 2 ;;
      *) echo "usage: $0 [--dpi N]" >&2; exit 2 ;;
    esac
  done
}

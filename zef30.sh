#!/usr/bin/env bash
# Builds the ZEF30 console on Debian 12 and runs it, its simulated terminal or its tests.
#   ./zef30.sh demo [OPTION]...       the console on the simulated terminal (without a display:
#                                     every request family, headless, told on the terminal)
#   ./zef30.sh test                   every test (ctest)
#   ./zef30.sh simulator [OPTION]...  the simulated terminal alone, on a pseudo-terminal
#   ./zef30.sh package                the Debian package (.deb); its path is the last line
#   ./zef30.sh packages               the Debian packages the build needs, one a line
# The build goes to ./build (ZEF30_BUILD=DIR chooses another folder).
set -euo pipefail

racine="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
construction="${ZEF30_BUILD:-$racine/build}"
# dpkg-dev and file: the package's dependencies are read from the programs' shared libraries.
# ser2net: the tests of network lines start a real one.
# qt6-translations-l10n: Qt's own dialogs in French; libqt6svg6: the window's icon.
# python3-pytest: the Python client's tests and its example, which drive the piloted console.
paquets=(cmake make g++ qt6-base-dev libgtest-dev libbenchmark-dev libgl-dev xvfb xauth dpkg-dev file
  ser2net qt6-translations-l10n libqt6svg6 python3-pytest)

usage() {
  sed -n '2,8s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"
}

# Installs what is missing, and only then: apt-get as root, through sudo otherwise.
installer_paquets() {
  local manquants=()
  local p
  for p in "${paquets[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      manquants+=("$p")
    fi
  done
  [ ${#manquants[@]} -eq 0 ] && return 0
  echo "zef30.sh: installing ${manquants[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "zef30.sh: missing packages (${manquants[*]}) and no sudo: install them as root" >&2
      exit 1
    fi
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${manquants[@]}"
}

configurer() {
  cmake -S "$racine" -B "$construction" -DZEF30_WERROR=ON
}

# The targets named, or everything.
construire() {
  if [ $# -gt 0 ]; then
    cmake --build "$construction" -j "$(nproc)" --target "$@"
  else
    cmake --build "$construction" -j "$(nproc)"
  fi
}

commande="${1:-}"
[ $# -gt 0 ] && shift
case "$commande" in
  demo)
    installer_paquets
    configurer
    # The simulated terminal's own program too: the README's next steps use it.
    construire zef30-console zef30-simulator
    programme="$construction/app/zef30-console"
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
      exec "$programme" --simulator "$@"
    fi
    # Nobody could see a window: every request family, run without one, told here.
    familles="$("$programme" --help | sed -n '/--run REQUÊTES  /{n;s/^ *//p}')"
    # The registration closed the dossier of the first validity: the cancellation gets its own.
    familles="${familles/,annulation/,validite,annulation}"
    echo "zef30.sh: no display here: every request family, without a window, on the simulated" \
      "terminal (add --verbose for all that each one shows)"
    exec "$programme" --headless --simulator --run "$familles" "$@"
    ;;
  test)
    installer_paquets
    configurer
    construire
    cd "$construction"
    exec ctest --output-on-failure -j "$(nproc)"
    ;;
  simulator)
    installer_paquets
    configurer
    construire zef30-simulator
    exec "$construction/simulator/zef30-simulator" "$@"
    ;;
  package)
    installer_paquets
    configurer
    construire zef30-console zef30-simulator
    rm -f "$construction"/zef30-console_*.deb
    (cd "$construction" && cpack -G DEB >&2)
    realpath "$construction"/zef30-console_*.deb
    ;;
  packages)
    printf '%s\n' "${paquets[@]}"
    ;;
  -h | --help | help)
    usage
    ;;
  *)
    usage >&2
    exit 2
    ;;
esac

# Shared set-up for run.sh and test.sh: Debian packages, then a configured build tree.
# Sourced, not run: it sets BUILD_DIR and may exit the calling script.

TABVALE_PACKAGES="qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libjpeg-dev libexif-dev pkg-config libsqlite3-dev cmake ninja-build \
g++ xvfb xauth x11-utils fonts-wqy-zenhei imagemagick libgl-dev clang libclang-rt-14-dev \
libreoffice-dev postgresql libpq-dev librsvg2-bin"
# The packaging tests check the installed files and the .deb with the distribution's own tools;
# the thumbnail cache's tests check its keys against GLib's own.
TABVALE_TEST_PACKAGES="desktop-file-utils appstream lintian dpkg-dev libglib2.0-dev"

# Calc comes in two Debian builds that exclude each other: libreoffice-calc shows windows,
# libreoffice-calc-nogui only runs headless. The tests run Calc headless and take either; the
# program shows Calc on the desktop and needs the full one. So the tests never replace the full
# build, and the program replaces the headless one once.
tabvale_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# $1: "desktop" (run.sh), "tests" (test.sh) or "package" (install.sh: the package brings Calc).
tabvale_missing_packages() {
    local missing=()
    local wanted=$TABVALE_PACKAGES
    [ "$1" = tests ] && wanted="$wanted $TABVALE_TEST_PACKAGES"
    [ "$1" = package ] && wanted="$wanted dpkg-dev"
    for p in $wanted; do
        tabvale_installed "$p" || missing+=("$p")
    done
    if [ "$1" = desktop ]; then
        tabvale_installed libreoffice-calc || missing+=(libreoffice-calc)
    elif [ "$1" = tests ] && ! tabvale_installed libreoffice-calc \
        && ! tabvale_installed libreoffice-calc-nogui; then
        missing+=(libreoffice-calc-nogui)
    fi
    echo "${missing[@]}"
}

tabvale_install_packages() {
    local missing
    missing=$(tabvale_missing_packages "${1:-tests}")
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing Debian packages: $missing"
        apt-get update -qq
        # Installing the full Calc removes the headless build it conflicts with.
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
    else
        echo "Tabvale needs these Debian packages. Run this once, then run the command again:"
        echo "  sudo apt-get install -y $missing"
        exit 1
    fi
}

tabvale_build() {
    local dir=$1; shift
    local gen=()
    [ -f "$dir/CMakeCache.txt" ] || gen=(-G Ninja)
    cmake -S "$TABVALE_ROOT" -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}

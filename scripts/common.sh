# Shared by run.sh and test.sh: installs the Debian packages the build needs when missing.
QV_PACKAGES="build-essential cmake qt6-base-dev libgl-dev libgtest-dev libgmock-dev fonts-dejavu-core qt6-translations-l10n libcurl4-openssl-dev python3-aiosmtpd openssl ca-certificates"

qv_install_packages() {
    local missing=""
    for p in $QV_PACKAGES "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing:$missing"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

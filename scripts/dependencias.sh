#!/bin/sh
# Installs the Debian packages that are missing. "--pruebas" adds what the tests need,
# "--paquete" what building and checking the Debian package needs.
set -eu
paquetes="cmake g++ make pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev
qt6-translations-l10n libx11-dev libsqlcipher-dev
libxlsxwriter-dev libsodium-dev libpq-dev libssl-dev libqrencode-dev zlib1g-dev fonts-liberation fonts-dejavu-core"
if [ "${1:-}" = "--pruebas" ]; then
    paquetes="$paquetes libgtest-dev libbenchmark-dev poppler-utils zbar-tools unzip xauth xvfb postgresql"
    if [ "${CI:-}" = "true" ]; then
        paquetes="$paquetes clang libclang-rt-14-dev"
    fi
fi
if [ "${1:-}" = "--paquete" ]; then
    paquetes="$paquetes dpkg-dev file desktop-file-utils appstream lintian"
fi
faltan=""
for p in $paquetes; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        faltan="$faltan $p"
    fi
done
[ -z "$faltan" ] && exit 0
echo "Instalando:$faltan"
if [ "$(id -u)" -eq 0 ]; then como=""; else como="sudo"; fi
$como apt-get update -qq
DEBIAN_FRONTEND=noninteractive $como apt-get install -y -qq --no-install-recommends $faltan

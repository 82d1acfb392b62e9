#!/bin/sh
# Builds the Debian package and checks it: its contents, lintian (no error or warning), the menu
# entry, the metainfo and the version the built program reports.
#   scripts/paquete.sh            Release build in build-paquete/
#   scripts/paquete.sh DIRECTORIO package an already configured build directory (CI reuses its own)
set -eu
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" --paquete
if [ $# -ge 1 ]; then
    dir=$1
else
    dir="$raiz/build-paquete"
    cmake -S "$raiz" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
fi
cmake --build "$dir" -j"$(nproc)" --target velmora-kv270 kvdinfo velmora_escritorio
rm -f "$dir"/velmora-kv270_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/velmora-kv270_*.deb)
version=$(dpkg-deb -f "$deb" Version)
arq=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "velmora-kv270_${version}_${arq}.deb" ] || { echo "Nombre inesperado: $deb" >&2; exit 1; }

contenido=$(dpkg-deb -c "$deb")
for f in usr/bin/velmora-kv270 usr/bin/kvdinfo usr/share/applications/velmora-kv270.desktop \
    usr/share/icons/hicolor/scalable/apps/velmora-kv270.svg usr/share/icons/hicolor/48x48/apps/velmora-kv270.png \
    usr/share/icons/hicolor/256x256/apps/velmora-kv270.png usr/share/metainfo/org.velmora.kv270.metainfo.xml \
    usr/share/man/man1/velmora-kv270.1.gz usr/share/man/man1/kvdinfo.1.gz \
    usr/share/doc/velmora-kv270/copyright usr/share/doc/velmora-kv270/changelog.gz; do
    echo "$contenido" | grep -q " \./$f\$" || { echo "Falta en el paquete: /$f" >&2; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "Sin dependencias calculadas" >&2; exit 1; }
# A new version needs its own entry in dist/changelog; lintian does not compare them in a .deb.
registrada=$(dpkg-parsechangelog -l "$raiz/dist/changelog" -S Version)
[ "$registrada" = "$version" ] || {
    echo "dist/changelog: la última entrada es $registrada y el paquete es $version" >&2; exit 1; }
lintian --fail-on error,warning "$deb" || { echo "lintian: el paquete tiene errores o avisos" >&2; exit 1; }

desktop-file-validate "$raiz/dist/velmora-kv270.desktop"
appstreamcli validate --no-net "$dir/dist/org.velmora.kv270.metainfo.xml" >/dev/null
for programa in velmora-kv270 kvdinfo; do
    salida=$("$dir/$programa" --version)
    [ "$salida" = "$programa $version" ] || { echo "$programa --version: \"$salida\", se esperaba $version" >&2; exit 1; }
done
echo "Paquete listo: $deb"

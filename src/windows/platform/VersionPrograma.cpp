#include "windows/platform/VersionPrograma.h"

QString TextoVersion() {
    return QStringLiteral("%1.%2.%3")
        .arg(VELMORA_VERSION_MAJOR)
        .arg(VELMORA_VERSION_MINOR)
        .arg(VELMORA_VERSION_REVISION);
}

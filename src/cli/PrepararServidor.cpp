#include "cli/PrepararServidor.h"

#include "core/store/ErrorBD.h"
#include "core/store/PrepararServidor.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <cstring>

namespace {

void escribir(FILE* destino, const QString& texto) {
    const QByteArray utf8 = texto.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), destino);
    std::fflush(destino);
}

} // namespace

int EjecutarPrepararServidor(int argc, char* argv[]) {
    const char* opcion = "--preparar-servidor";
    int indice = 0;
    for (int i = 1; i < argc && indice == 0; ++i)
        if (std::strcmp(argv[i], opcion) == 0 || std::strncmp(argv[i], "--preparar-servidor=", 20) == 0)
            indice = i;
    if (indice == 0)
        return -1;
    QString conninfo;
    if (std::strchr(argv[indice], '='))
        conninfo = QString::fromLocal8Bit(std::strchr(argv[indice], '=') + 1);
    else if (indice + 1 < argc)
        conninfo = QString::fromLocal8Bit(argv[indice + 1]);
    if (conninfo.trimmed().isEmpty() || argc != (std::strchr(argv[indice], '=') ? 2 : 3)) {
        escribir(stderr, QStringLiteral("Uso: velmora-kv270 --preparar-servidor \"CADENA DE CONEXIÓN\"\n"));
        return 2;
    }
    QCoreApplication app(argc, argv);
    try {
        PrepararServidor(conninfo);
    } catch (const ErrorBD& e) {
        escribir(stderr, QStringLiteral("velmora-kv270: %1\n%2\n").arg(e.descripcion(), e.detalles()));
        return 1;
    }
    escribir(stdout, QStringLiteral("Servidor preparado: esquema, roles velmora_consulta, velmora_oficina y "
                                    "velmora_administrador, permisos y funciones.\n"));
    return 0;
}

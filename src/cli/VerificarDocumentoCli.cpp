#include "cli/VerificarDocumentoCli.h"

#include "core/Oficina.h"
#include "core/actividad/VerificacionDocumento.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/AjustesRegistro.h"
#include "core/store/ConexionPostgres.h"
#include "core/store/ConexionSqlcipher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace {

void escribir(FILE* destino, const QString& texto) {
    const QByteArray utf8 = (texto.endsWith(QLatin1Char('\n')) ? texto : texto + QLatin1Char('\n')).toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), destino);
    std::fflush(destino);
}

} // namespace

int VerificarDocumentoDesdeLinea(int argc, char* argv[]) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QString documento, servidor;
    bool pedido = false, conServidor = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const auto valor = [&](const QString& opcion, QString& destino) {
            if (a == opcion && i + 1 < args.size()) {
                destino = args.at(++i);
                return true;
            }
            if (a.startsWith(opcion + QLatin1Char('='))) {
                destino = a.mid(opcion.size() + 1);
                return true;
            }
            return false;
        };
        if (valor(QStringLiteral("--verificar-documento"), documento))
            pedido = true;
        else if (valor(QStringLiteral("--registro"), servidor))
            conServidor = true;
    }
    if (!pedido) {
        if (args.contains(QStringLiteral("--verificar-documento"))) {
            escribir(stderr, QStringLiteral("velmora-kv270: falta el archivo o el código que verificar"));
            return 2;
        }
        return -1;
    }
    QCoreApplication app(argc, argv);
    QString error;
    const QString dir = ResolverDirectorioDatos(args, &error);
    if (dir.isEmpty()) {
        escribir(stderr, error);
        return 2;
    }
    if (!conServidor)
        servidor = ConexionRegistroGuardada();
    servidor = servidor.trimmed();
    try {
        std::unique_ptr<Conexion> registro;
        if (servidor.isEmpty()) {
            // Never a new, empty register in its place: there is nothing to check against.
            const QString ruta = QDir(dir).filePath(QLatin1String(kNombreBaseDatos));
            if (!QFileInfo::exists(ruta)) {
                escribir(
                    stderr,
                    QStringLiteral("No hay ningún registro en \"%1\".").arg(QDir::toNativeSeparators(dir)));
                return 2;
            }
            registro = std::make_unique<ConexionSqlcipher>(ruta, ClaveBaseDatos());
        } else {
            registro = std::make_unique<ConexionPostgres>(servidor, QString());
        }
        Oficina oficina(*registro);
        const VerificacionDocumento r =
            VerificarDocumento(*registro, oficina.identidadRegistro(), LeerDocumentoOCodigo(documento));
        escribir(r.estado == VerificacionDocumento::Ilegible && !r.firmaRota ? stderr : stdout, r.texto);
        return r.estado;
    } catch (const ErrorBD& e) {
        escribir(stderr, QStringLiteral("No se pudo leer el registro: %1").arg(e.descripcion()));
        return 2;
    }
}

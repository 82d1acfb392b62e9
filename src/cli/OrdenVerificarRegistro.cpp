#include "cli/OrdenVerificarRegistro.h"

#include "core/actividad/VerificacionRegistro.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/ConexionPostgres.h"
#include "core/store/ConexionSqlcipher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

const QString kOrden = QStringLiteral("--verificar-registro");

void escribir(FILE* destino, const QString& texto) {
    const QByteArray utf8 = texto.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), destino);
    std::fflush(destino);
}

int fallar(const QString& motivo) {
    escribir(stderr, QStringLiteral("velmora-kv270: %1\n").arg(motivo));
    return 2;
}

// Who runs the check, for its log entry: no one logs in here, so the system's account.
QString cuentaSistema() {
    const QString usuario = qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME"));
    return usuario.isEmpty() ? QStringLiteral("uid %1").arg(::getuid()) : usuario;
}

} // namespace

int OrdenVerificarRegistro(int argc, char* argv[]) {
    QStringList argumentos;
    for (int i = 1; i < argc; ++i)
        argumentos << QString::fromLocal8Bit(argv[i]);
    if (!argumentos.contains(kOrden))
        return -1;

    QString datos, servidor;
    bool json = false, hayDatos = false, hayServidor = false;
    for (int i = 0; i < argumentos.size(); ++i) {
        const QString& a = argumentos.at(i);
        const auto valor = [&](const QString& nombre, QString& destino, bool& dado) {
            if (a == nombre && i + 1 < argumentos.size()) {
                destino = argumentos.at(++i);
                return dado = true;
            }
            if (a.startsWith(nombre + u'=')) {
                destino = a.mid(nombre.size() + 1);
                return dado = true;
            }
            return false;
        };
        if (a == kOrden)
            continue;
        if (a == QLatin1String("--json")) {
            json = true;
            continue;
        }
        if (valor(QStringLiteral("--data-dir"), datos, hayDatos) ||
            valor(QStringLiteral("--registro"), servidor, hayServidor))
            continue;
        return fallar(QStringLiteral("opción no válida con --verificar-registro: \"%1\"\n"
                                     "Uso: velmora-kv270 --verificar-registro [--data-dir DIRECTORIO | "
                                     "--registro CADENA] [--json]")
                          .arg(a));
    }
    if (hayDatos && hayServidor)
        return fallar(QStringLiteral("indique --data-dir o --registro, no ambos."));

    int argcApp = 1;
    QCoreApplication app(argcApp, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-kv270"));

    std::unique_ptr<Conexion> registro;
    try {
        if (hayServidor) {
            if (servidor.trimmed().isEmpty())
                return fallar(QStringLiteral("falta la cadena de conexión de --registro."));
            // No question: the password comes from ~/.pgpass or PGPASSWORD, as libpq finds it.
            registro = std::make_unique<ConexionPostgres>(servidor.trimmed());
        } else {
            QString error;
            const QString dir = hayDatos ? datos : ResolverDirectorioDatos({}, &error);
            const QString ruta = QDir(dir).filePath(QLatin1String(kNombreBaseDatos));
            // Opening a missing file would create a new register: there is nothing to check.
            if (!QFileInfo(ruta).isFile())
                return fallar(
                    QStringLiteral("no existe el registro \"%1\".").arg(QDir::toNativeSeparators(ruta)));
            registro = std::make_unique<ConexionSqlcipher>(ruta, ClaveBaseDatos());
        }
    } catch (const ErrorBD& e) {
        return fallar(QStringLiteral("no se puede abrir el registro: %1").arg(e.descripcion()));
    }

    OpcionesVerificacion opciones;
    opciones.usuario = cuentaSistema();
    opciones.origen = QStringLiteral("linea de comandos");
    InformeVerificacion informe;
    try {
        informe = VerificarRegistro(*registro, opciones);
    } catch (const ErrorBD& e) {
        return fallar(QStringLiteral("no se puede leer el registro: %1").arg(e.descripcion()));
    }
    if (json)
        escribir(stdout,
                 QString::fromUtf8(QJsonDocument(JsonInforme(informe)).toJson(QJsonDocument::Indented)));
    else
        escribir(stdout, TextoInforme(informe));
    return informe.correcto() ? 0 : 1;
}

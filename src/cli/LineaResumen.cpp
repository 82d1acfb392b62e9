#include "cli/LineaResumen.h"

#include "cli/InformeLineaComandos.h"
#include "core/Oficina.h"
#include "core/output/GuardarEmitido.h"
#include "core/platform/DirectorioDatos.h"
#include "core/resumen/SalidasResumen.h"
#include "core/store/ConexionPostgres.h"
#include "core/store/ConexionSqlcipher.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void escribirError(const QString& texto) {
    const QByteArray utf8 = (texto + QLatin1Char('\n')).toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stderr);
}

const char* const kUso =
    "Uso: velmora-kv270 --resumen --desde DD/MM/AAAA --hasta DD/MM/AAAA "
    "(--libro SALIDA.xlsx | --pdf SALIDA.pdf) [--sobrescribir] [--data-dir DIRECTORIO | --registro CADENA]";

int usoIncorrecto(const QString& motivo) {
    escribirError(QStringLiteral("velmora-kv270: %1\n%2").arg(motivo, QString::fromUtf8(kUso)));
    return 2;
}

int ejecutar(const QStringList& argumentos) {
    QCommandLineParser parser;
    const QCommandLineOption resumen(QStringLiteral("resumen"));
    const QCommandLineOption desde(QStringLiteral("desde"), QString(), QStringLiteral("FECHA"));
    const QCommandLineOption hasta(QStringLiteral("hasta"), QString(), QStringLiteral("FECHA"));
    const QCommandLineOption libro(QStringLiteral("libro"), QString(), QStringLiteral("ARCHIVO"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QString(), QStringLiteral("ARCHIVO"));
    const QCommandLineOption datos(QStringLiteral("data-dir"), QString(), QStringLiteral("DIRECTORIO"));
    const QCommandLineOption registro(QStringLiteral("registro"), QString(), QStringLiteral("CADENA"));
    const QCommandLineOption sobrescribir(QStringLiteral("sobrescribir"));
    parser.addOptions({resumen, desde, hasta, libro, pdf, datos, registro, sobrescribir});
    if (!parser.parse(argumentos))
        return usoIncorrecto(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usoIncorrecto(
            QStringLiteral("argumento de más \"%1\"").arg(parser.positionalArguments().first()));
    const QDate inicio = QDate::fromString(parser.value(desde), QStringLiteral("dd/MM/yyyy"));
    const QDate fin = QDate::fromString(parser.value(hasta), QStringLiteral("dd/MM/yyyy"));
    if (!inicio.isValid() || !fin.isValid())
        return usoIncorrecto(
            QStringLiteral("--desde y --hasta necesitan fechas reales en la forma DD/MM/AAAA"));
    if (inicio > fin)
        return usoIncorrecto(QStringLiteral("la fecha de --desde es posterior a la de --hasta"));
    if (parser.isSet(libro) == parser.isSet(pdf))
        return usoIncorrecto(QStringLiteral("indique una salida: --libro o --pdf"));
    const QString salida = parser.isSet(libro) ? parser.value(libro) : parser.value(pdf);
    if (QFileInfo::exists(salida) && !parser.isSet(sobrescribir))
        return usoIncorrecto(
            QStringLiteral("el archivo \"%1\" ya existe; use --sobrescribir para reemplazarlo").arg(salida));

    QString error;
    const QString dir = ResolverDirectorioDatos(argumentos, &error);
    if (dir.isEmpty()) {
        escribirError(error);
        return 1;
    }
    EstablecerDirectorioDatos(dir);
    try {
        std::unique_ptr<Conexion> db;
        if (parser.isSet(registro)) {
            db = std::make_unique<ConexionPostgres>(parser.value(registro));
        } else {
            // A summary reads a register; it never makes a new one.
            const QString ruta = QDir(dir).filePath(QLatin1String(kNombreBaseDatos));
            if (!QFileInfo(ruta).isFile() || QFileInfo(ruta).size() == 0) {
                escribirError(
                    QStringLiteral("No hay ningún registro en \"%1\".").arg(QDir::toNativeSeparators(ruta)));
                return 1;
            }
            db = std::make_unique<ConexionSqlcipher>(ruta, ClaveBaseDatos());
        }
        Oficina oficina(*db);
        oficina.cargarMunicipio(QDir(dir).filePath(QLatin1String(kNombreArchivoMunicipio)));
        const std::optional<ResumenOficina> r = oficina.resumen({inicio, fin});
        const bool esLibro = parser.isSet(libro);
        oficina.establecerUsuario(UsuarioSistema());
        DocumentoResumen documento =
            oficina.documentoResumen(*r, r->filas, QStringLiteral("linea de comandos"));
        const EmisionPreparada emision =
            oficina.sellarResumen(documento, esLibro ? QStringLiteral("libro") : QStringLiteral("informe"));
        const bool ok = GuardarEmitido(
            salida,
            [&](const QString& archivo, QString* motivo) {
                return esLibro ? GuardarLibroResumen(documento, archivo, motivo)
                               : GuardarPdfResumen(documento, archivo, motivo);
            },
            [&](const std::function<void()>& mover) { oficina.anotarEmision(emision, mover); }, &error);
        if (!ok) {
            escribirError(error);
            return 1;
        }
    } catch (const ErrorBD& e) {
        escribirError(e.descripcion());
        return 1;
    }
    return 0;
}

} // namespace

int EjecutarLineaResumen(int argc, char* argv[]) {
    bool pedido = false;
    for (int i = 1; i < argc; ++i)
        pedido = pedido || std::strcmp(argv[i], "--resumen") == 0;
    if (!pedido)
        return -1;
    // Fonts for the report, without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("velmora-kv270"));
    return ejecutar(QGuiApplication::arguments());
}

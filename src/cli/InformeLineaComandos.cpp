#include "cli/InformeLineaComandos.h"

#include "core/Oficina.h"
#include "core/output/ArchivoPkcs12.h"
#include "core/output/DocumentoEmitido.h"
#include "core/output/GuardarEmitido.h"
#include "core/output/InformeFirmado.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/AjustesRegistro.h"
#include "core/store/ConexionPostgres.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/ErrorBD.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

namespace {

// What went wrong, for standard error, with the status to leave with.
struct Fallo {
    QString mensaje;
    int estado = 1;
};

void escribirError(const QString& texto) {
    const QByteArray utf8 = QStringLiteral("velmora-kv270: %1\n").arg(texto).toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stderr);
    std::fflush(stderr);
}

QDate leerFecha(const QString& texto, const QString& opcion) {
    const QDate fecha = QDate::fromString(texto, QStringLiteral("dd/MM/yyyy"));
    if (!fecha.isValid())
        throw Fallo{QStringLiteral("la fecha de %1 \"%2\" no existe o no tiene la forma DD/MM/AAAA")
                        .arg(opcion, texto),
                    2};
    return fecha;
}

// The certificate's password: from the file given, else typed at the terminal without echo (or
// one line of standard input when it is no terminal).
QByteArray leerContrasena(const QString& archivo) {
    if (!archivo.isEmpty()) {
        QFile f(archivo);
        if (!f.open(QIODevice::ReadOnly))
            throw Fallo{QStringLiteral("no se pudo leer el archivo de la contraseña \"%1\": %2")
                            .arg(archivo, f.errorString())};
        QByteArray clave = f.readAll();
        while (clave.endsWith('\n') || clave.endsWith('\r'))
            clave.chop(1);
        return clave;
    }
    const bool terminal = isatty(STDIN_FILENO) != 0;
    termios antes{};
    if (terminal) {
        std::fputs("Contraseña del certificado: ", stderr);
        std::fflush(stderr);
        tcgetattr(STDIN_FILENO, &antes);
        termios sinEco = antes;
        sinEco.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &sinEco);
    }
    std::string linea;
    std::getline(std::cin, linea);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &antes);
        std::fputs("\n", stderr);
    }
    if (!linea.empty() && linea.back() == '\r')
        linea.pop_back();
    return QByteArray::fromStdString(linea);
}

void comprobarSalida(const QString& ruta, bool sobrescribir) {
    const QFileInfo info(ruta);
    if (info.exists() && !sobrescribir)
        throw Fallo{
            QStringLiteral("el archivo \"%1\" ya existe; use --sobrescribir para reemplazarlo").arg(ruta)};
    if (info.isDir())
        throw Fallo{QStringLiteral("\"%1\" es una carpeta, no un archivo").arg(ruta)};
    const QFileInfo carpeta(info.absolutePath());
    if (!carpeta.isDir() || !carpeta.isWritable())
        throw Fallo{QStringLiteral("no se puede escribir en la carpeta \"%1\"").arg(info.absolutePath())};
}

int ejecutar(const QStringList& argumentos) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const auto opcion = [&](const char* nombre, const char* valor = nullptr) {
        QCommandLineOption o(QString::fromLatin1(nombre), QString(),
                             valor ? QString::fromUtf8(valor) : QString());
        parser.addOption(o);
        return o;
    };
    const auto informe = opcion("informe", "NÚMERO"), desde = opcion("desde", "DD/MM/AAAA"),
               hasta = opcion("hasta", "DD/MM/AAAA"), pdf = opcion("pdf", "SALIDA.pdf"),
               libro = opcion("libro", "SALIDA.xlsx"), firmar = opcion("firmar", "CERT.p12"),
               claveArchivo = opcion("clave-archivo", "ARCHIVO"), sobrescribir = opcion("sobrescribir"),
               datosDir = opcion("data-dir", "DIRECTORIO"), registroOpcion = opcion("registro", "CADENA");
    if (!parser.parse(argumentos))
        throw Fallo{parser.errorText(), 2};
    if (!parser.positionalArguments().isEmpty())
        throw Fallo{QStringLiteral("argumento inesperado \"%1\"").arg(parser.positionalArguments().first()),
                    2};
    if (!parser.isSet(informe))
        throw Fallo{QStringLiteral("falta --informe NÚMERO (el número del cliente)"), 2};
    if (!parser.isSet(desde) || !parser.isSet(hasta))
        throw Fallo{QStringLiteral("faltan --desde y --hasta (DD/MM/AAAA)"), 2};
    if (!parser.isSet(pdf) && !parser.isSet(libro))
        throw Fallo{QStringLiteral("falta la salida: --pdf SALIDA.pdf o --libro SALIDA.xlsx"), 2};
    if ((parser.isSet(firmar) || parser.isSet(claveArchivo)) && !parser.isSet(pdf))
        throw Fallo{QStringLiteral("--firmar y --clave-archivo firman el PDF: falta --pdf SALIDA.pdf"), 2};
    if (parser.isSet(claveArchivo) && !parser.isSet(firmar))
        throw Fallo{QStringLiteral("--clave-archivo necesita --firmar CERT.p12"), 2};
    const QString numero = parser.value(informe).trimmed();
    const QDate inicio = leerFecha(parser.value(desde), QStringLiteral("--desde"));
    const QDate fin = leerFecha(parser.value(hasta), QStringLiteral("--hasta"));
    if (inicio > fin)
        throw Fallo{QStringLiteral("la fecha --desde es posterior a --hasta"), 2};
    const bool reemplazar = parser.isSet(sobrescribir);
    if (parser.isSet(pdf))
        comprobarSalida(parser.value(pdf), reemplazar);
    if (parser.isSet(libro))
        comprobarSalida(parser.value(libro), reemplazar);

    // The certificate is checked before anything is read or written.
    std::unique_ptr<CertificadoFirma> certificado;
    if (parser.isSet(firmar)) {
        const QByteArray clave = leerContrasena(parser.value(claveArchivo));
        QString error;
        certificado =
            CertificadoFirma::abrir(parser.value(firmar), clave, QDateTime::currentDateTime(), &error);
        if (!certificado)
            throw Fallo{error};
    }

    QString error;
    QStringList conDatos{argumentos.first()};
    if (parser.isSet(datosDir))
        conDatos << QStringLiteral("--data-dir") << parser.value(datosDir);
    const QString dir = ResolverDirectorioDatos(conDatos, &error);
    if (dir.isEmpty())
        throw Fallo{error};
    EstablecerDirectorioDatos(dir);
    const QString servidor =
        (parser.isSet(registroOpcion) ? parser.value(registroOpcion) : ConexionRegistroGuardada()).trimmed();
    std::unique_ptr<Conexion> registro;
    const QString archivo = QDir(dir).filePath(QLatin1String(kNombreBaseDatos));
    if (servidor.isEmpty()) {
        // A report reads a register; it never creates an empty one.
        if (!QFileInfo::exists(archivo))
            throw Fallo{QStringLiteral("no hay ningún registro en \"%1\"").arg(dir)};
        registro = std::make_unique<ConexionSqlcipher>(archivo, ClaveBaseDatos());
    } else {
        registro = std::make_unique<ConexionPostgres>(servidor, QString());
    }
    Oficina oficina(*registro);
    oficina.establecerUsuario(UsuarioSistema());
    oficina.cargarMunicipio(QDir(dir).filePath(QLatin1String(kNombreArchivoMunicipio)));
    oficina.abrirClientes();
    oficina.buscar(QStringLiteral("Numero de Cliente"), numero);
    qint64 id = 0;
    for (std::size_t i = 0; i < oficina.cantidadListados() && id == 0; ++i) {
        const Cliente c = oficina.clienteEnFila(i);
        if (c.numero == numero)
            id = c.id;
    }
    if (id == 0)
        throw Fallo{QStringLiteral("no hay ningún cliente con el número \"%1\"").arg(numero)};
    oficina.seleccionar(id);
    oficina.establecerRango(inicio, fin);

    DocumentoEmitido documento;
    documento.cliente = numero;
    documento.desde = inicio;
    documento.hasta = fin;
    documento.origen = QStringLiteral("linea de comandos");
    const QString rango = QStringLiteral("entre el %1 y el %2").arg(parser.value(desde), parser.value(hasta));
    if (parser.isSet(pdf)) {
        DatosInforme datos = oficina.datosInforme();
        documento.tipo = QStringLiteral("informe");
        documento.filas =
            std::ranges::count_if(datos.registros, [](const RegistroInforme& r) { return !r.vacio(); });
        if (documento.filas == 0)
            throw Fallo{QStringLiteral("el cliente %1 no tiene infracciones %2").arg(numero, rango)};
        // Every page carries the code; the entry is written once the file is.
        const EmisionPreparada emision = PrepararDocumento(oficina, documento);
        datos.sello = emision.sello;
        const InformeInfracciones inf(std::move(datos));
        MetadatosPdf metadatos = inf.metadatos();
        metadatos.autor = oficina.usuario();
        const QString salida = parser.value(pdf);
        const bool bien = GuardarEmitido(
            salida,
            [&](const QString& archivo, QString* motivo) {
                if (certificado)
                    return GuardarInformeFirmado(inf, metadatos, *certificado, archivo, motivo);
                if (inf.guardarPdf(archivo, metadatos))
                    return true;
                *motivo = QStringLiteral("no se pudo escribir el informe en \"%1\"").arg(salida);
                return false;
            },
            [&](const std::function<void()>& mover) { oficina.anotarEmision(emision, mover); }, &error);
        if (!bien)
            throw Fallo{error};
    }
    if (parser.isSet(libro)) {
        EntradaLibro entrada = oficina.entradaLibro(OpcionesLibro{});
        documento.tipo = QStringLiteral("libro");
        documento.filas = std::ranges::count_if(entrada.infracciones,
                                                [](const FilaInfraccionLibro& f) { return !f.oculta; });
        if (documento.filas == 0)
            throw Fallo{QStringLiteral("el cliente %1 no tiene infracciones %2").arg(numero, rango)};
        const EmisionPreparada emision = PrepararDocumento(oficina, documento);
        entrada.sello = emision.sello;
        const bool bien = GuardarEmitido(
            parser.value(libro),
            [&](const QString& archivo, QString* motivo) {
                const ResultadoLibro r = CrearLibroExcel(entrada, archivo);
                *motivo = r.error;
                return r.ok;
            },
            [&](const std::function<void()>& mover) { oficina.anotarEmision(emision, mover); }, &error);
        if (!bien)
            throw Fallo{error};
    }
    return 0;
}

} // namespace

int EjecutarInformeLineaComandos(int argc, char* argv[]) {
    bool pedido = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        pedido = pedido || a == "--informe" || a.startsWith("--informe=") || a == "--libro" ||
                 a.startsWith("--libro=");
    }
    if (!pedido)
        return -1;
    // No display is needed: fonts and the PDF writer work on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error carries our messages only; Qt's notices about the environment stay out.
    qInstallMessageHandler([](QtMsgType tipo, const QMessageLogContext&, const QString& texto) {
        if (tipo == QtCriticalMsg || tipo == QtFatalMsg)
            escribirError(texto);
    });
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("velmora-kv270"));
    try {
        return ejecutar(QGuiApplication::arguments());
    } catch (const Fallo& f) {
        escribirError(f.mensaje);
        return f.estado;
    } catch (const ErrorBD& e) {
        escribirError(e.descripcion());
        return 1;
    } catch (const std::exception& e) {
        escribirError(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}

QString UsuarioSistema() {
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"})
        if (const QString u = qEnvironmentVariable(variable); !u.isEmpty())
            return u;
    return QStringLiteral("desconocido");
}

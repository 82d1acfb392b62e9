#include "cli/InformeLineaComandos.h"
#include "cli/LineaResumen.h"
#include "cli/OrdenVerificarRegistro.h"
#include "cli/PrepararServidor.h"
#include "cli/VerificarDocumentoCli.h"
#include "core/Oficina.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/AjustesRegistro.h"
#include "core/store/ConexionPostgres.h"
#include "windows/clients/VentanaPrincipal.h"
#include "windows/inicio/ArranqueRegistro.h"
#include "windows/inicio/PantallaInicio.h"
#include "windows/platform/Imagenes.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/Traducciones.h"
#include "windows/store/RegistroCompartido.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDate>
#include <QDir>
#include <QPointer>

#include <cstdio>
#include <memory>

namespace {

void escribir(FILE* destino, const QString& texto) {
    const QByteArray utf8 = texto.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), destino);
    std::fflush(destino);
}

// Reads the command line before any window system is touched, so --help, --version and a
// mistyped option work without a display. Returns the exit status, or -1 to go on.
int leerLineaComandos(int argc, char* argv[]) {
    QStringList argumentos;
    for (int i = 0; i < argc; ++i)
        argumentos << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    // Qt's own options (-platform offscreen, -style ...) take one dash.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption ayuda(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption datos(QStringLiteral("data-dir"), QString(), QStringLiteral("DIRECTORIO"));
    parser.addOptions({ayuda, version, datos});
    // The shared register's connection string; read again below once the application exists.
    parser.addOption(QCommandLineOption(QStringLiteral("registro"), QString(), QStringLiteral("CADENA")));
    for (const char* qt :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "style", "stylesheet", "session",
          "display", "geometry", "qwindowgeometry", "qwindowtitle", "qwindowicon"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(qt), QString(), QStringLiteral("valor")));
    for (const char* qt : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(qt)));
    const QString uso = QStringLiteral(
        "Uso: velmora-kv270 [--data-dir DIRECTORIO] [--registro CADENA] [--help] [--version]\n");
    if (!parser.parse(argumentos) || !parser.positionalArguments().isEmpty()) {
        const QStringList desconocidas = parser.unknownOptionNames();
        QString motivo;
        if (!desconocidas.isEmpty())
            motivo = QStringLiteral("opción desconocida \"%1\"").arg(desconocidas.first());
        else if (!parser.positionalArguments().isEmpty())
            motivo = QStringLiteral("argumento inesperado \"%1\"").arg(parser.positionalArguments().first());
        else
            motivo = QStringLiteral("falta el valor de una opción");
        escribir(stderr, QStringLiteral("velmora-kv270: %1\n").arg(motivo) + uso);
        return 2;
    }
    if (parser.isSet(ayuda)) {
        escribir(
            stdout,
            uso +
                QStringLiteral(
                    "Registro de clientes e infracciones del limitador de sonido KV-270: importa sus "
                    "archivos de datos, exporta libros y prepara informes.\n\n"
                    "Opciones:\n"
                    "  --data-dir DIRECTORIO  guarda la base de datos y el encabezado del municipio en "
                    "DIRECTORIO\n"
                    "                         (si no se indica: el directorio del programa o, si no se "
                    "puede\n"
                    "                         escribir en él, el directorio de datos del usuario)\n"
                    "  --registro CADENA      usa el registro compartido de un servidor PostgreSQL (cadena\n"
                    "                         de conexión de libpq, p. ej. \"host=servidor dbname=registro\n"
                    "                         user=puesto1 sslmode=verify-full\"); la contraseña, en\n"
                    "                         ~/.pgpass o escrita al iniciar\n"
                    "  --informe NÚMERO --desde DD/MM/AAAA --hasta DD/MM/AAAA --pdf SALIDA.pdf\n"
                    "      [--firmar CERT.p12] [--clave-archivo ARCHIVO] [--libro SALIDA.xlsx] "
                    "[--sobrescribir]\n"
                    "                         escribe el informe (o el libro) del cliente sin abrir "
                    "ventanas\n"
                    "  --verificar-documento ARCHIVO|CÓDIGO\n"
                    "                         comprueba si este registro emitió un informe (PDF), un libro\n"
                    "                         (.xlsx) o un código de verificación y si conserva sus filas,\n"
                    "                         y la firma de un PDF firmado (0 vigente, 1 cambiado, 3 no\n"
                    "                         emitido aquí, 2 ilegible o modificado después de firmarlo)\n"
                    "  --verificar-registro   comprueba el registro entero y termina (0 correcto, 1 con\n"
                    "                         diferencias, 2 ilegible); con --json, el informe en JSON\n"
                    "  --preparar-servidor CADENA  prepara la base de datos del servidor para el\n"
                    "                         registro compartido (esquema, roles, permisos) y termina\n"
                    "  --resumen --desde DD/MM/AAAA --hasta DD/MM/AAAA (--libro X.xlsx | --pdf X.pdf)\n"
                    "      [--sobrescribir]   escribe el resumen de la oficina del período, sin ventanas\n"
                    "  -h, --help             muestra esta ayuda y termina\n"
                    "  -v, --version          muestra la versión y termina\n"));
        return 0;
    }
    if (parser.isSet(version)) {
        escribir(stdout, QStringLiteral("velmora-kv270 %1\n").arg(QLatin1String(VELMORA_VERSION)));
        return 0;
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[]) {
    // The summary first: it shares --libro and --pdf with the client report.
    if (const int estado = EjecutarLineaResumen(argc, argv); estado >= 0)
        return estado;
    if (const int estado = EjecutarInformeLineaComandos(argc, argv); estado >= 0)
        return estado;
    if (const int estado = VerificarDocumentoDesdeLinea(argc, argv); estado >= 0)
        return estado;
    if (const int estado = OrdenVerificarRegistro(argc, argv); estado >= 0)
        return estado;
    if (const int estado = EjecutarPrepararServidor(argc, argv); estado >= 0)
        return estado;
    if (const int estado = leerLineaComandos(argc, argv); estado >= 0)
        return estado;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora-kv270"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora KV-270"));
    QApplication::setWindowIcon(IconoPrograma());
    CargarTraduccionesQt(app);
    // The hidden splash stays loaded; the program ends when the main window closes or when
    // the start-up is abandoned, never merely because no window is visible.
    QApplication::setQuitOnLastWindowClosed(false);

    QString error;
    const QString dir = ResolverDirectorioDatos(QApplication::arguments(), &error);
    if (dir.isEmpty()) {
        MostrarMensaje(error, QString(), Icono::Critico);
        return 1;
    }
    EstablecerDirectorioDatos(dir);

    // The shared register: --registro "conninfo", else the one saved for this user, else the file.
    QString servidor;
    {
        QString registro = ConexionRegistroGuardada();
        const QStringList args = QApplication::arguments();
        for (int i = 1; i < args.size(); ++i) {
            if (args.at(i) == QLatin1String("--registro") && i + 1 < args.size())
                registro = args.at(i + 1);
            else if (args.at(i).startsWith(QLatin1String("--registro=")))
                registro = args.at(i).mid(11);
        }
        servidor = registro.trimmed();
    }
    // Opened once for the whole run: every part of the program shares this one. On a server, each
    // person signs in at the login window with their own server login.
    std::unique_ptr<Conexion> registro;
    if (servidor.isEmpty()) {
        RegistroLocal local = AbrirRegistroLocal(dir, QDate::currentDate());
        if (!local.registro)
            return local.estado;
        registro = std::move(local.registro);
    } else {
        // A shared register is updated by --preparar-servidor and copied on its server.
        if (!ConfirmarConexionSinCifrar(servidor))
            return 1;
        try {
            registro = ConexionPostgres::sinSesion(servidor);
        } catch (const ErrorBD& e) {
            MostrarError(e);
            return 1;
        }
    }

    int resultado = 0;
    {
        Oficina oficina(*registro);
        PantallaInicio inicio(oficina);
        inicio.show();
        resultado = QApplication::exec();
        // The main window the login opened shows the model: it goes first.
        QList<QPointer<VentanaPrincipal>> principales;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<VentanaPrincipal*>(w))
                principales << f;
        for (const QPointer<VentanaPrincipal>& f : principales)
            delete f.data();
    }
    return resultado;
}

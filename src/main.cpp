#include "Oficina.h"
#include "clients/FrmDatos.h"
#include "clients/Imagenes.h"
#include "clients/PantallaInicio.h"
#include "platform/DirectorioDatos.h"
#include "platform/Mensajes.h"
#include "platform/Traducciones.h"
#include "store/ServidorPg.h"
#include "store/modVarios.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QPointer>

int main(int argc, char* argv[]) {
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
        MsgBox(error, QString(), Icono::Critico);
        return 1;
    }
    EstablecerDirectorioDatos(dir);
    ConfigurarBaseDatos(QDir(dir).filePath(QLatin1String(kNombreBaseDatos)));

    // The shared register: --registro "conninfo", else the one saved for this user, else the file.
    {
        QString registro = ConexionRegistroGuardada();
        const QStringList args = QApplication::arguments();
        for (int i = 1; i < args.size(); ++i) {
            if (args.at(i) == QLatin1String("--registro") && i + 1 < args.size())
                registro = args.at(i + 1);
            else if (args.at(i).startsWith(QLatin1String("--registro=")))
                registro = args.at(i).mid(11);
        }
        ConfigurarRegistroServidor(registro.trimmed());
    }
    for (;;) {
        try {
            BaseDatosCompartida();
            break;
        } catch (const ErrorBD& e) {
            // A server that wants a password gets it typed here; it is kept in memory only.
            if (!RegistroServidor().isEmpty() && ErrorPideContrasena(e)) {
                bool ok = false;
                const QString clave = QInputDialog::getText(
                    nullptr, QStringLiteral("Registro compartido"),
                    e.descripcion() + QStringLiteral("\n\nContraseña del registro compartido:"),
                    QLineEdit::Password, QString(), &ok);
                if (ok && !clave.isEmpty()) {
                    ConfigurarRegistroServidor(RegistroServidor(), clave);
                    continue;
                }
            }
            MostrarError(e);
            return 1;
        }
    }

    int resultado = 0;
    {
        Oficina oficina;
        PantallaInicio inicio(oficina);
        inicio.show();
        resultado = QApplication::exec();
        // The main window the login opened shows the model: it goes first.
        QList<QPointer<FrmDatos>> principales;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<FrmDatos*>(w))
                principales << f;
        for (const QPointer<FrmDatos>& f : principales)
            delete f.data();
    }
    CerrarBaseDatos();
    return resultado;
}

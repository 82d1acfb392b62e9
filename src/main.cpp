#include "Oficina.h"
#include "clients/FrmDatos.h"
#include "clients/Imagenes.h"
#include "clients/PantallaInicio.h"
#include "platform/DirectorioDatos.h"
#include "platform/Mensajes.h"
#include "platform/Traducciones.h"
#include "store/modVarios.h"

#include <QApplication>
#include <QDir>
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
    try {
        BaseDatosCompartida();
    } catch (const ErrorBD& e) {
        MostrarError(e);
        return 1;
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

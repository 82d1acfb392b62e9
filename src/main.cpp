#include "platform/DirectorioDatos.h"
#include "platform/Mensajes.h"
#include "store/modVarios.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora-kv270"));
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
        MsgBox(e.descripcion(), QString(), Icono::Critico);
        return 1;
    }
    return 0;
}

// Fills a new database with N clients and M infractions:
//   bench_generador DIR CLIENTES INFRACCIONES
#include "Generador.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/ConexionSqlcipher.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList a = QCoreApplication::arguments();
    if (a.size() != 4) {
        std::fprintf(stderr, "uso: bench_generador DIRECTORIO CLIENTES INFRACCIONES\n");
        return 2;
    }
    QDir().mkpath(a[1]);
    const QString ruta = QDir(a[1]).filePath(QLatin1String(kNombreBaseDatos));
    try {
        QElapsedTimer t;
        t.start();
        ConexionSqlcipher db(ruta, ClaveBaseDatos());
        const int clientes = a[2].toInt();
        generador::agregarClientes(db, clientes);
        generador::agregarInfraccionesRepartidas(db, std::max(1, std::min(clientes, 1000)),
                                                 a[3].toLongLong());
        std::printf("%s: %d clientes, %lld infracciones en %.1f s\n", qPrintable(ruta), clientes,
                    a[3].toLongLong(), static_cast<double>(t.elapsed()) / 1000.0);
    } catch (const ErrorBD& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.descripcion()));
        return 1;
    }
    return 0;
}

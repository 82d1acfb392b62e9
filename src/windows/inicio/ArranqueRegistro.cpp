#include "windows/inicio/ArranqueRegistro.h"

#include "core/actividad/CadenaActividad.h"
#include "core/actividad/EntradasActividad.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Copias.h"
#include "core/store/Esquema.h"
#include "windows/inicio/VentanaArranque.h"
#include "windows/platform/Mensajes.h"

#include <QDir>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <optional>

namespace {

// What the worker leaves for the window's thread; read only after the worker has finished.
struct Trabajo {
    std::atomic_bool detener{false};
    std::unique_ptr<ConexionSqlcipher> registro;
    std::optional<ErrorBD> error;
    bool detenida = false;
    ResultadoCopiaDiaria copia;
};

// Runs in the worker. The connection serves only this thread until the worker ends; then the
// window's thread takes it (it holds nothing bound to a thread).
void trabajar(Trabajo& t, VentanaArranque& ventana, const QString& directorio, const QDate& hoy) {
    const auto mostrar = [&ventana](auto cambio) {
        QMetaObject::invokeMethod(
            &ventana, [&ventana, cambio] { cambio(ventana); }, Qt::QueuedConnection);
    };
    AvanceEsquema avance;
    avance.alEmpezar = [&](const PasoEsquema& paso) {
        mostrar([paso](VentanaArranque& v) { v.mostrarPaso(paso); });
    };
    avance.detener = [&t] { return t.detener.load(); };
    const QString ruta = QDir(directorio).filePath(QLatin1String(kNombreBaseDatos));
    try {
        t.registro = std::make_unique<ConexionSqlcipher>(ruta, ClaveBaseDatos(), avance);
    } catch (const ActualizacionDetenida&) {
        t.detenida = true;
        return;
    } catch (const ErrorBD& e) {
        t.error = e;
        return;
    }
    if (t.detener)
        return;
    // The first start of the day copies the register before anything can change it.
    mostrar([](VentanaArranque& v) { v.mostrarCopia(); });
    t.copia = CopiaDiaria(directorio, ruta, QDir(directorio).filePath(QLatin1String(kNombreArchivoMunicipio)),
                          ClaveBaseDatos(), hoy);
    if (t.copia.estado != ResultadoCopiaDiaria::Hecha)
        return;
    // Recorded when it can be; a register that cannot be written still opens.
    try {
        Transaccion transaccion(*t.registro);
        AgregarEntrada(
            *t.registro, kUsuarioPrograma, QStringLiteral("copia.escrita"), NombreCopiaDiaria(hoy),
            {{QStringLiteral("diaria"), true},
             {QStringLiteral("destino"),
              QDir::toNativeSeparators(
                  QDir(directorio).filePath(QStringLiteral("copias/") + NombreCopiaDiaria(hoy)))}});
        transaccion.confirmar();
    } catch (const ErrorBD&) {
    }
}

} // namespace

RegistroLocal AbrirRegistroLocal(const QString& directorio, const QDate& hoy, int esperaVentanaMs) {
    Trabajo trabajo;
    VentanaArranque ventana;
    QObject::connect(&ventana, &VentanaArranque::detener, &ventana, [&trabajo] { trabajo.detener = true; });
    // An ordinary start ends before this: the window is not flashed.
    QTimer mostrarVentana;
    mostrarVentana.setSingleShot(true);
    QObject::connect(&mostrarVentana, &QTimer::timeout, &ventana, [&ventana] { ventana.show(); });
    QEventLoop bucle;
    const std::unique_ptr<QThread> hilo(QThread::create([&trabajo, &ventana, directorio, hoy] {
        // Nothing may escape a thread; memory running out is told like any failure to open.
        try {
            trabajar(trabajo, ventana, directorio, hoy);
        } catch (const std::exception& e) {
            trabajo.error = ErrorBD(QStringLiteral("No se puede abrir la base de datos \"%1\".")
                                        .arg(QDir::toNativeSeparators(
                                            QDir(directorio).filePath(QLatin1String(kNombreBaseDatos)))),
                                    QString::fromLocal8Bit(e.what()));
            trabajo.registro.reset();
        }
    }));
    QObject::connect(hilo.get(), &QThread::finished, &bucle, &QEventLoop::quit);
    mostrarVentana.start(esperaVentanaMs);
    hilo->start();
    bucle.exec();
    hilo->wait();
    mostrarVentana.stop();
    ventana.hide();

    RegistroLocal r;
    if (trabajo.detenida || ventana.detencionPedida()) {
        r.estado = 1;
        return r;
    }
    if (trabajo.error) {
        MostrarError(*trabajo.error);
        r.estado = 1;
        return r;
    }
    const ResultadoCopiaDiaria& copia = trabajo.copia;
    if (copia.avisar)
        MostrarMensaje(
            QStringLiteral("No se pudo hacer la copia de seguridad diaria del registro. Las copias "
                           "anteriores se conservan. %1\n\nSe volverá a intentar la próxima vez que "
                           "se inicie el programa; mientras tanto, haga una copia con \"Archivo > Copia "
                           "de seguridad...\".")
                .arg(copia.error),
            QString(), Icono::Exclamacion, Botones::Aceptar, copia.detalles);
    r.registro = std::move(trabajo.registro);
    return r;
}

#include "windows/clients/BarraMenus.h"

#include "core/Oficina.h"
#include "windows/import/HistorialImportaciones.h"
#include "windows/import/VentanaImportacion.h"
#include "windows/output/VerificarDocumento.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/VersionPrograma.h"
#include "windows/resumen/VentanaResumen.h"
#include "windows/store/AccionesCopias.h"
#include "windows/store/RegistroCompartido.h"
#include "windows/store/VentanaVerificarRegistro.h"

#include <QMainWindow>

BarraMenus::BarraMenus(Oficina& oficina, QMainWindow* ventana) : QMenuBar(ventana), oficina_(oficina) {
    const auto accion = [](QMenu* menu, const char* texto, const char* nombre) {
        QAction* a = menu->addAction(QString::fromUtf8(texto));
        a->setObjectName(QLatin1String(nombre));
        return a;
    };
    QMenu* archivo = addMenu(QStringLiteral("&Archivo"));
    archivo->setObjectName(QStringLiteral("menuArchivo"));
    QAction* resumen = accion(archivo, "Resumen de la &Oficina", "accionResumen");
    QAction* historial = accion(archivo, "&Historial de Importaciones...", "accionHistorial");
    QAction* verificarArchivo = accion(archivo, "&Verificar archivo...", "accionVerificarArchivo");
    QAction* registro = accion(archivo, "Re&gistro compartido...", "accionRegistroCompartido");
    archivo->addSeparator();
    // The register's safety: backup and restore are the administrator's, the check is anyone's.
    QAction* copia = accion(archivo, "&Copia de seguridad...", "accionCopia");
    copia->setEnabled(oficina_.esAdministrador());
    QAction* restaurar = accion(archivo, "&Restaurar copia...", "accionRestaurar");
    restaurar->setEnabled(oficina_.esAdministrador());
    QAction* verificarBase = accion(archivo, "&Verificar base de datos", "accionVerificarBase");
    QAction* verificarDocumento = accion(archivo, "Verificar &documento...", "accionVerificarDocumento");
    // Every row against its original and the log: the administrator's, like the backups.
    QAction* verificarRegistro = accion(archivo, "Verificar regis&tro", "accionVerificarRegistro");
    verificarRegistro->setEnabled(oficina_.esAdministrador());
    archivo->addSeparator();
    QAction* salir = accion(archivo, "&Salir", "accionSalir");
    QMenu* ayuda = addMenu(QStringLiteral("&Ayuda"));
    ayuda->setObjectName(QStringLiteral("menuAyuda"));
    QAction* acerca = accion(ayuda, "&Acerca de...", "accionAcercaDe");

    connect(salir, &QAction::triggered, ventana, [ventana] { ventana->close(); });
    connect(resumen, &QAction::triggered, ventana, [this] { VentanaResumen::Mostrar(oficina_); });
    connect(historial, &QAction::triggered, ventana,
            [this, ventana] { MostrarHistorialImportaciones(oficina_, ventana); });
    connect(verificarArchivo, &QAction::triggered, ventana,
            [this, ventana] { VerificarArchivo(oficina_, ventana); });
    connect(registro, &QAction::triggered, ventana, [this, ventana] {
        RegistroCompartido dialogo(oficina_, ventana);
        dialogo.exec();
    });
    connect(acerca, &QAction::triggered, this, [this] { acercaDe(); });
    connect(copia, &QAction::triggered, ventana, [this, ventana] { CopiaDeSeguridad(ventana, oficina_); });
    connect(restaurar, &QAction::triggered, ventana,
            [this, ventana] { RestaurarCopiaDeSeguridad(ventana, oficina_); });
    connect(verificarBase, &QAction::triggered, ventana,
            [this, ventana] { VerificarBaseDeDatos(ventana, oficina_); });
    connect(verificarDocumento, &QAction::triggered, ventana, [this, ventana] {
        DialogoVerificarDocumento dialogo(oficina_, ventana);
        dialogo.exec();
    });
    connect(verificarRegistro, &QAction::triggered, ventana,
            [this, ventana] { VerificarRegistroCompleto(ventana, oficina_); });
    connect(&oficina_, &Oficina::sesionIniciada, this, [this, copia, restaurar, verificarRegistro] {
        copia->setEnabled(oficina_.esAdministrador());
        restaurar->setEnabled(oficina_.esAdministrador());
        verificarRegistro->setEnabled(oficina_.esAdministrador());
    });
}

void BarraMenus::acercaDe() {
    // Which register this is: a code or a copy from another office is told apart by it.
    QString identidad;
    try {
        identidad = oficina_.identidadRegistro();
    } catch (const ErrorBD&) {
    }
    if (identidad.isEmpty())
        identidad = QStringLiteral("no disponible");
    const QString texto = QStringList{QStringLiteral("Sistema de Adquisición de Datos - VELMORA KV-270"),
                                      QString(),
                                      QStringLiteral("Version: ") + TextoVersion(),
                                      QStringLiteral("Identidad del registro: ") + identidad,
                                      QString(),
                                      QString(),
                                      QStringLiteral("Por cualquier Consulta o Soporte Técnico"),
                                      QString(),
                                      QStringLiteral("por favor escribir a : soporte@velmora.example")}
                              .join(QLatin1Char('\n'));
    MostrarMensaje(texto, QStringLiteral("Acerca de..."), Icono::Informacion);
}

#include "windows/store/AccionesCopias.h"

#include "core/Oficina.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/Copias.h"
#include "windows/platform/Dialogos.h"
#include "windows/platform/Mensajes.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>

namespace {

// These work on the local file; a desk on the shared register would copy or replace a file it
// does not use.
bool enRegistroCompartido(const Oficina& oficina) {
    if (!oficina.archivoRegistro().isEmpty())
        return false;
    MostrarMensaje(
        QStringLiteral("Este puesto trabaja con el registro compartido de un servidor: sus copias de "
                       "seguridad se hacen en el servidor (por ejemplo, con pg_dump). Las copias, la "
                       "restauración y la verificación de este menú son del archivo local."),
        QString(), Icono::Informacion);
    return true;
}

const QString kTituloCopia = QStringLiteral("Copia de seguridad");
const QString kTituloRestaurar = QStringLiteral("Restaurar copia");

QString rutaMunicipio() {
    return QDir(DirectorioDatos()).filePath(QLatin1String(kNombreArchivoMunicipio));
}

QString carpetaCopias() {
    return QDir(DirectorioDatos()).filePath(QLatin1String(kCarpetaCopias));
}

bool soloAdministrador(const Oficina& oficina, const QString& titulo) {
    if (oficina.esAdministrador())
        return true;
    MostrarMensaje(
        QStringLiteral("Solo el usuario Administrador puede hacer y restaurar copias de seguridad."), titulo,
        Icono::Exclamacion);
    return false;
}

// The wait cursor while the disk works; restored however the work ends.
struct CursorEspera {
    CursorEspera() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CursorEspera() { QApplication::restoreOverrideCursor(); }
    CursorEspera(const CursorEspera&) = delete;
    CursorEspera& operator=(const CursorEspera&) = delete;
};

} // namespace

void CopiaDeSeguridad(QWidget* padre, const Oficina& oficina) {
    if (enRegistroCompartido(oficina))
        return;
    if (!soloAdministrador(oficina, kTituloCopia))
        return;
    const QString carpeta =
        DialogoElegirCarpeta(padre, QStringLiteral("Carpeta donde guardar la copia de seguridad"));
    if (carpeta.isEmpty())
        return;
    const QString destino = QDir(carpeta).filePath(NombreCopia(QDateTime::currentDateTime()));
    try {
        CursorEspera espera;
        oficina.copiarRegistro(rutaMunicipio(), destino);
    } catch (const ErrorBD& e) {
        MostrarError(e, Icono::Critico, kTituloCopia);
        return;
    }
    MostrarMensaje(
        QStringLiteral("La copia de seguridad se guardó y se comprobó que se puede leer completa:\n\n%1")
            .arg(QDir::toNativeSeparators(destino)),
        kTituloCopia, Icono::Informacion);
}

void RestaurarCopiaDeSeguridad(QWidget* padre, Oficina& oficina) {
    if (enRegistroCompartido(oficina))
        return;
    if (!soloAdministrador(oficina, kTituloRestaurar))
        return;
    const QString copia =
        DialogoAbrirArchivo(padre, QStringLiteral("Elegir la copia de seguridad a restaurar"),
                            QStringLiteral("Copias de la base de datos (*.wfg);;Todos los archivos (*)"));
    if (copia.isEmpty())
        return;
    ContenidoCopia contenido;
    try {
        CursorEspera espera;
        contenido = oficina.examinarCopia(copia);
    } catch (const ErrorBD& e) {
        MostrarError(
            ErrorBD(e.descripcion() + QStringLiteral("\n\nNo se restauró la copia; el registro actual "
                                                     "no se modificó."),
                    e.detalles()),
            Icono::Critico, kTituloRestaurar);
        return;
    }
    const QString importacion = contenido.ultimaImportacion.isValid()
                                    ? contenido.ultimaImportacion.toString(QStringLiteral("dd/MM/yyyy"))
                                    : QStringLiteral("ninguna");
    if (MostrarMensaje(
            QStringLiteral("La copia \"%1\" contiene:\n\n"
                           "Clientes: %2\nInfracciones: %3\nÚltima importación: %4\n\n"
                           "¿Desea reemplazar el registro actual por esta copia? Antes se guardará el "
                           "registro actual como copia en la carpeta \"%5\".")
                .arg(QDir::toNativeSeparators(copia))
                .arg(contenido.clientes)
                .arg(contenido.infracciones)
                .arg(importacion, QDir::toNativeSeparators(carpetaCopias())),
            kTituloRestaurar, Icono::Pregunta, Botones::SiNo) != Respuesta::Si)
        return;
    QString guardada;
    try {
        CursorEspera espera;
        guardada = oficina.restaurarCopia(copia, rutaMunicipio(), carpetaCopias());
    } catch (const ErrorBD& e) {
        MostrarError(e, Icono::Critico, kTituloRestaurar);
        return;
    }
    try {
        oficina.recargarRegistro();
    } catch (const ErrorBD& e) {
        MostrarError(e, Icono::Critico, kTituloRestaurar);
        return;
    }
    MostrarMensaje(QStringLiteral("Se restauró la copia. El registro reemplazado se guardó en:\n\n%1")
                       .arg(QDir::toNativeSeparators(guardada)),
                   kTituloRestaurar, Icono::Informacion);
}

void VerificarBaseDeDatos(QWidget*, const Oficina& oficina) {
    if (enRegistroCompartido(oficina))
        return;
    Integridad r;
    {
        CursorEspera espera;
        r = oficina.verificarRegistro();
    }
    MostrarMensaje(InformeIntegridad(r), QStringLiteral("Verificar base de datos"),
                   r.correcta ? Icono::Informacion : Icono::Critico, Botones::Aceptar, r.detalles);
}

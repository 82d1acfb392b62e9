#include "windows/import/VentanaImportacion.h"

#include "core/Oficina.h"
#include "core/import/ArchivoInspeccion.h"
#include "core/import/Importacion.h"
#include "windows/editor/EditorCliente.h"
#include "windows/import/HistorialImportaciones.h"
#include "windows/platform/CajasSoloLectura.h"
#include "windows/platform/Dialogos.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/UnaVentana.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString kAviso = QStringLiteral("Aviso Importante!");
const QString kNoValido = QStringLiteral("El archivo seleccionado no es válido");
const QString kSeleccione = QStringLiteral("Seleccione un archivo del directorio");

void aviso(const QString& texto) {
    MostrarMensaje(texto, kAviso, Icono::Exclamacion);
}

const QString kIlegible =
    QStringLiteral("No se puede leer el archivo seleccionado. Verifique que siga en la unidad y "
                   "selecciónelo nuevamente.");

} // namespace

void MostrarVentanaImportacion(Oficina& oficina) {
    // Owned by the window it was asked from, so it stays in front of it.
    if (!UnaVentana<VentanaImportacion>::actual())
        UnaVentana<VentanaImportacion>::registrar(
            new VentanaImportacion(oficina, QApplication::activeWindow()));
    UnaVentana<VentanaImportacion>::alFrente();
}

VentanaImportacion* VentanaImportacion::instancia() {
    return UnaVentana<VentanaImportacion>::actual();
}

bool ImportacionEnCurso() {
    return UnaVentana<VentanaImportacion>::actual() && UnaVentana<VentanaImportacion>::actual()->importando_;
}

VentanaImportacion::VentanaImportacion(Oficina& oficina, QWidget* parent)
    : QWidget(parent, Qt::Window), oficina_(oficina) {
    setObjectName(QStringLiteral("VentanaImportacion"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Adquirir Datos de Inspección"));
    setFont(QFont(QStringLiteral("Arial"), 9));
    construir();
    cajasSoloLectura_ = new CajasSoloLectura(this);
    // The list follows the folder: files imported, deleted or taken away with the media go.
    vigilante_ = new QFileSystemWatcher(this);
    connect(vigilante_, &QFileSystemWatcher::directoryChanged, this, &VentanaImportacion::directorioCambiado);
    cargarUnidades();
    if (!setDirectorio(QDir::currentPath()))
        setDirectorio(QDir::homePath());
    UnaVentana<VentanaImportacion>::registrar(this);
}

VentanaImportacion::~VentanaImportacion() = default;

void VentanaImportacion::construir() {
    ubicacion_ = new QGroupBox(QStringLiteral("Ubicacion de los Archivos de Datos"), this);
    ubicacion_->setObjectName(QStringLiteral("ubicacionArchivos"));
    unidades_ = new QComboBox(ubicacion_);
    unidades_->setObjectName(QStringLiteral("unidades"));
    unidades_->setAccessibleName(QStringLiteral("Unidad"));
    directorios_ = new QTreeWidget(ubicacion_);
    directorios_->setObjectName(QStringLiteral("directorios"));
    directorios_->setAccessibleName(QStringLiteral("Directorio"));
    directorios_->setHeaderHidden(true);
    directorios_->setColumnCount(1);
    directorios_->setIndentation(12);
    archivos_ = new QListWidget(ubicacion_);
    archivos_->setObjectName(QStringLiteral("archivos"));
    archivos_->setAccessibleName(QStringLiteral("Archivos de inspección"));
    archivos_->setSelectionMode(QAbstractItemView::SingleSelection);
    archivos_->setSortingEnabled(false);

    auto* g1 = new QGridLayout(ubicacion_);
    g1->addWidget(unidades_, 0, 0);
    g1->addWidget(directorios_, 1, 0);
    g1->addWidget(archivos_, 0, 1, 2, 1);
    g1->setColumnStretch(0, 1);
    g1->setColumnStretch(1, 1);

    datosPreliminares_ = new QGroupBox(QStringLiteral("Datos Preliminares"), this);
    datosPreliminares_->setObjectName(QStringLiteral("datosPreliminares"));
    auto* etiquetaCliente = new QLabel(QStringLiteral("Numero de Cliente:"), datosPreliminares_);
    etiquetaCliente->setObjectName(QStringLiteral("etiquetaCliente"));
    // The preview shows what the file says; the import takes it from here, so it is not edited.
    numeroCliente_ = new QLineEdit(datosPreliminares_);
    numeroCliente_->setObjectName(QStringLiteral("numeroCliente"));
    numeroCliente_->setReadOnly(true);
    etiquetaCliente->setBuddy(numeroCliente_);
    auto* etiquetaFechaHora =
        new QLabel(QStringLiteral("Fecha y Hora de la Inspeccion:"), datosPreliminares_);
    etiquetaFechaHora->setObjectName(QStringLiteral("etiquetaFechaHora"));
    fechaInspeccion_ = new QDateEdit(QDate(2010, 6, 8), datosPreliminares_);
    fechaInspeccion_->setObjectName(QStringLiteral("fechaInspeccion"));
    fechaInspeccion_->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    fechaInspeccion_->setReadOnly(true);
    fechaInspeccion_->setButtonSymbols(QAbstractSpinBox::NoButtons);
    etiquetaFechaHora->setBuddy(fechaInspeccion_);
    horaInspeccion_ = new QTimeEdit(QTime(0, 0, 0), datosPreliminares_);
    horaInspeccion_->setObjectName(QStringLiteral("horaInspeccion"));
    horaInspeccion_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    horaInspeccion_->setReadOnly(true);
    horaInspeccion_->setButtonSymbols(QAbstractSpinBox::NoButtons);
    horaInspeccion_->setAccessibleName(QStringLiteral("Hora de la Inspeccion"));

    auto* g2 = new QGridLayout(datosPreliminares_);
    g2->addWidget(etiquetaCliente, 0, 0);
    g2->addWidget(numeroCliente_, 0, 1);
    g2->addWidget(etiquetaFechaHora, 1, 0);
    g2->addWidget(fechaInspeccion_, 1, 1);
    g2->addWidget(horaInspeccion_, 1, 2);
    g2->setColumnStretch(3, 1);

    botonImportar_ = new QPushButton(QStringLiteral("Importar Datos"), this);
    botonImportar_->setObjectName(QStringLiteral("botonImportar"));
    botonVolver_ = new QPushButton(QStringLiteral("Cancelar y Volver"), this);
    botonVolver_->setObjectName(QStringLiteral("botonVolver"));
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(botonImportar_);
    botones->addWidget(botonVolver_);

    auto* v = new QVBoxLayout(this);
    v->addWidget(ubicacion_, 1);
    v->addWidget(datosPreliminares_);
    v->addLayout(botones);
    resize(640, 480);

    connect(unidades_, &QComboBox::currentIndexChanged, this, &VentanaImportacion::cambiarUnidad);
    connect(directorios_, &QTreeWidget::itemActivated, this, &VentanaImportacion::directorioActivado);
    connect(archivos_, &QListWidget::itemSelectionChanged, this, &VentanaImportacion::seleccionCambiada);
    connect(archivos_, &QListWidget::itemClicked, this, &VentanaImportacion::archivoPulsado);
    connect(botonImportar_, &QPushButton::clicked, this, &VentanaImportacion::importar);
    connect(botonVolver_, &QPushButton::clicked, this, &QWidget::close);
}

void VentanaImportacion::cargarUnidades() {
    const QIcon icono = style()->standardIcon(QStyle::SP_DriveHDIcon);
    QStringList raices;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid())
            raices << v.rootPath();
    const QString actual = QStorageInfo(QDir::currentPath()).rootPath();
    if (!actual.isEmpty() && !raices.contains(actual))
        raices << actual;
    raices.sort();
    raices.removeDuplicates();
    const QSignalBlocker bloqueo(unidades_);
    for (const QString& r : raices)
        unidades_->addItem(icono, QDir::toNativeSeparators(r), r);
}

void VentanaImportacion::cambiarUnidad(int indice) {
    if (indice < 0 || indice == unidadActual_)
        return;
    if (!setDirectorio(unidades_->itemData(indice).toString())) {
        // The lists keep showing the previous location.
        const QSignalBlocker bloqueo(unidades_);
        unidades_->setCurrentIndex(unidadActual_);
        aviso(QStringLiteral("No puede leerse la unidad"));
    }
}

bool VentanaImportacion::setDirectorio(const QString& ruta) {
    const QFileInfo info(ruta);
    if (ruta.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
    directorio_ = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const int unidad = unidades_->findData(QStorageInfo(directorio_).rootPath());
    if (unidad >= 0) {
        const QSignalBlocker bloqueo(unidades_);
        unidades_->setCurrentIndex(unidad);
    }
    unidadActual_ = unidades_->currentIndex();
    if (!vigilante_->directories().isEmpty())
        vigilante_->removePaths(vigilante_->directories());
    vigilante_->addPath(directorio_);
    llenarDirectorios();
    // The preview is left as it is: it still describes the last clicked file.
    actualizarArchivos();
    return true;
}

void VentanaImportacion::llenarDirectorios() {
    const QIcon abierto = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon cerrado = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QStringList cadena;
    QDir d(directorio_);
    while (true) {
        cadena.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    directorios_->clear();
    QTreeWidgetItem* padre = nullptr;
    for (const QString& ruta : cadena) {
        const QString nombre =
            QDir(ruta).isRoot() ? QDir::toNativeSeparators(ruta) : QFileInfo(ruta).fileName();
        auto* item =
            padre ? new QTreeWidgetItem(padre, {nombre}) : new QTreeWidgetItem(directorios_, {nombre});
        item->setIcon(0, abierto);
        item->setData(0, Qt::UserRole, ruta);
        item->setExpanded(true);
        padre = item;
    }
    const QFileInfoList hijos =
        QDir(directorio_).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& h : hijos) {
        auto* item = new QTreeWidgetItem(padre, {h.fileName()});
        item->setIcon(0, cerrado);
        item->setData(0, Qt::UserRole, h.absoluteFilePath());
    }
    if (padre) {
        padre->setExpanded(true);
        directorios_->setCurrentItem(padre);
        directorios_->scrollToItem(padre);
    }
}

void VentanaImportacion::directorioActivado(QTreeWidgetItem* item) {
    if (!item)
        return;
    const QString ruta = item->data(0, Qt::UserRole).toString();
    if (ruta == directorio_)
        return;
    if (!setDirectorio(ruta))
        aviso(QStringLiteral("No puede leerse el directorio seleccionado"));
}

void VentanaImportacion::actualizarArchivos() {
    previstoPorSeleccion_ = nullptr;
    const QSignalBlocker bloqueo(archivos_);
    archivos_->clear();
    // Name filters ignore letter case: the device's media often carry names like "DATOS.KVD".
    const QStringList nombres =
        QDir(directorio_).entryList({QStringLiteral("*.kvd")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    const QIcon icono = style()->standardIcon(QStyle::SP_FileIcon);
    for (const QString& n : nombres)
        new QListWidgetItem(icono, n, archivos_);
}

void VentanaImportacion::directorioCambiado() {
    // The file the user picked stays picked if it is still there; it is not read again.
    const QList<QListWidgetItem*> items = archivos_->selectedItems();
    const QString elegido = items.isEmpty() ? QString() : items.first()->text();
    actualizarArchivos();
    if (elegido.isEmpty())
        return;
    const QList<QListWidgetItem*> sigue = archivos_->findItems(elegido, Qt::MatchExactly);
    if (sigue.isEmpty())
        return;
    const QSignalBlocker bloqueo(archivos_);
    archivos_->setCurrentItem(sigue.first());
}

QString VentanaImportacion::rutaSeleccionada() const {
    const QList<QListWidgetItem*> items = archivos_->selectedItems();
    if (items.isEmpty() || directorio_.isEmpty())
        return QString();
    return QDir(directorio_).filePath(items.first()->text());
}

void VentanaImportacion::seleccionCambiada() {
    const QList<QListWidgetItem*> items = archivos_->selectedItems();
    if (items.isEmpty())
        return;
    previstoPorSeleccion_ = items.first();
    previsualizar(items.first()->text());
}

void VentanaImportacion::archivoPulsado(QListWidgetItem* item) {
    // A click that selected the item was already previewed by the selection change; a click on
    // the item already selected previews it again.
    if (item == previstoPorSeleccion_) {
        previstoPorSeleccion_ = nullptr;
        return;
    }
    if (item)
        previsualizar(item->text());
}

void VentanaImportacion::previsualizar(const QString& nombreArchivo) {
    // The preview is what the import stores; nothing else may write into its boxes.
    const auto escritura = cajasSoloLectura_->escribir();
    rutaPrevista_.clear();
    datosPrevistos_.clear();
    numeroCliente_->clear();
    const auto falla = [] { aviso(QStringLiteral("El sistema no puede leer el archivo seleccionado")); };
    const QString ruta = QDir(directorio_).filePath(nombreArchivo);
    std::optional<QByteArray> datos = leerArchivoInspeccion(ruta);
    if (!datos)
        return falla();
    // Read once: the import judges and stores these bytes, not what the file holds later.
    rutaPrevista_ = ruta;
    datosPrevistos_ = std::move(*datos);
    // One character at a time: a short file leaves what it had in the box.
    for (qsizetype i = 0; i < 4 && i < datosPrevistos_.size(); ++i)
        numeroCliente_->setText(numeroCliente_->text() +
                                caracterWindows1252(static_cast<unsigned char>(datosPrevistos_.at(i))));
    const std::optional<VistaPreviaInspeccion> vista = decodificarVistaPrevia(datosPrevistos_);
    if (!vista || !vista->fechaLeida.isValid())
        return falla();
    fechaInspeccion_->setDate(vista->fechaLeida);
    if (!vista->horaLeida.isValid())
        return falla();
    horaInspeccion_->setTime(vista->horaLeida);
}

void VentanaImportacion::archivoDistinto(const QString& ruta) {
    if (!leerArchivoInspeccion(ruta))
        return aviso(kIlegible);
    // What it holds now is shown, so the user confirms again knowing it.
    previsualizar(QFileInfo(ruta).fileName());
    aviso(QStringLiteral("El archivo seleccionado cambió después de mostrarse sus datos. No se guardó "
                         "ningún dato: revise los datos que se muestran ahora e impórtelo nuevamente."));
}

void VentanaImportacion::permitirAcciones(bool si) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{botonImportar_, botonVolver_, unidades_, directorios_, archivos_})
        w->setEnabled(si);
}

bool VentanaImportacion::registrarClienteNuevo(const VistaPreviaInspeccion& vista) {
    MostrarMensaje(
        QStringLiteral("El archivo de infracciones pertenece a un cliente no existente en la base de datos, "
                       "Por Favor Ingresélo a continuación"),
        QStringLiteral("Cliente Nuevo"), Icono::Pregunta);
    EditorCliente* editor = EditorCliente::Abrir(oficina_, this);
    editor->clienteDeImportacion(vista.numeroCliente, vista.fechaLeida, vista.horaLeida);
    // The editor is discarded once closed: the next opening can be cancelled again.
    return editor->MostrarModal();
}

void VentanaImportacion::importar() {
    if (importando_)
        return;
    if (numeroCliente_->text().isEmpty())
        return aviso(kSeleccione);
    const QString ruta = rutaSeleccionada();
    if (ruta.isEmpty() || ruta != rutaPrevista_)
        return aviso(kSeleccione);

    importando_ = true;
    permitirAcciones(false);
    struct Fin {
        VentanaImportacion* w;
        ~Fin() {
            w->importando_ = false;
            w->permitirAcciones(true);
        }
    } fin{this};

    // What was shown is what is judged and stored; a file that changed since is shown again.
    if (!archivoConserva(ruta, datosPrevistos_))
        return archivoDistinto(ruta);
    ArchivoImportacion archivo;
    ResultadoImportacion r = prepararImportacion(datosPrevistos_, archivo);
    if (!r.ok())
        return aviso(QStringLiteral("%1: %2.").arg(kNoValido, r.detalle));
    const VistaPreviaInspeccion vista = *decodificarVistaPrevia(archivo.datos);

    const QString cancelada =
        QStringLiteral("Importación cancelada: no se guardó ningún dato. El archivo se conserva.");
    std::unique_ptr<QProgressDialog> progreso;
    try {
        // Asked before anything is written, the new client's registration included.
        bool omitirSolapados = true;
        if (!ConfirmarImportacion(archivo, oficina_.analizarImportacion(archivo), omitirSolapados))
            return aviso(cancelada);
        // Asked of the register, not of the list on screen: a search may hide the client.
        if (!oficina_.existeCliente(vista.numeroCliente) && !registrarClienteNuevo(vista))
            return aviso(cancelada);
        DatosImportacion datos;
        datos.numeroCliente = vista.numeroCliente;
        datos.fecha = vista.fechaLeida;
        datos.hora = vista.horaLeida;
        // Modal to the whole program while the rows are written: its "Cancelar" is the only
        // thing that can be pressed, so no click writes in the middle of the transaction.
        progreso = std::make_unique<QProgressDialog>(
            QStringLiteral("Importando las infracciones del archivo %1…").arg(QFileInfo(ruta).fileName()),
            QStringLiteral("Cancelar"), 0, static_cast<int>(archivo.registros), this);
        progreso->setObjectName(QStringLiteral("Progreso"));
        progreso->setWindowTitle(QStringLiteral("Importar Datos"));
        progreso->setAccessibleName(QStringLiteral("Progreso de la importación"));
        progreso->setWindowModality(Qt::ApplicationModal);
        progreso->setMinimumDuration(300);
        progreso->setAutoReset(false);
        QProgressDialog* barra = progreso.get();
        datos.progreso = [barra](qsizetype hechos, qsizetype) {
            barra->setValue(static_cast<int>(hechos));
            // Input only once the progress is up (it shows after a moment): before, nothing
            // would stop a click on another window.
            QCoreApplication::processEvents(barra->isVisible() ? QEventLoop::AllEvents
                                                               : QEventLoop::ExcludeUserInputEvents);
        };
        datos.cancelar = [barra] { return barra->wasCanceled(); };
        datos.ruta = ruta;
        datos.borrar = BorrarArchivo;
        datos.nombreArchivo = QFileInfo(ruta).fileName();
        datos.omitirSolapados = omitirSolapados;
        // The model stamps the session's user as inspector and reads the client list again.
        r = oficina_.importar(archivo, std::move(datos));
    } catch (const ErrorBD& e) {
        MostrarError(e);
        return;
    }
    progreso.reset();
    if (r.estado == EstadoImportacion::Cancelada)
        return aviso(cancelada);
    if (r.estado == EstadoImportacion::ErrorBaseDatos) {
        MostrarMensaje(r.detalle, QString(), Icono::Critico, Botones::Aceptar, r.causaTecnica);
        return;
    }
    if (r.estado == EstadoImportacion::ArchivoCambiado)
        return archivoDistinto(ruta);
    if (!r.ok())
        return aviso(QStringLiteral("%1: %2.").arg(kNoValido, r.detalle));

    // Committed, and the file already deleted (or kept, and said so) before any notice waits.
    actualizarArchivos();
    if (r.borrado == EstadoBorrado::NoBorrado)
        aviso(QStringLiteral(
                  "Las infracciones se guardaron en la base de datos, pero el archivo \"%1\" no pudo "
                  "borrarse. No vuelva a importarlo: sus datos ya están guardados.")
                  .arg(QDir::toNativeSeparators(ruta)));
    else if (r.borrado == EstadoBorrado::Cambiado)
        aviso(QStringLiteral("Las infracciones se guardaron en la base de datos, pero el archivo \"%1\" "
                             "cambió después de importarse y no se borró: revise su contenido antes de "
                             "importarlo.")
                  .arg(QDir::toNativeSeparators(ruta)));
    MostrarMensaje(QStringLiteral("Infracciones Agregadas a la Base de Datos"), kAviso, Icono::Informacion);
    if (r.omitidos > 0)
        MostrarMensaje(
            QStringLiteral("Registros nuevos guardados: %1. Ya estaban guardados y no se repitieron: %2.")
                .arg(TextoRegistros(r.registros), TextoRegistros(r.omitidos)),
            kAviso, Icono::Informacion);
    // Announced only when it happened: a kept file was reported above.
    if (r.borrado == EstadoBorrado::Borrado)
        MostrarMensaje(QStringLiteral("Se borrara el archivo de infracciones"), kAviso, Icono::Informacion);
    importando_ = false;
    close();
}

void VentanaImportacion::closeEvent(QCloseEvent* evento) {
    // The import writes in one transaction; the window goes when it has finished.
    if (importando_) {
        evento->ignore();
        return;
    }
    evento->accept();
    // Deleted later: the next opening gets a new window rather than this one, which could go
    // in the middle of its work (the progress of an import lets events through).
    UnaVentana<VentanaImportacion>::olvidar(this);
}

#include "windows/import/HistorialImportaciones.h"

#include "core/store/ErrorBD.h"
#include "windows/grid/GridModel.h"
#include "windows/grid/GridView.h"
#include "windows/grid/VistaInfracciones.h"
#include "windows/platform/Dialogos.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/PedirMotivo.h"
#include "windows/platform/UnaVentana.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kTitulo = QStringLiteral("Historial de Importaciones");
const QString kTituloVerificar = QStringLiteral("Verificar archivo");
const QString kFiltroKvd = QStringLiteral("Archivos de inspección (*.kvd);;Todos los archivos (*)");
const QColor kColorCambios(255, 236, 150);
const QColor kColorRetirada(225, 225, 225);

QString lineaImportacion(const ImportacionRegistrada& i) {
    return QStringLiteral("el %1 por %2 en el equipo %3, cliente %4, archivo \"%5\" (%6 guardados)")
        .arg(MomentoTexto(i.momento), i.usuario, i.equipo, i.numeroCliente, i.nombreArchivo,
             TextoRegistros(i.guardados));
}

} // namespace

QString TextoRegistros(qint64 n) {
    return n == 1 ? QStringLiteral("1 registro") : QStringLiteral("%1 registros").arg(NumeroConPuntos(n));
}

QString HuellaCorta(const QString& sha256) {
    return sha256.left(12) + QStringLiteral("…");
}

QString TextoReimportacion(const std::vector<ImportacionRegistrada>& previas) {
    if (previas.empty())
        return QString();
    const ImportacionRegistrada& ultima = previas.back();
    QString texto = QStringLiteral("Este archivo ya fue importado el %1 por %2")
                        .arg(MomentoTexto(ultima.momento), ultima.usuario);
    if (previas.size() > 1)
        texto += QStringLiteral(" (importado %1 veces en total)").arg(previas.size());
    return texto + QStringLiteral(".\n\n¿Desea importarlo nuevamente?");
}

QString TextoConfirmacionImportacion(const QString& numeroCliente, qsizetype total,
                                     const AnalisisImportacion& a) {
    if (a.solapados == 0 && a.cambios.empty())
        return QString();
    QString texto =
        QStringLiteral("Cliente %1: el archivo contiene %2.").arg(numeroCliente, TextoRegistros(total));
    if (!a.cambios.empty())
        texto += QStringLiteral("\n\nLa configuración del equipo cambió desde la importación anterior:\n") +
                 DescribirCambios(a.cambios);
    if (a.solapados == 0)
        return texto + QStringLiteral("\n\n¿Desea importar el archivo?");
    const qsizetype nuevos = total - a.solapados;
    texto += QStringLiteral("\n\n%1 ya %2 para este cliente (misma fecha, hora, estatus y nivel).")
                 .arg(TextoRegistros(a.solapados),
                      a.solapados == 1 ? QStringLiteral("está guardado") : QStringLiteral("están guardados"));
    texto +=
        nuevos == 0 ? QStringLiteral("\n\nSí: no repetirlos (el archivo no tiene registros nuevos).")
        : nuevos == 1
            ? QStringLiteral("\n\nSí: guardar solo el registro nuevo.")
            : QStringLiteral("\n\nSí: guardar solo los %1 registros nuevos.").arg(NumeroConPuntos(nuevos));
    texto += QStringLiteral("\nNo: guardar %1, también los repetidos.").arg(TextoRegistros(total));
    texto += QStringLiteral("\nCancelar: no guardar nada.");
    return texto;
}

QString TextoVerificacion(const QString& nombreArchivo, const QString& sha256,
                          const std::vector<ImportacionRegistrada>& importaciones) {
    const QString archivo = QStringLiteral("El archivo \"%1\"\nSHA-256: %2\n\n").arg(nombreArchivo, sha256);
    if (importaciones.empty())
        return archivo + QStringLiteral("Estos datos nunca fueron importados en este registro.");
    QString texto =
        archivo +
        (importaciones.size() == 1
             ? QStringLiteral("Estos mismos datos fueron importados una vez:")
             : QStringLiteral("Estos mismos datos fueron importados %1 veces:").arg(importaciones.size()));
    for (const ImportacionRegistrada& i : importaciones)
        texto += QStringLiteral("\n• ") + lineaImportacion(i);
    return texto;
}

bool ConfirmarImportacion(const ArchivoImportacion& archivo, const AnalisisImportacion& analisis,
                          bool& omitirSolapados) {
    omitirSolapados = true;
    if (!analisis.previas.empty() &&
        MostrarMensaje(TextoReimportacion(analisis.previas), QStringLiteral("Archivo ya importado"),
                       Icono::Exclamacion, Botones::NoSi) != Respuesta::Si)
        return false;
    const QString texto =
        TextoConfirmacionImportacion(archivo.cabecera.numeroCliente, archivo.registros, analisis);
    if (texto.isEmpty())
        return true;
    const Icono icono = analisis.cambios.empty() ? Icono::Pregunta : Icono::Exclamacion;
    const QString titulo = QStringLiteral("Confirmar importación");
    if (analisis.solapados == 0)
        return MostrarMensaje(texto, titulo, icono, Botones::SiNo) == Respuesta::Si;
    switch (MostrarMensaje(texto, titulo, icono, Botones::SiNoCancelar)) {
    case Respuesta::Si:
        return true;
    case Respuesta::No:
        omitirSolapados = false;
        return true;
    default:
        return false;
    }
}

void VerificarArchivo(Oficina& oficina, QWidget* padre) {
    const QString ruta = DialogoAbrirArchivo(padre, kTituloVerificar, kFiltroKvd);
    if (ruta.isEmpty())
        return;
    QString error;
    const std::optional<QByteArray> datos = leerArchivoInspeccion(ruta, &error);
    if (!datos) {
        MostrarMensaje(error.isEmpty() ? QStringLiteral("El sistema no puede leer el archivo seleccionado")
                                       : error,
                       kTituloVerificar, Icono::Exclamacion);
        return;
    }
    try {
        const std::vector<ImportacionRegistrada> importaciones = oficina.importacionesDeArchivo(*datos);
        MostrarMensaje(TextoVerificacion(QDir::toNativeSeparators(ruta), HuellaSha256(*datos), importaciones),
                       kTituloVerificar, Icono::Informacion);
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
}

void MostrarHistorialImportaciones(Oficina& oficina, QWidget* padre) {
    if (!UnaVentana<HistorialImportaciones>::actual())
        UnaVentana<HistorialImportaciones>::registrar(new HistorialImportaciones(oficina, padre));
    UnaVentana<HistorialImportaciones>::alFrente();
}

HistorialImportaciones* HistorialImportaciones::instancia() {
    return UnaVentana<HistorialImportaciones>::actual();
}

HistorialImportaciones::HistorialImportaciones(Oficina& oficina, QWidget* padre)
    : QDialog(padre, Qt::Window), oficina_(oficina) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("HistorialImportaciones"));
    setWindowTitle(kTitulo);
    construir();
    // Another client, a new import or a deleted one: the list follows the model.
    connect(&oficina_, &Oficina::seleccionCambiada, this, [this] { recargar(); });
    connect(&oficina_, &Oficina::infraccionesCambiadas, this, [this] { recargar(); });
    recargar();
}

void HistorialImportaciones::construir() {
    resize(980, 600);
    auto* raiz = new QVBoxLayout(this);
    tituloCliente_ = new QLabel(this);
    tituloCliente_->setObjectName(QStringLiteral("tituloCliente"));
    raiz->addWidget(tituloCliente_);

    tablaImportaciones_ = new QTableWidget(0, 9, this);
    tablaImportaciones_->setObjectName(QStringLiteral("tablaImportaciones"));
    tablaImportaciones_->setAccessibleName(QStringLiteral("Importaciones del cliente"));
    tablaImportaciones_->setHorizontalHeaderLabels({QStringLiteral("Importado el"), QStringLiteral("Usuario"),
                                                    QStringLiteral("Equipo"), QStringLiteral("Archivo"),
                                                    QStringLiteral("SHA-256"), QStringLiteral("Registros"),
                                                    QStringLiteral("Guardados"), QStringLiteral("Omitidos"),
                                                    QStringLiteral("Cambios de configuración")});
    tablaImportaciones_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tablaImportaciones_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tablaImportaciones_->setSelectionMode(QAbstractItemView::SingleSelection);
    tablaImportaciones_->verticalHeader()->setVisible(false);
    tablaImportaciones_->horizontalHeader()->setStretchLastSection(true);
    tablaImportaciones_->setWordWrap(false);
    raiz->addWidget(tablaImportaciones_, 2);

    auto* botones = new QHBoxLayout;
    const auto boton = [&](QPushButton*& b, const char* nombre, const QString& texto) {
        b = new QPushButton(texto, this);
        b->setObjectName(QString::fromLatin1(nombre));
        b->setAutoDefault(false);
        botones->addWidget(b);
    };
    boton(botonVer_, "botonVer", QStringLiteral("&Ver infracciones"));
    boton(botonGuardar_, "botonGuardar", QStringLiteral("&Guardar original..."));
    boton(botonCopiar_, "botonCopiar", QStringLiteral("&Copiar SHA-256"));
    boton(botonEliminar_, "botonEliminar", QStringLiteral("&Eliminar importación..."));
    boton(botonRestituir_, "botonRestituir", QStringLiteral("&Restituir importación"));
    botones->addStretch();
    boton(botonCerrar_, "botonCerrar", QStringLiteral("C&errar"));
    raiz->addLayout(botones);

    tituloInfracciones_ = new QLabel(this);
    tituloInfracciones_->setObjectName(QStringLiteral("tituloInfracciones"));
    raiz->addWidget(tituloInfracciones_);
    grid_ = new GridModel(this);
    vista_ = new GridView(grid_, this);
    vista_->setObjectName(QStringLiteral("gridInfracciones"));
    vista_->setAccessibleName(QStringLiteral("Infracciones de la importación"));
    tituloInfracciones_->setBuddy(vista_);
    raiz->addWidget(vista_, 3);

    connect(tablaImportaciones_, &QTableWidget::currentCellChanged, this, [this] { permitirAcciones(); });
    connect(tablaImportaciones_, &QTableWidget::cellDoubleClicked, this, [this] { verInfracciones(); });
    connect(botonVer_, &QPushButton::clicked, this, &HistorialImportaciones::verInfracciones);
    connect(botonGuardar_, &QPushButton::clicked, this, &HistorialImportaciones::guardarOriginal);
    connect(botonCopiar_, &QPushButton::clicked, this, &HistorialImportaciones::copiarHuella);
    connect(botonEliminar_, &QPushButton::clicked, this, &HistorialImportaciones::eliminar);
    connect(botonRestituir_, &QPushButton::clicked, this, &HistorialImportaciones::restituir);
    connect(botonCerrar_, &QPushButton::clicked, this, &QDialog::close);
    auto* copiar = new QShortcut(QKeySequence::Copy, tablaImportaciones_);
    copiar->setContext(Qt::WidgetShortcut);
    connect(copiar, &QShortcut::activated, this, &HistorialImportaciones::copiarHuella);
}

void HistorialImportaciones::recargar() {
    filas_ = FilasInfraccion();
    grid_->clear();
    tituloInfracciones_->setText(QStringLiteral("Elija una importación y pulse \"Ver infracciones\"."));
    importaciones_.clear();
    const std::optional<Cliente>& cliente = oficina_.clienteSeleccionado();
    tituloCliente_->setText(cliente ? QStringLiteral("Cliente %1 — %2").arg(cliente->numero, cliente->nombre)
                                    : QStringLiteral("No hay ningún cliente seleccionado."));
    try {
        importaciones_ = oficina_.historialSeleccionado();
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
    tablaImportaciones_->setRowCount(0);
    tablaImportaciones_->setRowCount(static_cast<int>(importaciones_.size()));
    for (int f = 0; f < tablaImportaciones_->rowCount(); ++f) {
        const ImportacionRegistrada& i = importaciones_[static_cast<size_t>(f)];
        const QString cambios = i.cambios;
        // A withdrawn import stays listed, marked, so it can be brought back.
        const QString celdas[] = {i.retirada ? MomentoTexto(i.momento) + QStringLiteral(" (eliminada)")
                                             : MomentoTexto(i.momento),
                                  i.usuario,
                                  i.equipo,
                                  i.nombreArchivo,
                                  HuellaCorta(i.sha256),
                                  NumeroConPuntos(i.registros),
                                  NumeroConPuntos(i.guardados),
                                  NumeroConPuntos(i.omitidos),
                                  QString(cambios).replace(QLatin1Char('\n'), QStringLiteral("; "))};
        for (int c = 0; c < 9; ++c) {
            auto* item = new QTableWidgetItem(celdas[c]);
            if (c >= 5 && c <= 7)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == 4)
                item->setToolTip(i.sha256);
            if (!cambios.isEmpty()) {
                // A maximum level or calibration changed between inspections must stand out.
                item->setBackground(kColorCambios);
                item->setToolTip(c == 4 ? i.sha256 : QStringLiteral("Cambios de configuración:\n") + cambios);
            }
            if (i.retirada) {
                item->setBackground(kColorRetirada);
                item->setForeground(Qt::darkGray);
            }
            tablaImportaciones_->setItem(f, c, item);
        }
    }
    tablaImportaciones_->resizeColumnsToContents();
    if (!importaciones_.empty())
        tablaImportaciones_->setCurrentCell(0, 0);
    permitirAcciones();
}

const ImportacionRegistrada* HistorialImportaciones::actual() const {
    const int f = tablaImportaciones_->currentRow();
    if (f < 0 || f >= static_cast<int>(importaciones_.size()))
        return nullptr;
    return &importaciones_[static_cast<size_t>(f)];
}

void HistorialImportaciones::permitirAcciones() {
    const bool hay = actual() != nullptr;
    botonVer_->setEnabled(hay);
    botonGuardar_->setEnabled(hay);
    botonCopiar_->setEnabled(hay);
    // Rights from the login, never from the screen.
    const bool retirada = hay && actual()->retirada;
    botonEliminar_->setEnabled(hay && !retirada && oficina_.esAdministrador());
    botonRestituir_->setEnabled(retirada && oficina_.esAdministrador());
}

void HistorialImportaciones::elegirFila(int fila) {
    tablaImportaciones_->setCurrentCell(fila, 0);
}

void HistorialImportaciones::copiarHuella() {
    if (const ImportacionRegistrada* i = actual())
        QGuiApplication::clipboard()->setText(i->sha256);
}

void HistorialImportaciones::verInfracciones() {
    const ImportacionRegistrada* i = actual();
    if (!i)
        return;
    try {
        filas_ = oficina_.infraccionesDeImportacion(i->id);
    } catch (const ErrorBD& e) {
        MostrarError(e);
        return;
    }
    MostrarInfracciones(*grid_, filas_, vista_->font());
    tituloInfracciones_->setText(QStringLiteral("Infracciones de la importación del %1 (%2):")
                                     .arg(MomentoTexto(i->momento), TextoRegistros(i->guardados)));
}

void HistorialImportaciones::guardarOriginal() {
    const ImportacionRegistrada* i = actual();
    if (!i)
        return;
    Original original;
    try {
        original = oficina_.originalImportacion(*i);
    } catch (const ErrorBD& e) {
        MostrarError(e);
        return;
    }
    if (original.estado == EstadoOriginal::Falta) {
        MostrarMensaje(QStringLiteral("No se conserva el archivo original de esta importación."), kTitulo,
                       Icono::Exclamacion);
        return;
    }
    if (original.estado == EstadoOriginal::Danado) {
        MostrarMensaje(
            QStringLiteral("El archivo original guardado de esta importación está dañado: sus datos no "
                           "coinciden con el SHA-256 registrado (%1). No se guardó ningún archivo. "
                           "Restaure una copia de seguridad de la base de datos.")
                .arg(i->sha256),
            kTitulo, Icono::Critico);
        return;
    }
    const QString ruta =
        ElegirArchivoGuardar(this, QStringLiteral("Guardar original"), kFiltroKvd, QStringLiteral(".kvd"));
    if (ruta.isEmpty())
        return;
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly) || archivo.write(original.datos) != original.datos.size() ||
        !archivo.commit()) {
        MostrarMensaje(QStringLiteral("No se pudo guardar \"%1\".").arg(QDir::toNativeSeparators(ruta)),
                       kTitulo, Icono::Critico, Botones::Aceptar, archivo.errorString());
        return;
    }
    MostrarMensaje(QStringLiteral("Se guardó el archivo original en \"%1\".\nSHA-256: %2")
                       .arg(QDir::toNativeSeparators(ruta), i->sha256),
                   kTitulo, Icono::Informacion);
}

void HistorialImportaciones::eliminar() {
    const ImportacionRegistrada* i = actual();
    if (!i || !oficina_.esAdministrador())
        return;
    const ImportacionRegistrada elegida = *i;
    try {
        const qint64 filas = oficina_.registrosDeImportacion(elegida.id);
        if (MostrarMensaje(
                QStringLiteral("Se eliminará la importación del %1 (archivo \"%2\") y %3 de infracciones "
                               "que guardó. El archivo original queda guardado como eliminado, y el "
                               "Administrador puede restituir la importación.\n\n¿Desea continuar?")
                    .arg(MomentoTexto(elegida.momento), elegida.nombreArchivo, TextoRegistros(filas)),
                QStringLiteral("Eliminar importación"), Icono::Exclamacion, Botones::NoSi) != Respuesta::Si)
            return;
        const QString motivo =
            PedirMotivo(this, QStringLiteral("Eliminar importación"),
                        QStringLiteral("Escriba el motivo por el que se elimina la importación del %1.")
                            .arg(MomentoTexto(elegida.momento)));
        if (motivo.isEmpty())
            return;
        const qint64 borradas = oficina_.eliminarImportacion(elegida.id, motivo);
        MostrarMensaje(
            QStringLiteral("Se eliminó la importación y %1 de infracciones.").arg(TextoRegistros(borradas)),
            kTitulo, Icono::Informacion);
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
}

void HistorialImportaciones::restituir() {
    const ImportacionRegistrada* i = actual();
    if (!i || !i->retirada || !oficina_.esAdministrador())
        return;
    const ImportacionRegistrada elegida = *i;
    try {
        if (MostrarMensaje(
                QStringLiteral("Se restituirá la importación del %1 (archivo \"%2\"): sus registros "
                               "de infracciones vuelven tal como estaban.\n\n¿Desea continuar?")
                    .arg(MomentoTexto(elegida.momento), elegida.nombreArchivo),
                QStringLiteral("Restituir importación"), Icono::Pregunta, Botones::NoSi) != Respuesta::Si)
            return;
        const qint64 filas = oficina_.restituirImportacion(elegida.id);
        MostrarMensaje(
            QStringLiteral("Se restituyó la importación con %1 de infracciones.").arg(TextoRegistros(filas)),
            kTitulo, Icono::Informacion);
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
}

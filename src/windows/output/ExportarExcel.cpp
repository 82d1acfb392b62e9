#include "windows/output/ExportarExcel.h"

#include "core/output/GuardarEmitido.h"

#include "core/Oficina.h"
#include "core/output/LibroExcel.h"
#include "windows/platform/Dialogos.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/UnaVentana.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

const QString kSinCliente =
    QStringLiteral("¡No hay clientes para exportar a excel o no lo seleccionó del listado!");
const QString kTituloSinCliente = QStringLiteral("Seleccione o cree un Cliente");

// Client fields on the left, premises fields on the right, by option number.
struct Casilla {
    int numero;
    const char* titulo;
};
constexpr Casilla kCliente[] = {
    {1, "Numero de Cliente"}, {2, "Nombre y Apellido"},
    {3, "Direccion"},         {4, "Localidad"},
    {5, "Codigo Postal"},     {6, "Partido"},
    {7, "Provincia"},         {8, "Telefono"},
    {9, "Telefono Movil"},    {10, "Email"},
    {12, "Fecha de Alta"},    {11, "Notas"},
};
constexpr Casilla kLocal[] = {
    {13, "Nombre del Local"},  {21, "Direccion del Local"},         {20, "Localidad del Local"},
    {19, "Partido del Local"}, {18, "Provincia del Local"},         {22, "Telefono del Local"},
    {17, "Email del Local"},   {16, "Ultima Inspeccion del Local"}, {14, "Anterior Inspeccion del Local"},
};

bool hayCliente(const Oficina& oficina) {
    if (oficina.clienteSeleccionado())
        return true;
    MostrarMensaje(kSinCliente, kTituloSinCliente, Icono::Informacion);
    return false;
}

} // namespace

void ExportarExcel::Mostrar(Oficina& oficina) {
    if (!hayCliente(oficina))
        return;
    if (UnaVentana<ExportarExcel>::actual() && &UnaVentana<ExportarExcel>::actual()->oficina_ != &oficina)
        delete UnaVentana<ExportarExcel>::actual();
    if (!UnaVentana<ExportarExcel>::actual())
        UnaVentana<ExportarExcel>::registrar(new ExportarExcel(oficina));
    UnaVentana<ExportarExcel>::alFrente();
}

ExportarExcel* ExportarExcel::instancia() {
    return UnaVentana<ExportarExcel>::actual();
}

ExportarExcel::~ExportarExcel() {
    UnaVentana<ExportarExcel>::olvidar(this);
}

ExportarExcel::ExportarExcel(Oficina& oficina) : QWidget(nullptr, Qt::Window), oficina_(oficina) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Never outlive the model it exports from.
    connect(&oficina, &QObject::destroyed, this, [this] { delete this; });
    setObjectName(QStringLiteral("ExportarExcel"));
    setWindowTitle(QStringLiteral("Exportar Datos a Excel"));

    auto* columnas = new QGridLayout;
    auto agregar = [&](const Casilla& c, int fila, int columna) {
        auto* caja = new QCheckBox(QString::fromUtf8(c.titulo), this);
        caja->setObjectName(QStringLiteral("columna%1").arg(c.numero));
        casillas_[static_cast<size_t>(c.numero)] = caja;
        columnas->addWidget(caja, fila, columna);
    };
    int fila = 0;
    for (const Casilla& c : kCliente)
        agregar(c, fila++, 0);
    fila = 0;
    for (const Casilla& c : kLocal)
        agregar(c, fila++, 1);
    columnas->setColumnStretch(2, 1);
    columnas->setHorizontalSpacing(24);

    auto boton = [this](const char* nombre, const QString& texto) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(QString::fromLatin1(nombre));
        b->setAutoDefault(false);
        return b;
    };
    auto* botonMarcar = boton("botonMarcarTodos", QStringLiteral("Marcar Todos"));
    auto* botonDesmarcar = boton("botonDesmarcarTodos", QStringLiteral("Desmarcar Todos"));
    auto* botonExportar = boton("botonExportar", QStringLiteral("Exportar"));
    auto* botonVolver = boton("botonVolver", QStringLiteral("Cancelar y Volver"));
    auto* botones = new QHBoxLayout;
    botones->addWidget(botonMarcar);
    botones->addWidget(botonDesmarcar);
    botones->addStretch(1);
    botones->addWidget(botonExportar);
    botones->addWidget(botonVolver);

    auto* principal = new QVBoxLayout(this);
    principal->addLayout(columnas);
    principal->addSpacing(8);
    principal->addLayout(botones);

    connect(botonMarcar, &QPushButton::clicked, this, [this] { marcarTodos(true); });
    connect(botonDesmarcar, &QPushButton::clicked, this, [this] { marcarTodos(false); });
    connect(botonVolver, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);
    connect(botonExportar, &QPushButton::clicked, this, &ExportarExcel::exportar);
}

void ExportarExcel::marcarTodos(bool marcar) {
    for (QCheckBox* c : casillas_)
        if (c)
            c->setChecked(marcar);
}

OpcionesLibro ExportarExcel::opciones() const {
    const auto marcada = [this](size_t numero) {
        return casillas_[numero] && casillas_[numero]->isChecked();
    };
    OpcionesLibro o;
    o.numero = marcada(1);
    o.nombre = marcada(2);
    o.direccion = marcada(3);
    o.localidad = marcada(4);
    o.codigoPostal = marcada(5);
    o.partido = marcada(6);
    o.provincia = marcada(7);
    o.telefono = marcada(8);
    o.telefonoMovil = marcada(9);
    o.email = marcada(10);
    o.notas = marcada(11);
    o.fechaAlta = marcada(12);
    o.nombreLocal = marcada(13);
    o.anteriorInspeccion = marcada(14);
    o.ultimaInspeccion = marcada(16);
    o.emailLocal = marcada(17);
    o.provinciaLocal = marcada(18);
    o.partidoLocal = marcada(19);
    o.localidadLocal = marcada(20);
    o.direccionLocal = marcada(21);
    o.telefonoLocal = marcada(22);
    return o;
}

void ExportarExcel::exportar() {
    // The main window stays usable meanwhile: the selection may have moved to no client.
    if (!hayCliente(oficina_))
        return;

    const QString ruta =
        ElegirArchivoGuardar(this, QStringLiteral("Escriba el nombre del archivo a guardar los datos"),
                             QStringLiteral("Libro de Excel (*.xlsx)"), QStringLiteral(".xlsx"));
    if (ruta.isEmpty())
        return; // cancelled or not to be replaced: nothing exported, the options stay as they are

    EntradaLibro entrada = oficina_.entradaLibro(opciones());
    EmisionPreparada emision;
    try {
        emision = oficina_.prepararEmision(oficina_.pedidoEmision(QStringLiteral("libro")));
        entrada.sello = emision.sello;
    } catch (const ErrorBD& e) {
        MostrarMensaje(QStringLiteral("No se pudo emitir el libro: ") + e.descripcion(), QString(),
                       Icono::Critico);
        return;
    }
    // Modal to the whole program while it lasts: only its own "Cancelar" can be pressed.
    QProgressDialog progreso(QStringLiteral("Exportando las infracciones al libro de Excel…"),
                             QStringLiteral("Cancelar"), 0, static_cast<int>(entrada.infracciones.size()),
                             this);
    progreso.setObjectName(QStringLiteral("Progreso"));
    progreso.setWindowTitle(QStringLiteral("Exportar a Excel"));
    progreso.setAccessibleName(QStringLiteral("Progreso de la exportación"));
    progreso.setWindowModality(Qt::ApplicationModal);
    progreso.setMinimumDuration(300);
    progreso.setAutoReset(false);
    entrada.avance = [&progreso](qsizetype hechas, qsizetype) {
        progreso.setValue(static_cast<int>(hechas));
        // Input only once the progress is up (it shows after a moment).
        QCoreApplication::processEvents(progreso.isVisible() ? QEventLoop::AllEvents
                                                             : QEventLoop::ExcludeUserInputEvents);
        return !progreso.wasCanceled();
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Recorded only once the workbook is complete; a cancelled or failed one issues nothing.
    ResultadoLibro r;
    r.ok = GuardarEmitido(
        ruta,
        [&](const QString& archivo, QString* motivo) {
            r = CrearLibroExcel(entrada, archivo);
            *motivo = r.error;
            return r.ok;
        },
        [&](const std::function<void()>& mover) { oficina_.anotarEmision(emision, mover); }, &r.error);
    QApplication::restoreOverrideCursor();
    progreso.close();
    if (r.cancelado) {
        // Nothing was written; the options stay for another try.
        MostrarMensaje(r.error, QStringLiteral("Exportar a Excel"), Icono::Informacion);
        return;
    }
    if (r.ok)
        MostrarMensaje(QStringLiteral("Datos exportados correctamente!"), QStringLiteral("Datos Exportados"),
                       Icono::Informacion);
    else
        MostrarMensaje(r.error, QString(), Icono::Critico);
    close();
}

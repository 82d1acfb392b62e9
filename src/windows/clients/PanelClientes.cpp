#include "windows/clients/PanelClientes.h"

#include "core/Oficina.h"
#include "core/clients/Cliente.h"
#include "core/store/ErrorBD.h"
#include "windows/grid/GridModel.h"
#include "windows/grid/GridView.h"
#include "windows/grid/OrdenPorCabecera.h"
#include "windows/platform/CursorEspera.h"
#include "windows/platform/Mensajes.h"

#include <QVBoxLayout>

namespace {

const char* const kFormatoLista =
    "id | Num. Cliente | Nombre | Direccion | Localidad | C.P. | Partido | Provincia | "
    "Telefono | Tel. Movil | Email | Fecha de Alta | Nombre Local";

// Names of the columns the list keeps hidden (premises, inspections, notes).
const char* const kColumnasOcultas =
    "DireccionLocal|LocalidadLocal|PartidoLocal|ProvinciaLocal|TelefonoLocal|"
    "EmailLocal|UltimaInspeccionFecha|UltimaInspeccionHora|"
    "AnteriorInspeccionFecha|AnteriorInspeccionHora|Notas";

// Columns 1..12 are the visible client data; the rest feed the premises fields below.
constexpr int kColumnasVisibles = 13;
constexpr int kUltimaColumnaOculta = 31;
constexpr int kColumnaNumero = 1;
constexpr int kColumnaLocalidad = 4;

} // namespace

PanelClientes::PanelClientes(Oficina& oficina, QWidget* parent)
    : QGroupBox(QStringLiteral("Listado de Clientes"), parent), oficina_(oficina) {
    setObjectName(QStringLiteral("panelClientes"));
    auto* lista = new QVBoxLayout(this);
    lista->setContentsMargins(4, 2, 4, 4);
    QFont fuenteGrilla(QStringLiteral("Arial"));
    fuenteGrilla.setPointSizeF(font().pointSizeF());
    listaClientes_ = new GridModel(this);
    listaClientes_->setObjectName(QStringLiteral("listaClientes"));
    vista_ = new GridView(listaClientes_);
    vista_->setObjectName(QStringLiteral("vistaClientes"));
    vista_->setFont(fuenteGrilla);
    vista_->setAccessibleName(QStringLiteral("Listado de Clientes"));
    vista_->setMinimumHeight(120);
    lista->addWidget(vista_);

    connect(listaClientes_, &GridModel::cambioFilaColumna, this, [this] { seleccionarFilaActual(); });
    connect(vista_, &GridView::clic, this, [this](int fila, int col) {
        if (fila == 0)
            ordenarPorColumna(col);
    });
    // Keyboard users sort too: Ctrl+O acts as a click on the current column's header.
    vista_->installEventFilter(this);
    vista_->setToolTip(
        QStringLiteral("Haga clic en un encabezado (o pulse Ctrl+O) para ordenar por esa columna"));
}

PanelClientes::~PanelClientes() {
    delete vista_; // the view goes before the grid it shows
}

void PanelClientes::mostrarClientes() {
    QStringList columnas = QString::fromLatin1(kFormatoLista).split(QLatin1Char('|'));
    columnas << QString::fromLatin1(kColumnasOcultas).split(QLatin1Char('|'));
    auto indices = std::make_shared<const std::vector<quint32>>(oficina_.indicesListados());
    listaClientes_->bind(columnas, indices->size(),
                         [todos = oficina_.todosLosClientes(), indices](std::size_t i, int col) {
                             return i < indices->size() ? todos->texto((*indices)[i], col) : QString();
                         });
    formatear();
    resaltarSeleccionado();
}

void PanelClientes::resaltarSeleccionado() {
    int destino = 0;
    const qint64 id = oficina_.idSeleccionado();
    if (const auto i = oficina_.posicionListada(id)) {
        // Wherever a sort moved it: the grid row that shows that listed row, when the grid shows
        // the list as it is now (its id says so); otherwise the row with that id.
        const QString clave = QString::number(id);
        for (int f = 1; f < listaClientes_->rows() && destino == 0; ++f)
            if (listaClientes_->rowTag(f) == static_cast<int>(*i) &&
                listaClientes_->textMatrix(f, 0) == clave)
                destino = f;
        for (int f = 1; f < listaClientes_->rows() && destino == 0; ++f)
            if (listaClientes_->textMatrix(f, 0) == clave)
                destino = f;
        if (destino > 0 && listaClientes_->rowHidden(destino))
            destino = 0;
    }
    resaltando_ = true;
    listaClientes_->setRow(destino);
    resaltando_ = false;
}

void PanelClientes::formatear() {
    listaClientes_->setRedraw(false);
    listaClientes_->setFormatString(QLatin1String(kFormatoLista));
    for (int c = 0; c < listaClientes_->cols(); ++c)
        listaClientes_->setColAlignment(c, Qt::AlignCenter);
    ajustarAnchoColumnas(kColumnasVisibles);
    listaClientes_->setColWidth(0, 0);
    for (int c = kColumnasVisibles; c <= kUltimaColumnaOculta && c < listaClientes_->cols(); ++c)
        listaClientes_->setColWidth(c, 0);
    // Just bound: grid row i + 1 shows listed row i.
    for (const std::size_t i : oficina_.marcadoresListados())
        listaClientes_->setRowHeight(static_cast<int>(i) + 1, 0);
    listaClientes_->setRedraw(true);
}

void PanelClientes::ajustarAnchoColumnas(int columnas) {
    GridModel& grid = *listaClientes_;
    const QFont fuente = vista_->font();
    const bool redibujo = grid.redraw();
    try {
        // The list a search shows is part of the one read: its texts were estimated then.
        if (lecturaEstimada_ != oficina_.lecturaClientes() || estimacion_.columnas != columnas) {
            estimacion_ =
                EstimarAnchos(oficina_.todosLosClientes(), fuente, columnas, std::move(estimacion_));
            lecturaEstimada_ = oficina_.lecturaClientes();
        }
        const std::vector<int> anchos =
            AnchosColumnas(grid, fuente, columnas, estimacion_, oficina_.indicesListados());
        grid.setRedraw(false);
        for (size_t c = 0; c < anchos.size(); ++c)
            grid.setColWidth(static_cast<int>(c), anchos[c]);
    } catch (const std::exception& e) {
        MostrarMensaje(QString::fromUtf8(e.what()), QString(), Icono::Critico);
        grid.setRedraw(true);
        return;
    }
    grid.setRedraw(redibujo);
}

void PanelClientes::seleccionarFilaActual() {
    if (resaltando_)
        return;
    const int f = listaClientes_->row();
    qint64 id = 0;
    if (f >= 1 && !EsRegistroMarcador(listaClientes_->textMatrix(f, kColumnaNumero),
                                      listaClientes_->textMatrix(f, kColumnaLocalidad)))
        id = listaClientes_->textMatrix(f, 0).toLongLong();
    if (id == oficina_.idSeleccionado())
        return; // another column of the same row
    try {
        const CursorEspera espera; // a client with years of rows takes a moment
        oficina_.seleccionar(id);
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
}

void PanelClientes::ordenarPorColumna(int col) {
    // The selected client stays the highlighted one.
    OrdenarPorCabecera(*listaClientes_, ascendente_, col, [this] { resaltarSeleccionado(); });
}

bool PanelClientes::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == vista_ && EsTeclaOrdenar(evento)) {
        ordenarPorColumna(ColumnaActual(*vista_));
        return true;
    }
    return QGroupBox::eventFilter(objeto, evento);
}

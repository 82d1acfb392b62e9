#include "windows/charts/VentanaGrafico.h"

#include "core/Oficina.h"
#include "windows/charts/GraficoNiveles.h"
#include "windows/charts/MapaSemanalVista.h"
#include "windows/estatus/ColoresEstatus.h"
#include "windows/platform/Dialogos.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/UnaVentana.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kTitulo = QStringLiteral("Gráfico de Niveles");

QString tituloCliente(const Oficina& oficina) {
    const std::optional<Cliente>& c = oficina.clienteSeleccionado();
    if (!c)
        return kTitulo;
    return kTitulo + QStringLiteral(" - ") + c->nombre +
           (c->nombreLocal.isEmpty() ? QString() : QStringLiteral(" (") + c->nombreLocal + QLatin1Char(')'));
}

// A widget drawn into a picture at its own size, at twice the pixels when asked.
QImage pintar(QWidget& w, qreal escala = 1) {
    QImage imagen(w.size() * escala, QImage::Format_ARGB32_Premultiplied);
    imagen.setDevicePixelRatio(escala);
    imagen.fill(Qt::white);
    QPainter p(&imagen);
    w.render(&p);
    p.end();
    return imagen;
}

} // namespace

void VentanaGrafico::Mostrar(Oficina& oficina) {
    if (!oficina.clienteSeleccionado()) {
        MostrarMensaje(QStringLiteral("¡No hay clientes para graficar o no lo seleccionó del listado!"),
                       QStringLiteral("Seleccione o cree un Cliente"), Icono::Informacion);
        return;
    }
    if (!HayFilasInfraccion(oficina.infracciones())) {
        MostrarMensaje(QStringLiteral("El cliente seleccionado no tiene infracciones para graficar."),
                       kTitulo, Icono::Informacion);
        return;
    }
    if (UnaVentana<VentanaGrafico>::actual() && &UnaVentana<VentanaGrafico>::actual()->oficina_ != &oficina)
        delete UnaVentana<VentanaGrafico>::actual();
    if (!UnaVentana<VentanaGrafico>::actual())
        UnaVentana<VentanaGrafico>::registrar(new VentanaGrafico(oficina));
    UnaVentana<VentanaGrafico>::alFrente();
}

VentanaGrafico* VentanaGrafico::instancia() {
    return UnaVentana<VentanaGrafico>::actual();
}

VentanaGrafico::~VentanaGrafico() {
    UnaVentana<VentanaGrafico>::olvidar(this);
}

VentanaGrafico::VentanaGrafico(Oficina& oficina) : QWidget(nullptr, Qt::Window), oficina_(oficina) {
    setAttribute(Qt::WA_DeleteOnClose);
    connect(&oficina, &QObject::destroyed, this, [this] { delete this; });
    setObjectName(QStringLiteral("VentanaGrafico"));
    setAccessibleName(kTitulo);

    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(6, 6, 6, 6);
    resumen_ = new QLabel;
    resumen_->setObjectName(QStringLiteral("Resumen"));
    resumen_->setWordWrap(true);
    principal->addWidget(resumen_);

    vistas_ = new QTabWidget;
    vistas_->setObjectName(QStringLiteral("Vistas"));
    vistas_->setAccessibleName(QStringLiteral("Vistas del gráfico"));

    auto* pagNiveles = new QWidget;
    auto* niveles = new QVBoxLayout(pagNiveles);
    niveles->setContentsMargins(2, 2, 2, 2);
    grafico_ = new GraficoNiveles;
    niveles->addWidget(grafico_, 1);
    senalado_ = new QLabel(QStringLiteral(" "));
    senalado_->setObjectName(QStringLiteral("PuntoSenalado"));
    senalado_->setAccessibleName(QStringLiteral("Punto señalado"));
    senalado_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    niveles->addWidget(senalado_);
    vistas_->addTab(pagNiveles, QStringLiteral("&Nivel en el tiempo"));

    auto* pagSemana = new QWidget;
    auto* semana = new QVBoxLayout(pagSemana);
    semana->setContentsMargins(2, 2, 2, 2);
    auto* fila = new QHBoxLayout;
    auto* etiqueta = new QLabel(QStringLiteral("&Mostrar:"));
    modoMapa_ = new QComboBox;
    modoMapa_->setObjectName(QStringLiteral("ModoMapa"));
    etiqueta->setBuddy(modoMapa_);
    modoMapa_->setAccessibleName(QStringLiteral("Mostrar"));
    fila->addWidget(etiqueta);
    fila->addWidget(modoMapa_);
    leyendaMapa_ = new QLabel;
    leyendaMapa_->setObjectName(QStringLiteral("LeyendaMapa"));
    leyendaMapa_->setTextFormat(Qt::RichText);
    leyendaMapa_->setWordWrap(true);
    fila->addWidget(leyendaMapa_, 1);
    semana->addLayout(fila);
    mapa_ = new MapaSemanalVista;
    semana->addWidget(mapa_, 1);
    vistas_->addTab(pagSemana, QStringLiteral("&Semana por hora"));
    principal->addWidget(vistas_, 1);

    auto* botones = new QHBoxLayout;
    verTodo_ = new QPushButton(QStringLiteral("&Ver todo el período"));
    verTodo_->setObjectName(QStringLiteral("VerTodo"));
    guardar_ = new QPushButton(QStringLiteral("&Guardar imagen..."));
    guardar_->setObjectName(QStringLiteral("GuardarImagen"));
    guardar_->setToolTip(QStringLiteral("Guardar la vista actual como imagen PNG o documento PDF"));
    cerrar_ = new QPushButton(QStringLiteral("&Cerrar"));
    cerrar_->setObjectName(QStringLiteral("Cerrar"));
    for (QPushButton* b : {verTodo_, guardar_, cerrar_})
        b->setAutoDefault(false);
    botones->addWidget(verTodo_);
    botones->addStretch(1);
    botones->addWidget(guardar_);
    botones->addWidget(cerrar_);
    principal->addLayout(botones);

    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this, &QWidget::close);
    connect(cerrar_, &QPushButton::clicked, this, &QWidget::close);
    connect(verTodo_, &QPushButton::clicked, this, [this] { grafico_->verTodo(); });
    connect(guardar_, &QPushButton::clicked, this, [this] { guardarImagen(); });
    connect(grafico_, &GraficoNiveles::puntoSenalado, this,
            [this](const QString& t) { senalado_->setText(t.isEmpty() ? QStringLiteral(" ") : t); });
    connect(vistas_, &QTabWidget::currentChanged, this, [this](int i) {
        verTodo_->setEnabled(i == 0);
        if (i == 1)
            mostrarMapa();
    });
    connect(modoMapa_, &QComboBox::activated, this, [this] { cambiarModoMapa(); });

    connect(&oficina_, &Oficina::seleccionCambiada, this, [this] { recargar(); });
    connect(&oficina_, &Oficina::infraccionesCambiadas, this, [this] { recargar(); });
    connect(&oficina_, &Oficina::rangoCambiado, this, [this] { recargar(); });

    resize(1000, 640);
    recargar();
}

void VentanaGrafico::recargar() {
    setWindowTitle(tituloCliente(oficina_));
    const FilasInfraccion& filas = oficina_.infracciones();
    auto serie =
        std::make_shared<SerieNiveles>(SerieDeFilas(filas, oficina_.fechaInicio(), oficina_.fechaFin()));
    QString resumen = DescribirSerie(*serie);
    if (serie->ilegibles > 0)
        resumen += QStringLiteral(" %1 filas sin fecha, hora o nivel legibles no se muestran.")
                       .arg(serie->ilegibles);
    resumen_->setText(resumen);
    grafico_->setSerie(std::move(serie));
    // The map is counted when it is looked at: most visits only want the levels.
    mapaAlDia_ = false;
    if (vistas_->currentIndex() == 1)
        mostrarMapa();
}

void VentanaGrafico::mostrarMapa() {
    if (mapaAlDia_)
        return;
    mapaAlDia_ = true;
    MapaSemanal m = ContarSemanaHora(oficina_.infracciones(), oficina_.fechaInicio(), oficina_.fechaFin());
    const int modo = mapa_->modelo().modo();
    const QString estatusElegido = modo >= 0 ? mapa_->modelo().mapa().estatus.value(modo) : QString();
    modoMapa_->clear();
    modoMapa_->addItem(QStringLiteral("Todas las infracciones"), ModeloMapaSemanal::kTodos);
    modoMapa_->addItem(QStringLiteral("Una línea por estatus"), ModeloMapaSemanal::kPorEstatus);
    for (qsizetype e = 0; e < m.estatus.size(); ++e)
        modoMapa_->addItem(QStringLiteral("Solo ") + (m.estatus.at(e).isEmpty()
                                                          ? QStringLiteral("(sin estatus)")
                                                          : m.estatus.at(e)),
                           static_cast<int>(e));
    // The same choice stays when the data changes, as long as it still exists.
    int nuevoModo = modo < 0 ? modo : static_cast<int>(m.estatus.indexOf(estatusElegido));
    if (nuevoModo == -1 && modo >= 0)
        nuevoModo = ModeloMapaSemanal::kTodos;
    mapa_->modelo().setMapa(std::move(m));
    mapa_->modelo().setModo(nuevoModo);
    modoMapa_->setCurrentIndex(modoMapa_->findData(mapa_->modelo().modo()));
    cambiarModoMapa();
}

void VentanaGrafico::cambiarModoMapa() {
    ModeloMapaSemanal& modelo = mapa_->modelo();
    modelo.setModo(modoMapa_->currentData().toInt());
    // Which line is which status: the order of the lines, top to bottom.
    QString leyenda;
    if (modelo.modo() == ModeloMapaSemanal::kPorEstatus) {
        leyenda = QStringLiteral("Líneas de arriba abajo:");
        for (const QString& e : modelo.mapa().estatus)
            leyenda += QStringLiteral("&nbsp; <span style=\"color:%1\">&#9632;</span>&nbsp;%2")
                           .arg(ColorEstatus(e).name(),
                                (e.isEmpty() ? QStringLiteral("(sin estatus)") : e).toHtmlEscaped());
    }
    leyendaMapa_->setText(leyenda);
}

void VentanaGrafico::mostrarVista(int vista) {
    vistas_->setCurrentIndex(vista);
}

QImage VentanaGrafico::imagenVista() const {
    if (vistas_->currentIndex() == 1)
        return pintar(*mapa_, 2);
    return pintar(*grafico_, 2);
}

bool VentanaGrafico::guardarVista(const QString& ruta) const {
    // Written aside and renamed at the end: a failed save leaves the old file as it was.
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly))
        return false;
    bool bien = false;
    if (ruta.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        QWidget& vista = vistas_->currentIndex() == 1 ? static_cast<QWidget&>(*mapa_) : *grafico_;
        QPdfWriter pdf(&archivo);
        pdf.setTitle(windowTitle());
        pdf.setCreator(QStringLiteral("Sistema de Adquisición de Datos"));
        pdf.setPageOrientation(QPageLayout::Landscape);
        QPainter p;
        if (p.begin(&pdf)) {
            // Scaled to the page, drawn as lines and text rather than pixels.
            const double escala =
                std::min(pdf.width() / double(vista.width()), pdf.height() / double(vista.height()));
            p.scale(escala, escala);
            vista.render(&p, QPoint(), QRegion(), QWidget::DrawChildren);
            bien = p.end();
        }
    } else {
        bien = imagenVista().save(&archivo, "PNG");
    }
    if (!bien) {
        archivo.cancelWriting();
        return false;
    }
    return archivo.commit();
}

void VentanaGrafico::guardarImagen() {
    const QString escrito = DialogoGuardarArchivo(
        this, QStringLiteral("Guardar imagen"), QStringLiteral("Imagen PNG (*.png);;Documento PDF (*.pdf)"));
    if (escrito.isEmpty())
        return;
    const QString ruta = escrito.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)
                             ? escrito
                             : NombreConExtension(escrito, QStringLiteral(".png"));
    if (ruta != escrito && QFileInfo::exists(ruta) &&
        MostrarMensaje(QStringLiteral("El archivo \"%1\" ya existe.\n¿Desea reemplazarlo?")
                           .arg(QDir::toNativeSeparators(ruta)),
                       windowTitle(), Icono::Pregunta, Botones::SiNo) != Respuesta::Si)
        return;
    if (!guardarVista(ruta))
        MostrarMensaje(QStringLiteral("No se pudo guardar la imagen en el archivo:\n") +
                           QDir::toNativeSeparators(ruta),
                       kTitulo, Icono::Critico);
}

ImagenesGrafico DibujarGraficosInforme(Oficina& oficina, QSize tamano) {
    ImagenesGrafico imagenes;
    if (!oficina.clienteSeleccionado())
        return imagenes;
    // Laid out off the screen at the page's proportions, then drawn.
    GraficoNiveles grafico;
    grafico.setAttribute(Qt::WA_DontShowOnScreen);
    grafico.resize(tamano);
    grafico.show();
    grafico.setSerie(std::make_shared<SerieNiveles>(
        SerieDeFilas(oficina.infracciones(), oficina.fechaInicio(), oficina.fechaFin())));
    grafico.verTodo();
    // The chart lays its axes out in posted events: they must have run before it is drawn.
    QCoreApplication::sendPostedEvents();
    imagenes.niveles = pintar(grafico, 2);

    MapaSemanalVista mapa;
    mapa.setAttribute(Qt::WA_DontShowOnScreen);
    mapa.resize(tamano);
    mapa.show();
    mapa.modelo().setMapa(
        ContarSemanaHora(oficina.infracciones(), oficina.fechaInicio(), oficina.fechaFin()));
    mapa.ajustarFilas();
    imagenes.semana = pintar(mapa, 2);
    return imagenes;
}

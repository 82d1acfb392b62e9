#include "windows/resumen/VentanaResumen.h"

#include "core/output/GuardarEmitido.h"

#include "core/Oficina.h"
#include "core/clients/ColumnaPlegada.h"
#include "core/resumen/SalidasResumen.h"
#include "windows/estatus/ColoresEstatus.h"
#include "windows/platform/Dialogos.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/UnaVentana.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QTableView>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>

namespace {

constexpr int kClientesGrafico = 20;

QString claveDias(const Oficina& oficina) {
    return QStringLiteral("resumen/%1/diasSinInspeccion").arg(oficina.usuario());
}

QDateEdit* selectorFecha(const char* nombre) {
    auto* d = new QDateEdit;
    d->setObjectName(QLatin1String(nombre));
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    return d;
}

} // namespace

VentanaResumen* VentanaResumen::Mostrar(Oficina& oficina) {
    if (VentanaResumen* v = UnaVentana<VentanaResumen>::alFrente(true))
        return v;
    auto* v = new VentanaResumen(oficina);
    v->show();
    QTimer::singleShot(0, v, [v] { v->recalcular(); });
    return v;
}

VentanaResumen::VentanaResumen(Oficina& oficina) : QWidget(nullptr, Qt::Window), oficina_(oficina) {
    UnaVentana<VentanaResumen>::registrar(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("VentanaResumen"));
    setWindowTitle(QStringLiteral("Resumen de la Oficina"));
    modelo_ = new ModeloResumen(this);
    filtro_ = new FiltroResumen(modelo_, this);

    preajuste_ = new QComboBox;
    preajuste_->setObjectName(QStringLiteral("preajustePeriodo"));
    preajuste_->addItems({QStringLiteral("Este mes"), QStringLiteral("Mes pasado"),
                          QStringLiteral("Este año"), QStringLiteral("Últimos 12 meses"),
                          QStringLiteral("Otro período")});
    desde_ = selectorFecha("desde");
    hasta_ = selectorFecha("hasta");
    columnaBusqueda_ = new QComboBox;
    columnaBusqueda_->setObjectName(QStringLiteral("columnaBusqueda"));
    columnaBusqueda_->addItems(Sentencias::columnasBusqueda());
    textoBusqueda_ = new QLineEdit;
    textoBusqueda_->setObjectName(QStringLiteral("textoBusqueda"));
    textoBusqueda_->setClearButtonEnabled(true);
    auto* periodo = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{new QLabel(QStringLiteral("Período:")), preajuste_,
                                                      new QLabel(QStringLiteral("Desde:")), desde_,
                                                      new QLabel(QStringLiteral("Hasta:")), hasta_})
        periodo->addWidget(w);
    periodo->addSpacing(16);
    periodo->addWidget(new QLabel(QStringLiteral("Buscar por:")));
    periodo->addWidget(columnaBusqueda_);
    periodo->addWidget(textoBusqueda_, 1);

    soloManipulacion_ = new QCheckBox(QStringLiteral("Solo con manipulación"));
    soloManipulacion_->setObjectName(QStringLiteral("soloManipulacion"));
    soloSinInspeccion_ = new QCheckBox(QStringLiteral("Sin inspección hace más de"));
    soloSinInspeccion_->setObjectName(QStringLiteral("soloSinInspeccion"));
    dias_ = new QSpinBox;
    dias_->setObjectName(QStringLiteral("diasSinInspeccion"));
    dias_->setRange(0, 36500);
    dias_->setSuffix(QStringLiteral(" días"));
    dias_->setValue(QSettings().value(claveDias(oficina_), 90).toInt());
    soloConFilas_ = new QCheckBox(QStringLiteral("Solo con infracciones en el período"));
    soloConFilas_->setObjectName(QStringLiteral("soloConFilas"));
    auto* filtros = new QHBoxLayout;
    filtros->addWidget(soloManipulacion_);
    filtros->addSpacing(12);
    filtros->addWidget(soloSinInspeccion_);
    filtros->addWidget(dias_);
    filtros->addSpacing(12);
    filtros->addWidget(soloConFilas_);
    filtros->addStretch(1);

    tabla_ = new QTableView;
    tabla_->setObjectName(QStringLiteral("tablaResumen"));
    tabla_->setModel(filtro_);
    tabla_->setSortingEnabled(true);
    tabla_->sortByColumn(ColResumen::Total, Qt::DescendingOrder);
    tabla_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabla_->setSelectionMode(QAbstractItemView::SingleSelection);
    tabla_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabla_->verticalHeader()->hide();
    tabla_->verticalHeader()->setDefaultSectionSize(tabla_->fontMetrics().height() + 4);
    tabla_->horizontalHeader()->setDefaultSectionSize(72);
    tabla_->setColumnWidth(ColResumen::Numero, 64);
    tabla_->setColumnWidth(ColResumen::Nombre, 150);
    tabla_->setColumnWidth(ColResumen::Local, 150);
    // Every heading and date whole: the statuses' texts are wider than their counts.
    const QFontMetrics cabecera = tabla_->horizontalHeader()->fontMetrics();
    const int fecha = tabla_->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 16;
    for (int c = ColResumen::PrimerEstatus; c < ColResumen::Cantidad; ++c)
        tabla_->setColumnWidth(
            c,
            std::max({56, cabecera.horizontalAdvance(TituloColumnaResumen(c)) + 24,
                      c == ColResumen::UltimaInspeccion || c == ColResumen::AnteriorInspeccion ? fecha : 0}));
    tabla_->setAccessibleName(QStringLiteral("Resumen por cliente"));

    grafico_ = new QChartView;
    grafico_->setObjectName(QStringLiteral("graficoResumen"));
    grafico_->setRenderHint(QPainter::Antialiasing);
    grafico_->setAccessibleName(QStringLiteral("Los 20 clientes con más infracciones"));
    grafico_->setMinimumHeight(230);
    auto* division = new QSplitter(Qt::Vertical);
    division->addWidget(tabla_);
    division->addWidget(grafico_);
    division->setStretchFactor(0, 3);
    division->setStretchFactor(1, 2);

    avance_ = new QProgressBar;
    avance_->setObjectName(QStringLiteral("avanceResumen"));
    avance_->setMaximumWidth(220);
    cancelar_ = new QPushButton(QStringLiteral("Cancelar"));
    cancelar_->setObjectName(QStringLiteral("botonCancelar"));
    estado_ = new QLabel;
    estado_->setObjectName(QStringLiteral("estadoResumen"));
    auto* libro = new QPushButton(QStringLiteral("Exportar Excel"));
    libro->setObjectName(QStringLiteral("botonExportarExcel"));
    auto* informe = new QPushButton(QStringLiteral("Informe PDF"));
    informe->setObjectName(QStringLiteral("botonInformePdf"));
    auto* cerrar = new QPushButton(QStringLiteral("Cerrar"));
    cerrar->setObjectName(QStringLiteral("botonCerrar"));
    auto* pie = new QHBoxLayout;
    pie->addWidget(avance_);
    pie->addWidget(cancelar_);
    pie->addWidget(estado_, 1);
    pie->addWidget(libro);
    pie->addWidget(informe);
    pie->addWidget(cerrar);
    avance_->hide();
    cancelar_->hide();

    auto* raiz = new QVBoxLayout(this);
    raiz->addLayout(periodo);
    raiz->addLayout(filtros);
    raiz->addWidget(division, 1);
    raiz->addLayout(pie);

    elegirPeriodo(PeriodoDe(PreajustePeriodo::EsteMes, QDate::currentDate()));
    connect(preajuste_, &QComboBox::currentIndexChanged, this, [this] { aplicarPreajuste(); });
    for (QDateEdit* d : {desde_, hasta_})
        connect(d, &QDateEdit::dateChanged, this, [this] {
            if (cambiandoPeriodo_)
                return;
            preajuste_->setCurrentIndex(4);
            recalcular();
        });
    connect(textoBusqueda_, &QLineEdit::textChanged, this, [this] { aplicarCriterios(); });
    connect(columnaBusqueda_, &QComboBox::currentIndexChanged, this, [this] { aplicarCriterios(); });
    for (QCheckBox* c : {soloManipulacion_, soloSinInspeccion_, soloConFilas_})
        connect(c, &QCheckBox::toggled, this, [this] { aplicarCriterios(); });
    connect(dias_, &QSpinBox::valueChanged, this, [this](int n) {
        QSettings().setValue(claveDias(oficina_), n);
        aplicarCriterios();
    });
    connect(tabla_, &QTableView::activated, this,
            [this](const QModelIndex& i) { seleccionarEnPrincipal(i); });
    connect(cancelar_, &QPushButton::clicked, this, [this] { cancelar(); });
    connect(libro, &QPushButton::clicked, this, [this] { exportar(true); });
    connect(informe, &QPushButton::clicked, this, [this] { exportar(false); });
    connect(cerrar, &QPushButton::clicked, this, [this] { close(); });
    connect(filtro_, &QAbstractItemModel::layoutChanged, this, [this] { actualizarGrafico(); });
    connect(&oficina_, &Oficina::clientesCambiados, this, [this] { recalcular(); });
    resize(1000, 680);
}

VentanaResumen::~VentanaResumen() {
    UnaVentana<VentanaResumen>::olvidar(this);
}

void VentanaResumen::elegirPeriodo(const PeriodoResumen& p) {
    cambiandoPeriodo_ = true;
    desde_->setDate(p.desde);
    hasta_->setDate(p.hasta);
    cambiandoPeriodo_ = false;
}

void VentanaResumen::aplicarPreajuste() {
    static const PreajustePeriodo preajustes[] = {PreajustePeriodo::EsteMes, PreajustePeriodo::MesPasado,
                                                  PreajustePeriodo::EsteAnio,
                                                  PreajustePeriodo::Ultimos12Meses};
    const int i = preajuste_->currentIndex();
    if (i < 0 || i >= static_cast<int>(std::size(preajustes)))
        return;
    elegirPeriodo(PeriodoDe(preajustes[i], QDate::currentDate()));
    recalcular();
}

bool VentanaResumen::recalcular() {
    if (calculando_) {
        // The count under way gives way to this one.
        cancelado_ = true;
        pendiente_ = true;
        return false;
    }
    PeriodoResumen periodo{desde_->date(), hasta_->date()};
    if (!periodo.valido()) {
        estado_->setText(QStringLiteral("La fecha inicial es posterior a la final."));
        return false;
    }
    calculando_ = true;
    cancelado_ = false;
    pendiente_ = false;
    avance_->setValue(0);
    estado_->setText(QStringLiteral("Contando..."));
    QElapsedTimer reloj;
    reloj.start();
    qint64 ultimo = 0;
    // The count runs in steps: between them the window answers, shows how far it got and may
    // cancel it.
    const AvanceResumen avance = [&](qint64 hechas, qint64 total) {
        if (reloj.elapsed() - ultimo >= 100) {
            ultimo = reloj.elapsed();
            if (!avance_->isVisible()) {
                avance_->show();
                cancelar_->show();
            }
            avance_->setMaximum(static_cast<int>(std::max<qint64>(total, 1)));
            avance_->setValue(static_cast<int>(hechas));
            QCoreApplication::processEvents();
        }
        return !cancelado_;
    };
    bool hecho = false;
    try {
        std::optional<ResumenOficina> r = oficina_.resumen(periodo, avance);
        if (r) {
            modelo_->mostrar(std::move(*r));
            aplicarCriterios();
            estado_->setText(QString());
            hecho = true;
        } else {
            estado_->setText(QStringLiteral("Recuento cancelado: se muestra el anterior."));
        }
    } catch (const ErrorBD& e) {
        estado_->setText(QString());
        MostrarError(e);
    }
    calculando_ = false;
    avance_->hide();
    cancelar_->hide();
    if (pendiente_)
        QTimer::singleShot(0, this, [this] { recalcular(); });
    else if (cerrar_)
        QTimer::singleShot(0, this, [this] { close(); });
    return hecho;
}

void VentanaResumen::aplicarCriterios() {
    CriteriosResumen c;
    c.soloManipulacion = soloManipulacion_->isChecked();
    c.soloSinInspeccion = soloSinInspeccion_->isChecked();
    c.diasSinInspeccion = dias_->value();
    c.soloConFilas = soloConFilas_->isChecked();
    // The client list's own search: the same columns, the same comparison.
    const int columna = Sentencias::columnaListaBusqueda(columnaBusqueda_->currentText());
    if (!textoBusqueda_->text().isEmpty() && columna >= 0) {
        c.buscando = true;
        const std::shared_ptr<const TablaTextos> todos = oficina_.todosLosClientes();
        std::vector<quint32> filas;
        ColumnaPlegada(*todos, columna).filasQueContienen(textoBusqueda_->text(), filas);
        for (const quint32 f : filas)
            c.encontrados.insert(todos->texto(f, 0).toLongLong());
    }
    filtro_->establecer(std::move(c));
    actualizarGrafico();
    if (!calculando_)
        estado_->setText(
            QStringLiteral("%1 de %2 clientes; período %3, comparado con %4.")
                .arg(filtro_->rowCount())
                .arg(modelo_->rowCount())
                .arg(TextoPeriodo(modelo_->resumen().periodo), TextoPeriodo(modelo_->resumen().anterior)));
}

void VentanaResumen::actualizarGrafico() {
    std::vector<FilaResumen> filas = filtro_->filasListadas();
    std::stable_sort(filas.begin(), filas.end(),
                     [](const FilaResumen& a, const FilaResumen& b) { return a.total > b.total; });
    filas.erase(std::remove_if(filas.begin(), filas.end(), [](const FilaResumen& f) { return f.total == 0; }),
                filas.end());
    if (filas.size() > kClientesGrafico)
        filas.resize(kClientesGrafico);
    auto* serie = new QStackedBarSeries;
    std::vector<QBarSet*> conjuntos;
    for (std::size_t e = 0; e <= kEstatusResumen.size(); ++e) {
        const bool otros = e == kEstatusResumen.size();
        auto* s = new QBarSet(otros ? QStringLiteral("Otros") : QString::fromLatin1(kEstatusResumen[e]));
        s->setColor(otros ? QColor(160, 160, 160) : ColorEstatus(QString::fromLatin1(kEstatusResumen[e])));
        s->setBorderColor(Qt::black);
        for (const FilaResumen& f : filas) {
            qint64 n = 0;
            if (otros) {
                n = f.total;
                for (const qint64 x : f.porEstatus)
                    n -= x;
            } else {
                n = f.porEstatus[e];
            }
            *s << static_cast<qreal>(n);
        }
        serie->append(s);
    }
    // Status patterns tell apart the statuses that share the red of the grid.
    const Qt::BrushStyle tramas[] = {Qt::SolidPattern, Qt::SolidPattern, Qt::SolidPattern, Qt::Dense4Pattern,
                                     Qt::HorPattern,   Qt::BDiagPattern, Qt::CrossPattern, Qt::SolidPattern};
    for (int i = 0; i < serie->count(); ++i) {
        QBrush b = serie->barSets().at(i)->brush();
        b.setStyle(tramas[i]);
        serie->barSets().at(i)->setBrush(b);
    }
    auto* chart = new QChart;
    chart->addSeries(serie);
    chart->setTitle(
        QStringLiteral("Los %1 clientes con más infracciones en el período").arg(kClientesGrafico));
    auto* ejeX = new QBarCategoryAxis;
    QStringList numeros;
    for (const FilaResumen& f : filas)
        numeros << f.numero;
    ejeX->append(numeros);
    chart->addAxis(ejeX, Qt::AlignBottom);
    serie->attachAxis(ejeX);
    auto* ejeY = new QValueAxis;
    ejeY->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(ejeY, Qt::AlignLeft);
    serie->attachAxis(ejeY);
    // Below the bars: at the right the seven statuses did not fit a 768-pixel screen's chart.
    chart->legend()->setAlignment(Qt::AlignBottom);
    QChart* anterior = grafico_->chart();
    grafico_->setChart(chart);
    delete anterior;
    grafico_->setAccessibleDescription(descripcionGrafico());
    grafico_->setToolTip(grafico_->accessibleDescription());
}

QString VentanaResumen::descripcionGrafico() const {
    std::vector<FilaResumen> filas = filtro_->filasListadas();
    std::stable_sort(filas.begin(), filas.end(),
                     [](const FilaResumen& a, const FilaResumen& b) { return a.total > b.total; });
    QStringList partes;
    for (const FilaResumen& f : filas) {
        if (f.total == 0 || partes.size() == kClientesGrafico)
            break;
        QStringList estatus;
        for (std::size_t e = 0; e < kEstatusResumen.size(); ++e)
            if (f.porEstatus[e] > 0)
                estatus
                    << QStringLiteral("%1 %2").arg(QLatin1String(kEstatusResumen[e])).arg(f.porEstatus[e]);
        partes << QStringLiteral("cliente %1, %2 infracciones (%3)")
                      .arg(f.numero)
                      .arg(f.total)
                      .arg(estatus.join(QStringLiteral(", ")));
    }
    if (partes.isEmpty())
        return QStringLiteral("Gráfico de barras apiladas por estatus: ningún cliente listado tiene "
                              "infracciones en el período.");
    return QStringLiteral(
               "Gráfico de barras apiladas por estatus de los %1 clientes con más infracciones: %2.")
        .arg(partes.size())
        .arg(partes.join(QStringLiteral("; ")));
}

void VentanaResumen::seleccionarEnPrincipal(const QModelIndex& indice) {
    if (!indice.isValid())
        return;
    const FilaResumen& f = modelo_->fila(filtro_->mapToSource(indice).row());
    if (!oficina_.posicionListada(f.id)) {
        estado_->setText(
            QStringLiteral("El cliente %1 no figura en la lista de la ventana principal: borre su "
                           "búsqueda para seleccionarlo.")
                .arg(f.numero));
        return;
    }
    oficina_.seleccionar(f.id);
    estado_->setText(QStringLiteral("Cliente %1 seleccionado en la ventana principal.").arg(f.numero));
}

bool VentanaResumen::guardar(const QString& ruta, bool libro, QString* error) const {
    DocumentoResumen documento =
        oficina_.documentoResumen(modelo_->resumen(), filtro_->filasListadas(), QStringLiteral("ventana"));
    try {
        const EmisionPreparada emision =
            oficina_.sellarResumen(documento, libro ? QStringLiteral("libro") : QStringLiteral("informe"));
        return GuardarEmitido(
            ruta,
            [&](const QString& archivo, QString* motivo) {
                return libro ? GuardarLibroResumen(documento, archivo, motivo)
                             : GuardarPdfResumen(documento, archivo, motivo);
            },
            [&](const std::function<void()>& mover) { oficina_.anotarEmision(emision, mover); }, error);
    } catch (const ErrorBD& e) {
        *error = QStringLiteral("No se pudo emitir el resumen: ") + e.descripcion();
        return false;
    }
}

bool VentanaResumen::guardarLibro(const QString& ruta, QString* error) const {
    return guardar(ruta, true, error);
}

bool VentanaResumen::guardarPdf(const QString& ruta, QString* error) const {
    return guardar(ruta, false, error);
}

void VentanaResumen::exportar(bool libro) {
    const QString ruta =
        libro ? ElegirArchivoGuardar(this, QStringLiteral("Guardar el resumen como libro"),
                                     QStringLiteral("Libro de Excel (*.xlsx)"), QStringLiteral(".xlsx"))
              : ElegirArchivoGuardar(this, QStringLiteral("Guardar el resumen como informe"),
                                     QStringLiteral("Documento PDF (*.pdf)"), QStringLiteral(".pdf"));
    if (ruta.isEmpty())
        return;
    QString error;
    if (!(libro ? guardarLibro(ruta, &error) : guardarPdf(ruta, &error)))
        MostrarMensaje(error, QString(), Icono::Critico);
    else
        estado_->setText(QStringLiteral("Guardado \"%1\".").arg(QDir::toNativeSeparators(ruta)));
}

void VentanaResumen::keyPressEvent(QKeyEvent* evento) {
    if (evento->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(evento);
}

void VentanaResumen::closeEvent(QCloseEvent* evento) {
    if (calculando_) {
        // Closed once the count under way has stopped.
        cancelado_ = true;
        cerrar_ = true;
        evento->ignore();
        return;
    }
    QWidget::closeEvent(evento);
}

#include "windows/clients/VentanaPrincipal.h"

#include "core/Oficina.h"
#include "core/charts/DatosGrafico.h"
#include "core/clients/Cliente.h"
#include "core/platform/DirectorioDatos.h"
#include "core/platform/Programa.h"
#include "windows/accounts/VentanaCuentas.h"
#include "windows/charts/VentanaGrafico.h"
#include "windows/clients/EditorCliente.h"
#include "windows/clients/Imagenes.h"
#include "windows/clients/RegistroCompartido.h"
#include "windows/clients/SelectoresFecha.h"
#include "windows/clients/VistaInfracciones.h"
#include "windows/grid/AnchoColumnas.h"
#include "windows/grid/GridModel.h"
#include "windows/grid/GridView.h"
#include "windows/import/HistorialImportaciones.h"
#include "windows/import/VentanaImportacion.h"
#include "windows/output/ExportarExcel.h"
#include "windows/output/VistaInforme.h"
#include "windows/platform/CajasSoloLectura.h"
#include "windows/platform/EstadoTeclado.h"
#include "windows/platform/Mensajes.h"
#include "windows/store/AccionesCopias.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char* const kFormatoFlex =
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

QString textoVersion() {
    return QStringLiteral("%1.%2.%3")
        .arg(VELMORA_VERSION_MAJOR)
        .arg(VELMORA_VERSION_MINOR)
        .arg(VELMORA_VERSION_REVISION);
}

QString rutaMunicipio() {
    return QDir(DirectorioDatos()).filePath(QLatin1String(kNombreArchivoMunicipio));
}

QLabel* etiqueta(const QString& texto, QWidget* companero, const QString& nombre) {
    auto* l = new QLabel(texto);
    l->setObjectName(nombre);
    l->setBuddy(companero);
    // The buddy gives keyboard access; the accessible name is the label's text.
    companero->setAccessibleName(texto);
    return l;
}

QLineEdit* campoSoloLectura(const char* nombre) {
    auto* e = new QLineEdit;
    e->setObjectName(QLatin1String(nombre));
    e->setReadOnly(true);
    return e;
}

QDateEdit* selectorFecha(const char* nombre) {
    auto* d = new QDateEdit;
    d->setObjectName(QLatin1String(nombre));
    d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    d->setCalendarPopup(true);
    return d;
}

QTimeEdit* selectorHora(const char* nombre) {
    auto* t = new QTimeEdit;
    t->setObjectName(QLatin1String(nombre));
    t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return t;
}

} // namespace

VentanaPrincipal::VentanaPrincipal(Oficina& oficina, QWidget* parent)
    : QMainWindow(parent), oficina_(oficina) {
    setObjectName(QStringLiteral("VentanaPrincipal"));
    setWindowTitle(QStringLiteral("Sistema de Adquisición de Datos - Velmora KV-270"));
    setWindowIcon(IconoPrograma());
    construir();
    construirMenus();
    construirBarraEstado();
    cajasSoloLectura_ = new CajasSoloLectura(this);
    conectar();
    cargar();
    if (QScreen* s = screen()) {
        const QRect zona = s->availableGeometry();
        // The whole screen up to 1366x768; on larger screens most of it.
        const QSize minimo(std::min(1366, zona.width()), std::min(768, zona.height()));
        resize(minimo.expandedTo(zona.size() * 0.85));
        move(zona.topLeft() +
             QPoint(std::max(0, (zona.width() - width()) / 2), std::max(0, (zona.height() - height()) / 2)));
    }
    Text1->setFocus(); // the search is what the user types first
}

VentanaPrincipal::~VentanaPrincipal() {
    // Views go before the grids they show.
    delete centralWidget();
}

void VentanaPrincipal::construir() {
    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    auto* principal = new QVBoxLayout(central);
    principal->setContentsMargins(6, 4, 6, 2);
    principal->setSpacing(4);

    // Header: picture, municipality, current user.
    auto* cabecera = new QHBoxLayout;
    Image2 = new QLabel;
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(ImagenCabecera(52, devicePixelRatioF()));
    Image2->setFixedSize(52, 52);
    Image2->setAccessibleName(QStringLiteral("Velmora KV-270"));
    cabecera->addWidget(Image2);

    Municipio = new QLineEdit;
    Municipio->setObjectName(QStringLiteral("Municipio"));
    Municipio->setAlignment(Qt::AlignCenter);
    QFont grande = Municipio->font();
    grande.setBold(true);
    grande.setPointSizeF(grande.pointSizeF() * 1.6);
    Municipio->setFont(grande);
    Municipio->setMinimumHeight(40);
    Municipio->setToolTip(
        QStringLiteral("Encabezado con el nombre del Municipio (Solo editable por el Administrador)"));
    Municipio->setAccessibleName(QStringLiteral("Municipio"));
    Municipio->setAccessibleDescription(Municipio->toolTip());
    cabecera->addWidget(Municipio, 1);

    SesionFrame = new QGroupBox(QStringLiteral("Usuario Actual"));
    SesionFrame->setObjectName(QStringLiteral("SesionFrame"));
    auto* sesion = new QHBoxLayout(SesionFrame);
    sesion->setContentsMargins(6, 2, 6, 4);
    Usuario = new QLineEdit;
    Usuario->setObjectName(QStringLiteral("Usuario"));
    Usuario->setAlignment(Qt::AlignCenter);
    Usuario->setReadOnly(true);
    QFont negrita = Usuario->font();
    negrita.setBold(true);
    Usuario->setFont(negrita);
    Usuario->setMinimumWidth(170);
    Usuario->setAccessibleName(QStringLiteral("Usuario Actual"));
    sesion->addWidget(Usuario);

    // Option buttons, search and exit.
    auto* opciones = new QHBoxLayout;
    Frame1 = new QGroupBox(QStringLiteral("Control de Clientes"));
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* botones = new QHBoxLayout(Frame1);
    botones->setContentsMargins(6, 2, 6, 6);
    botones->setSpacing(4);
    static const char* const textos[] = {"Nuevo",           "Editar",         "Eliminar",
                                         "Salir",           "Exportar Excel", "Adquirir Datos de Inspección",
                                         "Config. Cuentas", "Imprimir"};
    for (int i = 0; i < 8; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(textos[i]));
        b->setObjectName(QStringLiteral("cmdOpciones_%1").arg(i));
        b->setAutoDefault(false);
        cmdOpciones[static_cast<size_t>(i)] = b;
        if (i != 3)
            botones->addWidget(b);
    }
    cmdGrafico = new QPushButton(QStringLiteral("Gráfico de Niveles"));
    cmdGrafico->setObjectName(QStringLiteral("cmdGrafico"));
    cmdGrafico->setAutoDefault(false);
    cmdGrafico->setToolTip(
        QStringLiteral("Niveles en el tiempo e infracciones por día y hora del cliente seleccionado"));
    cmdGrafico->setEnabled(false);
    botones->addWidget(cmdGrafico);
    opciones->addWidget(Frame1, 1);

    Frame5 = new QGroupBox(QStringLiteral("Filtrar Datos"));
    Frame5->setObjectName(QStringLiteral("Frame5"));
    auto* filtro = new QHBoxLayout(Frame5);
    filtro->setContentsMargins(6, 2, 6, 6);
    Combo1 = new QComboBox;
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setEditText(QStringLiteral("Nombre"));
    Combo1->setToolTip(QStringLiteral("Seleccione un tipo de dato a filtrar"));
    Combo1->setAccessibleName(QStringLiteral("Columna a filtrar"));
    Combo1->setAccessibleDescription(Combo1->toolTip());
    Combo1->setMinimumWidth(150);
    Text1 = new QLineEdit;
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Escriba aqui el texto a filtrar en el listado de Clientes"));
    Text1->setAccessibleName(QStringLiteral("Filtrar Datos"));
    Text1->setAccessibleDescription(Text1->toolTip());
    Text1->setClearButtonEnabled(true);
    Text1->setMinimumWidth(180);
    filtro->addWidget(Text1, 1);
    filtro->addWidget(Combo1);
    // The search sits in the header so the option buttons have a row of their own: together
    // they were wider than a 1024-pixel screen.
    cabecera->addWidget(Frame5);
    cabecera->addWidget(SesionFrame);
    principal->addLayout(cabecera);
    principal->addLayout(opciones);

    Frame6 = new QGroupBox(QStringLiteral("Salir"));
    Frame6->setObjectName(QStringLiteral("Frame6"));
    auto* salir = new QHBoxLayout(Frame6);
    salir->setContentsMargins(6, 2, 6, 6);
    salir->addWidget(cmdOpciones[3]);
    opciones->addWidget(Frame6);

    // Client list above, the selected client's view below; the user can move the divide.
    auto* division = new QSplitter(Qt::Vertical);
    division->setObjectName(QStringLiteral("division"));
    division->setChildrenCollapsible(false);

    Frame2 = new QGroupBox(QStringLiteral("Listado de Clientes"));
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* lista = new QVBoxLayout(Frame2);
    lista->setContentsMargins(4, 2, 4, 4);
    QFont fuenteGrilla(QStringLiteral("Arial"));
    fuenteGrilla.setPointSizeF(font().pointSizeF());
    flex = new GridModel(this);
    flex->setObjectName(QStringLiteral("flex"));
    flexVista = new GridView(flex);
    flexVista->setObjectName(QStringLiteral("flexVista"));
    flexVista->setFont(fuenteGrilla);
    flexVista->setAccessibleName(QStringLiteral("Listado de Clientes"));
    flexVista->setMinimumHeight(120);
    lista->addWidget(flexVista);
    division->addWidget(Frame2);

    auto* inferior = new QWidget;
    inferior->setObjectName(QStringLiteral("inferior"));
    auto* abajo = new QHBoxLayout(inferior);
    abajo->setContentsMargins(0, 0, 0, 0);
    abajo->setSpacing(6);

    Frame3 = new QGroupBox(QStringLiteral("Local Asociado al Cliente"));
    Frame3->setObjectName(QStringLiteral("Frame3"));
    auto* local = new QGridLayout(Frame3);
    local->setContentsMargins(6, 2, 6, 4);
    local->setHorizontalSpacing(6);
    local->setVerticalSpacing(3);
    NLocal = campoSoloLectura("NLocal");
    DLocal = campoSoloLectura("DLocal");
    LocLocal = campoSoloLectura("LocLocal");
    PartLocal = campoSoloLectura("PartLocal");
    ProvLocal = campoSoloLectura("ProvLocal");
    TelLocal = campoSoloLectura("TelLocal");
    EmailLocal = campoSoloLectura("EmailLocal");
    const std::pair<QLineEdit*, const char*> camposLocal[] = {
        {NLocal, "Nombre:"},       {DLocal, "Direccion:"},  {LocLocal, "Localidad:"}, {PartLocal, "Partido:"},
        {ProvLocal, "Provincia:"}, {TelLocal, "Telefono:"}, {EmailLocal, "Email:"}};
    int fila = 0;
    for (const auto& [campo, texto] : camposLocal) {
        campo->setMinimumWidth(120);
        local->addWidget(
            etiqueta(QString::fromUtf8(texto), campo, QStringLiteral("Etiqueta") + campo->objectName()), fila,
            0);
        local->addWidget(campo, fila, 1);
        ++fila;
    }
    UltimaFechaInsp = selectorFecha("UltimaFechaInsp");
    UltimaHoraInsp = selectorHora("UltimaHoraInsp");
    AnteriorInspeccionFecha = selectorFecha("AnteriorInspeccionFecha");
    AnteriorInspeccionHora = selectorHora("AnteriorInspeccionHora");
    // Until a client is selected the inspection pickers show nothing rather than a made-up date.
    for (auto* d : {UltimaFechaInsp, AnteriorInspeccionFecha}) {
        d->setReadOnly(true);
        d->setCalendarPopup(false);
        d->setButtonSymbols(QAbstractSpinBox::NoButtons);
        PonerFecha(d, std::nullopt);
    }
    for (auto* t : {UltimaHoraInsp, AnteriorInspeccionHora}) {
        t->setReadOnly(true);
        t->setButtonSymbols(QAbstractSpinBox::NoButtons);
        PonerHora(t, std::nullopt);
    }
    const std::tuple<QDateEdit*, QTimeEdit*, const char*> inspecciones[] = {
        {UltimaFechaInsp, UltimaHoraInsp, "Fecha/Hora Ultima Insp.:"},
        {AnteriorInspeccionFecha, AnteriorInspeccionHora, "Fecha/Hora Anter. Insp.:"}};
    for (const auto& [fecha, hora, texto] : inspecciones) {
        auto* par = new QHBoxLayout;
        par->setSpacing(4);
        par->addWidget(fecha, 3);
        par->addWidget(hora, 2);
        const QString t = QString::fromUtf8(texto);
        local->addWidget(etiqueta(t, fecha, QStringLiteral("Etiqueta") + fecha->objectName()), fila, 0);
        // Both pickers share the label; the time one is named after it as well.
        fecha->setAccessibleName(t + QStringLiteral(" fecha"));
        hora->setAccessibleName(t + QStringLiteral(" hora"));
        local->addLayout(par, fila, 1);
        ++fila;
    }

    ActBHA = campoSoloLectura("ActBHA");
    InicioBHA = campoSoloLectura("InicioBHA");
    FinBHA = campoSoloLectura("FinBHA");
    ActBHB = campoSoloLectura("ActBHB");
    InicioBHB = campoSoloLectura("InicioBHB");
    FinBHB = campoSoloLectura("FinBHB");
    ActBHC = campoSoloLectura("ActBHC");
    InicioBHC = campoSoloLectura("InicioBHC");
    FinBHC = campoSoloLectura("FinBHC");
    const std::tuple<QLineEdit*, const char*, const char*> bandas[] = {
        {ActBHA, "Act. B. Hor. A:", "A"},       {InicioBHA, "Dia y Hora Inicio:", "A"},
        {FinBHA, "Dia y Hora Fin:", "A"},       {ActBHB, "Act. B. Hor. B:", "B"},
        {InicioBHB, "Dia y Hora Inicio:", "B"}, {FinBHB, "Dia y Hora Fin:", "B"},
        {ActBHC, "Act. B. Hor. C:", "C"},       {InicioBHC, "Dia y Hora Inicio:", "C"},
        {FinBHC, "Dia y Hora Fin:", "C"}};
    fila = 0;
    for (const auto& [campo, texto, banda] : bandas) {
        campo->setMinimumWidth(100);
        local->addWidget(
            etiqueta(QString::fromUtf8(texto), campo, QStringLiteral("Etiqueta") + campo->objectName()), fila,
            2);
        // Three boxes share each label text; the band tells them apart for a screen reader.
        campo->setAccessibleDescription(QStringLiteral("Banda horaria %1").arg(QLatin1String(banda)));
        local->addWidget(campo, fila, 3);
        ++fila;
    }
    local->setColumnStretch(1, 3);
    local->setColumnStretch(3, 2);
    local->setColumnMinimumWidth(2, 20);
    // Left: the premises and, under them, the date filter; right: the infraction grid at full
    // height, so it shows as many rows as the screen allows.
    auto* izquierda = new QVBoxLayout;
    izquierda->setSpacing(4);
    izquierda->addWidget(Frame3, 1);
    Frame4 = new QGroupBox(QStringLiteral("Infracciones del Cliente"));
    Frame4->setObjectName(QStringLiteral("Frame4"));
    auto* infr = new QVBoxLayout(Frame4);
    infr->setContentsMargins(4, 2, 4, 4);
    infr->setSpacing(2);
    auto* titulos = new QHBoxLayout;
    Label13 = new QLabel(QStringLiteral("ESTATUS DEL EQUIPO"));
    Label13->setObjectName(QStringLiteral("Label13"));
    Label12 = new QLabel(QStringLiteral("DATOS DE RELEVAMIENTO"));
    Label12->setObjectName(QStringLiteral("Label12"));
    for (QLabel* l : {Label13, Label12}) {
        l->setAlignment(Qt::AlignCenter);
        l->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: white; background: #1c4e8a;"
                                        " padding: 2px; border-radius: 2px; }"));
    }
    titulos->addWidget(Label13, 9);
    titulos->addWidget(Label12, 8);
    infr->addLayout(titulos);
    flex2 = new GridModel(this);
    flex2->setObjectName(QStringLiteral("flex2"));
    flex2Vista = new GridView(flex2);
    flex2Vista->setObjectName(QStringLiteral("flex2Vista"));
    flex2Vista->setFont(fuenteGrilla);
    flex2Vista->setAccessibleName(QStringLiteral("Infracciones del Cliente"));
    infr->addWidget(flex2Vista, 1);

    auto* controles = new QHBoxLayout;
    Frame7 = new QGroupBox(QStringLiteral("Filtrar Datos de Inspecciones"));
    Frame7->setObjectName(QStringLiteral("Frame7"));
    auto* fechas = new QHBoxLayout(Frame7);
    fechas->setContentsMargins(6, 2, 6, 6);
    FechaInfInicio = selectorFecha("FechaInfInicio");
    FechaInfInicio->setDate(QDate(2011, 1, 1));
    FechaInfFin = selectorFecha("FechaInfFin");
    FechaInfFin->setDate(QDate(2011, 1, 1));
    fechas->addWidget(etiqueta(QStringLiteral("Fecha Inicio:"), FechaInfInicio, QStringLiteral("Label14")));
    fechas->addWidget(FechaInfInicio);
    fechas->addSpacing(10);
    fechas->addWidget(etiqueta(QStringLiteral("Fecha Final:"), FechaInfFin, QStringLiteral("Label15")));
    fechas->addWidget(FechaInfFin);
    fechas->addStretch(1);
    controles->addWidget(Frame7, 1);
    Reordenar = new QGroupBox(QStringLiteral("Reordenar"));
    Reordenar->setObjectName(QStringLiteral("Reordenar"));
    auto* reord = new QHBoxLayout(Reordenar);
    reord->setContentsMargins(6, 2, 6, 6);
    Command1 = new QPushButton(QStringLiteral("Reordenar Datos"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    reord->addWidget(Command1);
    controles->addWidget(Reordenar);
    izquierda->addLayout(controles);
    abajo->addLayout(izquierda, 0);
    abajo->addWidget(Frame4, 1);

    division->addWidget(inferior);
    division->setStretchFactor(0, 2);
    division->setStretchFactor(1, 3);
    principal->addWidget(division, 1);

    // Keyboard order: header, search, options, lists, then the client's view.
    QWidget* orden[] = {Municipio,
                        Text1,
                        Combo1,
                        cmdOpciones[0],
                        cmdOpciones[1],
                        cmdOpciones[2],
                        cmdOpciones[4],
                        cmdOpciones[5],
                        cmdOpciones[6],
                        cmdOpciones[7],
                        cmdGrafico,
                        cmdOpciones[3],
                        flexVista,
                        NLocal,
                        DLocal,
                        LocLocal,
                        PartLocal,
                        ProvLocal,
                        TelLocal,
                        EmailLocal,
                        UltimaFechaInsp,
                        UltimaHoraInsp,
                        AnteriorInspeccionFecha,
                        AnteriorInspeccionHora,
                        ActBHA,
                        InicioBHA,
                        FinBHA,
                        ActBHB,
                        InicioBHB,
                        FinBHB,
                        ActBHC,
                        InicioBHC,
                        FinBHC,
                        flex2Vista,
                        FechaInfInicio,
                        FechaInfFin,
                        Command1};
    for (size_t i = 1; i < std::size(orden); ++i)
        setTabOrder(orden[i - 1], orden[i]);
}

void VentanaPrincipal::construirMenus() {
    mnuArchivo = menuBar()->addMenu(QStringLiteral("&Archivo"));
    mnuArchivo->setObjectName(QStringLiteral("mnuArchivo"));
    mnuHistorial = mnuArchivo->addAction(QStringLiteral("&Historial de Importaciones..."));
    mnuHistorial->setObjectName(QStringLiteral("mnuHistorial"));
    mnuVerificar = mnuArchivo->addAction(QStringLiteral("&Verificar archivo..."));
    mnuVerificar->setObjectName(QStringLiteral("mnuVerificar"));
    mnuRegistro = mnuArchivo->addAction(QStringLiteral("Re&gistro compartido..."));
    mnuRegistro->setObjectName(QStringLiteral("mnuRegistro"));
    mnuArchivo->addSeparator();
    // The register's safety: backup and restore are the administrator's, the check is anyone's.
    mnucopia = mnuArchivo->addAction(QStringLiteral("&Copia de seguridad..."));
    mnucopia->setObjectName(QStringLiteral("mnucopia"));
    mnucopia->setEnabled(oficina_.esAdministrador());
    mnurestaurar = mnuArchivo->addAction(QStringLiteral("&Restaurar copia..."));
    mnurestaurar->setObjectName(QStringLiteral("mnurestaurar"));
    mnurestaurar->setEnabled(oficina_.esAdministrador());
    mnuverificarbase = mnuArchivo->addAction(QStringLiteral("&Verificar base de datos"));
    mnuverificarbase->setObjectName(QStringLiteral("mnuverificarbase"));
    mnuArchivo->addSeparator();
    mnusalir = mnuArchivo->addAction(QStringLiteral("&Salir"));
    mnusalir->setObjectName(QStringLiteral("mnusalir"));
    mnuayuda = menuBar()->addMenu(QStringLiteral("&Ayuda"));
    mnuayuda->setObjectName(QStringLiteral("mnuayuda"));
    mnuacercade = mnuayuda->addAction(QStringLiteral("&Acerca de..."));
    mnuacercade->setObjectName(QStringLiteral("mnuacercade"));
}

void VentanaPrincipal::construirBarraEstado() {
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    // Twips widths of the panels scaled to fit a 1366-pixel screen; the two texts stretch.
    const int anchos[] = {0, 0, 64, 64, 48, 64, 92, 80};
    for (int i = 0; i < 8; ++i) {
        auto* p = new QLabel;
        p->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        p->setFrameShape(QFrame::StyledPanel);
        p->setFrameShadow(QFrame::Sunken);
        p->setContentsMargins(4, 0, 4, 0);
        Paneles[static_cast<size_t>(i)] = p;
        if (i < 2) {
            StatusBar1->addWidget(p, i == 0 ? 4 : 5);
        } else {
            p->setAlignment(Qt::AlignCenter);
            p->setMinimumWidth(anchos[i]);
            StatusBar1->addPermanentWidget(p);
        }
    }
    Paneles[0]->setText(QStringLiteral("Listo"));
    Paneles[6]->setToolTip(QStringLiteral("Fecha Actual"));
    Paneles[7]->setToolTip(QStringLiteral("Hora Actual"));
    relojBarra_ = new QTimer(this);
    relojBarra_->setObjectName(QStringLiteral("relojBarra"));
    relojBarra_->setInterval(500);
    connect(relojBarra_, &QTimer::timeout, this, &VentanaPrincipal::actualizarBarraEstado);
    relojBarra_->start();
    actualizarBarraEstado();
}

void VentanaPrincipal::actualizarBarraEstado() {
    const EstadoTeclado e = LeerEstadoTeclado();
    const std::tuple<const std::optional<bool>&, QLabel*, const char*, const char*> teclas[] = {
        {e.mayusculas, Paneles[2], "MAYÚS", "Bloq Mayús"},
        {e.numerico, Paneles[3], "NÚM", "Bloq Num"},
        {e.insercion, Paneles[4], "INS", "Insertar"},
        {e.desplazamiento, Paneles[5], "DESPL", "Bloq Despl"}};
    for (const auto& [estado, panel, texto, nombre] : teclas) {
        if (!estado) {
            panel->clear();
            panel->setAccessibleName(QString());
            continue;
        }
        panel->setText(QString::fromUtf8(texto));
        panel->setEnabled(*estado);
        panel->setAccessibleName(QString::fromUtf8(nombre) +
                                 (*estado ? QStringLiteral(" activado") : QStringLiteral(" desactivado")));
    }
    const QDateTime ahora = QDateTime::currentDateTime();
    Paneles[6]->setText(ahora.date().toString(QStringLiteral("dd/MM/yyyy")));
    Paneles[7]->setText(ahora.time().toString(QStringLiteral("HH:mm")));
}

void VentanaPrincipal::conectar() {
    connect(cmdOpciones[0], &QPushButton::clicked, this, [this] { Agregar(); });
    connect(cmdOpciones[1], &QPushButton::clicked, this, [this] { EditarCliente(); });
    connect(cmdOpciones[2], &QPushButton::clicked, this, [this] { EliminarCliente(); });
    connect(cmdOpciones[3], &QPushButton::clicked, this, [this] { close(); });
    connect(cmdOpciones[4], &QPushButton::clicked, this, [this] { ExportarLibro(); });
    connect(cmdOpciones[5], &QPushButton::clicked, this, [this] { MostrarVentanaImportacion(oficina_); });
    connect(cmdOpciones[6], &QPushButton::clicked, this, [this] { MostrarVentanaCuentas(oficina_); });
    connect(cmdOpciones[7], &QPushButton::clicked, this, [this] { Imprimir(); });
    connect(cmdGrafico, &QPushButton::clicked, this, [this] { VentanaGrafico::Mostrar(oficina_); });
    connect(mnusalir, &QAction::triggered, this, [this] { close(); });
    connect(mnuHistorial, &QAction::triggered, this,
            [this] { MostrarHistorialImportaciones(oficina_, this); });
    connect(mnuVerificar, &QAction::triggered, this, [this] { VerificarArchivo(oficina_, this); });
    connect(mnuRegistro, &QAction::triggered, this, [this] {
        RegistroCompartido ventana(oficina_, this);
        ventana.exec();
    });
    connect(mnuacercade, &QAction::triggered, this, [this] { AcercaDe(); });
    connect(mnucopia, &QAction::triggered, this, [this] { CopiaDeSeguridad(this, oficina_); });
    connect(mnurestaurar, &QAction::triggered, this, [this] { RestaurarCopiaDeSeguridad(this, oficina_); });
    connect(mnuverificarbase, &QAction::triggered, this, [this] { VerificarBaseDeDatos(this, oficina_); });
    connect(&oficina_, &Oficina::sesionIniciada, this, [this] {
        mnucopia->setEnabled(oficina_.esAdministrador());
        mnurestaurar->setEnabled(oficina_.esAdministrador());
    });

    // Any change of the text is the user's (typing, paste, undo, an assistive tool); the model's own
    // updates are written with signals blocked, so loading the header never rewrites the file.
    connect(Municipio, &QLineEdit::textChanged, this, [this] { GuardarNombreMunicipio(); });
    connect(Text1, &QLineEdit::textChanged, this, [this] { Buscar(); });
    connect(Combo1, &QComboBox::editTextChanged, this, [this] { Buscar(); });

    connect(flex, &GridModel::cambioFilaColumna, this, [this] { seleccionarFilaActual(); });
    connect(Command1, &QPushButton::clicked, this, [this] {
        try {
            oficina_.releerSeleccionado();
        } catch (const ErrorBD& e) {
            MostrarError(e);
        }
    });
    connect(flexVista, &GridView::clic, this,
            [this](int fila, int col) { OrdenarPorCabecera(*flex, OrdenFlex, fila, col); });
    connect(flex2Vista, &GridView::clic, this,
            [this](int fila, int col) { OrdenarPorCabecera(*flex2, OrdenFlex2, fila, col); });
    // Keyboard users sort too: Ctrl+O acts as a click on the current column's header.
    for (GridView* vista : {flexVista, flex2Vista}) {
        vista->installEventFilter(this);
        vista->setToolTip(
            QStringLiteral("Haga clic en un encabezado (o pulse Ctrl+O) para ordenar por esa columna"));
    }
    connect(FechaInfInicio, &QDateEdit::dateChanged, this, [this] { FiltrarFechasInfracciones(); });
    connect(FechaInfFin, &QDateEdit::dateChanged, this, [this] { FiltrarFechasInfracciones(); });

    connect(&oficina_, &Oficina::clientesCambiados, this, [this] { mostrarClientes(); });
    connect(&oficina_, &Oficina::seleccionCambiada, this, [this] { mostrarSeleccion(); });
    connect(&oficina_, &Oficina::infraccionesCambiadas, this, [this] { mostrarInfracciones(); });
    connect(&oficina_, &Oficina::infraccionesPorCambiar, this, [this] { flex2->clear(); });
    connect(&oficina_, &Oficina::rangoCambiado, this, [this] {
        mostrarRango();
        AplicarOcultas(*flex2, oficina_.infracciones());
    });
    connect(&oficina_, &Oficina::municipioCambiado, this, [this] {
        // Rewriting the same text would move the cursor of a user typing in the box.
        if (Municipio->text() != oficina_.municipio()) {
            const QSignalBlocker bloqueo(Municipio);
            Municipio->setText(oficina_.municipio());
        }
    });
}

void VentanaPrincipal::cargar() {
    {
        const auto escritura = cajasSoloLectura_->escribir();
        Usuario->setText(oficina_.usuario());
    }
    MostrarMensaje(QStringLiteral("Bienvenido Usuario ") + oficina_.usuario(), QStringLiteral("Bienvenido!"),
                   Icono::Informacion);
    if (!oficina_.esAdministrador()) {
        Municipio->setEnabled(false);
        cmdOpciones[2]->setEnabled(false);
    }
    {
        // Filling the list must not replace the text the user sees ("Nombre").
        const QSignalBlocker bloqueo(Combo1);
        const QString texto = Combo1->currentText();
        Combo1->clear();
        Combo1->addItems(Sentencias::columnasBusqueda());
        Combo1->setCurrentIndex(static_cast<int>(Sentencias::columnasBusqueda().indexOf(texto)));
        Combo1->setEditText(texto);
    }
    try {
        oficina_.abrirClientes();
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
    oficina_.cargarMunicipio(rutaMunicipio());
    {
        const QSignalBlocker bloqueo(Municipio);
        Municipio->setText(oficina_.municipio());
    }
    Paneles[1]->setText(QStringLiteral("Velmora KV-270 - Sistema de Adquisicion de Datos ") +
                        QStringLiteral("Version: ") + textoVersion());
    mostrarRango();
    mostrarSeleccion();
}

void VentanaPrincipal::closeEvent(QCloseEvent* evento) {
    // An import in progress finishes its transaction first.
    if (ImportacionEnCurso()) {
        evento->ignore();
        return;
    }
    evento->accept();
    // The main window is the program: closing it ends the run.
    FinalizarPrograma();
}

// --- The model's state on the screen ---

void VentanaPrincipal::mostrarClientes() {
    QStringList columnas = QString::fromLatin1(kFormatoFlex).split(QLatin1Char('|'));
    columnas << QString::fromLatin1(kColumnasOcultas).split(QLatin1Char('|'));
    // The grid shows the model's list as read, through the rows listed now.
    auto indices = std::make_shared<const std::vector<quint32>>(oficina_.indicesListados());
    flex->bind(columnas, indices->size(),
               [todos = oficina_.todosLosClientes(), indices](std::size_t i, int col) {
                   return i < indices->size() ? todos->texto((*indices)[i], col) : QString();
               });
    formatearListaClientes();
    resaltarSeleccionado();
}

void VentanaPrincipal::resaltarSeleccionado() {
    // The highlight follows the model's selection; it is no user's move, so it selects nothing.
    int destino = 0;
    const qint64 id = oficina_.idSeleccionado();
    if (const auto i = oficina_.posicionListada(id)) {
        // Wherever a sort moved it: the grid row that shows that listed row, when the grid shows
        // the list as it is now (its id says so); otherwise the row with that id.
        const QString clave = QString::number(id);
        for (int f = 1; f < flex->rows() && destino == 0; ++f)
            if (flex->rowTag(f) == static_cast<int>(*i) && flex->textMatrix(f, 0) == clave)
                destino = f;
        for (int f = 1; f < flex->rows() && destino == 0; ++f)
            if (flex->textMatrix(f, 0) == clave)
                destino = f;
        if (destino > 0 && flex->rowHidden(destino))
            destino = 0;
    }
    resaltando_ = true;
    flex->setRow(destino);
    resaltando_ = false;
}

void VentanaPrincipal::mostrarSeleccion() {
    const auto escritura = cajasSoloLectura_->escribir();
    resaltarSeleccionado();
    const std::optional<Cliente>& seleccionado = oficina_.clienteSeleccionado();
    const Cliente c = seleccionado.value_or(Cliente{});
    const std::pair<QLineEdit*, const QString&> local[] = {
        {NLocal, c.nombreLocal},     {DLocal, c.direccionLocal},    {LocLocal, c.localidadLocal},
        {PartLocal, c.partidoLocal}, {ProvLocal, c.provinciaLocal}, {TelLocal, c.telefonoLocal},
        {EmailLocal, c.emailLocal}};
    for (const auto& [campo, texto] : local)
        campo->setText(texto);
    PonerFecha(UltimaFechaInsp, LeerFechaDMA(c.ultimaInspeccionFecha));
    PonerHora(UltimaHoraInsp, LeerHoraHMS(c.ultimaInspeccionHora));
    PonerFecha(AnteriorInspeccionFecha, LeerFechaDMA(c.anteriorInspeccionFecha));
    PonerHora(AnteriorInspeccionHora, LeerHoraHMS(c.anteriorInspeccionHora));
    mostrarInfracciones();
}

void VentanaPrincipal::mostrarInfracciones() {
    const auto escritura = cajasSoloLectura_->escribir();
    MostrarInfracciones(*flex2, oficina_.infracciones(), flex2Vista->font());
    cmdGrafico->setEnabled(HayFilasInfraccion(oficina_.infracciones()));
    const TextosBandas t = oficina_.textosBandas();
    QLineEdit* const act[] = {ActBHA, ActBHB, ActBHC};
    QLineEdit* const ini[] = {InicioBHA, InicioBHB, InicioBHC};
    QLineEdit* const fin[] = {FinBHA, FinBHB, FinBHC};
    for (size_t b = 0; b < 3; ++b) {
        act[b]->setText(t.activacion[b]);
        ini[b]->setText(t.inicio[b]);
        fin[b]->setText(t.fin[b]);
    }
}

void VentanaPrincipal::mostrarRango() {
    // The model already holds these dates: setting the pickers must not send them back.
    mostrandoRango_ = true;
    FechaInfInicio->setDate(oficina_.fechaInicio());
    FechaInfFin->setDate(oficina_.fechaFin());
    mostrandoRango_ = false;
}

void VentanaPrincipal::formatearListaClientes() {
    flex->setRedraw(false);
    flex->setFormatString(QLatin1String(kFormatoFlex));
    for (int c = 0; c < flex->cols(); ++c)
        flex->setColAlignment(c, Qt::AlignCenter);
    AjustarAnchoColumnas(*flex, kColumnasVisibles);
    flex->setColWidth(0, 0);
    for (int c = kColumnasVisibles; c <= kUltimaColumnaOculta && c < flex->cols(); ++c)
        flex->setColWidth(c, 0);
    // Just bound: grid row i + 1 shows listed row i.
    for (const std::size_t i : oficina_.marcadoresListados())
        flex->setRowHeight(static_cast<int>(i) + 1, 0);
    flex->setRedraw(true);
}

void VentanaPrincipal::AjustarAnchoColumnas(GridModel& grid, int columnas) {
    const QFont fuente = &grid == flex ? flexVista->font() : flex2Vista->font();
    const bool redibujo = grid.redraw();
    try {
        std::vector<int> anchos;
        if (&grid == flex) {
            // The list a search shows is part of the one read: its texts were estimated then.
            if (lecturaEstimada_ != oficina_.lecturaClientes() || estimacionClientes_.columnas != columnas) {
                estimacionClientes_ = EstimarAnchos(oficina_.todosLosClientes(), fuente, columnas);
                lecturaEstimada_ = oficina_.lecturaClientes();
            }
            anchos =
                AnchosColumnasTwips(grid, fuente, columnas, estimacionClientes_, oficina_.indicesListados());
        } else {
            anchos = AnchosColumnasTwips(grid, fuente, columnas);
        }
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

// --- The user's actions ---

void VentanaPrincipal::Buscar() {
    try {
        // A column typed into the box that is none of the eight: the list stays as it is.
        oficina_.buscar(Combo1->currentText(), Text1->text());
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
}

void VentanaPrincipal::seleccionarFilaActual() {
    if (resaltando_)
        return;
    const int f = flex->row();
    qint64 id = 0;
    if (f >= 1 &&
        !EsRegistroMarcador(flex->textMatrix(f, kColumnaNumero), flex->textMatrix(f, kColumnaLocalidad)))
        id = flex->textMatrix(f, 0).toLongLong();
    if (id == oficina_.idSeleccionado())
        return; // another column of the same row
    try {
        oficina_.seleccionar(id);
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
}

void VentanaPrincipal::FiltrarFechasInfracciones() {
    if (mostrandoRango_)
        return;
    if (oficina_.establecerRango(FechaInfInicio->date(), FechaInfFin->date()) > 0)
        MostrarMensaje(
            QStringLiteral(
                "¡No hay infracciones en el listado para filtrar!, Por favor seleccione un cliente"),
            QStringLiteral("Seleccione un Cliente"), Icono::Informacion);
}

void VentanaPrincipal::GuardarNombreMunicipio() {
    QString error;
    if (oficina_.cambiarMunicipio(Municipio->text(), &error)) {
        avisoGuardadoMostrado_ = false;
        return;
    }
    // Refused: the box shows what the model holds, which is what the outputs will use.
    {
        const QSignalBlocker bloqueo(Municipio);
        Municipio->setText(oficina_.municipio());
    }
    // Saved on every keystroke: tell once, not once per key.
    if (avisoGuardadoMostrado_)
        return;
    avisoGuardadoMostrado_ = true;
    MostrarMensaje(QStringLiteral("No se pudo guardar el encabezado del Municipio en \"%1\": %2")
                       .arg(rutaMunicipio(), error),
                   QString(), Icono::Critico);
}

void VentanaPrincipal::Agregar() {
    // The model lists and selects the saved client itself.
    EditorCliente* editor = EditorCliente::Abrir(oficina_, this);
    editor->nuevo();
    editor->MostrarModal();
}

void VentanaPrincipal::EditarCliente() {
    if (!oficina_.clienteSeleccionado()) {
        MostrarMensaje(QStringLiteral("¡No hay clientes para editar!"),
                       QStringLiteral("No existe Cliente en la Base de Datos"), Icono::Informacion);
        return;
    }
    EditorCliente* editor = EditorCliente::Abrir(oficina_, this);
    editor->cargar(*oficina_.clienteSeleccionado());
    editor->MostrarModal();
}

void VentanaPrincipal::EliminarCliente() {
    // The button is disabled for other users; the operation checks as well.
    if (!oficina_.esAdministrador()) {
        MostrarMensaje(QStringLiteral("Solo el usuario Administrador puede eliminar clientes."), QString(),
                       Icono::Informacion);
        return;
    }
    if (!oficina_.clienteSeleccionado()) {
        MostrarMensaje(QStringLiteral("No hay ningún registro para eliminar"), QString(), Icono::Informacion);
        return;
    }
    if (MostrarMensaje(TextoConfirmacionEliminar(*oficina_.clienteSeleccionado()), QStringLiteral("Eliminar"),
                       Icono::Pregunta, Botones::SiNo) != Respuesta::Si) {
        // Kept: the view shows the client as stored, whatever its boxes were made to say.
        mostrarSeleccion();
        return;
    }
    try {
        oficina_.eliminarSeleccionado();
    } catch (const ErrorBD& e) {
        MostrarError(e);
        return;
    }
    MostrarMensaje(QStringLiteral("El Cliente fue eliminado satisfactoriamente"),
                   QStringLiteral("Cliente Eliminado"), Icono::Informacion);
}

void VentanaPrincipal::ExportarLibro() {
    if (!oficina_.clienteSeleccionado()) {
        MostrarMensaje(
            QStringLiteral("¡No hay clientes para exportar a excel o no lo seleccionó del listado!"),
            QStringLiteral("Seleccione o cree un Cliente"), Icono::Informacion);
        return;
    }
    ExportarExcel::Mostrar(oficina_);
}

void VentanaPrincipal::Imprimir() {
    if (!oficina_.clienteSeleccionado()) {
        MostrarMensaje(QStringLiteral("¡No hay clientes para imprimir o no lo seleccionó del listado!"),
                       QStringLiteral("Seleccione o cree un Cliente"), Icono::Informacion);
        return;
    }
    ImprimirInformeInfracciones(oficina_, this);
}

void VentanaPrincipal::OrdenarPorCabecera(GridModel& grid, bool& orden, int fila, int col) {
    if (fila != 0)
        return;
    grid.setCol(col);
    // The current row follows its record through the sort.
    const int etiqueta = grid.rowTag(grid.row());
    grid.setRedraw(false);
    const bool ordenado = grid.sortByCurrentCol(!orden);
    if (ordenado && &grid == flex) {
        grid.setRedraw(true);
        resaltarSeleccionado(); // the selected client stays the highlighted one
    } else {
        if (ordenado && etiqueta >= 0) {
            for (int f = 1; f < grid.rows(); ++f) {
                if (grid.rowTag(f) == etiqueta) {
                    const QSignalBlocker bloqueo(&grid);
                    grid.setRow(f);
                    break;
                }
            }
        }
        grid.setRedraw(true);
    }
    if (!ordenado) {
        MostrarMensaje(QStringLiteral("Esta Columna no puede ser ordenada"), QString(), Icono::Informacion);
        return;
    }
    orden = !orden;
}

bool VentanaPrincipal::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::KeyPress && (objeto == flexVista || objeto == flex2Vista)) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        if (tecla->key() == Qt::Key_O && tecla->modifiers() == Qt::ControlModifier) {
            auto* vista = static_cast<GridView*>(objeto);
            const int col =
                vista->currentIndex().isValid() ? vista->currentIndex().column() : vista->grid()->col();
            if (vista == flexVista)
                OrdenarPorCabecera(*flex, OrdenFlex, 0, col);
            else
                OrdenarPorCabecera(*flex2, OrdenFlex2, 0, col);
            return true;
        }
    }
    return QMainWindow::eventFilter(objeto, evento);
}

void VentanaPrincipal::AcercaDe() {
    const QString texto = QStringList{QStringLiteral("Sistema de Adquisición de Datos - VELMORA KV-270"),
                                      QString(),
                                      QStringLiteral("Version: ") + textoVersion(),
                                      QString(),
                                      QString(),
                                      QStringLiteral("Por cualquier Consulta o Soporte Técnico"),
                                      QString(),
                                      QStringLiteral("por favor escribir a : soporte@velmora.example")}
                              .join(QLatin1Char('\n'));
    MostrarMensaje(texto, QStringLiteral("Acerca de..."), Icono::Informacion);
}

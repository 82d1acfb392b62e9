#include "windows/clients/VentanaPrincipal.h"

#include "core/Oficina.h"
#include "core/charts/DatosGrafico.h"
#include "core/clients/Cliente.h"
#include "core/platform/DirectorioDatos.h"
#include "core/platform/Programa.h"
#include "windows/accounts/VentanaCuentas.h"
#include "windows/charts/VentanaGrafico.h"
#include "windows/clients/BarraEstado.h"
#include "windows/clients/BarraMenus.h"
#include "windows/clients/FiltroInspecciones.h"
#include "windows/clients/PanelClientes.h"
#include "windows/clients/PanelInfracciones.h"
#include "windows/clients/PanelLocal.h"
#include "windows/editor/EditorCliente.h"
#include "windows/grid/GridView.h"
#include "windows/import/VentanaImportacion.h"
#include "windows/output/ExportarExcel.h"
#include "windows/output/VistaInforme.h"
#include "windows/platform/CajasSoloLectura.h"
#include "windows/platform/CursorEspera.h"
#include "windows/platform/Imagenes.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/PedirMotivo.h"
#include "windows/resumen/VentanaResumen.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

QString rutaMunicipio() {
    return QDir(DirectorioDatos()).filePath(QLatin1String(kNombreArchivoMunicipio));
}

QPushButton* boton(const char* texto, const char* nombre) {
    auto* b = new QPushButton(QString::fromUtf8(texto));
    b->setObjectName(QLatin1String(nombre));
    b->setAutoDefault(false);
    // Narrower than the style's usual width when the screen is (1024 pixels), never cutting its text.
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 14);
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return b;
}

} // namespace

VentanaPrincipal::VentanaPrincipal(Oficina& oficina, QWidget* parent)
    : QMainWindow(parent), oficina_(oficina) {
    setObjectName(QStringLiteral("VentanaPrincipal"));
    setWindowTitle(QStringLiteral("Sistema de Adquisición de Datos - Velmora KV-270"));
    setWindowIcon(IconoPrograma());
    construir();
    setMenuBar(new BarraMenus(oficina_, this));
    barraEstado_ = new BarraEstado;
    setStatusBar(barraEstado_);
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
    textoBusqueda_->setFocus(); // the search is what the user types first
}

void VentanaPrincipal::construir() {
    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("central"));
    setCentralWidget(central);
    auto* principal = new QVBoxLayout(central);
    principal->setContentsMargins(6, 4, 6, 2);
    principal->setSpacing(4);
    principal->addLayout(construirCabecera());
    principal->addLayout(construirOpciones());

    // Client list above, the selected client's view below; the user can move the divide.
    auto* division = new QSplitter(Qt::Vertical);
    division->setObjectName(QStringLiteral("division"));
    division->setChildrenCollapsible(false);
    panelClientes_ = new PanelClientes(oficina_);
    division->addWidget(panelClientes_);

    auto* inferior = new QWidget;
    inferior->setObjectName(QStringLiteral("inferior"));
    auto* abajo = new QHBoxLayout(inferior);
    abajo->setContentsMargins(0, 0, 0, 0);
    abajo->setSpacing(6);
    // Left: the premises and, under them, the date filter; right: the infraction grid at full
    // height, so it shows as many rows as the screen allows.
    auto* izquierda = new QVBoxLayout;
    izquierda->setSpacing(4);
    panelLocal_ = new PanelLocal;
    izquierda->addWidget(panelLocal_, 1);
    panelInfracciones_ = new PanelInfracciones(oficina_);
    filtroInspecciones_ = new FiltroInspecciones(oficina_);
    izquierda->addWidget(filtroInspecciones_);
    abajo->addLayout(izquierda, 0);
    abajo->addWidget(panelInfracciones_, 1);

    division->addWidget(inferior);
    division->setStretchFactor(0, 2);
    division->setStretchFactor(1, 3);
    principal->addWidget(division, 1);
    ordenarTeclado();
}

QLayout* VentanaPrincipal::construirCabecera() {
    // Picture, municipality, search, current user.
    auto* cabecera = new QHBoxLayout;
    auto* imagen = new QLabel;
    imagen->setObjectName(QStringLiteral("imagenCabecera"));
    imagen->setPixmap(ImagenCabecera(52, devicePixelRatioF()));
    imagen->setFixedSize(52, 52);
    imagen->setAccessibleName(QStringLiteral("Velmora KV-270"));
    cabecera->addWidget(imagen);

    municipio_ = new QLineEdit;
    municipio_->setObjectName(QStringLiteral("municipio"));
    municipio_->setAlignment(Qt::AlignCenter);
    QFont grande = municipio_->font();
    grande.setBold(true);
    grande.setPointSizeF(grande.pointSizeF() * 1.6);
    municipio_->setFont(grande);
    municipio_->setMinimumHeight(40);
    municipio_->setToolTip(
        QStringLiteral("Encabezado con el nombre del Municipio (Solo editable por el Administrador)"));
    municipio_->setAccessibleName(QStringLiteral("Municipio"));
    municipio_->setAccessibleDescription(municipio_->toolTip());
    cabecera->addWidget(municipio_, 1);

    // The search sits in the header so the option buttons have a row of their own: together
    // they were wider than a 1024-pixel screen.
    auto* filtroClientes = new QGroupBox(QStringLiteral("Filtrar Datos"));
    filtroClientes->setObjectName(QStringLiteral("filtroClientes"));
    auto* filtro = new QHBoxLayout(filtroClientes);
    filtro->setContentsMargins(6, 2, 6, 6);
    columnaBusqueda_ = new QComboBox;
    columnaBusqueda_->setObjectName(QStringLiteral("columnaBusqueda"));
    columnaBusqueda_->setEditable(true);
    columnaBusqueda_->setInsertPolicy(QComboBox::NoInsert);
    columnaBusqueda_->setEditText(QStringLiteral("Nombre"));
    columnaBusqueda_->setToolTip(QStringLiteral("Seleccione un tipo de dato a filtrar"));
    columnaBusqueda_->setAccessibleName(QStringLiteral("Columna a filtrar"));
    columnaBusqueda_->setAccessibleDescription(columnaBusqueda_->toolTip());
    columnaBusqueda_->setMinimumWidth(150);
    textoBusqueda_ = new QLineEdit;
    textoBusqueda_->setObjectName(QStringLiteral("textoBusqueda"));
    textoBusqueda_->setToolTip(QStringLiteral("Escriba aqui el texto a filtrar en el listado de Clientes"));
    textoBusqueda_->setAccessibleName(QStringLiteral("Filtrar Datos"));
    textoBusqueda_->setAccessibleDescription(textoBusqueda_->toolTip());
    textoBusqueda_->setClearButtonEnabled(true);
    textoBusqueda_->setMinimumWidth(180);
    filtro->addWidget(textoBusqueda_, 1);
    filtro->addWidget(columnaBusqueda_);
    cabecera->addWidget(filtroClientes);

    auto* sesion = new QGroupBox(QStringLiteral("Usuario Actual"));
    sesion->setObjectName(QStringLiteral("sesion"));
    auto* usuario = new QHBoxLayout(sesion);
    usuario->setContentsMargins(6, 2, 6, 4);
    usuarioActual_ = new QLineEdit;
    usuarioActual_->setObjectName(QStringLiteral("usuarioActual"));
    usuarioActual_->setAlignment(Qt::AlignCenter);
    usuarioActual_->setReadOnly(true);
    QFont negrita = usuarioActual_->font();
    negrita.setBold(true);
    usuarioActual_->setFont(negrita);
    usuarioActual_->setMinimumWidth(170);
    usuarioActual_->setAccessibleName(QStringLiteral("Usuario Actual"));
    usuario->addWidget(usuarioActual_);
    cabecera->addWidget(sesion);

    // Up here the option buttons keep a row of their own, the office summary's included.
    auto* grupoSalir = new QGroupBox(QStringLiteral("Salir"));
    grupoSalir->setObjectName(QStringLiteral("grupoSalir"));
    auto* salir = new QHBoxLayout(grupoSalir);
    salir->setContentsMargins(6, 2, 6, 4);
    botonSalir_ = boton("Salir", "botonSalir");
    salir->addWidget(botonSalir_);
    cabecera->addWidget(grupoSalir);
    return cabecera;
}

QLayout* VentanaPrincipal::construirOpciones() {
    auto* opciones = new QHBoxLayout;
    auto* controlClientes = new QGroupBox(QStringLiteral("Control de Clientes"));
    controlClientes->setObjectName(QStringLiteral("controlClientes"));
    auto* botones = new QHBoxLayout(controlClientes);
    botones->setContentsMargins(6, 2, 6, 6);
    botones->setSpacing(4);
    botonNuevo_ = boton("Nuevo", "botonNuevo");
    botonEditar_ = boton("Editar", "botonEditar");
    botonEliminar_ = boton("Eliminar", "botonEliminar");
    botonExportarExcel_ = boton("Exportar Excel", "botonExportarExcel");
    botonAdquirirDatos_ = boton("Adquirir Datos de Inspección", "botonAdquirirDatos");
    botonCuentas_ = boton("Config. Cuentas", "botonCuentas");
    botonImprimir_ = boton("Imprimir", "botonImprimir");
    botonGrafico_ = boton("Gráfico de Niveles", "botonGrafico");
    botonGrafico_->setToolTip(
        QStringLiteral("Niveles en el tiempo e infracciones por día y hora del cliente seleccionado"));
    botonGrafico_->setEnabled(false);
    botonResumen_ = boton("Resumen de la Oficina", "botonResumen");
    for (QPushButton* b : {botonNuevo_, botonEditar_, botonEliminar_, botonExportarExcel_,
                           botonAdquirirDatos_, botonCuentas_, botonImprimir_, botonGrafico_, botonResumen_})
        botones->addWidget(b);
    opciones->addWidget(controlClientes, 1);
    return opciones;
}

void VentanaPrincipal::ordenarTeclado() {
    // Header, search, options, lists, then the client's view.
    std::vector<QWidget*> orden{
        municipio_,          textoBusqueda_,         columnaBusqueda_, botonSalir_,
        botonNuevo_,         botonEditar_,           botonEliminar_,   botonExportarExcel_,
        botonAdquirirDatos_, botonCuentas_,          botonImprimir_,   botonGrafico_,
        botonResumen_,       panelClientes_->vista()};
    const auto agregar = [&orden](const std::vector<QWidget*>& otros) {
        orden.insert(orden.end(), otros.begin(), otros.end());
    };
    agregar(panelLocal_->ordenTeclado());
    agregar({panelInfracciones_->vista()});
    agregar(filtroInspecciones_->ordenTeclado());
    for (size_t i = 1; i < orden.size(); ++i)
        setTabOrder(orden[i - 1], orden[i]);
}

void VentanaPrincipal::conectar() {
    connect(botonNuevo_, &QPushButton::clicked, this, [this] { agregarCliente(); });
    connect(botonEditar_, &QPushButton::clicked, this, [this] { editarCliente(); });
    connect(botonEliminar_, &QPushButton::clicked, this, [this] { eliminarCliente(); });
    connect(botonSalir_, &QPushButton::clicked, this, [this] { close(); });
    connect(botonExportarExcel_, &QPushButton::clicked, this, [this] { exportarLibro(); });
    connect(botonAdquirirDatos_, &QPushButton::clicked, this,
            [this] { MostrarVentanaImportacion(oficina_); });
    connect(botonCuentas_, &QPushButton::clicked, this, [this] { MostrarVentanaCuentas(oficina_); });
    connect(botonImprimir_, &QPushButton::clicked, this, [this] { imprimir(); });
    connect(botonGrafico_, &QPushButton::clicked, this, [this] { VentanaGrafico::Mostrar(oficina_); });
    connect(botonResumen_, &QPushButton::clicked, this, [this] { VentanaResumen::Mostrar(oficina_); });

    // Any change of the text is the user's (typing, paste, undo, an assistive tool); the model's own
    // updates are written with signals blocked, so loading the header never rewrites the file.
    connect(municipio_, &QLineEdit::textChanged, this, [this] { guardarMunicipio(); });
    connect(textoBusqueda_, &QLineEdit::textChanged, this, [this] { buscar(); });
    connect(columnaBusqueda_, &QComboBox::editTextChanged, this, [this] { buscar(); });

    connect(&oficina_, &Oficina::clientesCambiados, this, [this] { panelClientes_->mostrarClientes(); });
    connect(&oficina_, &Oficina::seleccionCambiada, this, [this] { mostrarSeleccion(); });
    connect(&oficina_, &Oficina::infraccionesCambiadas, this, [this] { mostrarInfracciones(); });
    connect(&oficina_, &Oficina::municipioCambiado, this, [this] {
        // Rewriting the same text would move the cursor of a user typing in the box.
        if (municipio_->text() != oficina_.municipio()) {
            const QSignalBlocker bloqueo(municipio_);
            municipio_->setText(oficina_.municipio());
        }
    });
}

void VentanaPrincipal::cargar() {
    {
        const auto escritura = cajasSoloLectura_->escribir();
        usuarioActual_->setText(oficina_.usuario());
    }
    MostrarMensaje(QStringLiteral("Bienvenido Usuario ") + oficina_.usuario(), QStringLiteral("Bienvenido!"),
                   Icono::Informacion);
    if (!oficina_.esAdministrador()) {
        municipio_->setEnabled(false);
        botonEliminar_->setEnabled(false);
    }
    // A read-only role (the server's velmora_consulta) lists, searches and issues documents only.
    for (QPushButton* b : {botonNuevo_, botonEditar_, botonAdquirirDatos_})
        b->setEnabled(oficina_.puedeEscribir());
    {
        // Filling the list must not replace the text the user sees ("Nombre").
        const QSignalBlocker bloqueo(columnaBusqueda_);
        const QString texto = columnaBusqueda_->currentText();
        columnaBusqueda_->clear();
        columnaBusqueda_->addItems(Sentencias::columnasBusqueda());
        columnaBusqueda_->setCurrentIndex(static_cast<int>(Sentencias::columnasBusqueda().indexOf(texto)));
        columnaBusqueda_->setEditText(texto);
    }
    try {
        const CursorEspera espera;
        oficina_.abrirClientes();
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
    oficina_.cargarMunicipio(rutaMunicipio());
    {
        const QSignalBlocker bloqueo(municipio_);
        municipio_->setText(oficina_.municipio());
    }
    filtroInspecciones_->mostrarRango();
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

void VentanaPrincipal::mostrarSeleccion() {
    const auto escritura = cajasSoloLectura_->escribir();
    panelClientes_->resaltarSeleccionado();
    panelLocal_->mostrar(oficina_.clienteSeleccionado().value_or(Cliente{}));
    mostrarInfracciones();
}

void VentanaPrincipal::mostrarInfracciones() {
    const auto escritura = cajasSoloLectura_->escribir();
    panelInfracciones_->mostrarInfracciones();
    botonGrafico_->setEnabled(HayFilasInfraccion(oficina_.infracciones()));
    panelLocal_->mostrarBandas(oficina_.textosBandas());
}

// --- The user's actions ---

void VentanaPrincipal::buscar() {
    try {
        // A column typed into the box that is none of the eight: the list stays as it is.
        oficina_.buscar(columnaBusqueda_->currentText(), textoBusqueda_->text());
    } catch (const ErrorBD& e) {
        MostrarError(e);
    }
}

void VentanaPrincipal::guardarMunicipio() {
    QString error;
    if (oficina_.cambiarMunicipio(municipio_->text(), &error)) {
        avisoGuardadoMostrado_ = false;
        return;
    }
    // Refused: the box shows what the model holds, which is what the outputs will use.
    {
        const QSignalBlocker bloqueo(municipio_);
        municipio_->setText(oficina_.municipio());
    }
    // Saved on every keystroke: tell once, not once per key.
    if (avisoGuardadoMostrado_)
        return;
    avisoGuardadoMostrado_ = true;
    MostrarMensaje(QStringLiteral("No se pudo guardar el encabezado del Municipio en \"%1\": %2")
                       .arg(rutaMunicipio(), error),
                   QString(), Icono::Critico);
}

void VentanaPrincipal::agregarCliente() {
    // The model lists and selects the saved client itself.
    EditorCliente* editor = EditorCliente::Abrir(oficina_, this);
    editor->nuevo();
    editor->MostrarModal();
}

void VentanaPrincipal::editarCliente() {
    if (!oficina_.clienteSeleccionado()) {
        MostrarMensaje(QStringLiteral("¡No hay clientes para editar!"),
                       QStringLiteral("No existe Cliente en la Base de Datos"), Icono::Informacion);
        return;
    }
    EditorCliente* editor = EditorCliente::Abrir(oficina_, this);
    editor->cargar(*oficina_.clienteSeleccionado());
    editor->MostrarModal();
}

void VentanaPrincipal::eliminarCliente() {
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
    const QString motivo = PedirMotivo(this, QStringLiteral("Eliminar"),
                                       QStringLiteral("Escriba el motivo por el que se elimina el cliente."));
    if (motivo.isEmpty()) {
        mostrarSeleccion();
        return;
    }
    try {
        oficina_.eliminarSeleccionado(motivo);
    } catch (const ErrorBD& e) {
        MostrarError(e);
        return;
    }
    MostrarMensaje(QStringLiteral("El Cliente fue eliminado satisfactoriamente"),
                   QStringLiteral("Cliente Eliminado"), Icono::Informacion);
}

void VentanaPrincipal::exportarLibro() {
    if (!oficina_.clienteSeleccionado()) {
        MostrarMensaje(
            QStringLiteral("¡No hay clientes para exportar a excel o no lo seleccionó del listado!"),
            QStringLiteral("Seleccione o cree un Cliente"), Icono::Informacion);
        return;
    }
    ExportarExcel::Mostrar(oficina_);
}

void VentanaPrincipal::imprimir() {
    if (!oficina_.clienteSeleccionado()) {
        MostrarMensaje(QStringLiteral("¡No hay clientes para imprimir o no lo seleccionó del listado!"),
                       QStringLiteral("Seleccione o cree un Cliente"), Icono::Informacion);
        return;
    }
    ImprimirInformeInfracciones(oficina_, this);
}

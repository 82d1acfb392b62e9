#include "import/AdquirirInf.h"

#include "accounts/Sesion.h"
#include "clients/FrmDatos.h"
#include "clients/VistaInfracciones.h"
#include "clients/frmEdit.h"
#include "import/ArchivoInspeccion.h"
#include "import/Importacion.h"
#include "platform/Dialogos.h"
#include "platform/Mensajes.h"
#include "store/GridModel.h"
#include "store/modVarios.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QPointer<AdquirirInf> unica;

const QString kAviso = QStringLiteral("Aviso Importante!");
const QString kNoValido = QStringLiteral("El archivo seleccionado no es válido");
const QString kSeleccione = QStringLiteral("Seleccione un archivo del directorio");

void aviso(const QString& texto) {
    MsgBox(texto, kAviso, Icono::Exclamacion);
}

bool dosDigitos(const QString& t, int desde, int& valor) {
    const QChar a = t.at(desde);
    const QChar b = t.at(desde + 1);
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9')
        return false;
    valor = (a.unicode() - u'0') * 10 + (b.unicode() - u'0');
    return true;
}

// "dd/mm/yy"; the year takes the century 20, as the records' dates do.
QDate fechaDeTexto(const QString& t) {
    int d = 0;
    int m = 0;
    int a = 0;
    if (t.size() != 8 || t.at(2) != u'/' || t.at(5) != u'/' || !dosDigitos(t, 0, d) || !dosDigitos(t, 3, m) ||
        !dosDigitos(t, 6, a))
        return {};
    return QDate(2000 + a, m, d);
}

// "hh:mm:ss"
QTime horaDeTexto(const QString& t) {
    int h = 0;
    int m = 0;
    int s = 0;
    if (t.size() != 8 || t.at(2) != u':' || t.at(5) != u':' || !dosDigitos(t, 0, h) || !dosDigitos(t, 3, m) ||
        !dosDigitos(t, 6, s))
        return {};
    return QTime(h, m, s);
}

QString inspectorActual() {
    if (FrmDatos* f = FrmDatos::instancia(); f && f->Usuario)
        return f->Usuario->text();
    return UsuarioActual;
}

} // namespace

void MostrarAdquirirInf() {
    if (!unica)
        unica = new AdquirirInf(FrmDatos::instancia());
    unica->show();
    unica->raise();
    unica->activateWindow();
}

AdquirirInf* AdquirirInf::instancia() {
    return unica.data();
}

AdquirirInf::AdquirirInf(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("AdquirirInf"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Adquirir Datos de Inspección"));
    setFont(QFont(QStringLiteral("Arial"), 9));
    construir();
    cargarUnidades();
    if (!setDirectorio(QDir::currentPath()))
        setDirectorio(QDir::homePath());
    unica = this;
}

AdquirirInf::~AdquirirInf() = default;

void AdquirirInf::construir() {
    Frame1 = new QGroupBox(QStringLiteral("Ubicacion de los Archivos de Datos"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Drive1 = new QComboBox(Frame1);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setAccessibleName(QStringLiteral("Unidad"));
    Dir1 = new QTreeWidget(Frame1);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setAccessibleName(QStringLiteral("Directorio"));
    Dir1->setHeaderHidden(true);
    Dir1->setColumnCount(1);
    Dir1->setIndentation(12);
    File1 = new QListWidget(Frame1);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setAccessibleName(QStringLiteral("Archivos de inspección"));
    File1->setSelectionMode(QAbstractItemView::SingleSelection);
    File1->setSortingEnabled(false);

    auto* g1 = new QGridLayout(Frame1);
    g1->addWidget(Drive1, 0, 0);
    g1->addWidget(Dir1, 1, 0);
    g1->addWidget(File1, 0, 1, 2, 1);
    g1->setColumnStretch(0, 1);
    g1->setColumnStretch(1, 1);

    Frame2 = new QGroupBox(QStringLiteral("Datos Preliminares"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Label1 = new QLabel(QStringLiteral("Numero de Cliente:"), Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    // The preview shows what the file says; the import takes it from here, so it is not edited.
    Text1 = new QLineEdit(Frame2);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Label1->setBuddy(Text1);
    Label5 = new QLabel(QStringLiteral("Fecha y Hora de la Inspeccion:"), Frame2);
    Label5->setObjectName(QStringLiteral("Label5"));
    DTPicker1 = new QDateEdit(QDate(2010, 6, 8), Frame2);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker1->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    DTPicker1->setReadOnly(true);
    DTPicker1->setButtonSymbols(QAbstractSpinBox::NoButtons);
    Label5->setBuddy(DTPicker1);
    DTPicker2 = new QTimeEdit(QTime(0, 0, 0), Frame2);
    DTPicker2->setObjectName(QStringLiteral("DTPicker2"));
    DTPicker2->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    DTPicker2->setReadOnly(true);
    DTPicker2->setButtonSymbols(QAbstractSpinBox::NoButtons);
    DTPicker2->setAccessibleName(QStringLiteral("Hora de la Inspeccion"));

    auto* g2 = new QGridLayout(Frame2);
    g2->addWidget(Label1, 0, 0);
    g2->addWidget(Text1, 0, 1);
    g2->addWidget(Label5, 1, 0);
    g2->addWidget(DTPicker1, 1, 1);
    g2->addWidget(DTPicker2, 1, 2);
    g2->setColumnStretch(3, 1);

    Command1 = new QPushButton(QStringLiteral("Importar Datos"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Volver = new QPushButton(QStringLiteral("Cancelar y Volver"), this);
    Volver->setObjectName(QStringLiteral("Volver"));
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(Command1);
    botones->addWidget(Volver);

    auto* v = new QVBoxLayout(this);
    v->addWidget(Frame1, 1);
    v->addWidget(Frame2);
    v->addLayout(botones);
    resize(640, 480);

    connect(Drive1, &QComboBox::currentIndexChanged, this, &AdquirirInf::cambiarUnidad);
    connect(Dir1, &QTreeWidget::itemActivated, this, &AdquirirInf::directorioActivado);
    connect(File1, &QListWidget::itemSelectionChanged, this, &AdquirirInf::seleccionCambiada);
    connect(File1, &QListWidget::itemClicked, this, &AdquirirInf::archivoPulsado);
    connect(Command1, &QPushButton::clicked, this, &AdquirirInf::importar);
    connect(Volver, &QPushButton::clicked, this, &QWidget::close);
}

void AdquirirInf::cargarUnidades() {
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
    const QSignalBlocker bloqueo(Drive1);
    for (const QString& r : raices)
        Drive1->addItem(icono, QDir::toNativeSeparators(r), r);
}

void AdquirirInf::cambiarUnidad(int indice) {
    if (indice < 0 || indice == unidadActual_)
        return;
    if (!setDirectorio(Drive1->itemData(indice).toString())) {
        // The lists keep showing the previous location.
        const QSignalBlocker bloqueo(Drive1);
        Drive1->setCurrentIndex(unidadActual_);
        aviso(QStringLiteral("No puede leerse la unidad"));
    }
}

bool AdquirirInf::setDirectorio(const QString& ruta) {
    const QFileInfo info(ruta);
    if (ruta.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
    directorio_ = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const int unidad = Drive1->findData(QStorageInfo(directorio_).rootPath());
    if (unidad >= 0) {
        const QSignalBlocker bloqueo(Drive1);
        Drive1->setCurrentIndex(unidad);
    }
    unidadActual_ = Drive1->currentIndex();
    llenarDirectorios();
    // The preview is left as it is: it still describes the last clicked file.
    actualizarArchivos();
    return true;
}

void AdquirirInf::llenarDirectorios() {
    const QIcon abierto = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon cerrado = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QStringList cadena;
    QDir d(directorio_);
    while (true) {
        cadena.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    Dir1->clear();
    QTreeWidgetItem* padre = nullptr;
    for (const QString& ruta : cadena) {
        const QString nombre =
            QDir(ruta).isRoot() ? QDir::toNativeSeparators(ruta) : QFileInfo(ruta).fileName();
        auto* item = padre ? new QTreeWidgetItem(padre, {nombre}) : new QTreeWidgetItem(Dir1, {nombre});
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
        Dir1->setCurrentItem(padre);
        Dir1->scrollToItem(padre);
    }
}

void AdquirirInf::directorioActivado(QTreeWidgetItem* item) {
    if (!item)
        return;
    const QString ruta = item->data(0, Qt::UserRole).toString();
    if (ruta == directorio_)
        return;
    if (!setDirectorio(ruta))
        aviso(QStringLiteral("No puede leerse el directorio seleccionado"));
}

void AdquirirInf::actualizarArchivos() {
    previstoPorSeleccion_ = nullptr;
    const QSignalBlocker bloqueo(File1);
    File1->clear();
    // Name filters ignore letter case: the device's media often carry names like "DATOS.KVD".
    const QStringList nombres =
        QDir(directorio_).entryList({QStringLiteral("*.kvd")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    const QIcon icono = style()->standardIcon(QStyle::SP_FileIcon);
    for (const QString& n : nombres)
        new QListWidgetItem(icono, n, File1);
}

QString AdquirirInf::rutaSeleccionada() const {
    const QList<QListWidgetItem*> items = File1->selectedItems();
    if (items.isEmpty() || directorio_.isEmpty())
        return QString();
    return QDir(directorio_).filePath(items.first()->text());
}

void AdquirirInf::seleccionCambiada() {
    const QList<QListWidgetItem*> items = File1->selectedItems();
    if (items.isEmpty())
        return;
    previstoPorSeleccion_ = items.first();
    previsualizar(items.first()->text());
}

void AdquirirInf::archivoPulsado(QListWidgetItem* item) {
    // A click that selected the item was already previewed by the selection change; a click on
    // the item already selected previews it again.
    if (item == previstoPorSeleccion_) {
        previstoPorSeleccion_ = nullptr;
        return;
    }
    if (item)
        previsualizar(item->text());
}

void AdquirirInf::previsualizar(const QString& nombreArchivo) {
    rutaPrevista_.clear();
    Text1->clear();
    const auto falla = [] { aviso(QStringLiteral("El sistema no puede leer el archivo seleccionado")); };
    const std::optional<QByteArray> datos = leerArchivoInspeccion(QDir(directorio_).filePath(nombreArchivo));
    if (!datos)
        return falla();
    // One character at a time: a short file leaves what it had in the box.
    for (qsizetype i = 0; i < 4 && i < datos->size(); ++i)
        Text1->setText(Text1->text() + caracterWindows1252(static_cast<unsigned char>(datos->at(i))));
    const std::optional<VistaPreviaInspeccion> vista = decodificarVistaPrevia(*datos);
    if (!vista)
        return falla();
    const QDate fecha = fechaDeTexto(vista->fecha);
    if (!fecha.isValid())
        return falla();
    DTPicker1->setDate(fecha);
    const QTime hora = horaDeTexto(vista->hora);
    if (!hora.isValid())
        return falla();
    DTPicker2->setTime(hora);
    rutaPrevista_ = QDir(directorio_).filePath(nombreArchivo);
}

void AdquirirInf::permitirAcciones(bool si) {
    for (QWidget* w : std::initializer_list<QWidget*>{Command1, Volver, Drive1, Dir1, File1})
        w->setEnabled(si);
}

void AdquirirInf::registrarClienteNuevo() {
    MsgBox(
        QStringLiteral("El archivo de infracciones pertenece a un cliente no existente en la base de datos, "
                       "Por Favor Ingresélo a continuación"),
        QStringLiteral("Cliente Nuevo"), Icono::Pregunta);
    FrmDatos* principal = FrmDatos::instancia();
    frmEdit* editor = principal ? frmEdit::instancia() : nullptr;
    if (!editor)
        return;
    const QPointer<frmEdit> vigente(editor);
    editor->cmdCancelar->setEnabled(false);
    editor->Text1(1)->setEnabled(false);
    editor->Text1(1)->setText(Text1->text());
    editor->DTPicker1->setDate(DTPicker1->date());
    editor->DTPicker2->setDate(DTPicker1->date());
    editor->DTPicker3->setTime(DTPicker2->time());
    editor->DTPicker4->setDate(DTPicker1->date());
    editor->DTPicker5->setTime(DTPicker2->time());
    principal->Agregar();
    // Disabled for this one opening only; a saved editor is discarded anyway.
    if (vigente)
        vigente->cmdCancelar->setEnabled(true);
}

void AdquirirInf::importar() {
    if (importando_)
        return;
    if (Text1->text().isEmpty())
        return aviso(kSeleccione);
    const QString ruta = rutaSeleccionada();
    if (ruta.isEmpty())
        return aviso(kSeleccione);
    // After a failed preview the pickers still hold another file's date and time.
    if (ruta != rutaPrevista_)
        return aviso(kNoValido);

    importando_ = true;
    permitirAcciones(false);
    struct Fin {
        AdquirirInf* w;
        ~Fin() {
            w->importando_ = false;
            w->permitirAcciones(true);
        }
    } fin{this};

    // The whole file is read and checked before anything, the new client included, is written.
    ArchivoImportacion archivo;
    ResultadoImportacion r = leerArchivoImportacion(ruta, archivo);
    if (r.estado == EstadoImportacion::ArchivoIlegible)
        return aviso(
            QStringLiteral("No se puede leer el archivo seleccionado. Verifique que siga en la unidad y "
                           "selecciónelo nuevamente."));
    if (!r.ok())
        return aviso(kNoValido);

    try {
        Database& db = Conexion1.db();
        const QString numero = Text1->text();
        if (!existeCliente(db, numero))
            registrarClienteNuevo();
        DatosImportacion datos;
        datos.numeroCliente = numero;
        datos.fecha = DTPicker1->date();
        datos.hora = DTPicker2->time();
        datos.inspector = inspectorActual();
        // Repaints and timers only: no click may write in the middle of the transaction.
        datos.progreso = [](qsizetype, qsizetype) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
        r = escribirImportacion(db, archivo, datos);
    } catch (const ErrorBD& e) {
        MsgBox(e.descripcion(), QString(), Icono::Critico);
        return;
    }
    if (r.estado == EstadoImportacion::ErrorBaseDatos) {
        MsgBox(r.detalle, QString(), Icono::Critico);
        return;
    }
    if (!r.ok())
        return aviso(kNoValido);

    FrmDatos* principal = FrmDatos::instancia();
    // The client selected before the import stays selected, so its view shows the new rows.
    const QString idSeleccionado =
        principal && principal->flex ? principal->flex->textMatrix(principal->flex->row(), 0) : QString();
    try {
        if (Registros1.abierto())
            Registros1.requery();
        if (principal && principal->flex)
            EnlazarRegistros1(*principal->flex);
    } catch (const ErrorBD& e) {
        MsgBox(e.descripcion(), QString(), Icono::Critico);
    }
    MsgBox(QStringLiteral("Infracciones Agregadas a la Base de Datos"), kAviso, Icono::Informacion);
    MsgBox(QStringLiteral("Se borrara el archivo de infracciones"), kAviso, Icono::Informacion);
    if (principal && principal->flex) {
        GridModel& flex = *principal->flex;
        int fila = -1;
        for (int f = 1; f < flex.rows() && fila < 0 && !idSeleccionado.isEmpty(); ++f)
            if (flex.textMatrix(f, 0) == idSeleccionado)
                fila = f;
        if (fila > 0 && fila != flex.row())
            flex.setRow(fila); // the main window reloads the view on a row change
        else
            MostrarInfraccionesCliente();
    }
    if (!BorrarArchivo(ruta))
        aviso(QStringLiteral(
                  "Las infracciones se guardaron en la base de datos, pero el archivo \"%1\" no pudo "
                  "borrarse. No vuelva a importarlo: sus datos ya están guardados.")
                  .arg(QDir::toNativeSeparators(ruta)));
    actualizarArchivos();
    importando_ = false;
    close();
}

void AdquirirInf::closeEvent(QCloseEvent* evento) {
    // The import writes in one transaction; the window goes when it has finished.
    if (importando_)
        evento->ignore();
    else
        evento->accept();
}

#include "windows/clients/EditorCliente.h"

#include "core/Oficina.h"
#include "core/store/BaseDatos.h"
#include "windows/platform/Mensajes.h"
#include "windows/platform/SelectoresFecha.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {
EditorCliente* unica = nullptr;

struct Campo {
    int indice;
    const char* etiqueta;
    int largo;
    bool obligatorio;
};

const Campo kCamposCliente[] = {{1, "Numero de Cliente:", 4, true}, {2, "Nombre y Apellido:", 50, true},
                                {3, "Direccion:", 50, false},       {4, "Localidad:", 50, false},
                                {5, "Codigo Postal:", 10, false},   {6, "Partido:", 50, false},
                                {7, "Provincia:", 20, false},       {8, "Telefono:", 20, true},
                                {9, "Telefono Movil:", 20, false},  {10, "Email:", 50, false}};

const Campo kCamposLocal[] = {{13, "Nombre:", 50, true},     {14, "Direccion:", 50, true},
                              {15, "Localidad:", 50, false}, {16, "Partido:", 50, false},
                              {17, "Provincia:", 20, false}, {18, "Telefono:", 20, false},
                              {19, "Email:", 50, false}};

// Checked in this order; the first empty one stops the save.
const int kObligatorios[] = {1, 2, 8, 13, 14};

const QDate kFechaInicial(2010, 5, 10);

QString tooltipLargo(int largo) {
    return QStringLiteral("Escriba Como Máximo %1 Caracteres").arg(largo);
}

QLabel* etiquetaRoja(const QString& texto, QWidget* padre) {
    auto* l = new QLabel(texto, padre);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::red);
    l->setPalette(p);
    return l;
}

QDateEdit* nuevaFecha(const char* nombre, QWidget* padre) {
    auto* d = new QDateEdit(kFechaInicial, padre);
    d->setObjectName(QLatin1String(nombre));
    d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    d->setCalendarPopup(true);
    return d;
}

QTimeEdit* nuevaHora(const char* nombre, QWidget* padre) {
    auto* t = new QTimeEdit(QTime(0, 0), padre);
    t->setObjectName(QLatin1String(nombre));
    t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return t;
}
} // namespace

EditorCliente* EditorCliente::Abrir(Oficina& oficina, QWidget* padre) {
    if (unica && unica->isVisible())
        return unica;
    // One not shown yet may carry another opening's mode: the new one starts afresh.
    delete unica;
    unica = new EditorCliente(oficina, padre);
    return unica;
}

EditorCliente* EditorCliente::instancia() {
    return unica;
}

EditorCliente::EditorCliente(Oficina& oficina, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), oficina_(oficina) {
    setObjectName(QStringLiteral("EditorCliente"));
    setModal(true);
    construir();
}

EditorCliente::~EditorCliente() {
    if (unica == this)
        unica = nullptr;
}

QLineEdit* EditorCliente::Text1(int indice) const {
    const auto it = textos_.find(indice);
    return it == textos_.end() ? nullptr : it->second;
}

void EditorCliente::construir() {
    auto* raiz = new QVBoxLayout(this);
    auto* marcos = new QHBoxLayout();
    raiz->addLayout(marcos);

    auto agregarCampos = [this](QGridLayout* g, QGroupBox* marco, const Campo* campos, int n) {
        for (int i = 0; i < n; ++i) {
            const Campo& c = campos[i];
            auto* texto = new QLineEdit(marco);
            texto->setObjectName(QStringLiteral("Text1_%1").arg(c.indice));
            texto->setMaxLength(c.largo);
            if (c.indice != 1)
                texto->setToolTip(tooltipLargo(c.largo));
            auto* etiqueta = new QLabel(QString::fromUtf8(c.etiqueta), marco);
            etiqueta->setBuddy(texto);
            g->addWidget(etiqueta, i, 0);
            if (c.obligatorio) {
                auto* marca = etiquetaRoja(QStringLiteral("*"), marco);
                marca->setObjectName(QStringLiteral("Obligatorio_%1").arg(c.indice));
                g->addWidget(marca, i, 1);
            }
            g->addWidget(texto, i, 2);
            textos_[c.indice] = texto;
            connect(texto, &QLineEdit::textChanged, this, &EditorCliente::quitarResaltado);
        }
    };

    // Client data, left half.
    Frame1 = new QGroupBox(QStringLiteral("Datos Cliente"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* g1 = new QGridLayout(Frame1);
    agregarCampos(g1, Frame1, kCamposCliente, 10);
    DTPicker1 = nuevaFecha("DTPicker1", Frame1);
    auto* lAlta = new QLabel(QStringLiteral("Fecha de Alta:"), Frame1);
    lAlta->setBuddy(DTPicker1);
    g1->addWidget(lAlta, 10, 0);
    g1->addWidget(DTPicker1, 10, 2, Qt::AlignLeft);
    Notas = new QPlainTextEdit(Frame1);
    Notas->setObjectName(QStringLiteral("Text1_22"));
    Notas->setToolTip(tooltipLargo(250));
    Notas->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Notas->setTabChangesFocus(true);
    Notas->setFixedHeight(80);
    auto* lNotas = new QLabel(QStringLiteral("Notas:"), Frame1);
    lNotas->setBuddy(Notas);
    lNotas->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    g1->addWidget(lNotas, 11, 0);
    g1->addWidget(Notas, 11, 2);
    g1->setColumnMinimumWidth(2, 260);
    connect(Notas, &QPlainTextEdit::textChanged, this, [this] {
        // The box takes at most its limit from the keyboard; a caller's longer text stays.
        const QString t = Notas->toPlainText();
        if (t.size() > limiteNotas_) {
            Notas->setPlainText(t.left(limiteNotas_));
            Notas->moveCursor(QTextCursor::End);
            return;
        }
        quitarResaltado();
    });
    marcos->addWidget(Frame1);

    // Premises data, right half.
    Frame2 = new QGroupBox(QStringLiteral("Datos Local Cliente"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* g2 = new QGridLayout(Frame2);
    agregarCampos(g2, Frame2, kCamposLocal, 7);
    DTPicker2 = nuevaFecha("DTPicker2", Frame2);
    DTPicker3 = nuevaHora("DTPicker3", Frame2);
    DTPicker4 = nuevaFecha("DTPicker4", Frame2);
    DTPicker5 = nuevaHora("DTPicker5", Frame2);
    auto* lUltima = new QLabel(QStringLiteral("Fecha y Hora de Ultima Inspeccion:"), Frame2);
    lUltima->setBuddy(DTPicker2);
    lUltima->setWordWrap(true);
    auto* lAnterior = new QLabel(QStringLiteral("Fecha y Hora de Anterior Inspeccion:"), Frame2);
    lAnterior->setBuddy(DTPicker4);
    lAnterior->setWordWrap(true);
    g2->addWidget(lUltima, 7, 0, 2, 1, Qt::AlignTop);
    g2->addWidget(DTPicker2, 7, 2, Qt::AlignLeft);
    g2->addWidget(DTPicker3, 8, 2, Qt::AlignLeft);
    g2->addWidget(lAnterior, 9, 0, 2, 1, Qt::AlignTop);
    g2->addWidget(DTPicker4, 9, 2, Qt::AlignLeft);
    g2->addWidget(DTPicker5, 10, 2, Qt::AlignLeft);
    g2->setRowStretch(11, 1);
    g2->setColumnMinimumWidth(2, 260);
    g2->setColumnMinimumWidth(0, 150);
    marcos->addWidget(Frame2);

    // Accessible names of the pickers that share a label.
    DTPicker2->setAccessibleName(QStringLiteral("Fecha de Ultima Inspeccion"));
    DTPicker3->setAccessibleName(QStringLiteral("Hora de Ultima Inspeccion"));
    DTPicker4->setAccessibleName(QStringLiteral("Fecha de Anterior Inspeccion"));
    DTPicker5->setAccessibleName(QStringLiteral("Hora de Anterior Inspeccion"));

    auto* pie = new QHBoxLayout();
    Label10 = etiquetaRoja(QStringLiteral("Los campos marcados con * son obligatorios"), this);
    Label10->setObjectName(QStringLiteral("Label10"));
    pie->addWidget(Label10);
    pie->addStretch(1);
    cmdGuardar = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QString(), this);
    cmdGuardar->setObjectName(QStringLiteral("cmdGuardar"));
    cmdCancelar = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                  QStringLiteral("Cancelar y Volver"), this);
    cmdCancelar->setObjectName(QStringLiteral("cmdCancelar"));
    // Enter in a field must not save by itself.
    for (QPushButton* b : {cmdGuardar, cmdCancelar}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setMinimumWidth(170);
        pie->addWidget(b);
    }
    raiz->addLayout(pie);
    connect(cmdGuardar, &QPushButton::clicked, this, &EditorCliente::Guardar);
    connect(cmdCancelar, &QPushButton::clicked, this, &EditorCliente::Cancelar);

    // Tab sequence of the designer: client fields, registration date, notes, premises fields,
    // last inspection, buttons, then the previous inspection (time before date).
    QList<QWidget*> orden;
    for (int i = 1; i <= 10; ++i)
        orden << Text1(i);
    orden << DTPicker1 << Notas;
    for (int i = 13; i <= 19; ++i)
        orden << Text1(i);
    orden << DTPicker2 << DTPicker3 << cmdGuardar << cmdCancelar << DTPicker5 << DTPicker4;
    for (int i = 0; i + 1 < orden.size(); ++i)
        setTabOrder(orden.at(i), orden.at(i + 1));

    paletaNormal_ = Text1(1)->palette();
    setFixedSize(sizeHint().expandedTo(QSize(900, 0)));
}

void EditorCliente::quitarResaltado() {
    for (int i : kObligatorios)
        if (QLineEdit* t = Text1(i))
            t->setPalette(paletaNormal_);
}

void EditorCliente::PonerTexto(int indice, const QString& texto) {
    if (indice == 22) {
        limiteNotas_ = std::max(249, static_cast<int>(texto.size()));
        Notas->setPlainText(texto);
        return;
    }
    QLineEdit* t = Text1(indice);
    if (!t)
        return;
    if (texto.size() > t->maxLength())
        t->setMaxLength(static_cast<int>(texto.size()));
    t->setText(texto);
}

void EditorCliente::cargar(const Cliente& c) {
    ModoEdicion = 1;
    IdCliente = c.id;
    VersionCliente = c.id == oficina_.idSeleccionado() ? oficina_.versionSeleccionado() : -1;
    const QString* campos[] = {&c.numero,         &c.nombre,       &c.direccion,      &c.localidad,
                               &c.codigoPostal,   &c.partido,      &c.provincia,      &c.telefono,
                               &c.telefonoMovil,  &c.email,        &c.nombreLocal,    &c.direccionLocal,
                               &c.localidadLocal, &c.partidoLocal, &c.provinciaLocal, &c.telefonoLocal,
                               &c.emailLocal};
    for (int k = 0; k < 17; ++k)
        PonerTexto(k < 10 ? k + 1 : k + 3, *campos[k]);
    PonerFecha(DTPicker1, LeerFechaDMA(c.fechaAlta));
    PonerFecha(DTPicker2, LeerFechaDMA(c.ultimaInspeccionFecha));
    PonerHora(DTPicker3, LeerHoraHMS(c.ultimaInspeccionHora));
    PonerFecha(DTPicker4, LeerFechaDMA(c.anteriorInspeccionFecha));
    PonerHora(DTPicker5, LeerHoraHMS(c.anteriorInspeccionHora));
    PonerTexto(22, c.notas);
}

void EditorCliente::nuevo() {
    ModoEdicion = 0;
    IdCliente = 0;
    for (const auto& campo : textos_)
        PonerTexto(campo.first, QString());
    PonerTexto(22, QString());
    for (QDateEdit* d : {DTPicker1, DTPicker2, DTPicker4})
        PonerFecha(d, kFechaInicial);
    for (QTimeEdit* t : {DTPicker3, DTPicker5})
        PonerHora(t, QTime(0, 0));
}

void EditorCliente::clienteDeImportacion(const QString& numero, const QDate& fecha, const QTime& hora) {
    nuevo();
    deImportacion_ = true;
    cmdCancelar->setEnabled(false);
    setWindowFlag(Qt::WindowCloseButtonHint, true);
    Text1(1)->setEnabled(false);
    PonerTexto(1, numero);
    for (QDateEdit* d : {DTPicker1, DTPicker2, DTPicker4})
        d->setDate(fecha);
    for (QTimeEdit* t : {DTPicker3, DTPicker5})
        t->setTime(hora);
}

void EditorCliente::showEvent(QShowEvent* evento) {
    // What the window does when it becomes active: captions by mode, the client number of an
    // existing client locked.
    const QString titulo =
        ModoEdicion == 1 ? QStringLiteral("Editar Cliente") : QStringLiteral("Agregar nuevo Cliente");
    setWindowTitle(titulo);
    cmdGuardar->setText(titulo);
    if (ModoEdicion == 1)
        Text1(1)->setEnabled(false);
    if (QScreen* pantalla = screen()) {
        const QRect r = pantalla->availableGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(evento);
}

void EditorCliente::Guardar() {
    // A press (or Esc) queued behind the one that saved must not save or close again.
    if (guardando_ || cerrado_)
        return;
    for (int i : kObligatorios) {
        QLineEdit* t = Text1(i);
        if (!t->text().trimmed().isEmpty())
            continue;
        MostrarMensaje(QStringLiteral("Ingrese un valor para este campo por favor"),
                       QStringLiteral("Datos incompletos"), Icono::Informacion);
        t->setFocus();
        QPalette p = paletaNormal_;
        p.setColor(QPalette::Base, colorResaltado());
        t->setPalette(p);
        return;
    }

    QStringList valores;
    for (int i = 1; i <= 10; ++i)
        valores << Text1(i)->text();
    valores << FechaAlmacenada(DTPicker1);
    for (int i = 13; i <= 19; ++i)
        valores << Text1(i)->text();
    valores << FechaAlmacenada(DTPicker2) << HoraAlmacenada(DTPicker3) << FechaAlmacenada(DTPicker4)
            << HoraAlmacenada(DTPicker5) << Notas->toPlainText();

    guardando_ = true;
    try {
        oficina_.guardarCliente(valores, ModoEdicion == 1 ? IdCliente : 0, VersionCliente);
    } catch (const ErrorBD& e) {
        // Nothing was written: the window stays open with what the user typed. Changed at another
        // desk: the next save, after the user reviewed the current data, goes over it.
        if (ModoEdicion == 1 && IdCliente == oficina_.idSeleccionado())
            VersionCliente = oficina_.versionSeleccionado();
        guardando_ = false;
        MostrarError(e, Icono::Ninguno);
        return;
    } catch (const std::exception& e) {
        guardando_ = false;
        MostrarMensaje(QString::fromLocal8Bit(e.what()), QString(), Icono::Ninguno);
        return;
    }
    cerrar(true);
}

void EditorCliente::Cancelar() {
    if (guardando_ || cerrado_)
        return;
    cerrar(false);
}

void EditorCliente::cerrar(bool guardado) {
    cerrando_ = true;
    cerrado_ = true;
    guardando_ = false;
    guardado_ = guardado;
    if (unica == this)
        unica = nullptr;
    QDialog::done(guardado ? QDialog::Accepted : QDialog::Rejected);
    cerrando_ = false;
}

bool EditorCliente::MostrarModal() {
    guardado_ = false;
    exec();
    const bool guardado = guardado_;
    if (unica == this)
        unica = nullptr;
    deleteLater();
    return guardado;
}

void EditorCliente::closeEvent(QCloseEvent* evento) {
    // Only save, cancel and Esc close the editor; the title bar only when it cancels an import,
    // so the user is never held until a client is invented.
    if (cerrando_) {
        QDialog::closeEvent(evento);
    } else if (deImportacion_ && !guardando_) {
        evento->accept();
        cerrar(false);
    } else {
        evento->ignore();
    }
}

void EditorCliente::keyPressEvent(QKeyEvent* evento) {
    if (evento->key() == Qt::Key_Escape) {
        // Esc is the keyboard's cancel: not while the caller has disabled cancelling, unless
        // leaving cancels an import.
        if (cmdCancelar->isEnabled() || deImportacion_)
            Cancelar();
        evento->accept();
        return;
    }
    QDialog::keyPressEvent(evento);
}

void EditorCliente::reject() {
    if (cerrando_)
        QDialog::reject();
    else if (deImportacion_)
        Cancelar();
}

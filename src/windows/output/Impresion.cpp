#include "output/Impresion.h"

#include "clients/FrmDatos.h"
#include "clients/VistaInfracciones.h"
#include "grid/GridModel.h"
#include "platform/Dialogos.h"
#include "platform/Mensajes.h"

#include <QAction>
#include <QLineEdit>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>

#include <memory>

namespace {

const QString kTituloError = QStringLiteral("Error en la generación del informe");

struct Vista {
    QPointer<QPrintPreviewDialog> dialogo;
    std::shared_ptr<Impresion> informe;
};

Vista& vista() {
    static Vista v;
    return v;
}

void guardarComoPdf(QWidget* padre, const Impresion& informe) {
    const QString ruta =
        ElegirArchivoGuardar(padre, QStringLiteral("Guardar como PDF"),
                             QStringLiteral("Documento PDF (*.pdf)"), QStringLiteral(".pdf"));
    if (ruta.isEmpty())
        return;
    if (!informe.guardarPdf(ruta))
        MsgBox(QStringLiteral("No se pudo guardar el informe en el archivo:\n") + ruta, kTituloError,
               Icono::Critico);
}

QPrintPreviewDialog* crearVista(QWidget* padre) {
    // The printer outlives nothing but its dialog.
    auto* impresora = new QPrinter(QPrinter::HighResolution);
    impresora->setPageLayout(Impresion::disenoPagina());
    impresora->setDocName(QStringLiteral("Detalle de Infracciones"));
    auto* dialogo = new QPrintPreviewDialog(impresora, padre);
    dialogo->setObjectName(QStringLiteral("Impresion"));
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    dialogo->setWindowModality(Qt::NonModal);
    dialogo->setWindowTitle(QStringLiteral("Detalle de Infracciones - Vista Previa"));
    dialogo->resize(1100, 760);
    QObject::connect(dialogo, &QObject::destroyed, [impresora] { delete impresora; });
    QObject::connect(dialogo, &QPrintPreviewDialog::paintRequested, dialogo, [](QPrinter* p) {
        const auto informe = vista().informe;
        if (informe && !informe->imprimir(p))
            MsgBox(QStringLiteral("No se pudo imprimir el informe."), kTituloError, Icono::Critico);
    });

    if (auto* barra = dialogo->findChild<QToolBar*>()) {
        barra->addSeparator();
        auto* guardar = barra->addAction(QStringLiteral("Guardar como PDF"));
        guardar->setObjectName(QStringLiteral("GuardarPdf"));
        guardar->setToolTip(QStringLiteral("Guardar el informe como documento PDF"));
        QObject::connect(guardar, &QAction::triggered, dialogo, [dialogo] {
            if (const auto informe = vista().informe)
                guardarComoPdf(dialogo, *informe);
        });
    }
    return dialogo;
}

} // namespace

DatosInforme DatosInformeDesdeGrillas(const QString& municipio, GridModel& flex, GridModel& flex2) {
    DatosInforme d;
    const int fila = flex.row();
    d.titulo = TituloInforme(municipio);
    d.cliente = flex.textMatrix(fila, 2);
    d.local = flex.textMatrix(fila, 12);
    d.direccionLocal = DireccionLocalInforme(flex.textMatrix(fila, 13), flex.textMatrix(fila, 14),
                                             flex.textMatrix(fila, 15), flex.textMatrix(fila, 16));

    flex2.setRow(1);
    flex2.setCol(0);
    for (int i = 1; i < flex2.rows(); ++i) {
        if (flex2.rowHidden(i))
            continue;
        RegistroInforme r;
        for (int c = 0; c < 16; ++c)
            r[static_cast<size_t>(c)] = flex2.textMatrix(i, c + 2);
        d.registros.push_back(std::move(r));
    }
    flex2.setRow(flex2.rows() - 1);
    return d;
}

bool HayInfraccionesEnInforme(const DatosInforme& datos) {
    for (const RegistroInforme& r : datos.registros)
        for (const QString& t : r)
            if (!t.isEmpty())
                return true;
    return false;
}

void ImprimirInformeInfracciones() {
    FrmDatos* ventana = FrmDatos::instancia();
    if (!ventana || !ventana->flex || !ventana->flex2)
        return;
    try {
        DatosInforme datos = DatosInformeDesdeGrillas(
            ventana->Municipio ? ventana->Municipio->text() : QString(), *ventana->flex, *ventana->flex2);
        // Separator lines alone (every infraction filtered out) are no report either.
        if (!HayInfraccionesEnInforme(datos)) {
            MsgBox(QStringLiteral("El cliente que selecciono no tiene infracciones para imprimir!!"),
                   kTituloError, Icono::Critico);
            return;
        }
        Vista& v = vista();
        v.informe = std::make_shared<Impresion>(std::move(datos));
        if (!v.dialogo)
            v.dialogo = crearVista(ventana);
        else if (auto* previa = v.dialogo->findChild<QPrintPreviewWidget*>())
            previa->updatePreview();
        v.dialogo->show();
        v.dialogo->raise();
        v.dialogo->activateWindow();
    } catch (const std::exception&) {
        MsgBox(QStringLiteral("El cliente que selecciono no tiene infracciones para imprimir!!"),
               kTituloError, Icono::Critico);
    }
}

QPrintPreviewDialog* VistaPreviaInforme() {
    return vista().dialogo;
}

const Impresion* InformeEnVistaPrevia() {
    return vista().dialogo ? vista().informe.get() : nullptr;
}

void FrmDatos::Imprimir() {
    MostrarInfraccionesCliente();
    if (!EsClienteReal(*flex, flex->row())) {
        MsgBox(QStringLiteral("¡No hay clientes para imprimir o no lo seleccionó del listado!"),
               QStringLiteral("Seleccione o cree un Cliente"), Icono::Informacion);
        return;
    }
    ImprimirInformeInfracciones();
}

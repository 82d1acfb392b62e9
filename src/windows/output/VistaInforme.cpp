#include "windows/output/VistaInforme.h"

#include "core/Oficina.h"
#include "core/output/ArchivoPkcs12.h"
#include "core/output/GuardarEmitido.h"
#include "windows/charts/VentanaGrafico.h"
#include "windows/platform/Dialogos.h"
#include "windows/platform/Mensajes.h"

#include "windows/output/GuardarFirmado.h"
#include "windows/output/VistaPrevia.h"

#include <QAction>
#include <QPointer>
#include <QSettings>
#include <QToolBar>

#include <algorithm>
#include <memory>

namespace {

const QString kTituloError = QStringLiteral("Error en la generación del informe");
const QString kSinInfracciones =
    QStringLiteral("El cliente que selecciono no tiene infracciones para imprimir!!");

struct Vista {
    QPointer<DialogoVistaPrevia> dialogo;
    std::shared_ptr<InformeInfracciones> informe;
    QPointer<Oficina> oficina;
    PedidoEmision pedido; // what the report lists, taken when it was made
};

Vista& vista() {
    static Vista v;
    return v;
}

// Whether the charts page goes before the table: each user's choice, kept between runs with
// their other settings (same organisation and program names).
const QString kClaveGraficos = QStringLiteral("informe/incluirGraficos");

QSettings ajustesUsuario() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("velmora"),
                     QStringLiteral("velmora-kv270"));
}

bool graficosElegidos() {
    return ajustesUsuario().value(kClaveGraficos, false).toBool();
}

// The charts of the client the report was filled for, or none, as the option says.
void ponerGraficos(DatosInforme& datos) {
    Vista& v = vista();
    datos.graficoNiveles = QImage();
    datos.graficoSemana = QImage();
    if (!v.oficina || !graficosElegidos())
        return;
    // The proportions of the half page each one gets.
    ImagenesGrafico imagenes = DibujarGraficosInforme(*v.oficina, QSize(1400, 400));
    datos.graficoNiveles = std::move(imagenes.niveles);
    datos.graficoSemana = std::move(imagenes.semana);
}

// Writes or prints the report given (already carrying its code) and records it through `anotar`;
// false, the user told why, when it was not done.
using SalidaInforme = std::function<bool(const InformeInfracciones& informe, const AnotarDocumento& anotar)>;

// The report shown, issued through `salida`: stamped with its code, written or printed, and only
// then recorded in the activity log. The preview then shows it so. False when nothing was issued.
bool emitir(const SalidaInforme& salida) {
    Vista& v = vista();
    if (!v.informe || !v.oficina)
        return false;
    EmisionPreparada emision;
    try {
        emision = v.oficina->prepararEmision(v.pedido);
    } catch (const ErrorBD& e) {
        MostrarMensaje(QStringLiteral("No se pudo emitir el informe: ") + e.descripcion(), kTituloError,
                       Icono::Critico);
        return false;
    }
    DatosInforme datos = v.informe->datos();
    datos.sello = emision.sello;
    auto informe = std::make_shared<InformeInfracciones>(std::move(datos));
    const QPointer<Oficina> oficina = v.oficina;
    const AnotarDocumento anotar = [oficina, &emision](const std::function<void()>& mover) {
        if (!oficina)
            throw ErrorBD(QStringLiteral("la sesión se cerró"));
        oficina->anotarEmision(emision, mover);
    };
    if (!salida(*informe, anotar))
        return false;
    v.informe = std::move(informe);
    if (v.dialogo)
        v.dialogo->setInforme(v.informe);
    return true;
}

void guardarComoPdf(QWidget* padre) {
    const QString ruta =
        ElegirArchivoGuardar(padre, QStringLiteral("Guardar como PDF"),
                             QStringLiteral("Documento PDF (*.pdf)"), QStringLiteral(".pdf"));
    if (ruta.isEmpty())
        return;
    emitir([&](const InformeInfracciones& informe, const AnotarDocumento& anotar) {
        MetadatosPdf metadatos = informe.metadatos();
        if (Oficina* oficina = vista().oficina)
            metadatos.autor = oficina->usuario();
        QString error;
        const bool bien = GuardarEmitido(
            ruta,
            [&](const QString& archivo, QString* motivo) {
                if (informe.guardarPdf(archivo, metadatos))
                    return true;
                *motivo = QStringLiteral("No se pudo guardar el informe en el archivo:\n") + ruta;
                return false;
            },
            anotar, &error);
        if (!bien)
            MostrarMensaje(error, kTituloError, Icono::Critico);
        return bien;
    });
}

// Printed first: a copy on paper cannot be taken back, its entry can only follow it.
void imprimirEmitido(const DialogoVistaPrevia::Imprimir& imprimir) {
    emitir([&](const InformeInfracciones& informe, const AnotarDocumento& anotar) {
        if (!imprimir(informe))
            return false;
        try {
            anotar({});
        } catch (const ErrorBD& e) {
            MostrarMensaje(QStringLiteral("El informe se imprimió, pero no se pudo anotar su emisión en el "
                                          "registro de actividad (%1): su código de verificación no se "
                                          "podrá comprobar.")
                               .arg(e.descripcion()),
                           kTituloError, Icono::Critico);
            return false;
        }
        return true;
    });
}

void guardarFirmado(QWidget* padre) {
    // The certificate first: cancelling it or a wrong password issues nothing.
    const std::unique_ptr<CertificadoFirma> certificado = PedirCertificadoFirma(padre);
    if (!certificado)
        return;
    const QString ruta =
        ElegirArchivoGuardar(padre, QStringLiteral("Guardar firmado"),
                             QStringLiteral("Documento PDF (*.pdf)"), QStringLiteral(".pdf"));
    if (ruta.isEmpty())
        return;
    emitir([&](const InformeInfracciones& informe, const AnotarDocumento& anotar) {
        return GuardarInformeFirmadoEn(informe, vista().oficina.data(), *certificado, ruta, anotar);
    });
}

DialogoVistaPrevia* crearVista(QWidget* padre) {
    // Pages are painted as they come into view: a long report shows its first page at once.
    auto* dialogo = new DialogoVistaPrevia(padre);
    dialogo->setObjectName(QStringLiteral("Impresion"));
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    dialogo->setWindowModality(Qt::NonModal);
    dialogo->setWindowTitle(QStringLiteral("Detalle de Infracciones - Vista Previa"));
    dialogo->resize(1000, 700); // within a 1024x768 screen

    {
        QToolBar* barra = dialogo->barra();
        auto* guardar = barra->addAction(QStringLiteral("Guardar como PDF"));
        guardar->setObjectName(QStringLiteral("GuardarPdf"));
        guardar->setToolTip(QStringLiteral("Guardar el informe como documento PDF"));
        QObject::connect(guardar, &QAction::triggered, dialogo, [dialogo] {
            if (vista().informe)
                guardarComoPdf(dialogo);
        });
        dialogo->setEmision(imprimirEmitido);
        auto* firmado = barra->addAction(QStringLiteral("Guardar firmado..."));
        firmado->setObjectName(QStringLiteral("GuardarFirmado"));
        firmado->setToolTip(
            QStringLiteral("Guardar el informe como PDF firmado con el certificado de la oficina"));
        QObject::connect(firmado, &QAction::triggered, dialogo, [dialogo] {
            if (vista().informe)
                guardarFirmado(dialogo);
        });
        auto* graficos = barra->addAction(QStringLiteral("Incluir gráficos"));
        graficos->setObjectName(QStringLiteral("IncluirGraficos"));
        graficos->setCheckable(true);
        graficos->setChecked(graficosElegidos());
        graficos->setToolTip(QStringLiteral(
            "Agregar una página con el gráfico de niveles y el mapa semanal antes de la tabla"));
        QObject::connect(graficos, &QAction::toggled, dialogo, [dialogo](bool marcado) {
            ajustesUsuario().setValue(kClaveGraficos, marcado);
            Vista& v = vista();
            if (!v.informe)
                return;
            DatosInforme datos = v.informe->datos();
            ponerGraficos(datos);
            v.informe = std::make_shared<InformeInfracciones>(std::move(datos));
            dialogo->setInforme(v.informe);
        });
    }
    return dialogo;
}

} // namespace

bool HayInfraccionesEnInforme(const DatosInforme& datos) {
    return !std::ranges::all_of(datos.registros, &RegistroInforme::vacio);
}

void ImprimirInformeInfracciones(Oficina& oficina, QWidget* padre) {
    if (!oficina.clienteSeleccionado()) {
        MostrarMensaje(QStringLiteral("¡No hay clientes para imprimir o no lo seleccionó del listado!"),
                       QStringLiteral("Seleccione o cree un Cliente"), Icono::Informacion);
        return;
    }
    try {
        DatosInforme datos = oficina.datosInforme();
        // Separator lines alone (every infraction filtered out) are no report either.
        if (!HayInfraccionesEnInforme(datos)) {
            MostrarMensaje(kSinInfracciones, kTituloError, Icono::Critico);
            return;
        }
        Vista& v = vista();
        v.oficina = &oficina;
        v.pedido = oficina.pedidoEmision(QStringLiteral("informe"));
        ponerGraficos(datos);
        v.informe = std::make_shared<InformeInfracciones>(std::move(datos));
        if (!v.dialogo)
            v.dialogo = crearVista(padre);
        v.dialogo->setInforme(v.informe);
        v.dialogo->show();
        v.dialogo->raise();
        v.dialogo->activateWindow();
    } catch (const std::exception&) {
        MostrarMensaje(kSinInfracciones, kTituloError, Icono::Critico);
    }
}

DialogoVistaPrevia* VistaPreviaInforme() {
    return vista().dialogo;
}

const InformeInfracciones* InformeEnVistaPrevia() {
    return vista().dialogo ? vista().informe.get() : nullptr;
}

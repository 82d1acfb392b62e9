// The report window: its messages, the preview filled from the office model, "Guardar como PDF".

#include "OficinaDePrueba.h"

#include "output/Impresion.h"
#include "platform/Dialogos.h"

#include <QAction>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QTemporaryDir>

namespace {

const QString kSinInfracciones =
    QStringLiteral("El cliente que selecciono no tiene infracciones para imprimir!!");
const QString kTituloError = QStringLiteral("Error en la generación del informe");

class ImpresionVentana : public OficinaDePrueba {
protected:
    void TearDown() override {
        delete VistaPreviaInforme();
        SustituirDialogoGuardar(nullptr);
    }
    // Inspector of each record in the open preview ("-" for a separator).
    static QString inspectores() {
        QStringList l;
        for (const RegistroInforme& r : InformeEnVistaPrevia()->datos().registros)
            l << (r[0].isEmpty() ? QStringLiteral("-") : r[7]);
        return l.join(QChar(u','));
    }
};

TEST_F(ImpresionVentana, SinClienteOSinInfraccionesAvisaYNoMuestraNada) {
    ImprimirInformeInfracciones(oficina, nullptr);
    unMensaje(QStringLiteral("¡No hay clientes para imprimir o no lo seleccionó del listado!"),
              QStringLiteral("Seleccione o cree un Cliente"), Icono::Informacion);
    seleccionar(QStringLiteral("502"));
    ImprimirInformeInfracciones(oficina, nullptr);
    unMensaje(kSinInfracciones, kTituloError, Icono::Critico);
    // A range that hides every infraction leaves the separator alone: nothing to print either.
    seleccionar(QStringLiteral("501"));
    oficina.establecerRango(QDate(2012, 1, 1), QDate(2012, 12, 31));
    ImprimirInformeInfracciones(oficina, nullptr);
    unMensaje(kSinInfracciones, kTituloError, Icono::Critico);
    EXPECT_EQ(VistaPreviaInforme(), nullptr);
}

TEST_F(ImpresionVentana, VistaPreviaUnicaNoModalQueGuardaPdf) {
    seleccionar(QStringLiteral("501"));
    ImprimirInformeInfracciones(oficina, nullptr);
    EXPECT_TRUE(mensajes.mensajes().isEmpty()) << qPrintable(mensajes.textos().join(QChar(u'\n')));
    QPrintPreviewDialog* vista = VistaPreviaInforme();
    ASSERT_NE(vista, nullptr);
    EXPECT_TRUE(vista->isVisible());
    EXPECT_FALSE(vista->isModal());
    EXPECT_EQ(vista->windowTitle(), QStringLiteral("Detalle de Infracciones - Vista Previa"));
    EXPECT_EQ(inspectores(), QStringLiteral("Insp1,Insp2,-,Insp3,Insp4"));

    // "Guardar como PDF": the name gets its extension.
    QTemporaryDir dir;
    QString titulo, destino = dir.filePath(QStringLiteral("informe"));
    SustituirDialogoGuardar([&](const QString& t, const QString&) {
        titulo = t;
        return destino;
    });
    auto* guardar = vista->findChild<QAction*>(QStringLiteral("GuardarPdf"));
    ASSERT_NE(guardar, nullptr);
    EXPECT_EQ(guardar->text(), QStringLiteral("Guardar como PDF"));
    guardar->trigger();
    EXPECT_EQ(titulo, QStringLiteral("Guardar como PDF"));
    QFile pdf(destino + QStringLiteral(".pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
    // A save that cannot be written is reported, not taken for done.
    destino = dir.filePath(QStringLiteral("no/hay/x.pdf"));
    guardar->trigger();
    unMensaje(QStringLiteral("No se pudo guardar el informe en el archivo:\n") + destino, kTituloError,
              Icono::Critico);

    // A later call refills the same preview with what the model shows now.
    oficina.establecerRango(QDate(2011, 3, 1), QDate(2011, 3, 31));
    ImprimirInformeInfracciones(oficina, nullptr);
    EXPECT_EQ(VistaPreviaInforme(), vista);
    EXPECT_EQ(inspectores(), QStringLiteral("Insp1,Insp2,-,Insp3"));
}

} // namespace

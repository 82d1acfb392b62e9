// The report as the main window builds it: records from the grids, the messages, the preview
// and its "Guardar como PDF".

#include "BaseTemporal.h"
#include "InformePdf.h"
#include "MessageRecorder.h"

#include "accounts/Sesion.h"
#include "clients/FrmDatos.h"
#include "grid/GridModel.h"
#include "output/Impresion.h"
#include "platform/Dialogos.h"
#include "platform/Programa.h"
#include "store/Sentencias.h"
#include "store/modVarios.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kSinInfracciones =
    QStringLiteral("El cliente que selecciono no tiene infracciones para imprimir!!");
const QString kTituloError = QStringLiteral("Error en la generación del informe");

// An infraction row (18 columns): columns 2..17 from a report record.
void filaInfraccion(GridModel& flex2, int fila, const RegistroInforme& r) {
    if (flex2.cols() < 18)
        flex2.setCols(18);
    if (flex2.rows() <= fila)
        flex2.setRows(fila + 1);
    for (int c = 0; c < 16; ++c)
        flex2.setTextMatrix(fila, c + 2, r[static_cast<size_t>(c)]);
    if (!r[0].isEmpty()) {
        flex2.setTextMatrix(fila, 0, QString::number(fila));
        flex2.setTextMatrix(fila, 1, QStringLiteral("77"));
    }
}

} // namespace

namespace {

class ImpresionVentana : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        base_ = new BaseTemporal();
        Database& db = BaseDatosCompartida();
        // 501 with four infractions in March and April 2011, the second one marked; 502 with none.
        for (const char* nombre : {"501|Carlos Ruiz", "502|Sin Infracciones"}) {
            const Consulta c = Sentencias::insertarCliente(
                (QString::fromUtf8(nombre) +
                 "||Centro||||||||Bar Central|Mitre 45||Lomas|Buenos Aires|||||||")
                    .split(QChar(u'|')));
            db.ejecutar(c.sql, c.parametros);
        }
        const char* fechas[] = {"20110302", "20110315", "20110331", "20110401"};
        for (int i = 0; i < 4; ++i) {
            QStringList v = QStringLiteral("501|%1|2130%2|%3|D. JOCKEY|BAT. OK|SI|12|Insp%4||||||||%5")
                                .arg(QString::fromLatin1(fechas[i]))
                                .arg(i, 2, 10, QChar(u'0'))
                                .arg(95 + i)
                                .arg(i + 1)
                                .arg(QString::number(i + 1) + (i == 1 ? QStringLiteral(".") : QString()))
                                .split(QChar(u'|'));
            const Consulta c = Sentencias::insertarInfraccion(v);
            db.ejecutar(c.sql, c.parametros);
        }
        CerrarBaseDatos();
    }
    static void TearDownTestSuite() {
        delete base_;
        base_ = nullptr;
    }
    void SetUp() override {
        EstablecerFinalizadorPrograma([] {});
        UsuarioActual = QStringLiteral("Administrador");
        ventana_ = FrmDatos::Mostrar();
        mensajes_.limpiar();
    }
    void TearDown() override {
        if (QPrintPreviewDialog* v = VistaPreviaInforme())
            delete v;
        delete FrmDatos::instancia();
        SustituirDialogoGuardar(nullptr);
        EstablecerFinalizadorPrograma(nullptr);
        UsuarioActual.clear();
    }
    int filaDe(const QString& numero) const {
        for (int f = 1; f < ventana_->flex->rows(); ++f)
            if (ventana_->flex->textMatrix(f, 1) == numero)
                return f;
        return -1;
    }
    void seleccionar(const QString& numero) {
        const int f = filaDe(numero);
        ASSERT_GT(f, 0) << qPrintable(numero);
        ventana_->flex->setRow(f);
    }
    static QString inspectores(const Impresion& informe) {
        QStringList l;
        for (const RegistroInforme& r : informe.datos().registros)
            l << (r[0].isEmpty() ? QStringLiteral("-") : r[7]);
        return l.join(QChar(u','));
    }

    static BaseTemporal* base_;
    MessageRecorder mensajes_;
    FrmDatos* ventana_ = nullptr;
};

BaseTemporal* ImpresionVentana::base_ = nullptr;

} // namespace

TEST_F(ImpresionVentana, SinClienteOSinInfraccionesAvisaYNoMuestraNada) {
    const auto aviso = [&](const QString& texto, const QString& titulo, Icono icono) {
        ASSERT_EQ(mensajes_.mensajes().size(), 1) << qPrintable(mensajes_.textos().join(QChar(u'\n')));
        EXPECT_EQ(mensajes_.ultimo().texto, texto);
        EXPECT_EQ(mensajes_.ultimo().titulo, titulo);
        EXPECT_EQ(mensajes_.ultimo().icono, icono);
        EXPECT_EQ(mensajes_.ultimo().botones, Botones::Aceptar);
        EXPECT_EQ(VistaPreviaInforme(), nullptr);
        mensajes_.limpiar();
    };
    ventana_->flex->setRow(filaDe(QStringLiteral("----")));
    ventana_->Imprimir();
    aviso(QStringLiteral("¡No hay clientes para imprimir o no lo seleccionó del listado!"),
          QStringLiteral("Seleccione o cree un Cliente"), Icono::Informacion);

    seleccionar(QStringLiteral("502"));
    ventana_->Imprimir();
    aviso(kSinInfracciones, kTituloError, Icono::Critico);

    // Whatever the view loaded, a grid with its header only has nothing to print.
    seleccionar(QStringLiteral("501"));
    ventana_->flex2->setRows(1);
    ImprimirInformeInfracciones();
    aviso(kSinInfracciones, kTituloError, Icono::Critico);

    // A range that hides every infraction (the separator row alone stays) prints nothing either.
    ventana_->FechaInfFin->setDate(QDate(2012, 12, 31));
    ventana_->FechaInfInicio->setDate(QDate(2012, 1, 1));
    mensajes_.limpiar();
    ventana_->Imprimir();
    aviso(kSinInfracciones, kTituloError, Icono::Critico);
}

TEST_F(ImpresionVentana, VistaPreviaNoModalQueGuardaPdf) {
    seleccionar(QStringLiteral("501"));
    ventana_->Municipio->setText(QStringLiteral("Municipio de Lomas"));
    GridModel& g = *ventana_->flex2;
    g.setRows(1);
    for (int i = 1; i <= 3; ++i)
        filaInfraccion(g, i, RegistroPrueba(i));
    g.setRowHeight(2, 0);
    ImprimirInformeInfracciones();
    EXPECT_TRUE(mensajes_.mensajes().isEmpty()) << qPrintable(mensajes_.textos().join(QChar(u'\n')));

    QPrintPreviewDialog* vista = VistaPreviaInforme();
    ASSERT_NE(vista, nullptr);
    EXPECT_TRUE(vista->isVisible());
    EXPECT_FALSE(vista->isModal());
    ASSERT_NE(InformeEnVistaPrevia(), nullptr);
    EXPECT_EQ(inspectores(*InformeEnVistaPrevia()), QStringLiteral("Insp1,Insp3"));
    EXPECT_EQ(g.row(), 3);

    // "Guardar como PDF" writes what the preview shows; the name gets its extension.
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("informe"));
    QString tituloDialogo;
    SustituirDialogoGuardar([&](const QString& titulo, const QString&) {
        tituloDialogo = titulo;
        return ruta;
    });
    auto* guardar = vista->findChild<QAction*>(QStringLiteral("GuardarPdf"));
    ASSERT_NE(guardar, nullptr);
    EXPECT_EQ(guardar->text(), QStringLiteral("Guardar como PDF"));
    guardar->trigger();
    EXPECT_EQ(tituloDialogo, QStringLiteral("Guardar como PDF"));
    const QString texto = TextoPdf(ruta + QStringLiteral(".pdf"));
    EXPECT_TRUE(texto.contains(QStringLiteral("Municipio de Lomas - Detalle de Infracciones")))
        << qPrintable(texto);
    EXPECT_TRUE(texto.contains(
        QRegularExpression(QStringLiteral("Dirección del Local:\\s+Mitre 45 -\\s+- Lomas - Buenos Aires"))))
        << qPrintable(texto);
    EXPECT_TRUE(texto.contains(QStringLiteral("Insp3")));
    EXPECT_FALSE(texto.contains(QStringLiteral("Insp2")));

    // The dialog asked about "informe" only: replacing "informe.pdf" is asked first.
    {
        QFile f(ruta + QStringLiteral(".pdf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("anterior");
    }
    const auto contenido = [&] {
        QFile f(ruta + QStringLiteral(".pdf"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    mensajes_.responder(Respuesta::No);
    guardar->trigger();
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().texto,
              QStringLiteral("El archivo \"%1.pdf\" ya existe.\n¿Desea reemplazarlo?")
                  .arg(QDir::toNativeSeparators(ruta)));
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Pregunta);
    EXPECT_EQ(mensajes_.ultimo().botones, Botones::SiNo);
    EXPECT_EQ(contenido(), QByteArray("anterior"));
    mensajes_.responder(Respuesta::Si);
    guardar->trigger();
    EXPECT_TRUE(contenido().startsWith("%PDF"));
    mensajes_.limpiar();

    // A save that cannot be written is reported, not taken for done.
    SustituirDialogoGuardar(
        [&](const QString&, const QString&) { return dir.filePath(QStringLiteral("no/hay/x.pdf")); });
    guardar->trigger();
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().titulo, kTituloError);
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Critico);

    // A later call refills the same preview.
    mensajes_.limpiar();
    g.setRowHeight(2, -1);
    ImprimirInformeInfracciones();
    EXPECT_EQ(VistaPreviaInforme(), vista);
    EXPECT_EQ(inspectores(*InformeEnVistaPrevia()), QStringLiteral("Insp1,Insp2,Insp3"));
}

TEST_F(ImpresionVentana, ImprimirRecargaLaVistaYSoloLlevaLasFilasVisibles) {
    seleccionar(QStringLiteral("501"));
    ventana_->Municipio->setText(QStringLiteral("Lomas"));
    // Whatever the grid showed before, Imprimir reloads the client's rows first.
    ventana_->flex2->setRows(1);
    ventana_->Imprimir();
    EXPECT_TRUE(mensajes_.mensajes().isEmpty()) << qPrintable(mensajes_.textos().join(QChar(u'\n')));
    ASSERT_NE(InformeEnVistaPrevia(), nullptr);
    const DatosInforme& d = InformeEnVistaPrevia()->datos();
    EXPECT_EQ(
        QStringList({d.titulo, d.cliente, d.local, d.direccionLocal}),
        QStringLiteral(
            "Lomas - Detalle de Infracciones|Carlos Ruiz|Bar Central|Mitre 45 -  - Lomas - Buenos Aires")
            .split('|'));
    // The marked second record is followed by its separator line.
    EXPECT_EQ(inspectores(*InformeEnVistaPrevia()), QStringLiteral("Insp1,Insp2,-,Insp3,Insp4"));
    ASSERT_EQ(d.registros.size(), 5u);
    EXPECT_EQ(d.registros[0][0], QStringLiteral("02/03/2011"));
    EXPECT_EQ(d.registros[0][1], QStringLiteral("21:30:00"));
    EXPECT_EQ(d.registros[1][15], QStringLiteral("2"));
    // The walk leaves the grid on its last row, first column.
    EXPECT_EQ(ventana_->flex2->row(), ventana_->flex2->rows() - 1);
    EXPECT_EQ(ventana_->flex2->col(), 0);

    // The date range leaves out the April record; the rest follow one another.
    ventana_->FechaInfInicio->setDate(QDate(2011, 3, 1));
    ventana_->FechaInfFin->setDate(QDate(2011, 3, 31));
    ventana_->Imprimir();
    EXPECT_TRUE(mensajes_.mensajes().isEmpty()) << qPrintable(mensajes_.textos().join(QChar(u'\n')));
    EXPECT_EQ(inspectores(*InformeEnVistaPrevia()), QStringLiteral("Insp1,Insp2,-,Insp3"));
    EXPECT_EQ(ventana_->flex2->row(), ventana_->flex2->rows() - 1);
}

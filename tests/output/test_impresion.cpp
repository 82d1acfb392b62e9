// The report as the main window builds it: records from the grids, the messages, the preview
// and its "Guardar como PDF".

#include "BaseTemporal.h"
#include "InformePdf.h"
#include "MessageRecorder.h"

#include "accounts/Sesion.h"
#include "clients/FrmDatos.h"
#include "output/Impresion.h"
#include "platform/Dialogos.h"
#include "platform/Programa.h"
#include "store/GridModel.h"
#include "store/Sentencias.h"
#include "store/modVarios.h"

#include <QAction>
#include <QDateEdit>
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

// A client row shaped like the client grid (24 columns).
void filaCliente(GridModel& flex, int fila, const QStringList& celdas) {
    if (flex.cols() < 24)
        flex.setCols(24);
    if (flex.rows() <= fila)
        flex.setRows(fila + 1);
    for (int c = 0; c < celdas.size(); ++c)
        flex.setTextMatrix(fila, c, celdas[c]);
}

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

TEST(InformeDesdeGrillas, CabeceraFilasVisiblesSeparadoresYFilaActual) {
    GridModel flex;
    QStringList c(24, QString());
    c[1] = QStringLiteral("77");
    c[2] = QStringLiteral("Ana Gómez");
    c[12] = QStringLiteral("El Galpón");
    c[13] = QStringLiteral("Ruta 8 km 50");
    c[15] = QStringLiteral("Pilar");
    c[16] = QStringLiteral("Buenos Aires");
    filaCliente(flex, 1, QStringList(24, QStringLiteral("otro")));
    filaCliente(flex, 2, c);
    flex.setRow(2);

    GridModel flex2;
    filaInfraccion(flex2, 1, RegistroPrueba(1));
    filaInfraccion(flex2, 2, RegistroInforme{}); // separator below a marked record
    filaInfraccion(flex2, 3, RegistroPrueba(2));
    filaInfraccion(flex2, 4, RegistroPrueba(3));
    filaInfraccion(flex2, 5, RegistroPrueba(4));
    flex2.setRowHeight(3, 0); // hidden by the date filter
    flex2.setRowHeight(5, 0);
    flex2.setRow(2);
    flex2.setCol(5);

    const DatosInforme d = DatosInformeDesdeGrillas(QStringLiteral("Pilar"), flex, flex2);
    EXPECT_EQ(d.titulo, QStringLiteral("Pilar - Detalle de Infracciones"));
    EXPECT_EQ(d.cliente, QStringLiteral("Ana Gómez"));
    EXPECT_EQ(d.local, QStringLiteral("El Galpón"));
    EXPECT_EQ(d.direccionLocal, QStringLiteral("Ruta 8 km 50 -  - Pilar - Buenos Aires"));
    ASSERT_EQ(d.registros.size(), 3u);
    EXPECT_EQ(d.registros[0], RegistroPrueba(1));
    EXPECT_EQ(d.registros[1], RegistroInforme{});
    EXPECT_EQ(d.registros[2], RegistroPrueba(3));
    EXPECT_TRUE(HayInfraccionesEnInforme(d));
    // The walk leaves the grid on its last row, first column.
    EXPECT_EQ(flex2.row(), 5);
    EXPECT_EQ(flex2.col(), 0);

    // Every infraction filtered out: only the separator is left, which is no report.
    flex2.setRowHeight(1, 0);
    flex2.setRowHeight(4, 0);
    const DatosInforme soloSeparador = DatosInformeDesdeGrillas(QString(), flex, flex2);
    EXPECT_EQ(soloSeparador.registros.size(), 1u);
    EXPECT_FALSE(HayInfraccionesEnInforme(soloSeparador));
    EXPECT_EQ(soloSeparador.titulo, QStringLiteral(" - Detalle de Infracciones"));
}

namespace {

class ImpresionVentana : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        base_ = new BaseTemporal();
        Database& db = BaseDatosCompartida();
        QStringList conInf(23, QString());
        conInf[0] = QStringLiteral("501");
        conInf[1] = QStringLiteral("Carlos Ruiz");
        conInf[3] = QStringLiteral("Centro");
        conInf[11] = QStringLiteral("Bar Central");
        conInf[12] = QStringLiteral("Mitre 45");
        conInf[14] = QStringLiteral("Lomas");
        conInf[15] = QStringLiteral("Buenos Aires");
        QStringList sinInf = conInf;
        sinInf[0] = QStringLiteral("502");
        sinInf[1] = QStringLiteral("Sin Infracciones");
        for (const QStringList& v : {conInf, sinInf}) {
            const Consulta c = Sentencias::insertarCliente(v);
            db.ejecutar(c.sql, c.parametros);
        }
        // Client 501: four infractions in March and April 2011, the second one marked.
        const char* fechas[] = {"20110302", "20110315", "20110331", "20110401"};
        for (int i = 0; i < 4; ++i) {
            QStringList v(17, QString());
            v[0] = QStringLiteral("501");
            v[1] = QString::fromLatin1(fechas[i]);
            v[2] = QStringLiteral("2130%1").arg(i, 2, 10, QChar(u'0'));
            v[3] = QString::number(95 + i);
            v[4] = QStringLiteral("D. JOCKEY");
            v[5] = QStringLiteral("BAT. OK");
            v[6] = QStringLiteral("SI");
            v[7] = QStringLiteral("12");
            v[8] = QStringLiteral("Insp%1").arg(i + 1);
            v[16] = QString::number(i + 1) + (i == 1 ? QStringLiteral(".") : QString());
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

TEST_F(ImpresionVentana, SinClienteSeleccionadoAvisaYNoMuestraNada) {
    ventana_->flex->setRow(filaDe(QStringLiteral("----")));
    ventana_->Imprimir();
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().texto,
              QStringLiteral("¡No hay clientes para imprimir o no lo seleccionó del listado!"));
    EXPECT_EQ(mensajes_.ultimo().titulo, QStringLiteral("Seleccione o cree un Cliente"));
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(mensajes_.ultimo().botones, Botones::Aceptar);
    EXPECT_EQ(VistaPreviaInforme(), nullptr);
}

TEST_F(ImpresionVentana, GrillaSinInfraccionesEsUnError) {
    // Whatever the view loaded, a grid with its header only has nothing to print.
    ventana_->flex2->setRows(1);
    ImprimirInformeInfracciones();
    ASSERT_EQ(mensajes_.mensajes().size(), 1);
    EXPECT_EQ(mensajes_.ultimo().texto, kSinInfracciones);
    EXPECT_EQ(mensajes_.ultimo().titulo, kTituloError);
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Critico);
    EXPECT_EQ(VistaPreviaInforme(), nullptr);
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
    EXPECT_EQ(InformeEnVistaPrevia()->datos().titulo,
              QStringLiteral("Municipio de Lomas - Detalle de Infracciones"));
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
    EXPECT_EQ(d.titulo, QStringLiteral("Lomas - Detalle de Infracciones"));
    EXPECT_EQ(d.cliente, QStringLiteral("Carlos Ruiz"));
    EXPECT_EQ(d.local, QStringLiteral("Bar Central"));
    EXPECT_EQ(d.direccionLocal, QStringLiteral("Mitre 45 -  - Lomas - Buenos Aires"));
    // The marked second record is followed by its separator line.
    EXPECT_EQ(inspectores(*InformeEnVistaPrevia()), QStringLiteral("Insp1,Insp2,-,Insp3,Insp4"));
    ASSERT_EQ(d.registros.size(), 5u);
    EXPECT_EQ(d.registros[0][0], QStringLiteral("02/03/2011"));
    EXPECT_EQ(d.registros[0][1], QStringLiteral("21:30:00"));
    EXPECT_EQ(d.registros[1][15], QStringLiteral("2"));
    EXPECT_EQ(ventana_->flex2->row(), ventana_->flex2->rows() - 1);

    // The date range leaves out the April record; the rest follow one another.
    ventana_->FechaInfInicio->setDate(QDate(2011, 3, 1));
    ventana_->FechaInfFin->setDate(QDate(2011, 3, 31));
    ventana_->Imprimir();
    EXPECT_TRUE(mensajes_.mensajes().isEmpty()) << qPrintable(mensajes_.textos().join(QChar(u'\n')));
    EXPECT_EQ(inspectores(*InformeEnVistaPrevia()), QStringLiteral("Insp1,Insp2,-,Insp3"));
    EXPECT_EQ(ventana_->flex2->row(), ventana_->flex2->rows() - 1);

    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("filtrado.pdf"));
    ASSERT_TRUE(InformeEnVistaPrevia()->guardarPdf(ruta));
    const QString texto = TextoPdf(ruta);
    EXPECT_TRUE(texto.contains(
        QRegularExpression(QStringLiteral("\\n1 02/03/2011 21:30:00 95 D. JOCKEY BAT. OK SI 12 Insp1"))))
        << qPrintable(texto);
    EXPECT_TRUE(texto.contains(QStringLiteral("31/03/2011")));
    EXPECT_FALSE(texto.contains(QStringLiteral("01/04/2011")));
    EXPECT_FALSE(texto.contains(QStringLiteral("Insp4")));
}

TEST_F(ImpresionVentana, ClienteSinInfraccionesOFiltradasTodasEsUnError) {
    seleccionar(QStringLiteral("502"));
    ventana_->Imprimir();
    ASSERT_EQ(mensajes_.mensajes().size(), 1) << qPrintable(mensajes_.textos().join(QChar(u'\n')));
    EXPECT_EQ(mensajes_.ultimo().texto, kSinInfracciones);
    EXPECT_EQ(mensajes_.ultimo().titulo, kTituloError);
    EXPECT_EQ(mensajes_.ultimo().icono, Icono::Critico);
    EXPECT_EQ(mensajes_.ultimo().botones, Botones::Aceptar);
    EXPECT_EQ(VistaPreviaInforme(), nullptr);

    // A range that hides every infraction (the separator row alone stays) prints nothing either.
    mensajes_.limpiar();
    seleccionar(QStringLiteral("501"));
    ventana_->FechaInfFin->setDate(QDate(2012, 12, 31));
    ventana_->FechaInfInicio->setDate(QDate(2012, 1, 1));
    mensajes_.limpiar();
    ventana_->Imprimir();
    ASSERT_EQ(mensajes_.mensajes().size(), 1) << qPrintable(mensajes_.textos().join(QChar(u'\n')));
    EXPECT_EQ(mensajes_.ultimo().texto, kSinInfracciones);
    EXPECT_EQ(mensajes_.ultimo().titulo, kTituloError);
    EXPECT_EQ(VistaPreviaInforme(), nullptr);
}

// The main window and its client list, driven as a user would.
#include "BaseTemporal.h"
#include "MessageRecorder.h"

#include "accounts/Sesion.h"
#include "clients/AnchoColumnas.h"
#include "clients/ArchivoMunicipio.h"
#include "clients/FrmDatos.h"
#include "platform/Programa.h"
#include "platform/Traducciones.h"
#include "store/GridModel.h"
#include "store/GridView.h"
#include "store/modVarios.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

// Number, name, locality, premises name; the other columns get fixed texts.
struct Cliente {
    const char* numero;
    const char* nombre;
    const char* localidad;
    const char* local;
};

void agregar(const Cliente& c, const QString& notas = QStringLiteral("nota")) {
    QStringList v(23, QStringLiteral("x"));
    v[0] = QString::fromUtf8(c.numero);
    v[1] = QString::fromUtf8(c.nombre);
    v[3] = QString::fromUtf8(c.localidad);
    v[10] = QStringLiteral("20240115");
    v[11] = QString::fromUtf8(c.local);
    v[18] = QStringLiteral("20240301");
    v[19] = QStringLiteral("101500");
    v[20] = QStringLiteral("20231201");
    v[21] = QStringLiteral("090000");
    v[22] = notas;
    const Consulta q = Sentencias::insertarCliente(v);
    BaseDatosCompartida().ejecutar(q.sql, q.parametros);
}

// Types text key by key; letters outside ASCII go as key events carrying their text.
void teclear(QWidget* w, const QString& texto) {
    for (const QChar ch : texto) {
        if (ch.unicode() < 128)
            QTest::keyClick(w, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// Client numbers of the rows the user sees, in order.
QStringList visibles(const GridModel& g, int col = 1) {
    QStringList r;
    for (int f = 1; f < g.rows(); ++f)
        if (!g.rowHidden(f))
            r << g.textMatrix(f, col);
    return r;
}

class VentanaPrincipal : public ::testing::Test {
protected:
    void SetUp() override {
        EstablecerFinalizadorPrograma([this] { ++finales; });
        UsuarioActual = QStringLiteral("Administrador");
        agregar({"120", "Juan Pérez", "Quilmes", "Bar El Ñandú"});
        agregar({"7", "Ana Ruiz", "Bernal", "Pub BARRIO Norte"});
        agregar({"45", "Peña Hnos.", "Wilde", "Club 100% Social"});
        agregar({"9", "Oculto", "-", "Barra Oculta"});
        agregar({"300", "Carlos O'Neill", "Ezpeleta", "Salón_Álamos"}, QString(500, QLatin1Char('W')));
    }
    void TearDown() override {
        delete FrmDatos::instancia();
        EstablecerFinalizadorPrograma(nullptr);
        UsuarioActual.clear();
    }
    FrmDatos* abrir() { return FrmDatos::Mostrar(); }
    QString rutaMunicipio() const { return QDir(base.directorio()).filePath(QStringLiteral("data.dat")); }
    void buscar(FrmDatos* f, const QString& columna, const QString& texto) {
        f->Combo1->setCurrentIndex(f->Combo1->findText(columna));
        f->Text1->clear();
        teclear(f->Text1, texto);
    }

    BaseTemporal base;
    MessageRecorder mensajes;
    int finales = 0;
};

} // namespace

TEST_F(VentanaPrincipal, CargaDaLaBienvenidaYMuestraLaListaFormateada) {
    FrmDatos* f = abrir();
    ASSERT_EQ(mensajes.mensajes().size(), 1);
    EXPECT_EQ(mensajes.ultimo().texto, QStringLiteral("Bienvenido Usuario Administrador"));
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Bienvenido!"));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Sistema de Adquisición de Datos - Velmora KV-270"));
    EXPECT_EQ(f->Usuario->text(), QStringLiteral("Administrador"));
    EXPECT_TRUE(Conexion1.abierta());
    EXPECT_FALSE(Conexion2.abierta());
    // No client selected yet: the inspection pickers show nothing.
    EXPECT_TRUE(f->UltimaFechaInsp->text().trimmed().isEmpty());
    EXPECT_TRUE(f->AnteriorInspeccionHora->text().trimmed().isEmpty());

    QStringList items;
    for (int i = 0; i < f->Combo1->count(); ++i)
        items << f->Combo1->itemText(i);
    EXPECT_EQ(items, QStringList({"Nombre", "Local", "Numero de Cliente", "Direccion", "Localidad",
                                  "Codigo Postal", "Partido", "Provincia"}));
    EXPECT_EQ(f->Combo1->currentText(), QStringLiteral("Nombre"));

    GridModel& g = *f->flex;
    ASSERT_EQ(g.cols(), 24);
    const QStringList cabeceras = {"id ",          " Num. Cliente ", " Nombre ",  " Direccion ",
                                   " Localidad ",  " C.P. ",         " Partido ", " Provincia ",
                                   " Telefono ",   " Tel. Movil ",   " Email ",   " Fecha de Alta ",
                                   " Nombre Local"};
    for (int c = 0; c < cabeceras.size(); ++c)
        EXPECT_EQ(g.textMatrix(0, c), cabeceras.at(c)) << c;
    // Id and the columns other windows read are hidden, however wide their texts (the notes).
    EXPECT_EQ(g.colWidth(0), 0);
    for (int c = 13; c < 24; ++c)
        EXPECT_EQ(g.colWidth(c), 0) << c;
    for (int c = 1; c <= 12; ++c) {
        EXPECT_GT(g.colWidth(c), 350) << c;
        EXPECT_EQ(g.colAlignment(c), Qt::AlignCenter);
    }
    EXPECT_TRUE(f->flexVista->isColumnHidden(0));
    EXPECT_TRUE(f->flexVista->isColumnHidden(23));
    // The placeholder and the client whose locality is "-" never show.
    EXPECT_EQ(visibles(g), QStringList({"120", "7", "45", "300"}));
    EXPECT_EQ(g.textMatrix(1, 1), QStringLiteral("----"));
    EXPECT_TRUE(g.rowHidden(1));
    EXPECT_EQ(f->flexVista->model()->rowCount(), 4);
    // Display forms of the hidden columns the other windows read.
    EXPECT_EQ(g.textMatrix(2, 11), QStringLiteral("15/01/2024"));
    EXPECT_EQ(g.textMatrix(2, 20), QStringLiteral("10:15:00"));

    EXPECT_EQ(f->Paneles[0]->text(), QStringLiteral("Listo"));
    EXPECT_EQ(f->Paneles[1]->text(),
              QStringLiteral("Velmora KV-270 - Sistema de Adquisicion de Datos Version: 1.0.18"));
    EXPECT_EQ(f->Paneles[6]->text(), QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(f->Paneles[6]->toolTip(), QStringLiteral("Fecha Actual"));
    EXPECT_EQ(f->Paneles[7]->toolTip(), QStringLiteral("Hora Actual"));
    EXPECT_EQ(f->FechaInfInicio->date(), QDate(2011, 1, 1));
    EXPECT_EQ(f->FechaInfFin->date(), QDate::currentDate());
    EXPECT_TRUE(f->Municipio->isEnabled());
    EXPECT_TRUE(f->cmdOpciones[2]->isEnabled());
}

TEST_F(VentanaPrincipal, ControlesTextosYNombresAccesibles) {
    FrmDatos* f = abrir();
    const QStringList botones = {"Nuevo",           "Editar",
                                 "Eliminar",        "Salir",
                                 "Exportar Excel",  QStringLiteral("Adquirir Datos de Inspección"),
                                 "Config. Cuentas", "Imprimir"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(f->cmdOpciones[static_cast<size_t>(i)]->text(), botones.at(i));
    EXPECT_EQ(f->cmdOpciones[3]->parentWidget(), f->Frame6);
    EXPECT_EQ(f->cmdOpciones[0]->parentWidget(), f->Frame1);
    const std::pair<QGroupBox*, const char*> marcos[] = {{f->Frame1, "Control de Clientes"},
                                                         {f->Frame2, "Listado de Clientes"},
                                                         {f->Frame3, "Local Asociado al Cliente"},
                                                         {f->Frame4, "Infracciones del Cliente"},
                                                         {f->Frame5, "Filtrar Datos"},
                                                         {f->Frame6, "Salir"},
                                                         {f->Frame7, "Filtrar Datos de Inspecciones"},
                                                         {f->Reordenar, "Reordenar"},
                                                         {f->SesionFrame, "Usuario Actual"}};
    for (const auto& [marco, titulo] : marcos)
        EXPECT_EQ(marco->title(), QString::fromUtf8(titulo));
    EXPECT_EQ(f->Command1->text(), QStringLiteral("Reordenar Datos"));
    EXPECT_EQ(f->Label12->text(), QStringLiteral("DATOS DE RELEVAMIENTO"));
    EXPECT_EQ(f->Label13->text(), QStringLiteral("ESTATUS DEL EQUIPO"));
    EXPECT_EQ(f->Municipio->toolTip(),
              QStringLiteral("Encabezado con el nombre del Municipio (Solo editable por el Administrador)"));
    EXPECT_EQ(f->Text1->toolTip(),
              QStringLiteral("Escriba aqui el texto a filtrar en el listado de Clientes"));
    EXPECT_EQ(f->Combo1->toolTip(), QStringLiteral("Seleccione un tipo de dato a filtrar"));
    EXPECT_EQ(f->mnuArchivo->title(), QStringLiteral("&Archivo"));
    EXPECT_EQ(f->mnusalir->text(), QStringLiteral("&Salir"));
    EXPECT_EQ(f->mnuayuda->title(), QStringLiteral("&Ayuda"));
    EXPECT_EQ(f->mnuacercade->text(), QStringLiteral("&Acerca de..."));
    EXPECT_FALSE(f->FlexBandasVista->isVisibleTo(f));

    // Labelled boxes carry their label's text, through the label's buddy.
    const std::pair<QWidget*, const char*> etiquetados[] = {{f->NLocal, "Nombre:"},
                                                            {f->DLocal, "Direccion:"},
                                                            {f->LocLocal, "Localidad:"},
                                                            {f->PartLocal, "Partido:"},
                                                            {f->ProvLocal, "Provincia:"},
                                                            {f->TelLocal, "Telefono:"},
                                                            {f->EmailLocal, "Email:"},
                                                            {f->ActBHA, "Act. B. Hor. A:"},
                                                            {f->InicioBHA, "Dia y Hora Inicio:"},
                                                            {f->FinBHA, "Dia y Hora Fin:"},
                                                            {f->ActBHB, "Act. B. Hor. B:"},
                                                            {f->InicioBHB, "Dia y Hora Inicio:"},
                                                            {f->FinBHB, "Dia y Hora Fin:"},
                                                            {f->ActBHC, "Act. B. Hor. C:"},
                                                            {f->InicioBHC, "Dia y Hora Inicio:"},
                                                            {f->FinBHC, "Dia y Hora Fin:"},
                                                            {f->FechaInfInicio, "Fecha Inicio:"},
                                                            {f->FechaInfFin, "Fecha Final:"}};
    for (const auto& [control, texto] : etiquetados) {
        EXPECT_EQ(control->accessibleName(), QString::fromUtf8(texto)) << control->objectName().toStdString();
        bool conCompanero = false;
        for (QLabel* l : f->findChildren<QLabel*>())
            conCompanero |=
                l->buddy() == control && l->text() == QString::fromUtf8(texto) && l->isVisibleTo(f);
        EXPECT_TRUE(conCompanero) << control->objectName().toStdString();
    }
    // Every control the user can reach has a name a screen reader can read out.
    for (QWidget* w : f->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(f) || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
            continue;
        const auto* b = qobject_cast<QPushButton*>(w);
        const QString nombre = b ? b->text() : w->accessibleName();
        EXPECT_FALSE(nombre.isEmpty())
            << w->metaObject()->className() << " " << w->objectName().toStdString();
    }
    // Keyboard order: header, search, the option buttons, the list, then the client's view.
    EXPECT_EQ(f->Municipio->nextInFocusChain(), f->Text1);
    QWidget* w = f->Text1;
    while (w && w != f->flexVista)
        w = w->nextInFocusChain();
    EXPECT_EQ(w, f->flexVista);
}

TEST_F(VentanaPrincipal, UsuarioComunYAdministradorEnMinusculasNoTienenDerechos) {
    for (const char* nombre : {"Invitado", "administrador"}) {
        UsuarioActual = QString::fromUtf8(nombre);
        FrmDatos* f = abrir();
        EXPECT_EQ(f->Usuario->text(), UsuarioActual);
        EXPECT_FALSE(f->Municipio->isEnabled()) << nombre;
        EXPECT_FALSE(f->cmdOpciones[2]->isEnabled()) << nombre;
        for (size_t i : {0U, 1U, 3U, 4U, 5U, 6U, 7U})
            EXPECT_TRUE(f->cmdOpciones[i]->isEnabled()) << nombre << i;
        delete f;
    }
}

TEST_F(VentanaPrincipal, BusquedaPorLocalSinDistinguirMayusculasNiAcentosDeLaEnie) {
    FrmDatos* f = abrir();
    buscar(f, QStringLiteral("Local"), QStringLiteral("bar"));
    // "Barra Oculta" matches too, but its locality "-" keeps it hidden.
    EXPECT_EQ(visibles(*f->flex), QStringList({"120", "7"}));
    EXPECT_EQ(f->flex->rows(), 4);
    buscar(f, QStringLiteral("Local"), QStringLiteral("ÑANDÚ"));
    EXPECT_EQ(visibles(*f->flex), QStringList({"120"}));
    buscar(f, QStringLiteral("Nombre"), QStringLiteral("peña"));
    EXPECT_EQ(visibles(*f->flex), QStringList({"45"}));
    // After a search the grid keeps its 24 columns, formats and hidden columns.
    EXPECT_EQ(f->flex->cols(), 24);
    EXPECT_EQ(f->flex->textMatrix(0, 2), QStringLiteral(" Nombre "));
    EXPECT_EQ(f->flex->colWidth(23), 0);
    EXPECT_EQ(f->flex->textMatrix(1, 20), QStringLiteral("10:15:00"));
    EXPECT_TRUE(mensajes.mensajes().size() == 1); // only the welcome
}

TEST_F(VentanaPrincipal, BusquedaLiteralDeApostrofesYComodines) {
    FrmDatos* f = abrir();
    buscar(f, QStringLiteral("Nombre"), QStringLiteral("o'n"));
    EXPECT_EQ(visibles(*f->flex), QStringList({"300"}));
    buscar(f, QStringLiteral("Local"), QStringLiteral("%"));
    EXPECT_EQ(visibles(*f->flex), QStringList({"45"}));
    buscar(f, QStringLiteral("Local"), QStringLiteral("_"));
    EXPECT_EQ(visibles(*f->flex), QStringList({"300"}));
    buscar(f, QStringLiteral("Numero de Cliente"), QStringLiteral("12"));
    EXPECT_EQ(visibles(*f->flex), QStringList({"120"}));
    EXPECT_EQ(mensajes.mensajes().size(), 1);
}

TEST_F(VentanaPrincipal, VaciarLaBusquedaMuestraTodosMenosLosQueNoTienenValor) {
    BaseDatosCompartida().ejecutar(QStringLiteral(
        "INSERT INTO Clientes (NumeroCliente, Nombre, Localidad) VALUES ('77', 'Sin Local', 'Wilde')"));
    FrmDatos* f = abrir();
    EXPECT_EQ(visibles(*f->flex), QStringList({"120", "7", "45", "300", "77"}));
    buscar(f, QStringLiteral("Local"), QStringLiteral("norte"));
    EXPECT_EQ(visibles(*f->flex), QStringList({"7"}));
    QTest::keyClick(f->Text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f->Text1, Qt::Key_Delete);
    EXPECT_TRUE(f->Text1->text().isEmpty());
    // An empty text matches every value, the empty one included, but not a missing one.
    EXPECT_EQ(visibles(*f->flex), QStringList({"120", "7", "45", "300"}));
    EXPECT_EQ(f->flex->rows(), 6); // the placeholder's empty premises name matches, hidden
}

TEST_F(VentanaPrincipal, ColumnaDeBusquedaDesconocidaDejaLaListaComoEstaba) {
    FrmDatos* f = abrir();
    buscar(f, QStringLiteral("Local"), QStringLiteral("bar"));
    const QStringList antes = visibles(*f->flex);
    f->Combo1->setEditText(QStringLiteral("Telefono"));
    QTest::keyClicks(f->Text1, QStringLiteral("x"));
    EXPECT_EQ(visibles(*f->flex), antes);
    EXPECT_TRUE(Conexion1.abierta());
    EXPECT_TRUE(Registros1.abierto());
    EXPECT_EQ(mensajes.mensajes().size(), 1);
    // Changing the column alone does not search; the next keystroke uses it.
    f->Combo1->setCurrentIndex(f->Combo1->findText(QStringLiteral("Localidad")));
    EXPECT_EQ(visibles(*f->flex), antes);
    f->Text1->clear();
    QTest::keyClicks(f->Text1, QStringLiteral("wil"));
    EXPECT_EQ(visibles(*f->flex), QStringList({"45"}));
}

TEST_F(VentanaPrincipal, OrdenPorCabeceraAlternaConUnaMarcaPorGrilla) {
    FrmDatos* f = abrir();
    GridModel& g = *f->flex;
    // Select client 7 by clicking its row.
    const int vista7 = g.viewRowForGridRow(3);
    ASSERT_EQ(g.textMatrix(3, 1), QStringLiteral("7"));
    f->flexVista->setCurrentIndex(f->flexVista->model()->index(vista7, 2));
    EXPECT_EQ(g.row(), 3);

    Q_EMIT f->flexVista->clic(0, 1); // numbers compare as numbers
    EXPECT_TRUE(f->OrdenFlex);
    EXPECT_EQ(visibles(g), QStringList({"7", "45", "120", "300"}));
    EXPECT_EQ(g.col(), 1);
    Q_EMIT f->flexVista->clic(0, 2); // another column: descending, the flag is per grid
    EXPECT_FALSE(f->OrdenFlex);
    EXPECT_EQ(visibles(g, 2), QStringList({"Peña Hnos.", "Juan Pérez", "Carlos O'Neill", "Ana Ruiz"}));
    Q_EMIT f->flexVista->clic(0, 2);
    EXPECT_TRUE(f->OrdenFlex);
    EXPECT_EQ(visibles(g, 2), QStringList({"Ana Ruiz", "Carlos O'Neill", "Juan Pérez", "Peña Hnos."}));
    // Hidden rows move with their texts and stay hidden; the selection stays on client 7.
    EXPECT_EQ(g.rows(), 7);
    for (int r = 1; r < g.rows(); ++r)
        EXPECT_EQ(g.rowHidden(r), g.textMatrix(r, 4) == QStringLiteral("-") || g.textMatrix(r, 1) == "----");
    EXPECT_EQ(g.textMatrix(g.row(), 1), QStringLiteral("7"));
    // A click on a data row does not sort.
    Q_EMIT f->flexVista->clic(2, 2);
    EXPECT_TRUE(f->OrdenFlex);
    // The infraction grid has its own flag.
    EXPECT_FALSE(f->OrdenFlex2);
    // From the keyboard: Ctrl+O on the list sorts by the current column, same toggle.
    f->flexVista->setCurrentIndex(f->flexVista->model()->index(0, 1));
    QTest::keyClick(f->flexVista, Qt::Key_O, Qt::ControlModifier);
    EXPECT_FALSE(f->OrdenFlex);
    EXPECT_EQ(visibles(g), QStringList({"300", "120", "45", "7"}));
    EXPECT_EQ(mensajes.mensajes().size(), 1);
}

TEST_F(VentanaPrincipal, EncabezadoDelMunicipioSobreviveAlReinicio) {
    FrmDatos* f = abrir();
    EXPECT_TRUE(f->Municipio->text().isEmpty());
    EXPECT_FALSE(QFile::exists(rutaMunicipio())); // created on the first change only
    QTest::keyClicks(f->Municipio, QStringLiteral("Quilmes, Bs. As."));
    QFile archivo(rutaMunicipio());
    ASSERT_TRUE(archivo.open(QIODevice::ReadOnly));
    EXPECT_EQ(archivo.readAll(), QByteArray("\"Quilmes, Bs. As.\"\r\n"));
    archivo.close();
    delete f;
    f = abrir();
    EXPECT_EQ(f->Municipio->text(), QStringLiteral("Quilmes, Bs. As."));
    // A double quote cuts the text at the next start.
    f->Municipio->setText(QStringLiteral("Municipio de \"La\" Plata"));
    delete f;
    f = abrir();
    EXPECT_EQ(f->Municipio->text(), QStringLiteral("Municipio de "));
}

TEST(ArchivoMunicipio, PrimerCampoDelArchivo) {
    EXPECT_EQ(LeerCampoMunicipio("\"Quilmes, Bs. As.\"\r\n"), QStringLiteral("Quilmes, Bs. As."));
    EXPECT_EQ(LeerCampoMunicipio("Quilmes, Bs. As.\r\n"), QStringLiteral("Quilmes"));
    EXPECT_EQ(LeerCampoMunicipio("Berazategui\r\notra"), QStringLiteral("Berazategui"));
    EXPECT_EQ(LeerCampoMunicipio("\"sin cierre\r\n"), QStringLiteral("sin cierre"));
    EXPECT_EQ(LeerCampoMunicipio(""), QString());
    EXPECT_EQ(LeerCampoMunicipio(EscribirCampoMunicipio(QStringLiteral("Añelo"))), QStringLiteral("Añelo"));
    // A file that cannot be written is reported, and nothing half-written is left.
    QString error;
    EXPECT_FALSE(GuardarMunicipio(QStringLiteral("/sin/permiso/data.dat"), QStringLiteral("x"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(VentanaPrincipal, SalirAcercaDeYMenus) {
    FrmDatos* f = abrir();
    f->mnuacercade->trigger();
    EXPECT_EQ(mensajes.ultimo().titulo, QStringLiteral("Acerca de..."));
    EXPECT_EQ(mensajes.ultimo().icono, Icono::Informacion);
    const QStringList lineas = mensajes.ultimo().texto.split(QLatin1Char('\n'));
    ASSERT_EQ(lineas.size(), 8);
    EXPECT_EQ(lineas.at(0), QStringLiteral("Sistema de Adquisición de Datos - VELMORA KV-270"));
    EXPECT_EQ(lineas.at(2), QStringLiteral("Version: 1.0.18"));
    EXPECT_EQ(lineas.at(5), QStringLiteral("Por cualquier Consulta o Soporte Técnico"));
    EXPECT_TRUE(lineas.at(7).startsWith(QStringLiteral("por favor escribir a : ")));
    QTest::mouseClick(f->cmdOpciones[3], Qt::LeftButton);
    EXPECT_EQ(finales, 1);
    EXPECT_FALSE(f->isVisible());
    EXPECT_FALSE(Conexion1.abierta());
    f->show();
    f->mnusalir->trigger();
    EXPECT_EQ(finales, 2);
}

TEST(AnchoColumnas, MedicionAcotadaDaLosAnchosDeMedirCadaCelda) {
    GridModel g;
    g.setCols(3);
    g.setRows(402);
    g.setTextMatrix(0, 0, QStringLiteral("id"));
    g.setTextMatrix(0, 1, QStringLiteral("Cabecera muy larga"));
    g.setTextMatrix(0, 2, QStringLiteral("C"));
    for (int f = 1; f < 402; ++f) {
        g.setTextMatrix(f, 0, QString::number(f));
        g.setTextMatrix(f, 1, QStringLiteral("corto"));
        // Many long but narrow texts, one short but wide: the wide one decides.
        g.setTextMatrix(f, 2,
                        f == 250 ? QStringLiteral("WWWWWWWW") : QStringLiteral("iiiiiiiiiiil%1").arg(f % 7));
    }
    QFont fuente(QStringLiteral("Arial"));
    fuente.setPointSize(9);
    for (int candidatos : {1, 4, 24})
        EXPECT_EQ(AnchosColumnasTwips(g, fuente, -1, candidatos), AnchosColumnasTwipsCompleto(g, fuente))
            << candidatos;
    const std::vector<int> anchos = AnchosColumnasTwips(g, fuente);
    // Header wider than every cell; 350 twips of margin.
    EXPECT_EQ(
        anchos[1],
        qRound(QFontMetricsF(fuente).horizontalAdvance(QStringLiteral("Cabecera muy larga")) * 15 + 350));
    EXPECT_EQ(AnchosColumnasTwips(g, fuente, 2).size(), 2U);
}

TEST_F(VentanaPrincipal, BarraDeEstadoConFechaHoraYModoInsercion) {
    FrmDatos* f = abrir();
    auto* reloj = f->findChild<QTimer*>(QStringLiteral("relojBarra"));
    ASSERT_NE(reloj, nullptr);
    EXPECT_TRUE(reloj->isActive());
    // Insert has no indicator: the program follows the presses that reach its windows.
    const bool antes = f->Paneles[4]->isEnabled() && f->Paneles[4]->text() == QStringLiteral("INS");
    QTest::keyClick(f->windowHandle(), Qt::Key_Insert);
    ASSERT_TRUE(QMetaObject::invokeMethod(reloj, "timeout"));
    EXPECT_EQ(f->Paneles[4]->text(), QStringLiteral("INS"));
    EXPECT_NE(f->Paneles[4]->isEnabled(), antes);
    EXPECT_FALSE(f->Paneles[4]->accessibleName().isEmpty());
    // Lock keys the platform cannot tell (no X server here) stay blank.
    EXPECT_TRUE(f->Paneles[2]->text().isEmpty());
    EXPECT_EQ(f->Paneles[7]->text().size(), 5); // HH:mm
}

TEST(Traducciones, BotonesEstandarEnCastellano) {
    const QLocale local;
    ASSERT_TRUE(CargarTraduccionesQt(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Sí"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("Aceptar"));
    // Leave the other tests of this process as they were.
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    QLocale::setDefault(local);
}

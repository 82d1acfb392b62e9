#include "output/LibroExcel.h"
#include "store/GridModel.h"
#include "test_libro_excel_lector.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList filaCliente() {
    QStringList c;
    c << "7"; // 0 id
    c << "123"
      << "Ana Pérez"
      << "Calle 1"
      << "Lobos"
      << "7240"
      << "Lobos"
      << "Buenos Aires"; // 1..7
    c << "4411"
      << "15-5555"
      << "ana@x.com"
      << "01/02/2011"
      << "La Bodega"; // 8..12
    c << "Av. 2"
      << "Navarro"
      << "Navarro"
      << "BA"
      << "4422"
      << "bodega@x.com"; // 13..18
    c << "05/03/2011"
      << "10:20:30"
      << "01/01/2011"
      << "08:00:00"
      << "sin notas"; // 19..23
    return c;
}

QStringList filaBandas() {
    QStringList b;
    b << "Si";
    b << "Si"
      << "Lunes"
      << "Viernes"
      << "9"
      << "0"
      << "10"
      << "5"; // A
    b << "No"
      << "Sabado"
      << "Domingo"
      << "22"
      << "30"
      << "x"
      << ""; // B
    b << "Si"
      << "Martes"
      << "Jueves"
      << "008"
      << "59"
      << "23"
      << "7"; // C
    return b;
}

QStringList infraccion(const QString& equipo, const QString& fecha, const QString& estatus,
                       const QString& ci) {
    QStringList f;
    f << "1" << equipo << fecha << "10:00:00"
      << "95" << estatus << "OK"
      << "SI"
      << "20"
      << "insp";
    f << "90"
      << "80"
      << "3"
      << "1"
      << "5"
      << "70"
      << "60" << ci;
    return f;
}

EntradaLibro entradaBase() {
    EntradaLibro e;
    e.titulo = "Municipalidad de Ñandú & <Cía>";
    e.inspector = "Administrador";
    e.cliente = filaCliente();
    e.bandas = filaBandas();
    e.momento = QDateTime(QDate(2026, 3, 4), QTime(17, 5, 9));
    return e;
}

class LibroExcel : public ::testing::Test {
protected:
    QString crear(const EntradaLibro& e, const QString& nombre = "libro.xlsx") {
        const QString ruta = dir.filePath(nombre);
        const ResultadoLibro r = CrearLibroExcel(e, ruta);
        EXPECT_TRUE(r.ok) << r.error.toStdString();
        return ruta;
    }
    QTemporaryDir dir;
};

std::string s(const QString& t) {
    return t.toStdString();
}

} // namespace

TEST_F(LibroExcel, SinOpcionesCabeceraEnFila18ConBandasYPagina) {
    const LibroLeido l(crear(entradaBase()));
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(l.hojas, QStringList{"Datos_Inspeccion"});

    EXPECT_EQ(s(l.texto("A1")), "Municipalidad de Ñandú & <Cía> - DETALLE DE INFRACCIONES");
    EXPECT_EQ(s(l.texto("A2")), "Inspector responsable:  Administrador");
    EXPECT_TRUE(l.estilo("A1").negrita);
    EXPECT_EQ(l.estilo("A1").tamano, 12);
    EXPECT_TRUE(l.estilo("A2").negrita);
    EXPECT_EQ(l.estilo("A2").tamano, 11);
    EXPECT_FALSE(l.existe("A3"));
    EXPECT_FALSE(l.existe("A4"));
    EXPECT_FALSE(l.existe("A5"));

    // Band block rows 6..17, hours and minutes below 10 padded, other texts as they are.
    EXPECT_EQ(s(l.texto("A6")), "Activacion Banda Horaria A:  Si");
    EXPECT_EQ(s(l.texto("A7")), "Dia y Hora Inicio Banda Horaria A:  Lunes   09:00");
    EXPECT_EQ(s(l.texto("A8")), "Dia y Hora Fin Banda Horaria A:  Viernes   10:05");
    EXPECT_FALSE(l.existe("A9"));
    EXPECT_EQ(s(l.texto("A10")), "Activacion Banda Horaria B:  No");
    EXPECT_EQ(s(l.texto("A11")), "Dia y Hora Inicio Banda Horaria B:  Sabado   22:30");
    EXPECT_EQ(s(l.texto("A12")), "Dia y Hora Fin Banda Horaria B:  Domingo   x:");
    EXPECT_EQ(s(l.texto("A15")), "Dia y Hora Inicio Banda Horaria C:  Martes   0008:59");
    EXPECT_EQ(s(l.texto("A16")), "Dia y Hora Fin Banda Horaria C:  Jueves   23:07");
    EXPECT_FALSE(l.existe("A17"));

    const QStringList esperadas = {"A1:O1",   "A2:O2",   "A6:G6",   "A7:G7",   "A8:G8",  "A10:G10",
                                   "A11:G11", "A12:G12", "A14:G14", "A15:G15", "A16:G16"};
    EXPECT_EQ(l.combinadas, esperadas);

    // Header row 18.
    EXPECT_EQ(s(l.texto("A18")), "N° de Infraccion");
    EXPECT_EQ(s(l.texto("E18")), "Estatus de Micrófono");
    EXPECT_EQ(s(l.texto("P18")), "Nivel Máximo de Ruido Ambiente");
    EXPECT_FALSE(l.existe("Q18"));
    const EstiloCelda c = l.estilo("K18");
    EXPECT_TRUE(c.negrita);
    EXPECT_TRUE(c.ajuste);
    EXPECT_EQ(c.rotacion, 90);
    EXPECT_EQ(s(c.horizontal), "center");
    EXPECT_EQ(s(c.vertical), "center");
    EXPECT_EQ(s(c.borde), "thick");
    EXPECT_EQ(l.filas.value(18).alto, 119);
    // No infraction rows: the table is its header alone.
    EXPECT_EQ(l.ultimaFila(), 18);

    const QList<double> anchos = {6, 12, 12, 6, 12, 8, 6, 6, 18, 6, 6, 6, 6, 6, 6, 6};
    for (int col = 1; col <= 16; ++col)
        EXPECT_NEAR(l.anchos.value(col), anchos[col - 1] + 0.7109375, 0.01) << "columna " << col;

    EXPECT_TRUE(l.horizontal);
    EXPECT_NEAR(l.margenIzq, 1 / 2.54, 1e-6);
    EXPECT_NEAR(l.margenDer, 1 / 2.54, 1e-6);
    EXPECT_NEAR(l.margenSup, 2.5 / 2.54, 1e-6);
    EXPECT_NEAR(l.margenInf, 1 / 2.54, 1e-6);
    EXPECT_EQ(s(l.pie), "&LInforme realizado el 04/03/2026 a las 17:05:09&RPágina &P de &N");
    // The footer fits inside the bottom margin; the table fits the page width.
    EXPECT_LT(l.margenPie, l.margenInf - 0.2);
    EXPECT_TRUE(l.ajustarAncho);
}

TEST_F(LibroExcel, TodasLasOpcionesCabeceraEnFila39) {
    EntradaLibro e = entradaBase();
    e.check.fill(true);
    const LibroLeido l(crear(e));
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(s(l.texto("A4")), "Numero de Cliente:  123");
    EXPECT_EQ(s(l.texto("A5")), "Nombre y Apellido:  Ana Pérez");
    EXPECT_EQ(s(l.texto("A13")), "Email: ana@x.com");
    EXPECT_EQ(s(l.texto("A14")), "Fecha de Alta:  01/02/2011");
    EXPECT_FALSE(l.existe("A15"));
    EXPECT_EQ(s(l.texto("A16")), "Nombre del Local:  La Bodega");
    EXPECT_EQ(s(l.texto("A17")), "Direccion del Local:  Av. 2");
    EXPECT_EQ(s(l.texto("A21")), "Telefono del Local:  4422");
    EXPECT_EQ(s(l.texto("A22")), "Email del Local:  bodega@x.com");
    EXPECT_EQ(s(l.texto("A23")), "Ultima Inspeccion:  05/03/2011 / 10:20:30");
    EXPECT_EQ(s(l.texto("A24")), "Anterior Inspeccion:  01/01/2011 / 08:00:00");
    EXPECT_EQ(s(l.texto("A25")), "Notas:  sin notas");
    EXPECT_FALSE(l.existe("A26"));
    EXPECT_EQ(s(l.texto("A27")), "Activacion Banda Horaria A:  Si");
    EXPECT_EQ(s(l.texto("A39")), "N° de Infraccion");
    EXPECT_TRUE(l.combinadas.contains("A4:G4"));
    EXPECT_TRUE(l.combinadas.contains("A25:G25"));
}

TEST_F(LibroExcel, SoloNotas) {
    EntradaLibro e = entradaBase();
    e.check[11] = true;
    const LibroLeido l(crear(e));
    EXPECT_FALSE(l.existe("A4"));
    EXPECT_EQ(s(l.texto("A5")), "Notas:  sin notas");
    EXPECT_FALSE(l.existe("A6"));
    EXPECT_EQ(s(l.texto("A7")), "Activacion Banda Horaria A:  Si");
    EXPECT_EQ(s(l.texto("A17")), "Dia y Hora Fin Banda Horaria C:  Jueves   23:07");
    EXPECT_EQ(s(l.texto("A19")), "N° de Infraccion");
}

TEST_F(LibroExcel, FilasDeInfraccionEstatusOcultasYSeparadores) {
    // Built through a grid as the window does: hidden rows come from the row height.
    GridModel g;
    g.setCols(18);
    const QList<QStringList> filas = {
        infraccion("123", "31/03/2011", "MIC. DESC.", "1"),  // 19: untouched
        infraccion("123", "31/03/2011", "BAT. DESC.", "2"),  // 20: BLOQ., bold red
        infraccion("123", "01/04/2011", "D. JOCKEY", "3"),   // 21: CI, orange
        QStringList(),                                       // 22: separator, black
        infraccion("123", "02/04/2011", "L. SHOW", "4"),     // 23: hidden by the filter
        infraccion("123", "03/04/2011", "bat. desc.", "5"),  // 24: letter case differs
        infraccion("123", "03/04/2011", "L. SHOW", "6"),     // 25: CI, yellow
        infraccion("123", "03/04/2011", "REINICIO EQ.", ""), // 26
    };
    g.setRows(static_cast<int>(filas.size()) + 1);
    for (int i = 0; i < filas.size(); ++i)
        for (int c = 0; c < filas[i].size(); ++c)
            g.setTextMatrix(i + 1, c, filas[i][c]);
    g.setRowHeight(5, 0);
    EntradaLibro e = entradaBase();
    InfraccionesDesdeGrilla(e, g);
    ASSERT_EQ(e.infracciones.size(), 8u);
    const LibroLeido l(crear(e));
    ASSERT_TRUE(l.ok());

    // Untouched status: column A keeps "Equipo", grid columns 1..16 in A..P, CI not copied.
    EXPECT_EQ(s(l.texto("A19")), "123");
    EXPECT_EQ(s(l.texto("B19")), "31/03/2011");
    EXPECT_EQ(s(l.texto("E19")), "MIC. DESC.");
    EXPECT_EQ(s(l.texto("P19")), "60");
    EXPECT_FALSE(l.existe("Q19"));
    const EstiloCelda normal = l.estilo("C19");
    EXPECT_TRUE(normal.relleno.isEmpty());
    EXPECT_FALSE(normal.negrita);
    EXPECT_EQ(s(normal.borde), "thin");
    EXPECT_EQ(s(normal.horizontal), "center");
    // Dates stay the texts the grid shows, in a column formatted as dates.
    EXPECT_TRUE(l.celdas.value("B19").esTexto);
    EXPECT_EQ(s(l.estilo("B19").formatoNumero), "mm/dd/yyyy");

    EXPECT_EQ(s(l.texto("A20")), "BLOQ.");
    for (const char* col : {"A", "E", "P"}) {
        const EstiloCelda r = l.estilo(QString(col) + "20");
        EXPECT_TRUE(r.negrita) << col;
        EXPECT_EQ(s(r.relleno), "FF0000") << col;
    }
    EXPECT_EQ(s(l.texto("A21")), "3");
    EXPECT_EQ(s(l.estilo("P21").relleno), "FF8000");
    EXPECT_FALSE(l.estilo("A21").negrita);

    // Separator: visible, empty, black from A to P.
    EXPECT_FALSE(l.filas.value(22).oculta);
    for (const char* col : {"A", "H", "P"}) {
        const QString ref = QString(col) + "22";
        EXPECT_TRUE(l.texto(ref).isEmpty());
        EXPECT_EQ(s(l.estilo(ref).relleno), "000000") << col;
        EXPECT_EQ(s(l.estilo(ref).borde), "thin") << col;
    }
    // Hidden infraction: its row stays, hidden, with nothing written, black.
    EXPECT_TRUE(l.filas.value(23).oculta);
    EXPECT_TRUE(l.texto("A23").isEmpty());
    EXPECT_TRUE(l.texto("E23").isEmpty());
    EXPECT_EQ(s(l.estilo("P23").relleno), "000000");
    // Black rows write in white, so a record without status stays readable.
    EXPECT_EQ(s(l.estilo("B22").colorLetra), "FFFFFF");

    EXPECT_EQ(s(l.texto("A24")), "123");
    EXPECT_TRUE(l.estilo("A24").relleno.isEmpty());
    EXPECT_EQ(s(l.texto("A25")), "6");
    EXPECT_EQ(s(l.estilo("A25").relleno), "FFFF00");
    EXPECT_EQ(s(l.texto("A26")), "BLOQ.");
    EXPECT_EQ(l.ultimaFila(), 26);
}

TEST_F(LibroExcel, FilasDespuesDe25000SinCentrar) {
    EntradaLibro e = entradaBase();
    // Header in row 18: grid rows 1..24984 reach sheet row 25002.
    e.infracciones.assign(24984, FilaInfraccionLibro{infraccion("1", "01/01/2011", "", ""), false});
    const LibroLeido l(crear(e), {25000, 25001, 25002, 25003});
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(l.ultimaFila(), 25002);
    EXPECT_EQ(s(l.estilo("D25000").horizontal), "center");
    EXPECT_TRUE(l.estilo("D25001").horizontal.isEmpty());
    EXPECT_EQ(s(l.estilo("D25001").borde), "thin");
    EXPECT_EQ(s(l.estilo("D25002").relleno), "000000");
}

TEST_F(LibroExcel, UnFalloNoDejaArchivoNiReemplazaElAnterior) {
    const QString ruta = dir.filePath("existente.xlsx");
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("anterior");
    }
    EntradaLibro e = entradaBase();
    e.infracciones.push_back({infraccion("1", "01/01/2011", "MIC. DESC.", "")});
    e.infracciones.push_back({infraccion("1", "01/01/2011", "MIC. DESC.", "")});
    e.infracciones[1].celdas[9] = QString(40000, QLatin1Char('x')); // longer than a cell takes
    const ResultadoLibro r = CrearLibroExcel(e, ruta);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("32767")) << s(r.error);
    EXPECT_TRUE(r.error.contains("I20")) << s(r.error);
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("anterior"));
    f.close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"existente.xlsx"});

    // A good export replaces it, without leftovers.
    e.infracciones.pop_back();
    ASSERT_TRUE(CrearLibroExcel(e, ruta).ok);
    EXPECT_EQ(s(LibroLeido(ruta).texto("E19")), "MIC. DESC.");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"existente.xlsx"});
}

TEST_F(LibroExcel, DestinosImposibles) {
    const EntradaLibro e = entradaBase();
    ResultadoLibro r = CrearLibroExcel(e, dir.filePath("no/existe/libro.xlsx"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("no existe")) << s(r.error);
    r = CrearLibroExcel(e, dir.path());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("carpeta")) << s(r.error);
    r = CrearLibroExcel(e, QString());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(LibroExcel, FilasIncompletasNoFallan) {
    // A client without band settings and short rows export empty texts.
    EntradaLibro e;
    e.infracciones.push_back({QStringList{"1", "9"}, false});
    const LibroLeido l(crear(e));
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(s(l.texto("A7")), "Dia y Hora Inicio Banda Horaria A:     :");
    EXPECT_EQ(s(l.texto("A19")), "9");
    EXPECT_EQ(s(l.estilo("A19").relleno), "000000"); // its status is empty
}

// The workbook builder on plain inputs, read back from the unpacked .xlsx.

#include "output/LibroExcel.h"
#include "test_libro_excel_lector.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList partes(const char* texto) {
    return QString::fromUtf8(texto).split(QLatin1Char('|'));
}

QStringList infraccion(const char* fecha, const char* estatus, const char* ci) {
    return QStringList{"1", "123", fecha, "10:00:00", "95", estatus} +
           partes("OK|SI|20|insp|90|80|3|1|5|70|60") + QStringList{ci};
}

EntradaLibro entradaBase() {
    EntradaLibro e;
    e.titulo = "Municipalidad de Ñandú & <Cía>";
    e.inspector = "Administrador";
    e.cliente =
        partes("7|123|Ana Pérez|Calle 1|Lobos|7240|Lobos|Buenos Aires|4411|15-5555|ana@x.com|01/02/2011|"
               "La Bodega|Av. 2|Navarro|Navarro|BA|4422|bodega@x.com|05/03/2011|10:20:30|01/01/2011|"
               "08:00:00|sin notas");
    // Bands A, B, C: activation, start and end day, start hour and minutes, end hour and minutes.
    e.bandas = partes("Si|Si|Lunes|Viernes|9|0|10|5|No|Sabado|Domingo|22|30|x||Si|Martes|Jueves|008|59|23|7");
    e.momento = QDateTime(QDate(2026, 3, 4), QTime(17, 5, 9));
    return e;
}

std::string s(const QString& t) {
    return t.toStdString();
}

class LibroExcel : public ::testing::Test {
protected:
    QString crear(const EntradaLibro& e, const QString& nombre = "libro.xlsx") {
        const QString ruta = dir.filePath(nombre);
        const ResultadoLibro r = CrearLibroExcel(e, ruta);
        EXPECT_TRUE(r.ok) << s(r.error);
        return ruta;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(LibroExcel, SinOpcionesCabeceraEnFila18ConBandasYPagina) {
    const LibroLeido l(crear(entradaBase()));
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(l.hojas, QStringList{"Datos_Inspeccion"});
    // Band block rows 6..17, hours and minutes below 10 padded, other texts as they are.
    ComprobarTextos(l, "A1=Municipalidad de Ñandú & <Cía> - DETALLE DE INFRACCIONES|"
                       "A2=Inspector responsable:  Administrador|A3|A4|A5|A6=Activacion Banda Horaria A:  Si|"
                       "A7=Dia y Hora Inicio Banda Horaria A:  Lunes   09:00|"
                       "A8=Dia y Hora Fin Banda Horaria A:  Viernes   10:05|A9|"
                       "A10=Activacion Banda Horaria B:  No|"
                       "A11=Dia y Hora Inicio Banda Horaria B:  Sabado   22:30|"
                       "A12=Dia y Hora Fin Banda Horaria B:  Domingo   x:|"
                       "A15=Dia y Hora Inicio Banda Horaria C:  Martes   0008:59|"
                       "A16=Dia y Hora Fin Banda Horaria C:  Jueves   23:07|A17|A18=N° de Infraccion|"
                       "E18=Estatus de Micrófono|P18=Nivel Máximo de Ruido Ambiente|Q18");
    EXPECT_TRUE(l.estilo("A1").negrita);
    EXPECT_EQ(l.combinadas,
              partes("A1:O1|A2:O2|A6:G6|A7:G7|A8:G8|A10:G10|A11:G11|A12:G12|A14:G14|A15:G15|A16:G16"));
    EXPECT_TRUE(l.estilo("K18").negrita);
    EXPECT_EQ(s(l.estilo("K18").borde), "thick");
    // No infraction rows: the table is its header alone.
    EXPECT_EQ(l.ultimaFila(), 18);

    EXPECT_EQ(s(l.pie), "&LInforme realizado el 04/03/2026 a las 17:05:09&RPágina &P de &N");
    // Landscape; the footer fits inside the bottom margin; the table fits the page width.
    EXPECT_TRUE(l.horizontal);
    EXPECT_LT(l.margenPie, l.margenInf - 0.2);
    EXPECT_TRUE(l.ajustarAncho);
}

TEST_F(LibroExcel, TodasLasOpcionesCabeceraEnFila39YSoloNotasEn19) {
    EntradaLibro e = entradaBase();
    e.check.fill(true);
    const LibroLeido l(crear(e));
    ASSERT_TRUE(l.ok());
    ComprobarTextos(l, "A4=Numero de Cliente:  123|A5=Nombre y Apellido:  Ana Pérez|A13=Email: ana@x.com|"
                       "A14=Fecha de Alta:  01/02/2011|A15|A16=Nombre del Local:  La Bodega|"
                       "A17=Direccion del Local:  Av. 2|A21=Telefono del Local:  4422|"
                       "A22=Email del Local:  bodega@x.com|A23=Ultima Inspeccion:  05/03/2011 / 10:20:30|"
                       "A24=Anterior Inspeccion:  01/01/2011 / 08:00:00|A25=Notas:  sin notas|A26|"
                       "A27=Activacion Banda Horaria A:  Si|A39=N° de Infraccion");
    EXPECT_TRUE(l.combinadas.contains("A4:G4"));
    EXPECT_TRUE(l.combinadas.contains("A25:G25"));

    e.check.fill(false);
    e.check[11] = true;
    const LibroLeido notas(crear(e, "notas.xlsx"));
    ComprobarTextos(notas, "A4|A5=Notas:  sin notas|A6|A7=Activacion Banda Horaria A:  Si|"
                           "A17=Dia y Hora Fin Banda Horaria C:  Jueves   23:07|A19=N° de Infraccion");
}

TEST_F(LibroExcel, FilasDeInfraccionEstatusOcultasYSeparadores) {
    const QList<QStringList> filas = {
        infraccion("31/03/2011", "MIC. DESC.", "1"),  // 19: untouched
        infraccion("31/03/2011", "BAT. DESC.", "2"),  // 20: BLOQ., bold red
        infraccion("01/04/2011", "D. JOCKEY", "3"),   // 21: CI, orange
        QStringList(),                                // 22: separator, black
        infraccion("02/04/2011", "L. SHOW", "4"),     // 23: hidden by the filter
        infraccion("03/04/2011", "bat. desc.", "5"),  // 24: letter case differs
        infraccion("03/04/2011", "L. SHOW", "6"),     // 25: CI, yellow
        infraccion("03/04/2011", "REINICIO EQ.", ""), // 26
    };
    EntradaLibro e = entradaBase();
    for (const QStringList& f : filas)
        e.infracciones.push_back({f, e.infracciones.size() == 4});
    ASSERT_EQ(e.infracciones.size(), 8u);
    const LibroLeido l(crear(e));
    ASSERT_TRUE(l.ok());

    // Untouched status: column A keeps "Equipo", grid columns 1..16 in A..P, CI not copied.
    ComprobarTextos(l, "A19=123|B19=31/03/2011|E19=MIC. DESC.|P19=60|Q19|A20=BLOQ.|A21=3|A22=|A23=|E23=|"
                       "A24=123|A25=6|A26=BLOQ.");
    EXPECT_TRUE(l.estilo("C19").relleno.isEmpty());
    EXPECT_FALSE(l.estilo("C19").negrita);
    EXPECT_EQ(s(l.estilo("C19").borde), "thin");
    EXPECT_EQ(s(l.estilo("C19").horizontal), "center");
    for (const char* col : {"A", "E", "P"}) {
        EXPECT_TRUE(l.estilo(QString(col) + "20").negrita) << col;
        EXPECT_EQ(s(l.estilo(QString(col) + "20").relleno), "FF0000") << col;
    }
    EXPECT_EQ(s(l.estilo("P21").relleno), "FF8000");
    EXPECT_FALSE(l.estilo("A21").negrita);
    // Separator: visible, empty, black from A to P; a hidden infraction keeps its row, hidden,
    // black, with nothing written. Black rows write in white.
    EXPECT_FALSE(l.ocultas.value(22));
    EXPECT_TRUE(l.ocultas.value(23));
    for (const char* ref : {"A22", "H22", "P22", "P23"}) {
        EXPECT_EQ(s(l.estilo(ref).relleno), "000000") << ref;
        EXPECT_EQ(s(l.estilo(ref).borde), "thin") << ref;
    }
    EXPECT_EQ(s(l.estilo("B22").colorLetra), "FFFFFF");
    EXPECT_TRUE(l.estilo("A24").relleno.isEmpty());
    EXPECT_EQ(s(l.estilo("A25").relleno), "FFFF00");
    EXPECT_EQ(l.ultimaFila(), 26);
}

TEST_F(LibroExcel, FilasDespuesDe25000SinCentrarYFilasIncompletas) {
    EntradaLibro e = entradaBase();
    // Header in row 18: grid rows 1..24984 reach sheet row 25002.
    e.infracciones.assign(24984, FilaInfraccionLibro{infraccion("01/01/2011", "", ""), false});
    const LibroLeido l(crear(e), {25000, 25001, 25002, 25003});
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(l.ultimaFila(), 25002);
    EXPECT_EQ(s(l.estilo("D25000").horizontal), "center");
    EXPECT_TRUE(l.estilo("D25001").horizontal.isEmpty());
    EXPECT_EQ(s(l.estilo("D25001").borde), "thin");
    EXPECT_EQ(s(l.estilo("D25002").relleno), "000000");

    // A client without band settings and short rows export empty texts.
    EntradaLibro vacia;
    vacia.infracciones.push_back({QStringList{"1", "9"}, false});
    const LibroLeido v(crear(vacia, "vacio.xlsx"));
    ComprobarTextos(v, "A7=Dia y Hora Inicio Banda Horaria A:     :|A19=9");
    EXPECT_EQ(s(v.estilo("A19").relleno), "000000"); // its status is empty
}

TEST_F(LibroExcel, UnFalloNoDejaArchivoNiReemplazaElAnterior) {
    const QString ruta = dir.filePath("existente.xlsx");
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("anterior");
    f.close();
    EntradaLibro e = entradaBase();
    e.infracciones.assign(2, {infraccion("01/01/2011", "MIC. DESC.", "")});
    e.infracciones[1].celdas[9] = QString(40000, QLatin1Char('x')); // longer than a cell takes
    const ResultadoLibro r = CrearLibroExcel(e, ruta);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("32767") && r.error.contains("I20")) << s(r.error);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("anterior"));
    f.close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"existente.xlsx"});

    // A good export replaces it, without leftovers.
    e.infracciones.pop_back();
    ASSERT_TRUE(CrearLibroExcel(e, ruta).ok);
    EXPECT_EQ(s(LibroLeido(ruta).texto("E19")), "MIC. DESC.");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"existente.xlsx"});

    // Impossible destinations are refused with their reason, leaving nothing behind.
    QDir(dir.path()).remove("existente.xlsx");
    for (const auto& [destino, motivo] : {std::pair{dir.filePath("no/existe/libro.xlsx"), "no existe"},
                                          std::pair{dir.path(), "carpeta"}, std::pair{QString(), ""}}) {
        const ResultadoLibro fallo = CrearLibroExcel(e, destino);
        EXPECT_FALSE(fallo.ok) << s(destino);
        EXPECT_TRUE(!fallo.error.isEmpty() && fallo.error.contains(motivo)) << s(fallo.error);
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

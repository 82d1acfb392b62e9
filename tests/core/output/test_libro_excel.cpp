// The workbook builder on plain inputs, read back from the unpacked .xlsx.

#include "core/output/LibroExcel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList todas(const QString& xml, const QString& patron) {
    QStringList l;
    for (auto it = QRegularExpression(patron).globalMatch(xml); it.hasNext();)
        l << it.next().captured(1);
    return l;
}

QString desescapar(QString t) {
    return t.replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&");
}

// What the tests need from an .xlsx: the sheet's texts and styles by address ("A1"), a style
// read as "negrita letra:FFFFFF 000000 thin center" (bold, font colour, fill, border, alignment).
struct Libro {
    QString libro, hoja; // workbook.xml and sheet1.xml
    QHash<QString, QString> textos, estilos;
    int ultimaFila = 0;
    std::string estilo(const char* ref) const { return estilos.value(ref).toStdString(); }
};

Libro leer(const QString& archivo) {
    const auto parte = [&](const char* nombre) {
        QProcess p;
        p.start("unzip", {"-p", archivo, nombre});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    const QString estilos = parte("xl/styles.xml"), rgb = "rgb=\"FF(\\w{6})";
    const QStringList fuentes = todas(estilos, "<font>(.*?)</font>"),
                      rellenos = todas(estilos, "<fill>(.*?)</fill>"),
                      bordes = todas(estilos, "<border>(.*?)</border>");
    const auto de = [](const QStringList& lista, const QString& xf, const char* id) {
        return lista.value(todas(xf, id + QString("Id=\"(\\d+)")).value(0).toInt());
    };
    QStringList xfs;
    for (const QString& xf : todas(estilos.section("<cellXfs", 1), "<xf ([^>]*>(?:<alignment[^>]*>)?)")) {
        const QString fuente = de(fuentes, xf, "font"), letra = todas(fuente, rgb).value(0);
        QStringList e{fuente.contains("<b/>") ? "negrita" : "", letra.isEmpty() ? "" : "letra:" + letra,
                      todas(de(rellenos, xf, "fill"), rgb).value(0),
                      todas(de(bordes, xf, "border"), "<left style=\"(\\w+)").value(0),
                      todas(xf, "horizontal=\"(\\w+)").value(0)};
        e.removeAll(QString());
        xfs << e.join(' ');
    }
    Libro l{parte("xl/workbook.xml"), parte("xl/worksheets/sheet1.xml"), {}, {}, 0};
    static const QRegularExpression celda(
        "<c r=\"([A-Z]+)(\\d+)\"(?: s=\"(\\d+)\")?[^>]*?(?:/>|>(?:<is>)?<[tv][^>]*>([^<]*))");
    for (auto it = celda.globalMatch(l.hoja); it.hasNext();) {
        const auto m = it.next();
        l.textos.insert(m.captured(1) + m.captured(2), desescapar(m.captured(4)));
        l.estilos.insert(m.captured(1) + m.captured(2), xfs.value(m.captured(3).toInt()));
        l.ultimaFila = std::max(l.ultimaFila, m.captured(2).toInt());
    }
    return l;
}

// "A1=text|A3|B4=": each address holds that text; an address alone is not written.
void comprobarTextos(const Libro& l, const QString& esperados) {
    for (const QString& e : esperados.split('|')) {
        const QString ref = e.section('=', 0, 0);
        EXPECT_EQ(l.textos.value(ref, "-").toStdString(),
                  e.contains('=') ? e.section('=', 1).toStdString() : "-")
            << ref.toStdString();
    }
}

QStringList infraccion(const char* fecha, const char* estatus, const char* ci) {
    return QStringList{"1", "123", fecha, "10:00:00", "95", estatus} +
           QString("OK|SI|20|insp|90|80|3|1|5|70|60").split('|') + QStringList{ci};
}

EntradaLibro entradaBase() {
    EntradaLibro e;
    e.titulo = "Municipalidad de Ñandú & <Cía>";
    e.inspector = "Administrador";
    e.cliente = Cliente::desdeFila(
        QString("7|123|Ana Pérez|Calle 1|Lobos|7240|Lobos|Buenos Aires|4411|15-5555|ana@x.com|01/02/2011|"
                "La Bodega|Av. 2|Navarro|Navarro|BA|4422|bodega@x.com|05/03/2011|10:20:30|01/01/2011|"
                "08:00:00|sin notas")
            .split('|'));
    // As the store reads them: the bands' activation, then A, B, C, each with its activation,
    // start and end day, start hour and minutes, end hour and minutes.
    e.bandas = BandasCliente::desdeFila(
        QString("Si|Si|Lunes|Viernes|9|0|10|5|No|Sabado|Domingo|22|30|x||Si|Martes|Jueves|008|59|23|7")
            .split('|'));
    e.momento = QDateTime(QDate(2026, 3, 4), QTime(17, 5, 9));
    return e;
}

QTemporaryDir dir;

Libro crear(const EntradaLibro& e, const QString& nombre = "libro.xlsx") {
    const ResultadoLibro r = CrearLibroExcel(e, dir.filePath(nombre));
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    return leer(dir.filePath(nombre));
}

} // namespace

TEST(LibroExcel, CabeceraOpcionesBandasYPagina) {
    EntradaLibro e = entradaBase();
    ImportacionRegistrada i;
    i.usuario = "Invitado";
    i.nombreArchivo = "0123.kvd";
    i.sha256 = QString(64, 'a');
    i.momento = QDateTime(QDate(2026, 12, 6), QTime(9, 30));
    i.guardados = 3;
    e.importaciones = {i};
    e.anteriores = 2;
    const Libro l = crear(e);
    EXPECT_EQ(todas(l.libro, "<sheet name=\"([^\"]+)\""), (QStringList{"Datos_Inspeccion", "Importaciones"}));
    // The second sheet: where the exported rows came from.
    QProcess p;
    p.start("unzip", {"-p", dir.filePath("libro.xlsx"), "xl/worksheets/sheet2.xml"});
    p.waitForFinished(60000);
    const QString procedencia = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& t :
         {QString("06/12/2026 09:30:00"), QString("Invitado"), QString("0123.kvd"), i.sha256,
          QString("2 filas exportadas son anteriores al registro de importaciones.")})
        EXPECT_TRUE(procedencia.contains(t)) << t.toStdString();
    // Band block rows 6..17, hours and minutes below 10 padded, other texts as they are.
    comprobarTextos(
        l, "A1=Municipalidad de Ñandú & <Cía> - DETALLE DE INFRACCIONES|A3|A4|A5|A9|A17|Q18|"
           "A2=Inspector responsable:  Administrador|A6=Activacion Banda Horaria A:  Si|"
           "A7=Dia y Hora Inicio Banda Horaria A:  Lunes   09:00|A10=Activacion Banda Horaria B:  No|"
           "A8=Dia y Hora Fin Banda Horaria A:  Viernes   10:05|A18=N° de Infraccion|"
           "A11=Dia y Hora Inicio Banda Horaria B:  Sabado   22:30|E18=Estatus de Micrófono|"
           "A12=Dia y Hora Fin Banda Horaria B:  Domingo   x:|P18=Nivel Máximo de Ruido Ambiente|"
           "A15=Dia y Hora Inicio Banda Horaria C:  Martes   0008:59|"
           "A16=Dia y Hora Fin Banda Horaria C:  Jueves   23:07");
    EXPECT_TRUE(l.hoja.contains("ref=\"A2:O2\"") && l.hoja.contains("ref=\"A16:G16\""));
    EXPECT_EQ(l.estilo("A1"), "negrita");
    EXPECT_EQ(l.estilo("K18"), "negrita thick center");
    EXPECT_EQ(l.ultimaFila, 18); // no infractions: the table is its header alone
    EXPECT_EQ(desescapar(todas(l.hoja, "<oddFooter>([^<]*)").value(0)),
              "&LInforme realizado el 04/03/2026 a las 17:05:09&RPágina &P de &N");
    // Landscape, fitted to the page width; the footer fits inside the bottom margin.
    EXPECT_TRUE(l.hoja.contains(
        QRegularExpression("fitToPage=\"1\".*<pageSetup fitToHeight=\"0\" orientation=\"landscape\"/>")));
    EXPECT_LT(todas(l.hoja, "footer=\"([\\d.]+)").value(0).toDouble(),
              todas(l.hoja, "bottom=\"([\\d.]+)").value(0).toDouble() - 0.2);
    // Every option: the client's and the premises' lines push the bands and the table down.
    e = entradaBase();
    e.opciones = OpcionesLibro::todas();
    const Libro todo = crear(e, "todo.xlsx");
    comprobarTextos(todo, "A4=Numero de Cliente:  123|A5=Nombre y Apellido:  Ana Pérez|A13=Email: ana@x.com|"
                          "A14=Fecha de Alta:  01/02/2011|A15|A16=Nombre del Local:  La Bodega|"
                          "A17=Direccion del Local:  Av. 2|A21=Telefono del Local:  4422|"
                          "A22=Email del Local:  bodega@x.com|A23=Ultima Inspeccion:  05/03/2011 / 10:20:30|"
                          "A24=Anterior Inspeccion:  01/01/2011 / 08:00:00|A25=Notas:  sin notas|A26|"
                          "A27=Activacion Banda Horaria A:  Si|A39=N° de Infraccion");
    EXPECT_TRUE(todo.hoja.contains("ref=\"A4:G4\"") && todo.hoja.contains("ref=\"A25:G25\""));
    e.opciones = OpcionesLibro{};
    e.opciones.notas = true;
    comprobarTextos(crear(e, "notas.xlsx"),
                    "A4|A5=Notas:  sin notas|A6|A7=Activacion Banda Horaria A:  Si|"
                    "A17=Dia y Hora Fin Banda Horaria C:  Jueves   23:07|A19=N° de Infraccion");
    // A client without band settings and short rows export empty texts.
    EntradaLibro vacia;
    vacia.infracciones.push_back({QStringList{"1", "9"}, false});
    comprobarTextos(crear(vacia, "vacio.xlsx"), "A7=Dia y Hora Inicio Banda Horaria A:     :|A19=9");
}

TEST(LibroExcel, FilasDeInfraccionEstatusOcultasSeparadoresYDespuesDe25000) {
    EntradaLibro e = entradaBase();
    e.infracciones = {
        {infraccion("31/03/2011", "MIC. DESC.", "1")},    // 19: untouched
        {infraccion("31/03/2011", "BAT. DESC.", "2")},    // 20: BLOQ., bold red
        {infraccion("01/04/2011", "D. JOCKEY", "3")},     // 21: CI, orange
        {QStringList()},                                  // 22: separator, black
        {infraccion("02/04/2011", "L. SHOW", "4"), true}, // 23: hidden by the filter
        {infraccion("03/04/2011", "bat. desc.", "5")},    // 24: letter case differs
        {infraccion("03/04/2011", "L. SHOW", "6")},       // 25: CI, yellow
        {infraccion("03/04/2011", "REINICIO EQ.", "")},   // 26
    };
    // Grid rows up to 24984 reach sheet row 25002; the last one without status.
    e.infracciones.resize(24984, {infraccion("01/01/2011", "MIC. DESC.", "")});
    e.infracciones.back().celdas[5].clear();
    const Libro l = crear(e);
    // Untouched status: column A keeps "Equipo", grid columns 1..16 in A..P, CI not copied.
    comprobarTextos(l, "A19=123|B19=31/03/2011|E19=MIC. DESC.|P19=60|Q19|A20=BLOQ.|A21=3|A22=|A23=|E23=|"
                       "A24=123|A25=6|A26=BLOQ.");
    EXPECT_EQ(l.estilo("C19"), "thin center");
    for (const char* ref : {"A20", "E20", "P20"})
        EXPECT_EQ(l.estilo(ref), "negrita FF0000 thin center") << ref;
    EXPECT_EQ(l.estilo("A21"), "FF8000 thin center");
    // Separator: visible, empty, black from A to P; a hidden infraction keeps its row, hidden,
    // black, with nothing written. Black rows write in white.
    EXPECT_EQ(todas(l.hoja, "<row r=\"(\\d+)\"[^>]*hidden=\"1\""), QStringList{"23"});
    for (const char* ref : {"A22", "H22", "P22", "P23"})
        EXPECT_EQ(l.estilo(ref), "letra:FFFFFF 000000 thin center") << ref;
    EXPECT_EQ(l.estilo("A24"), "thin center");
    EXPECT_EQ(l.estilo("A25"), "FFFF00 thin center");
    // Rows after 25000 are not centred; an empty status is black.
    EXPECT_EQ(l.ultimaFila, 25002);
    EXPECT_EQ(l.estilo("D25000"), "thin center");
    EXPECT_EQ(l.estilo("D25001"), "thin");
    EXPECT_EQ(l.estilo("D25002"), "letra:FFFFFF 000000 thin");
}

TEST(LibroExcel, CadaCeldaLlevaSuTextoEnUtf8ComoLoCodificaQt) {
    // Every UTF-8 length, stray surrogates, and short texts right after long ones: each cell
    // holds its own text, encoded as QString::toUtf8 does.
    const QString textos[] = {"Ñandú",
                              QString::fromUtf16(u"€ \U0001F600 \u07FF\u0800\uFFFF"),
                              QString("a") + QChar(0xD800) + "b" + QChar(0xDC00),
                              QString("z") + QChar(0xD83D),
                              QString(300, u'é'),
                              "ab",
                              "x"};
    const int n = static_cast<int>(std::size(textos));
    EntradaLibro e = entradaBase();
    for (int f = 0; f < 3; ++f) {
        QStringList celdas{"0"};
        for (int c = 0; c < 16; ++c)
            celdas << textos[(f + c) % n];
        e.infracciones.push_back({celdas});
    }
    const Libro l = crear(e, "utf8.xlsx");
    for (int f = 0; f < 3; ++f)
        for (int c = 0; c < 16; ++c) {
            const QString ref = QChar(u'A' + c) + QString::number(19 + f);
            EXPECT_EQ(l.textos.value(ref), QString::fromUtf8(textos[(f + c) % n].toUtf8()))
                << ref.toStdString();
        }
}

TEST(LibroExcel, UnFalloNoDejaArchivoNiReemplazaElAnterior) {
    const QTemporaryDir dir; // its own, to see leftovers
    const QString ruta = dir.filePath("existente.xlsx");
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("anterior") == 8 && f.flush());
    EntradaLibro e = entradaBase();
    e.infracciones.assign(2, {infraccion("01/01/2011", "MIC. DESC.", "")});
    e.infracciones[1].celdas[9] = QString(40000, 'x'); // longer than a cell takes
    const ResultadoLibro r = CrearLibroExcel(e, ruta);
    EXPECT_TRUE(!r.ok && r.error.contains("32767") && r.error.contains("I20")) << r.error.toStdString();
    EXPECT_EQ(QFileInfo(ruta).size(), 8);
    const auto archivos = [&] {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    EXPECT_EQ(archivos(), QStringList{"existente.xlsx"});
    // A good export replaces it, without leftovers.
    e.infracciones.pop_back();
    ASSERT_TRUE(CrearLibroExcel(e, ruta).ok);
    EXPECT_EQ(leer(ruta).textos.value("E19"), "MIC. DESC.");
    EXPECT_EQ(archivos(), QStringList{"existente.xlsx"});
    // Impossible destinations are refused with their reason, leaving nothing behind.
    QFile::remove(ruta);
    for (const auto& [destino, motivo] : {std::pair{dir.filePath("no/existe/libro.xlsx"), "no existe"},
                                          std::pair{dir.path(), "carpeta"}, std::pair{QString(), ""}}) {
        const ResultadoLibro fallo = CrearLibroExcel(e, destino);
        EXPECT_TRUE(!fallo.ok && !fallo.error.isEmpty() && fallo.error.contains(motivo))
            << fallo.error.toStdString();
    }
    EXPECT_TRUE(archivos().isEmpty());
}

TEST(LibroExcel, CancelarNoDejaArchivoNiReemplazaElAnterior) {
    const QTemporaryDir dir;
    const QString ruta = dir.filePath("existente.xlsx");
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("anterior") == 8 && f.flush());
    EntradaLibro e = entradaBase();
    e.infracciones.assign(10000, {infraccion("01/01/2011", "MIC. DESC.", "")});
    const auto descriptores = [] {
        return QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size();
    };
    const qsizetype abiertos = descriptores();
    // Cancelled in the middle of the rows, and at the last word after them.
    for (const int pedido : {1, 3}) {
        std::vector<qsizetype> avances;
        e.avance = [&](qsizetype hechas, qsizetype total) {
            EXPECT_EQ(total, 10000);
            avances.push_back(hechas);
            return static_cast<int>(avances.size()) < pedido;
        };
        const ResultadoLibro r = CrearLibroExcel(e, ruta);
        EXPECT_TRUE(!r.ok && r.cancelado && !r.error.isEmpty());
        EXPECT_EQ(avances.size(), static_cast<size_t>(pedido));
        EXPECT_EQ(QFileInfo(ruta).size(), 8);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{"existente.xlsx"});
        EXPECT_EQ(descriptores(), abiertos); // the library's scratch file is closed too
    }
    std::vector<qsizetype> avances;
    e.avance = [&](qsizetype hechas, qsizetype) {
        avances.push_back(hechas);
        return true;
    };
    const ResultadoLibro r = CrearLibroExcel(e, ruta);
    EXPECT_TRUE(r.ok && !r.cancelado) << r.error.toStdString();
    EXPECT_EQ(avances, (std::vector<qsizetype>{4096, 8192, 10000}));
    EXPECT_GT(QFileInfo(ruta).size(), 8);
}

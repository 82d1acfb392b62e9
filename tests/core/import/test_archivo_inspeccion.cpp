// Decoder of the inspection data file on files built byte by byte from the layout: lengths, header
// fields, records, counters and failures. Out-of-bounds reads and agreement between the entry
// points (the record decoder the import steps through included) are the fuzzer's job, on any input.

#include "ArchivosDePrueba.h"
#include "core/import/ArchivoInspeccion.h"

using namespace prueba;

namespace {

QByteArray cambiar(QByteArray d, qsizetype posicion, char c) {
    d[posicion] = c;
    return d;
}

QStringList campos(const QByteArray& d, QString RegistroInfraccion::*campo = &RegistroInfraccion::contador) {
    QStringList l;
    for (const auto& r : decodificarArchivo(d).registros)
        l << r.*campo;
    return l;
}

QStringList textos(const BandaHoraria& b) {
    return {b.activacion, b.diaInicio, b.horaInicio, b.minutosInicio, b.diaFin, b.horaFin, b.minutosFin};
}

CabeceraInspeccion cabeceraDe(const QByteArray& d) {
    CabeceraInspeccion c;
    EXPECT_TRUE(decodificarCabecera(d, c));
    return c;
}

} // namespace

TEST(ArchivoInspeccion, HeaderAndRecordBoundaries) {
    // 84 bytes hold a full header; a last record one byte short (its line end) still counts; one that
    // ends before its mark (byte 23) cannot be complete, and the records before it stay decoded.
    const QByteArray tres = archivo("012");
    const struct {
        QByteArray datos;
        qsizetype registros;
        bool completo;
    } casos[] = {{cabecera().left(84), 0, true},
                 {cabecera() + "11", 0, false},
                 {tres.chopped(1), 3, true},
                 {tres + registro('1').left(24), 4, true},
                 {tres + registro('1').left(23), 3, false}};
    for (const auto& c : casos) {
        const ArchivoDecodificado r = decodificarArchivo(c.datos);
        EXPECT_EQ(r.registros.size(), c.registros) << c.datos.size();
        EXPECT_EQ(r.error.fallo, c.completo ? FalloArchivo::Ninguno : FalloArchivo::RegistroIncompleto);
        EXPECT_EQ(r.error.registro, c.completo ? -1 : c.registros);
        EXPECT_EQ(r.error.posicion, c.completo ? -1 : 85 + 25 * c.registros);
    }
    EXPECT_EQ(decodificarArchivo(cabecera().left(83)).error.fallo, FalloArchivo::CabeceraIncompleta);
}

TEST(ArchivoInspeccion, PreviewTakesTheFirstSixteenBytesAsWritten) {
    EXPECT_FALSE(decodificarVistaPrevia(cabecera().left(15)).has_value());
    const auto v = decodificarVistaPrevia(cabecera().left(16));
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(QStringList({v->numeroCliente, v->fecha, v->hora}), partes("0123|28/09/11|14:05:30"));
    EXPECT_EQ(QDateTime(v->fechaLeida, v->horaLeida), QDateTime(QDate(2011, 9, 28), QTime(14, 5, 30)));
    // Not digits: shown as written, and read as no date and no time.
    const auto w = decodificarVistaPrevia(QByteArray("0123xx0912zz:3ab"));
    EXPECT_TRUE(w->fecha == "xx/09/12" && w->hora == "zz::3:ab" && !w->fechaLeida.isValid() &&
                !w->horaLeida.isValid());
}

TEST(ArchivoInspeccion, AnImpossibleDateOrTimeIsNamedAndStillDisplayed) {
    // Date, time, and what the message says (the quoted value tells a date from a time); a leap day
    // is fine.
    const char* const casos[][3] = {
        {"290223", "140530", "la fecha de la inspección \"29/02/23\" (bytes 4 a 9) no es una fecha posible"},
        {"280911", "240000", "la hora de la inspección \"24:00:00\" (bytes 10 a 15) no es una hora posible"},
        {"280911", "00001\x1b", "\"00:00:1?\""},
        {"290224", "235959", ""},
    };
    for (const auto& c : casos) {
        const QByteArray d = cabecera("0123", c[0], c[1]) + registro('1') + registro('2');
        qsizetype registros = -1;
        const ErrorArchivo e = verificarArchivo(d, &registros);
        EXPECT_EQ(e.hayError(), *c[2] != 0) << c[0] << c[1];
        EXPECT_TRUE(e.texto().contains(QString::fromUtf8(c[2]))) << e.texto().toStdString();
        EXPECT_EQ(registros, 2);
        // The display judges alike and still shows the header and the records.
        const ArchivoDecodificado a = decodificarArchivo(d);
        EXPECT_EQ(a.error.texto(), e.texto());
        EXPECT_TRUE(a.cabecera.has_value());
        EXPECT_EQ(a.registros.size(), 2);
    }
    // A bad record after a bad date does not hide it (the header's layout comes first: fuzzed).
    EXPECT_EQ(verificarArchivo(cabecera("0123", "320911") + "11").fallo, FalloArchivo::FechaImposible);
}

TEST(ArchivoInspeccion, HeaderFieldsBandsSignDayCodesAndFlags) {
    const CabeceraInspeccion c = cabeceraDe(cabecera());
    EXPECT_EQ(QStringList({c.numeroCliente, c.fechaVistaPrevia, c.horaVistaPrevia, c.maxDb, c.dbAtenuador,
                           c.excesos, c.calibracion, c.segPenalizar, c.nivelConsola, c.nivelRuido,
                           c.activacionBandas}),
              partes("0123|28/09/11|14:05:30|085|010|003|- 05|030|070|060|Si"));
    EXPECT_EQ(textos(c.bandas[0]), partes("Si|Lunes|080|030|Jueves|023|045"));
    EXPECT_EQ(textos(c.bandas[1]), partes("No|Sabado|010|004|Domingo|002|015"));
    EXPECT_EQ(textos(c.bandas[2]), partes("Si|7|023|010|Miercoles|005|059"));
    // Only a 1 makes the calibration negative, and only a 1 is "Si".
    for (char f : {'1', '0', '2'}) {
        QByteArray b = cabecera();
        for (qsizetype posicion : {25, 37, 38, 53, 68})
            b[posicion] = f;
        const CabeceraInspeccion x = cabeceraDe(b);
        EXPECT_EQ(QStringList({x.calibracion, x.activacionBandas, x.bandas[0].activacion,
                               x.bandas[1].activacion, x.bandas[2].activacion}),
                  partes(f == '1' ? "- 05|Si|Si|Si|Si" : "05|No|No|No|No"))
            << f;
    }
    // Codes 0..6 name the day; any other character is kept as the text itself.
    QByteArray d = cabecera();
    d.replace(39, 1, "1").replace(61, 1, "4").replace(69, 1, "\xD1");
    const CabeceraInspeccion x = cabeceraDe(d);
    EXPECT_EQ(QStringList({x.bandas[0].diaInicio, x.bandas[1].diaFin, x.bandas[2].diaInicio}),
              partes("Martes|Viernes|Ñ"));
}

TEST(ArchivoInspeccion, RecordFieldsStatusTableMarkAndCounters) {
    QByteArray d =
        cabecera() + registro('5', '.') + registro('4', ' ', "085", '0') + registro('0', ' ', "085", '2');
    d.replace(85 + 25, 12, "990101235959");
    const ArchivoDecodificado r = decodificarArchivo(d);
    ASSERT_EQ(r.registros.size(), 3);
    const RegistroInfraccion& g = r.registros[0];
    EXPECT_EQ(
        QStringList({g.fecha, g.hora, g.bateria, g.red, g.estatus, g.nivelDb, g.compresion, g.contador}),
        partes("20110928|140530|12,5 V|SI|REINICIO EQ.|085|042|BLOQ.."));
    // The century is always 20; only 1 is mains on.
    EXPECT_EQ(
        QStringList({r.registros[1].fecha, r.registros[1].hora, r.registros[1].red, r.registros[2].red}),
        partes("20990101|235959|NO|NO"));
    // Status codes 0..9: 7 to 9 have no text and no counter; 1 and 2 count apart.
    EXPECT_EQ(campos(archivo("0123456789"), &RegistroInfraccion::estatus),
              partes("MIC. DESC.|D. JOCKEY|L. SHOW|BAT. DESC.|EXCESO INF.|REINICIO EQ.|APERT. GAB.|||"));
    EXPECT_EQ(campos(archivo("0123456789")), partes("BLOQ.|1|1|BLOQ.|BLOQ.|BLOQ.|BLOQ.|||"));
    // Each decoding (each file) counts from 0 again.
    for (int vez = 0; vez < 2; ++vez)
        EXPECT_EQ(campos(archivo("217202")), partes("1|1||2|BLOQ.|3"));
    // The "." mark is appended to whatever the counter says, even nothing; any other mark is not.
    d = cabecera() + registro('8', '.') + registro('1', '.') + registro('0', '.') + registro('1', ',');
    EXPECT_EQ(campos(d), partes(".|1.|BLOQ..|2"));
}

TEST(ArchivoInspeccion, ANonDigitOrNoTerminatorStopsWhereItIs) {
    // In the header (sign, flags), no record is decoded; in a record's mains or status byte, the
    // records before it stay decoded.
    const QByteArray base = archivo("1210");
    const char malos[] = {' ', 'a', ':', char(0xB9) /* superscript one */, '/', 'S', '\0'};
    int i = 0;
    for (qsizetype posicion : {25, 37, 38, 53, 68, 85 + 50 + 15, 85 + 50 + 16}) {
        const ArchivoDecodificado r = decodificarArchivo(cambiar(base, posicion, malos[i++]));
        const qsizetype registro = posicion < 85 ? -1 : 2;
        EXPECT_EQ(r.registros.size(), std::max<qsizetype>(registro, 0)) << posicion;
        EXPECT_EQ(r.error.fallo, FalloArchivo::NoEsDigito);
        EXPECT_EQ(QList<qsizetype>({r.error.registro, r.error.posicion}),
                  QList<qsizetype>({registro, posicion}));
    }
    const ArchivoDecodificado r = decodificarArchivo(cambiar(base, 83, ':'));
    EXPECT_TRUE(r.registros.isEmpty());
    EXPECT_EQ(r.error.fallo, FalloArchivo::SinTerminador);
}

TEST(ArchivoInspeccion, CounterOverflowPast32767) {
    // The most a file can hold is 32767 of each counted status; one more of either is refused.
    QByteArray d = cabecera();
    for (int i = 0; i < kMaximoContador; ++i)
        d += registro('1') + registro('2');
    ArchivoDecodificado a = decodificarArchivo(d);
    ASSERT_TRUE(a.valido && a.registros.size() == 65534);
    EXPECT_EQ(a.registros[65532].contador + a.registros[65533].contador, QStringLiteral("3276732767"));
    for (char extra : {'1', '2'}) {
        a = decodificarArchivo(d + registro('0') + registro(extra));
        EXPECT_EQ(a.registros.size(), 65535);
        EXPECT_EQ(a.error.fallo, FalloArchivo::ContadorDesbordado);
        EXPECT_EQ(a.error.posicion, 85 + 25 * 65535 + 16);
    }
}

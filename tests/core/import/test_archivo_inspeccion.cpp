// Decoder of the inspection data file: lengths, header fields, records, counters and every
// failure, on files built byte by byte from the layout. Free-text fields with any byte are
// covered by the kvdinfo test's random files.

#include "ArchivosDePrueba.h"
#include "import/ArchivoInspeccion.h"

#include <memory>
#include <ostream>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

using namespace prueba;

namespace {

QByteArray cambiar(QByteArray d, qsizetype posicion, char c) {
    d[posicion] = c;
    return d;
}

struct Resultado {
    QList<RegistroInfraccion> registros;
    bool valido;
    ErrorArchivo error;
};

Resultado decodificarRegistros(const QByteArray& d) {
    Resultado r;
    DecodificadorRegistros dec(d);
    RegistroInfraccion g;
    while (dec.siguiente(g))
        r.registros.append(g);
    r.valido = dec.valido();
    r.error = dec.error();
    EXPECT_EQ(dec.registrosLeidos(), r.registros.size());
    EXPECT_FALSE(dec.siguiente(g)) << "a finished decoder yields nothing more";
    return r;
}

QStringList contadores(const QList<RegistroInfraccion>& rs) {
    QStringList l;
    for (const auto& r : rs)
        l << r.contador;
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

TEST(ArchivoInspeccionLongitud, HeaderAndRecordBoundaries) {
    // 84 to 86 bytes: a full header and no record; 87 starts a record that cannot be complete.
    for (qsizetype n : {84, 85, 86, 87}) {
        const Resultado r = decodificarRegistros((cabecera() + "11").left(n));
        EXPECT_EQ(r.valido, n < 87) << n;
        EXPECT_TRUE(r.registros.isEmpty()) << n;
        EXPECT_EQ(r.error.fallo, n < 87 ? FalloArchivo::Ninguno : FalloArchivo::RegistroIncompleto) << n;
    }
    CabeceraInspeccion c;
    ErrorArchivo e;
    for (const QByteArray& corta : {cabecera().left(83), QByteArray()}) {
        EXPECT_FALSE(decodificarCabecera(corta, c, &e));
        EXPECT_EQ(e.fallo, FalloArchivo::CabeceraIncompleta);
    }
    // 85 + 25 x 3 plus 0, 1 or -1 bytes holds three records; 2 bytes more start a fourth that
    // cannot be complete, and so does one lacking its mark (byte 23); the three before stay decoded.
    const QByteArray tres = archivo("012");
    ASSERT_EQ(tres.size(), 85 + 25 * 3);
    for (const QByteArray& d :
         {tres, tres + "x", tres.left(tres.size() - 1), tres + registro('1').left(24)}) {
        const Resultado r = decodificarRegistros(d);
        EXPECT_TRUE(r.valido) << d.size();
        EXPECT_EQ(r.registros.size(), d.size() < 85 + 25 * 4 - 1 ? 3 : 4) << d.size();
    }
    for (const QByteArray& d : {tres + "11", tres + registro('1').left(23)}) {
        const Resultado r = decodificarRegistros(d);
        EXPECT_FALSE(r.valido);
        EXPECT_EQ(r.registros.size(), 3);
        EXPECT_EQ(r.error.fallo, FalloArchivo::RegistroIncompleto);
        EXPECT_EQ(r.error.registro, 3);
        EXPECT_EQ(r.error.posicion, 160);
    }
}

TEST(ArchivoInspeccionLongitud, NeverReadsPastTheLastByte) {
    // Every prefix, in an exact-size buffer without a terminating zero, so a sanitizer build
    // catches any read past the end; the whole-file decoding agrees with the stepwise one.
    const QByteArray completo = archivo("1204") + "x";
    for (qsizetype n = 0; n <= completo.size(); ++n) {
        auto buffer = std::make_unique<char[]>(std::max<qsizetype>(n, 1));
        std::copy(completo.constData(), completo.constData() + n, buffer.get());
        const QByteArray d = QByteArray::fromRawData(buffer.get(), n);
        const ArchivoDecodificado a = decodificarArchivo(d);
        EXPECT_EQ(a.vistaPrevia.has_value(), n >= 16) << n;
        EXPECT_EQ(a.cabecera.has_value(), n >= 84) << n;
        const Resultado r = decodificarRegistros(d);
        EXPECT_EQ(a.valido, r.valido) << n;
        EXPECT_EQ(a.error.fallo, r.error.fallo) << n;
        EXPECT_EQ(a.error.posicion, r.error.posicion) << n;
        EXPECT_EQ(contadores(a.registros), contadores(r.registros)) << n;
        EXPECT_LE(a.registros.size(), std::max<qsizetype>(0, (n - 84) / 25)) << n;
        EXPECT_EQ(a.error.texto().isEmpty(), a.valido) << n;
    }
}

TEST(ArchivoInspeccionVistaPrevia, FirstSixteenBytesTakenAsWritten) {
    EXPECT_FALSE(decodificarVistaPrevia(cabecera().left(15)).has_value());
    const auto v = decodificarVistaPrevia(cabecera().left(16));
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(QStringList({v->numeroCliente, v->fecha, v->hora}), partes("0123|28/09/11|14:05:30"));
    EXPECT_EQ(v->fechaLeida, QDate(2011, 9, 28));
    EXPECT_EQ(v->horaLeida, QTime(14, 5, 30));
    // Digits or not, in Windows-1252; what is not a date or a time reads as none.
    const auto w = decodificarVistaPrevia(QByteArray("\xD1\xF1\x80\x9C") + "xx0912zz:3ab");
    ASSERT_TRUE(w.has_value());
    EXPECT_EQ(QStringList({w->numeroCliente, w->fecha, w->hora}), partes("Ññ€œ|xx/09/12|zz::3:ab"));
    EXPECT_FALSE(w->fechaLeida.isValid() || w->horaLeida.isValid());
}

TEST(ArchivoInspeccionVeredicto, AnImpossibleDateOrTimeIsNamedAndStillDisplayed) {
    const struct {
        const char* fecha;
        const char* hora;
        FalloArchivo fallo;
        const char* texto;
    } casos[] = {
        {"290223", "140530", FalloArchivo::FechaImposible,
         "la fecha de la inspección \"29/02/23\" (bytes 4 a 9) no es una fecha posible"},
        {"281311", "140530", FalloArchivo::FechaImposible, "\"28/13/11\""},
        {"2809 1", "140530", FalloArchivo::FechaImposible, "\"28/09/ 1\""},
        {"280911", "240000", FalloArchivo::HoraImposible,
         "la hora de la inspección \"24:00:00\" (bytes 10 a 15) no es una hora posible"},
        {"280911",
         "1\x1b"
         "0000",
         FalloArchivo::HoraImposible, "\"1?:00:00\""},
        {"290224", "235959", FalloArchivo::Ninguno, ""}, // a leap day
    };
    for (const auto& c : casos) {
        const QByteArray d = cabecera("0123", c.fecha, c.hora) + registro('1') + registro('2');
        qsizetype registros = -1;
        const ErrorArchivo e = verificarArchivo(d, &registros);
        EXPECT_EQ(e.fallo, c.fallo) << c.fecha << c.hora;
        EXPECT_TRUE(e.texto().contains(QString::fromUtf8(c.texto))) << e.texto().toStdString();
        EXPECT_EQ(registros, 2);
        // The display judges alike and still shows the header and the records.
        const ArchivoDecodificado a = decodificarArchivo(d);
        EXPECT_EQ(a.valido, c.fallo == FalloArchivo::Ninguno);
        EXPECT_EQ(a.error.texto(), e.texto());
        EXPECT_TRUE(a.cabecera.has_value());
        EXPECT_EQ(a.registros.size(), 2);
    }
    // A fault of the header's layout comes first; a bad record after a bad date does not hide it.
    EXPECT_EQ(verificarArchivo(cambiar(cabecera("0123", "320911"), 83, ':')).fallo,
              FalloArchivo::SinTerminador);
    EXPECT_EQ(verificarArchivo(cabecera("0123", "320911") + "11").fallo, FalloArchivo::FechaImposible);
}

TEST(ArchivoInspeccionCabecera, FieldsBandsSignDayCodesAndFlags) {
    CabeceraInspeccion c;
    ErrorArchivo e;
    ASSERT_TRUE(decodificarCabecera(cabecera(), c, &e));
    EXPECT_FALSE(e.hayError());
    EXPECT_EQ(QStringList({c.numeroCliente, c.fechaVistaPrevia, c.horaVistaPrevia, c.maxDb, c.dbAtenuador,
                           c.excesos, c.calibracion, c.segPenalizar, c.nivelConsola, c.nivelRuido,
                           c.activacionBandas}),
              partes("0123|28/09/11|14:05:30|085|010|003|- 05|030|070|060|Si"));
    EXPECT_EQ(textos(c.bandas[0]), partes("Si|Lunes|080|030|Jueves|023|045"));
    EXPECT_EQ(textos(c.bandas[1]), partes("No|Sabado|010|004|Domingo|002|015"));
    EXPECT_EQ(textos(c.bandas[2]), partes("Si|7|023|010|Miercoles|005|059"));

    // Only a 1 makes the calibration negative.
    const struct {
        const char* digitos;
        const char* texto;
    } signos[] = {{"105", "- 05"}, {"005", "05"}, {"905", "05"}, {"199", "- 99"}, {"1ab", "- ab"}};
    for (const auto& s : signos)
        EXPECT_EQ(cabeceraDe(cabecera().replace(25, 3, s.digitos)).calibracion, QString::fromLatin1(s.texto));

    // Codes 0..6 name the day; any other character is kept as the text itself.
    const QStringList dias = partes("Lunes|Martes|Miercoles|Jueves|Viernes|Sabado|Domingo|7|9|x| |Ñ");
    const char codigos[] = {'0', '1', '2', '3', '4', '5', '6', '7', '9', 'x', ' ', char(0xD1)};
    for (int i = 0; i < dias.size(); ++i) {
        EXPECT_EQ(cabeceraDe(cambiar(cabecera(), 46, codigos[i])).bandas[0].diaFin, dias[i]);
        EXPECT_EQ(cabeceraDe(cambiar(cabecera(), 69, codigos[i])).bandas[2].diaInicio, dias[i]);
    }

    // Each flag: only 1 is "Si".
    for (char f : {'0', '1', '2', '9'}) {
        const QString esperado = f == '1' ? QStringLiteral("Si") : QStringLiteral("No");
        EXPECT_EQ(cabeceraDe(cambiar(cabecera(), 37, f)).activacionBandas, esperado);
        EXPECT_EQ(cabeceraDe(cambiar(cabecera(), 38, f)).bandas[0].activacion, esperado);
        EXPECT_EQ(cabeceraDe(cambiar(cabecera(), 53, f)).bandas[1].activacion, esperado);
        EXPECT_EQ(cabeceraDe(cambiar(cabecera(), 68, f)).bandas[2].activacion, esperado);
    }
}

TEST(ArchivoInspeccionCabecera, NonDigitInANumericByteOrMissingTerminator) {
    // With records after the header: none of them may be decoded.
    const QByteArray base = archivo("12");
    for (qsizetype posicion : {25, 37, 38, 53, 68}) {
        for (char c : {' ', 'a', '/', ':', char(0xB9) /* superscript one */}) {
            const QByteArray d = cambiar(base, posicion, c);
            CabeceraInspeccion cab;
            ErrorArchivo e;
            EXPECT_FALSE(decodificarCabecera(d, cab, &e)) << posicion;
            EXPECT_EQ(e.fallo, FalloArchivo::NoEsDigito);
            EXPECT_EQ(e.posicion, posicion);
            EXPECT_EQ(e.registro, -1);
            const Resultado r = decodificarRegistros(d);
            EXPECT_FALSE(r.valido);
            EXPECT_TRUE(r.registros.isEmpty());
        }
    }
    for (char c : {':', ' ', '\0', ','}) {
        const Resultado r = decodificarRegistros(cambiar(base, 83, c));
        EXPECT_FALSE(r.valido);
        EXPECT_TRUE(r.registros.isEmpty());
        EXPECT_EQ(r.error.fallo, FalloArchivo::SinTerminador);
    }
}

TEST(ArchivoInspeccionRegistros, FieldsStatusTableAndDotMark) {
    QByteArray d =
        cabecera() + registro('5', '.') + registro('4', ' ', "085", '0') + registro('0', ' ', "085", '2');
    d.replace(85 + 25, 12, "990101235959");
    Resultado r = decodificarRegistros(d);
    ASSERT_TRUE(r.valido);
    ASSERT_EQ(r.registros.size(), 3);
    const RegistroInfraccion& g = r.registros[0];
    EXPECT_EQ(
        QStringList({g.fecha, g.hora, g.bateria, g.red, g.estatus, g.nivelDb, g.compresion, g.contador}),
        partes("20110928|140530|12,5 V|SI|REINICIO EQ.|085|042|BLOQ.."));
    EXPECT_EQ(r.registros[1].fecha, QStringLiteral("20990101")); // the century is always 20
    EXPECT_EQ(r.registros[1].hora, QStringLiteral("235959"));
    EXPECT_EQ(r.registros[1].red, QStringLiteral("NO"));
    EXPECT_EQ(r.registros[2].red, QStringLiteral("NO")); // 2 is not 1

    // Status codes 0..9: 7 to 9 have no text and no counter.
    r = decodificarRegistros(archivo("0123456789"));
    ASSERT_EQ(r.registros.size(), 10);
    QStringList estatus;
    for (const auto& x : r.registros)
        estatus << x.estatus;
    EXPECT_EQ(estatus,
              partes("MIC. DESC.|D. JOCKEY|L. SHOW|BAT. DESC.|EXCESO INF.|REINICIO EQ.|APERT. GAB.|||"));
    EXPECT_EQ(contadores(r.registros), partes("BLOQ.|1|1|BLOQ.|BLOQ.|BLOQ.|BLOQ.|||"));

    // The "." mark is appended to whatever the counter says, even nothing; any other mark is not.
    d = cabecera() + registro('8', '.') + registro('1', '.') + registro('0', '.') + registro('1', ',') +
        registro('7', '.') + registro('9', ' ');
    EXPECT_EQ(contadores(decodificarRegistros(d).registros), partes(".|1.|BLOQ..|2|.|"));
}

TEST(ArchivoInspeccionRegistros, TwoCountersAcrossTheFileAndPerDecoding) {
    const QByteArray d = archivo("21202");
    const QStringList esperado = partes("1|1|2|BLOQ.|3");
    EXPECT_EQ(contadores(decodificarRegistros(d).registros), esperado);
    // A second decoding (the next file) starts again from 0.
    EXPECT_EQ(contadores(decodificarRegistros(d).registros), esperado);
    EXPECT_EQ(contadores(decodificarArchivo(d).registros), esperado);
    EXPECT_EQ(contadores(decodificarRegistros(archivo("1711")).registros), partes("1||2|3"));
}

TEST(ArchivoInspeccionRegistros, NonDigitInMainsOrStatusStopsAtThatRecord) {
    for (qsizetype desplazamiento : {15, 16}) {
        for (char c : {' ', 'S', '.', '\0', char(0xB2)}) {
            const Resultado r = decodificarRegistros(cambiar(archivo("1210"), 85 + 50 + desplazamiento, c));
            EXPECT_FALSE(r.valido);
            EXPECT_EQ(r.registros.size(), 2) << "the records before stay decoded";
            EXPECT_EQ(r.error.fallo, FalloArchivo::NoEsDigito);
            EXPECT_EQ(r.error.registro, 2);
            EXPECT_EQ(r.error.posicion, 85 + 50 + desplazamiento);
            EXPECT_FALSE(r.error.texto().isEmpty());
        }
    }
}

TEST(ArchivoInspeccionRegistros, CounterOverflowPast32767) {
    // The most a file can hold: 32767 of each counted status.
    QByteArray d = cabecera();
    const QByteArray jockey = registro('1'), show = registro('2');
    d.reserve(85 + 25 * 65535);
    for (int i = 0; i < kMaximoContador; ++i)
        d += jockey + show;
    ArchivoDecodificado a = decodificarArchivo(d);
    EXPECT_TRUE(a.valido);
    ASSERT_EQ(a.registros.size(), 65534);
    EXPECT_EQ(a.registros[65532].contador, QStringLiteral("32767"));
    EXPECT_EQ(a.registros[65533].contador, QStringLiteral("32767"));

    for (const QByteArray& extra : {jockey, show}) {
        a = decodificarArchivo(d + registro('0') + extra);
        EXPECT_FALSE(a.valido);
        EXPECT_EQ(a.registros.size(), 65535);
        EXPECT_EQ(a.error.fallo, FalloArchivo::ContadorDesbordado);
        EXPECT_EQ(a.error.registro, 65535);
        EXPECT_EQ(a.error.posicion, 85 + 25 * 65535 + 16);
    }
}

// Decoder of the inspection data file: lengths, header fields, records,
// counters and every failure, on files built byte by byte here.

#include "import/ArchivoInspeccion.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// Header of 85 bytes: client 0123, inspected 28/09/11 14:05:30, bands A on
// Monday-Sunday, B off with day code 7, C off.
QByteArray cabecera() {
    QByteArray h = "0123"
                   "280911"
                   "140530"
                   "085"
                   "010"
                   "003"
                   "1"
                   "05"
                   "030"
                   "070"
                   "060"
                   "1" // bands as a whole
                   "1"
                   "0008030"
                   "6023045" // band A
                   "0"
                   "7001000"
                   "4002015" // band B
                   "2"
                   "3010020"
                   "5011059" // band C
                   ";"
                   "\r";
    Q_ASSERT(h.size() == 85);
    return h;
}

// One 25-byte record: 28/09/2011 14:05:30, 12,5 V.
QByteArray registro(char estatus, char red = '1', char marca = ' ') {
    QByteArray r = "110928"
                   "140530"
                   "125";
    r += red;
    r += estatus;
    r += "085"
         "042";
    r += marca;
    r += '\n';
    Q_ASSERT(r.size() == 25);
    return r;
}

QByteArray conRegistros(const QByteArray& estatus) {
    QByteArray d = cabecera();
    for (char c : estatus)
        d += registro(c);
    return d;
}

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

} // namespace

TEST(ArchivoInspeccionLongitud, HeaderOnlyFilesOf84To86BytesAreValidAndEmpty) {
    for (qsizetype n : {84, 85, 86}) {
        QByteArray d = cabecera();
        d = n <= 85 ? d.left(n) : d + QByteArray(n - 85, '9');
        const Resultado r = decodificarRegistros(d);
        EXPECT_TRUE(r.valido) << n;
        EXPECT_TRUE(r.registros.isEmpty()) << n;
    }
}

TEST(ArchivoInspeccionLongitud, ShortHeaderAndStartedRecordAreNotValid) {
    CabeceraInspeccion c;
    ErrorArchivo e;
    EXPECT_FALSE(decodificarCabecera(cabecera().left(83), c, &e));
    EXPECT_EQ(e.fallo, FalloArchivo::CabeceraIncompleta);
    EXPECT_FALSE(decodificarCabecera(QByteArray(), c, &e));
    EXPECT_EQ(e.fallo, FalloArchivo::CabeceraIncompleta);

    const Resultado r = decodificarRegistros(cabecera() + "11");
    EXPECT_FALSE(r.valido);
    EXPECT_TRUE(r.registros.isEmpty());
    EXPECT_EQ(r.error.fallo, FalloArchivo::RegistroIncompleto);
    EXPECT_EQ(r.error.posicion, 85);
    EXPECT_EQ(r.error.registro, 0);
}

TEST(ArchivoInspeccionLongitud, TrailingBytesAfterThreeRecords) {
    const QByteArray tres = conRegistros("012");
    ASSERT_EQ(tres.size(), 85 + 25 * 3);

    for (const QByteArray& d : {tres, tres + "x", tres.left(tres.size() - 1)}) {
        const Resultado r = decodificarRegistros(d);
        EXPECT_TRUE(r.valido) << d.size();
        EXPECT_EQ(r.registros.size(), 3) << d.size();
    }

    // Two more bytes start a fourth record that cannot be complete; the
    // three before it stay decoded.
    Resultado r = decodificarRegistros(tres + "11");
    EXPECT_FALSE(r.valido);
    EXPECT_EQ(r.registros.size(), 3);
    EXPECT_EQ(r.error.fallo, FalloArchivo::RegistroIncompleto);
    EXPECT_EQ(r.error.registro, 3);
    EXPECT_EQ(r.error.posicion, 160);

    // A record that lacks only byte 23 (the mark) is also incomplete.
    r = decodificarRegistros(tres + registro('1').left(23));
    EXPECT_FALSE(r.valido);
    EXPECT_EQ(r.registros.size(), 3);
    r = decodificarRegistros(tres + registro('1').left(24));
    EXPECT_TRUE(r.valido);
    EXPECT_EQ(r.registros.size(), 4);
}

TEST(ArchivoInspeccionLongitud, NeverReadsPastTheLastByte) {
    // Every prefix, in an exact-size buffer without a terminating zero, so a
    // sanitizer build catches any read past the end.
    const QByteArray completo = conRegistros("1204") + "x";
    for (qsizetype n = 0; n <= completo.size(); ++n) {
        auto buffer = std::make_unique<char[]>(std::max<qsizetype>(n, 1));
        std::copy(completo.constData(), completo.constData() + n, buffer.get());
        const QByteArray d = QByteArray::fromRawData(buffer.get(), n);
        const ArchivoDecodificado a = decodificarArchivo(d);
        EXPECT_EQ(a.vistaPrevia.has_value(), n >= 16) << n;
        EXPECT_EQ(a.cabecera.has_value(), n >= 84) << n;
        EXPECT_LE(a.registros.size(), std::max<qsizetype>(0, (n - 84) / 25)) << n;
    }
}

TEST(ArchivoInspeccionVistaPrevia, TextsOfTheFirstSixteenBytes) {
    EXPECT_FALSE(decodificarVistaPrevia(cabecera().left(15)).has_value());
    const auto v = decodificarVistaPrevia(cabecera().left(16));
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->numeroCliente, QStringLiteral("0123"));
    EXPECT_EQ(v->fecha, QStringLiteral("28/09/11"));
    EXPECT_EQ(v->hora, QStringLiteral("14:05:30"));

    // The preview is taken as written, digits or not; the window judges it.
    const auto w = decodificarVistaPrevia(QByteArray("AB 9xx0912zz:3ab"));
    ASSERT_TRUE(w.has_value());
    EXPECT_EQ(w->numeroCliente, QStringLiteral("AB 9"));
    EXPECT_EQ(w->fecha, QStringLiteral("xx/09/12"));
    EXPECT_EQ(w->hora, QStringLiteral("zz::3:ab"));
}

TEST(ArchivoInspeccionCabecera, FieldsAndBands) {
    CabeceraInspeccion c;
    ErrorArchivo e;
    ASSERT_TRUE(decodificarCabecera(cabecera(), c, &e));
    EXPECT_FALSE(e.hayError());
    EXPECT_EQ(c.numeroCliente, QStringLiteral("0123"));
    EXPECT_EQ(c.fechaVistaPrevia, QStringLiteral("28/09/11"));
    EXPECT_EQ(c.horaVistaPrevia, QStringLiteral("14:05:30"));
    EXPECT_EQ(c.maxDb, QStringLiteral("085"));
    EXPECT_EQ(c.dbAtenuador, QStringLiteral("010"));
    EXPECT_EQ(c.excesos, QStringLiteral("003"));
    EXPECT_EQ(c.calibracion, QStringLiteral("- 05"));
    EXPECT_EQ(c.segPenalizar, QStringLiteral("030"));
    EXPECT_EQ(c.nivelConsola, QStringLiteral("070"));
    EXPECT_EQ(c.nivelRuido, QStringLiteral("060"));
    EXPECT_EQ(c.activacionBandas, QStringLiteral("Si"));

    const BandaHoraria& a = c.bandas[0];
    EXPECT_EQ(a.activacion, QStringLiteral("Si"));
    EXPECT_EQ(a.diaInicio, QStringLiteral("Lunes"));
    EXPECT_EQ(a.horaInicio, QStringLiteral("008"));
    EXPECT_EQ(a.minutosInicio, QStringLiteral("030"));
    EXPECT_EQ(a.diaFin, QStringLiteral("Domingo"));
    EXPECT_EQ(a.horaFin, QStringLiteral("023"));
    EXPECT_EQ(a.minutosFin, QStringLiteral("045"));

    const BandaHoraria& b = c.bandas[1];
    EXPECT_EQ(b.activacion, QStringLiteral("No"));
    EXPECT_EQ(b.diaInicio, QStringLiteral("7"));
    EXPECT_EQ(b.horaInicio, QStringLiteral("001"));
    EXPECT_EQ(b.minutosInicio, QStringLiteral("000"));
    EXPECT_EQ(b.diaFin, QStringLiteral("Viernes"));
    EXPECT_EQ(b.horaFin, QStringLiteral("002"));
    EXPECT_EQ(b.minutosFin, QStringLiteral("015"));

    const BandaHoraria& cc = c.bandas[2];
    EXPECT_EQ(cc.activacion, QStringLiteral("No")); // flag 2 is not 1
    EXPECT_EQ(cc.diaInicio, QStringLiteral("Jueves"));
    EXPECT_EQ(cc.horaInicio, QStringLiteral("010"));
    EXPECT_EQ(cc.minutosInicio, QStringLiteral("020"));
    EXPECT_EQ(cc.diaFin, QStringLiteral("Sabado"));
    EXPECT_EQ(cc.horaFin, QStringLiteral("011"));
    EXPECT_EQ(cc.minutosFin, QStringLiteral("059"));
}

TEST(ArchivoInspeccionCabecera, CalibrationSign) {
    const struct {
        const char* digitos;
        const char* texto;
    } casos[] = {{"105", "- 05"}, {"005", "05"}, {"905", "05"}, {"199", "- 99"}, {"1ab", "- ab"}};
    for (const auto& caso : casos) {
        QByteArray d = cabecera();
        d.replace(25, 3, caso.digitos);
        CabeceraInspeccion c;
        ASSERT_TRUE(decodificarCabecera(d, c)) << caso.digitos;
        EXPECT_EQ(c.calibracion, QString::fromLatin1(caso.texto)) << caso.digitos;
    }
}

TEST(ArchivoInspeccionCabecera, DayCodes) {
    const char* nombres[] = {"Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado", "Domingo"};
    for (int i = 0; i < 7; ++i) {
        CabeceraInspeccion c;
        ASSERT_TRUE(decodificarCabecera(cambiar(cabecera(), 38 + 8, char('0' + i)), c));
        EXPECT_EQ(c.bandas[0].diaFin, QString::fromLatin1(nombres[i]));
    }
    // Any other character is kept as the text itself.
    const struct {
        char byte;
        QString texto;
    } otros[] = {{'7', QStringLiteral("7")},
                 {'9', QStringLiteral("9")},
                 {'x', QStringLiteral("x")},
                 {' ', QStringLiteral(" ")},
                 {char(0xD1), QStringLiteral("Ñ")}};
    for (const auto& o : otros) {
        CabeceraInspeccion c;
        ASSERT_TRUE(decodificarCabecera(cambiar(cabecera(), 68 + 1, o.byte), c));
        EXPECT_EQ(c.bandas[2].diaInicio, o.texto);
    }
}

TEST(ArchivoInspeccionCabecera, FlagsOfBandsAndEachBand) {
    for (qsizetype posicion : {37, 38, 53, 68}) {
        for (char c : {'0', '1', '2', '9'}) {
            CabeceraInspeccion cab;
            ASSERT_TRUE(decodificarCabecera(cambiar(cabecera(), posicion, c), cab)) << posicion;
            const QString esperado = c == '1' ? QStringLiteral("Si") : QStringLiteral("No");
            const QString obtenido = posicion == 37   ? cab.activacionBandas
                                     : posicion == 38 ? cab.bandas[0].activacion
                                     : posicion == 53 ? cab.bandas[1].activacion
                                                      : cab.bandas[2].activacion;
            EXPECT_EQ(obtenido, esperado) << posicion << " " << c;
        }
    }
}

TEST(ArchivoInspeccionCabecera, NonDigitInANumericByteOrMissingTerminator) {
    // With records after the header: none of them may be decoded.
    const QByteArray base = conRegistros("12");
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
    // Fields that are not read as numbers take any character.
    CabeceraInspeccion cab;
    QByteArray libre = cabecera();
    libre.replace(16, 3, "a;\"").replace(39, 1, "\x80").replace(84, 1, "\xFF");
    ASSERT_TRUE(decodificarCabecera(libre, cab));
    EXPECT_EQ(cab.maxDb, QStringLiteral("a;\""));
    EXPECT_EQ(cab.bandas[0].diaInicio, QStringLiteral("€"));
}

TEST(ArchivoInspeccionRegistros, FieldsOfARecord) {
    QByteArray d = cabecera() + registro('5', '1', '.') + registro('4', '0') + registro('0', '2');
    d.replace(85 + 25, 12, "990101235959");
    const Resultado r = decodificarRegistros(d);
    ASSERT_TRUE(r.valido);
    ASSERT_EQ(r.registros.size(), 3);
    const RegistroInfraccion& g = r.registros[0];
    EXPECT_EQ(g.fecha, QStringLiteral("20110928"));
    EXPECT_EQ(g.hora, QStringLiteral("140530"));
    EXPECT_EQ(g.bateria, QStringLiteral("12,5 V"));
    EXPECT_EQ(g.red, QStringLiteral("SI"));
    EXPECT_EQ(g.estatus, QStringLiteral("REINICIO EQ."));
    EXPECT_EQ(g.nivelDb, QStringLiteral("085"));
    EXPECT_EQ(g.compresion, QStringLiteral("042"));
    EXPECT_EQ(g.contador, QStringLiteral("BLOQ.."));

    EXPECT_EQ(r.registros[1].fecha, QStringLiteral("20990101")); // the century is always 20
    EXPECT_EQ(r.registros[1].hora, QStringLiteral("235959"));
    EXPECT_EQ(r.registros[1].red, QStringLiteral("NO"));
    EXPECT_EQ(r.registros[1].contador, QStringLiteral("BLOQ."));
    EXPECT_EQ(r.registros[2].red, QStringLiteral("NO")); // 2 is not 1
}

TEST(ArchivoInspeccionRegistros, StatusTable) {
    const Resultado r = decodificarRegistros(conRegistros("0123456789"));
    ASSERT_TRUE(r.valido);
    ASSERT_EQ(r.registros.size(), 10);
    const char* textos[] = {"MIC. DESC.",   "D. JOCKEY",   "L. SHOW", "BAT. DESC.", "EXCESO INF.",
                            "REINICIO EQ.", "APERT. GAB.", "",        "",           ""};
    const char* cuentas[] = {"BLOQ.", "1", "1", "BLOQ.", "BLOQ.", "BLOQ.", "BLOQ.", "", "", ""};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(r.registros[i].estatus, QString::fromLatin1(textos[i])) << i;
        EXPECT_EQ(r.registros[i].contador, QString::fromLatin1(cuentas[i])) << i;
    }
}

TEST(ArchivoInspeccionRegistros, TwoCountersAcrossTheFileAndPerDecoding) {
    const QByteArray d = conRegistros("21202");
    const QStringList esperado = {"1", "1", "2", "BLOQ.", "3"};
    EXPECT_EQ(contadores(decodificarRegistros(d).registros), esperado);
    // A second decoding (the next file) starts again from 0.
    EXPECT_EQ(contadores(decodificarRegistros(d).registros), esperado);
    EXPECT_EQ(contadores(decodificarArchivo(d).registros), esperado);
    EXPECT_EQ(contadores(decodificarRegistros(conRegistros("1711")).registros),
              QStringList({"1", "", "2", "3"}));
}

TEST(ArchivoInspeccionRegistros, DotMark) {
    const QByteArray d = cabecera() + registro('8', '1', '.') + registro('1', '1', '.') +
                         registro('0', '0', '.') + registro('1', '1', ',') + registro('7', '0', '.') +
                         registro('9', '0', ' ');
    const Resultado r = decodificarRegistros(d);
    ASSERT_TRUE(r.valido);
    EXPECT_EQ(contadores(r.registros), QStringList({".", "1.", "BLOQ..", "2", ".", ""}));
    EXPECT_EQ(r.registros[0].estatus, QString());
    EXPECT_EQ(r.registros[4].estatus, QString());
}

TEST(ArchivoInspeccionRegistros, NonDigitInMainsOrStatusStopsAtThatRecord) {
    for (qsizetype desplazamiento : {15, 16}) {
        for (char c : {' ', 'S', '.', '\0', char(0xB2)}) {
            QByteArray d = conRegistros("1210");
            d[85 + 25 * 2 + desplazamiento] = c;
            const Resultado r = decodificarRegistros(d);
            EXPECT_FALSE(r.valido);
            EXPECT_EQ(r.registros.size(), 2) << "the records before stay decoded";
            EXPECT_EQ(r.error.fallo, FalloArchivo::NoEsDigito);
            EXPECT_EQ(r.error.registro, 2);
            EXPECT_EQ(r.error.posicion, 85 + 50 + desplazamiento);
            EXPECT_FALSE(r.error.texto().isEmpty());
        }
    }
    // Any character elsewhere in a record is taken unchanged.
    QByteArray d = conRegistros("1");
    d.replace(85, 15, "ab/cd-ef:gh;ijk");
    d.replace(85 + 17, 8, "\x80\x81\xFF\" \\\x01\x7F");
    const Resultado r = decodificarRegistros(d.left(85 + 24));
    ASSERT_TRUE(r.valido) << r.error.texto().toStdString();
    ASSERT_EQ(r.registros.size(), 1);
    EXPECT_EQ(r.registros[0].fecha, QStringLiteral("20ab/cd-"));
    EXPECT_EQ(r.registros[0].hora, QStringLiteral("ef:gh;"));
    EXPECT_EQ(r.registros[0].bateria, QStringLiteral("ij,k V"));
    EXPECT_EQ(r.registros[0].nivelDb, QString(QChar(0x20AC)) + QChar(0x81) + QChar(0xFF));
    EXPECT_EQ(r.registros[0].compresion, QStringLiteral("\" \\"));
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

TEST(ArchivoInspeccionCaracteres, Windows1252) {
    EXPECT_EQ(caracterWindows1252('A'), QChar(u'A'));
    EXPECT_EQ(caracterWindows1252(0x00), QChar(u'\0'));
    EXPECT_EQ(caracterWindows1252(0x80), QChar(0x20AC));
    EXPECT_EQ(caracterWindows1252(0x8A), QChar(0x0160));
    EXPECT_EQ(caracterWindows1252(0x92), QChar(0x2019));
    EXPECT_EQ(caracterWindows1252(0x9F), QChar(0x0178));
    EXPECT_EQ(caracterWindows1252(0x81), QChar(0x0081)); // unassigned
    EXPECT_EQ(caracterWindows1252(0xA0), QChar(0x00A0));
    EXPECT_EQ(caracterWindows1252(0xF1), QChar(u'ñ'));
    EXPECT_EQ(caracterWindows1252(0xFF), QChar(0x00FF));

    const auto v = decodificarVistaPrevia(QByteArray("\xD1\xF1\x80\x9C") + cabecera().mid(4));
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->numeroCliente, QStringLiteral("Ññ€œ"));
}

TEST(ArchivoInspeccionArchivo, ReadsWholeFileOrReportsWhy) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ruta = dir.filePath(QStringLiteral("0123.kvd"));
    const QByteArray contenido = conRegistros("12") + QByteArray("\0\0\xFF", 3);
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenido);
    }
    QString error;
    const auto leido = leerArchivoInspeccion(ruta, &error);
    ASSERT_TRUE(leido.has_value());
    EXPECT_EQ(*leido, contenido);

    EXPECT_FALSE(leerArchivoInspeccion(dir.filePath(QStringLiteral("no.kvd")), &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("no.kvd")));
    error.clear();
    EXPECT_FALSE(leerArchivoInspeccion(dir.path(), &error).has_value());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(leerArchivoInspeccion(dir.filePath(QStringLiteral("no.kvd"))).has_value());
}

TEST(ArchivoInspeccionArchivo, WholeFileDecodingAgreesWithTheStepwiseOne) {
    const QByteArray d = conRegistros("2120897") + "11";
    const ArchivoDecodificado a = decodificarArchivo(d);
    const Resultado r = decodificarRegistros(d);
    EXPECT_FALSE(a.valido);
    EXPECT_EQ(a.error.fallo, r.error.fallo);
    EXPECT_EQ(a.error.posicion, r.error.posicion);
    EXPECT_EQ(a.error.registro, r.error.registro);
    EXPECT_FALSE(a.error.texto().isEmpty());
    ASSERT_TRUE(a.cabecera.has_value());
    EXPECT_EQ(a.cabecera->numeroCliente, QStringLiteral("0123"));
    ASSERT_TRUE(a.vistaPrevia.has_value());
    EXPECT_EQ(contadores(a.registros), contadores(r.registros));
    EXPECT_EQ(a.registros.size(), 7);

    const ArchivoDecodificado valido = decodificarArchivo(conRegistros("21"));
    EXPECT_TRUE(valido.valido);
    EXPECT_FALSE(valido.error.hayError());
    EXPECT_TRUE(valido.error.texto().isEmpty());

    const ArchivoDecodificado corto = decodificarArchivo(QByteArray("0123"));
    EXPECT_FALSE(corto.valido);
    EXPECT_FALSE(corto.vistaPrevia.has_value());
    EXPECT_FALSE(corto.cabecera.has_value());
}

// kvdinfo against files from a small encoder of the file layout written here:
// the encoder knows which texts it wrote, so the expected output comes from
// the layout alone, not from the decoder.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "ArchivosDePrueba.h"
#include "import/ArchivoInspeccion.h"

namespace {

const QString kKvdinfo = QStringLiteral(VELMORA_BUILD_DIR "/kvdinfo");

// A byte and the Windows-1252 character it stands for.
struct Caracter {
    char byte;
    QString texto;
};

class Codificador {
public:
    explicit Codificador(quint32 semilla) : azar_(semilla) {}

    int entre(int desde, int hasta) { return int(azar_.bounded(desde, hasta + 1)); }
    bool probabilidad(int porCien) { return entre(1, 100) <= porCien; }

    Caracter digito() {
        const char c = char('0' + entre(0, 9));
        return {c, QString(QLatin1Char(c))};
    }
    Caracter cualquiera() {
        static const Caracter otros[] = {
            {'A', QStringLiteral("A")},         {' ', QStringLiteral(" ")},
            {'"', QStringLiteral("\"")},        {'\\', QStringLiteral("\\")},
            {';', QStringLiteral(";")},         {'.', QStringLiteral(".")},
            {'\0', QString(QChar(0))},          {'\x1b', QString(QChar(0x1b))},
            {'\xF1', QStringLiteral("ñ")},      {'\xD1', QStringLiteral("Ñ")},
            {'\xE9', QStringLiteral("é")},      {'\x80', QStringLiteral("€")},
            {'\x93', QStringLiteral("\u201C")}, {'\x9F', QStringLiteral("Ÿ")},
            {'\x8D', QString(QChar(0x8D))},     {'\xFF', QStringLiteral("ÿ")},
            {'\xBA', QStringLiteral("º")},      {'\xA0', QString(QChar(0xA0))},
        };
        return probabilidad(70) ? digito() : otros[entre(0, int(std::size(otros)) - 1)];
    }
    char noDigito() {
        static const char otros[] = {' ', 'a', '.', ';', '/', ':', '\0', '\xB9', '\xFF', '-', '+'};
        return otros[entre(0, int(std::size(otros)) - 1)];
    }

    // Appends `ancho` free characters and returns their text.
    QString campo(int ancho) {
        QString t;
        for (int i = 0; i < ancho; ++i) {
            const Caracter c = cualquiera();
            bytes += c.byte;
            t += c.texto;
        }
        return t;
    }
    // Appends a number from desde to hasta as two digits and returns them.
    QString dosCifras(int desde, int hasta) {
        const QByteArray t = QByteArray::number(entre(desde, hasta)).rightJustified(2, '0');
        bytes += t;
        return QString::fromLatin1(t);
    }
    // Appends a flag digit: 1 is "Si", any other digit "No".
    QString bandera() {
        const Caracter c = digito();
        bytes += c.byte;
        return c.byte == '1' ? QStringLiteral("Si") : QStringLiteral("No");
    }
    QString dia() {
        static const char* const dias[] = {"Lunes",   "Martes", "Miercoles", "Jueves",
                                           "Viernes", "Sabado", "Domingo"};
        const Caracter c = probabilidad(80) ? digito() : cualquiera();
        bytes += c.byte;
        if (c.byte >= '0' && c.byte <= '6')
            return QString::fromLatin1(dias[c.byte - '0']);
        return c.texto;
    }

    QByteArray bytes;

private:
    QRandomGenerator azar_;
};

struct Caso {
    QByteArray bytes;
    QJsonObject esperado; // without "error"
    bool valido = false;
};

Caso generar(quint32 semilla) {
    Codificador k(semilla);
    QJsonObject vista, cab;

    const QString cliente = k.campo(4);
    const QString d = k.dosCifras(1, 28), m = k.dosCifras(1, 12), a = k.dosCifras(0, 99);
    const QString hh = k.dosCifras(0, 23), mm = k.dosCifras(0, 59), ss = k.dosCifras(0, 59);
    vista = {
        {"numero_cliente", cliente}, {"fecha", d + "/" + m + "/" + a}, {"hora", hh + ":" + mm + ":" + ss}};
    cab.insert("numero_cliente", cliente);
    for (const char* campo : {"max_db", "db_atenuador", "excesos"})
        cab.insert(campo, k.campo(3));
    const bool negativa = k.probabilidad(50);
    k.bytes += negativa ? '1' : char('0' + (k.probabilidad(50) ? 0 : k.entre(2, 9)));
    const QString magnitud = k.campo(2);
    cab.insert("calibracion", negativa ? "- " + magnitud : magnitud);
    for (const char* campo : {"seg_penalizar", "nivel_consola", "nivel_ruido"})
        cab.insert(campo, k.campo(3));
    cab.insert("activacion_bandas", k.bandera());
    QJsonArray bandas;
    for (int b = 0; b < 3; ++b) {
        QJsonObject banda;
        banda.insert("activacion", k.bandera());
        for (const QString extremo : {"inicio", "fin"}) {
            banda.insert("dia_" + extremo, k.dia());
            banda.insert("hora_" + extremo, k.campo(3));
            banda.insert("minutos_" + extremo, k.campo(3));
        }
        bandas.append(banda);
    }
    cab.insert("bandas", bandas);
    k.bytes += ';';
    k.bytes += k.cualquiera().byte;
    EXPECT_EQ(k.bytes.size(), 85);

    const int n = k.entre(0, 12);
    QJsonArray registros;
    int jockey = 0, show = 0;
    for (int i = 0; i < n; ++i) {
        QJsonObject r;
        r.insert("fecha", "20" + k.campo(6));
        r.insert("hora", k.campo(6));
        const QString v = k.campo(2);
        r.insert("bateria", v + "," + k.campo(1) + " V");
        const int red = k.entre(0, 9);
        k.bytes += char('0' + red);
        r.insert("red", red == 1 ? "SI" : "NO");
        const int estatus = k.entre(0, 9);
        k.bytes += char('0' + estatus);
        static const char* const textos[] = {
            "MIC. DESC.",   "D. JOCKEY",   "L. SHOW", "BAT. DESC.", "EXCESO INF.",
            "REINICIO EQ.", "APERT. GAB.", "",        "",           ""};
        r.insert("estatus", textos[estatus]);
        QString contador = estatus == 1   ? QString::number(++jockey)
                           : estatus == 2 ? QString::number(++show)
                           : estatus >= 7 ? QString()
                                          : QStringLiteral("BLOQ.");
        r.insert("nivel_db", k.campo(3));
        r.insert("compresion", k.campo(3));
        const Caracter marca = k.probabilidad(40) ? Caracter{'.', "."} : k.cualquiera();
        k.bytes += marca.byte;
        if (marca.byte == '.')
            contador += ".";
        r.insert("contador", contador);
        k.bytes += k.cualquiera().byte;
        registros.append(r);
    }

    Caso caso;
    caso.valido = true;
    // Breakage, chosen at random; the expected output follows the layout's rules.
    QJsonValue cabecera = cab;
    const int rotura = k.entre(0, 8);
    switch (rotura) {
    case 0: // sound
        break;
    case 1: // one byte more or less at the end changes nothing (84 is still a full header)
        if (k.probabilidad(50))
            k.bytes += k.cualquiera().byte;
        else
            k.bytes.chop(1);
        break;
    case 2: // a record started but cut before its byte 23
        k.bytes += QByteArray(k.probabilidad(50) ? 2 : k.entre(3, 23), '0');
        caso.valido = false;
        break;
    case 3:   // header cut short
    case 4:   // terminator missing
    case 5: { // a header byte read as a number is not a digit
        if (rotura == 3) {
            k.bytes.truncate(k.entre(0, 83));
        } else if (rotura == 4) {
            k.bytes[83] = k.probabilidad(50) ? ':' : k.noDigito();
            if (k.bytes[83] == ';')
                k.bytes[83] = ',';
        } else {
            const int posiciones[] = {25, 37, 38, 53, 68};
            k.bytes[posiciones[k.entre(0, 4)]] = k.noDigito();
        }
        cabecera = QJsonValue::Null;
        registros = {};
        caso.valido = false;
        break;
    }
    case 8: { // an inspection date or time that cannot be: judged, yet all still shown
        static const struct {
            int posicion;
            const char* cifras;
        } imposibles[] = {{4, "32"},  {4, "00"},  {6, "13"},  {6, "00"},
                          {10, "24"}, {12, "60"}, {14, "60"}, {8, "9x"}};
        const auto& i = imposibles[k.entre(0, int(std::size(imposibles)) - 1)];
        k.bytes.replace(i.posicion, 2, i.cifras);
        const auto texto = [&](int desde) { return QString::fromLatin1(k.bytes.mid(desde, 2)); };
        vista["fecha"] = texto(4) + "/" + texto(6) + "/" + texto(8);
        vista["hora"] = texto(10) + ":" + texto(12) + ":" + texto(14);
        caso.valido = false;
        break;
    }
    default: { // a record's mains or status byte is not a digit
        if (n == 0)
            break;
        const int i = k.entre(0, n - 1);
        k.bytes[85 + 25 * i + (k.probabilidad(50) ? 15 : 16)] = k.noDigito();
        while (registros.size() > i)
            registros.removeLast();
        caso.valido = false;
        break;
    }
    }

    caso.bytes = k.bytes;
    caso.esperado = {
        {"valido", caso.valido},
        {"vista_previa", k.bytes.size() >= 16 ? QJsonValue(vista) : QJsonValue(QJsonValue::Null)},
        {"cabecera", cabecera},
        {"registros", registros}};
    return caso;
}

struct Salida {
    int estado = -1;
    QByteArray stdoutDatos, stderrDatos;
};

Salida ejecutar(const QStringList& argumentos, const QString& directorio = {}) {
    QProcess p;
    p.setWorkingDirectory(directorio);
    p.start(kKvdinfo, argumentos);
    EXPECT_TRUE(p.waitForFinished(60000)) << kKvdinfo.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

TEST(Kvdinfo, JsonAgreesWithIndependentlyEncodedFiles) {
    ASSERT_TRUE(QFile::exists(kKvdinfo)) << kKvdinfo.toStdString();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int validos = 0;
    const quint32 base = 20260611;
    for (quint32 semilla = base; semilla < base + 60; ++semilla) {
        const Caso caso = generar(semilla);
        const QString ruta = prueba::escribir(dir.path(), QStringLiteral("%1.kvd").arg(semilla), caso.bytes);
        const Salida s = ejecutar({QStringLiteral("--json"), ruta});
        SCOPED_TRACE("semilla " + std::to_string(semilla) + ", " + std::to_string(caso.bytes.size()) +
                     " bytes");
        EXPECT_EQ(s.estado, caso.valido ? 0 : 1);

        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(s.stdoutDatos, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        ASSERT_TRUE(doc.isObject());
        QJsonObject obtenido = doc.object();
        const QJsonValue textoError = obtenido.take(QStringLiteral("error"));
        EXPECT_EQ(textoError.isNull(), caso.valido);
        EXPECT_TRUE(caso.valido || !textoError.toString().isEmpty());
        EXPECT_EQ(obtenido, caso.esperado) << "obtenido:\n"
                                           << QJsonDocument(obtenido).toJson().toStdString() << "esperado:\n"
                                           << QJsonDocument(caso.esperado).toJson().toStdString();
        validos += caso.valido;
    }
    // The generator must exercise both outcomes.
    EXPECT_GT(validos, 10);
    EXPECT_LT(validos, 50);
}

TEST(Kvdinfo, ExitStatusAndMessages) {
    QTemporaryDir dir;
    Salida s = ejecutar({QStringLiteral("--json"), dir.filePath(QStringLiteral("no_existe.kvd"))});
    EXPECT_EQ(s.estado, 2);
    EXPECT_TRUE(s.stdoutDatos.isEmpty());
    EXPECT_TRUE(s.stderrDatos.contains("no_existe.kvd"));
    s = ejecutar({});
    EXPECT_EQ(s.estado, 2);
    EXPECT_TRUE(s.stderrDatos.contains("Uso"));

    // The readable form of a valid file with records, without control characters; a broken one
    // says where it stops.
    Caso caso;
    for (quint32 semilla = 1; !caso.valido || caso.esperado["registros"].toArray().isEmpty(); ++semilla)
        caso = generar(semilla);
    s = ejecutar({prueba::escribir(dir.path(), QStringLiteral("bueno.kvd"), caso.bytes)});
    EXPECT_EQ(s.estado, 0);
    const QString texto = QString::fromUtf8(s.stdoutDatos);
    EXPECT_TRUE(texto.contains(QStringLiteral("Resultado: el archivo es válido.")));
    EXPECT_TRUE(
        texto.contains(QStringLiteral("Registros: %1").arg(caso.esperado["registros"].toArray().size())));
    for (QChar c : texto)
        EXPECT_TRUE(c == u'\n' || c.unicode() >= 0x20) << "control character in the table output";
    s = ejecutar({prueba::escribir(dir.path(), QStringLiteral("malo.kvd"), caso.bytes.left(60))});
    EXPECT_EQ(s.estado, 1);
    EXPECT_TRUE(QString::fromUtf8(s.stdoutDatos)
                    .contains(QStringLiteral("el archivo no es válido: cabecera incompleta")));

    // The import's own verdict and words, for a date the import refuses; "--" lets a name start
    // with "-".
    const QByteArray fecha = prueba::cabecera("0123", "310911") + prueba::registro('1');
    prueba::escribir(dir.path(), QStringLiteral("-fecha.kvd"), fecha);
    EXPECT_EQ(ejecutar({QStringLiteral("-fecha.kvd")}, dir.path()).estado, 2);
    s = ejecutar({QStringLiteral("--json"), QStringLiteral("--"), QStringLiteral("-fecha.kvd")}, dir.path());
    EXPECT_EQ(s.estado, 1);
    const QJsonObject o = QJsonDocument::fromJson(s.stdoutDatos).object();
    EXPECT_EQ(o["error"].toString(), verificarArchivo(fecha).texto());
    EXPECT_TRUE(o["error"].toString().contains(QStringLiteral("\"31/09/11\"")));
    EXPECT_EQ(o["registros"].toArray().size(), 1);
}

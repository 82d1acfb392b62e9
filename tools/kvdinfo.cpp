// kvdinfo: shows what an inspection data file (*.kvd) holds and whether it
// can be imported, so support staff can check a file before the import.
//
//   kvdinfo FILE          readable tables
//   kvdinfo --json FILE   one JSON object
//   kvdinfo -- -FILE      "--" ends the options, for names that start with "-"
//   kvdinfo --help | --version
//
// The verdict is the import's own (verificarArchivo, through decodificarArchivo).
//
// Exit status: 0 valid, 1 not valid, 2 unreadable file or bad usage.

#include "core/import/ArchivoInspeccion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cstdio>

namespace {

void escribir(FILE* destino, const QString& texto) {
    const QByteArray utf8 = texto.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), destino);
}

// Raw control characters from a damaged file must not drive the terminal.
QString imprimible(const QString& texto) {
    QString r = texto;
    for (QChar& c : r) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            c = u'?';
    }
    return r;
}

QString tabla(const QStringList& titulos, const QList<QStringList>& filas, const QString& sangria) {
    QList<qsizetype> anchos;
    for (const QString& t : titulos)
        anchos.append(t.size());
    for (const QStringList& fila : filas)
        for (qsizetype i = 0; i < fila.size() && i < anchos.size(); ++i)
            anchos[i] = std::max(anchos[i], fila[i].size());
    auto linea = [&](const QStringList& celdas) {
        QString l = sangria;
        for (qsizetype i = 0; i < celdas.size(); ++i) {
            if (i + 1 < celdas.size())
                l += celdas[i].leftJustified(anchos[i]) + QStringLiteral("  ");
            else
                l += celdas[i];
        }
        return l + u'\n';
    };
    QString r = linea(titulos);
    for (const QStringList& fila : filas)
        r += linea(fila);
    return r;
}

QString pares(const QList<std::pair<QString, QString>>& valores) {
    qsizetype ancho = 0;
    for (const auto& [etiqueta, valor] : valores)
        ancho = std::max(ancho, etiqueta.size());
    QString r;
    for (const auto& [etiqueta, valor] : valores)
        r += QStringLiteral("  ") + etiqueta.leftJustified(ancho) + QStringLiteral("  ") + imprimible(valor) +
             u'\n';
    return r;
}

QString comoTexto(const QString& ruta, const QByteArray& datos, const ArchivoDecodificado& a) {
    QString r = QStringLiteral("Archivo: %1 (%2 bytes)\nSHA-256: %3\n\n")
                    .arg(ruta)
                    .arg(datos.size())
                    .arg(HuellaSha256(datos));

    r += QStringLiteral("Vista previa\n");
    if (a.vistaPrevia) {
        r += pares({{QStringLiteral("Número de cliente"), a.vistaPrevia->numeroCliente},
                    {QStringLiteral("Fecha"), a.vistaPrevia->fecha},
                    {QStringLiteral("Hora"), a.vistaPrevia->hora}});
    } else {
        r += QStringLiteral("  (el archivo tiene menos de %1 bytes)\n").arg(kLongitudVistaPrevia);
    }
    r += u'\n';

    if (a.cabecera) {
        const CabeceraInspeccion& c = *a.cabecera;
        r += QStringLiteral("Cabecera\n");
        r += pares({{QStringLiteral("Equipo"), c.numeroCliente},
                    {QStringLiteral("Max. dB"), c.maxDb},
                    {QStringLiteral("dB Atenuador"), c.dbAtenuador},
                    {QStringLiteral("Excesos"), c.excesos},
                    {QStringLiteral("Calibracion dB"), c.calibracion},
                    {QStringLiteral("Seg. Penalizar"), c.segPenalizar},
                    {QStringLiteral("Nivel de Consola"), c.nivelConsola},
                    {QStringLiteral("Nivel de Ruido"), c.nivelRuido},
                    {QStringLiteral("Bandas horarias"), c.activacionBandas}});
        r += u'\n';

        r += QStringLiteral("Bandas horarias\n");
        QList<QStringList> filas;
        const QString nombres[3] = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
        for (int i = 0; i < 3; ++i) {
            const BandaHoraria& b = c.bandas[i];
            filas.append({nombres[i], imprimible(b.activacion), imprimible(b.diaInicio),
                          imprimible(b.horaInicio), imprimible(b.minutosInicio), imprimible(b.diaFin),
                          imprimible(b.horaFin), imprimible(b.minutosFin)});
        }
        r += tabla({QStringLiteral("Banda"), QStringLiteral("Activación"), QStringLiteral("Día inicio"),
                    QStringLiteral("Hora inicio"), QStringLiteral("Minutos inicio"),
                    QStringLiteral("Día fin"), QStringLiteral("Hora fin"), QStringLiteral("Minutos fin")},
                   filas, QStringLiteral("  "));
        r += u'\n';

        r += QStringLiteral("Registros: %1\n").arg(a.registros.size());
        if (!a.registros.isEmpty()) {
            QList<QStringList> regs;
            regs.reserve(a.registros.size());
            qsizetype n = 0;
            for (const RegistroInfraccion& g : a.registros)
                regs.append({QString::number(++n), imprimible(g.fecha), imprimible(g.hora),
                             imprimible(g.bateria), g.red, g.estatus, imprimible(g.nivelDb),
                             imprimible(g.compresion), g.contador});
            r += tabla({QStringLiteral("N.º"), QStringLiteral("Fecha"), QStringLiteral("Hora"),
                        QStringLiteral("Batería"), QStringLiteral("Red 220V"), QStringLiteral("Estatus"),
                        QStringLiteral("Nivel dB"), QStringLiteral("% Compr."), QStringLiteral("CI")},
                       regs, QStringLiteral("  "));
        }
        r += u'\n';
    }

    if (a.valido)
        r += QStringLiteral("Resultado: el archivo es válido.\n");
    else
        r += QStringLiteral("Resultado: el archivo no es válido: %1.\n").arg(a.error.texto());
    return r;
}

QJsonObject jsonBanda(const BandaHoraria& b) {
    return {
        {QStringLiteral("activacion"), b.activacion},  {QStringLiteral("dia_inicio"), b.diaInicio},
        {QStringLiteral("hora_inicio"), b.horaInicio}, {QStringLiteral("minutos_inicio"), b.minutosInicio},
        {QStringLiteral("dia_fin"), b.diaFin},         {QStringLiteral("hora_fin"), b.horaFin},
        {QStringLiteral("minutos_fin"), b.minutosFin}};
}

QByteArray comoJson(const QByteArray& datos, const ArchivoDecodificado& a) {
    QJsonObject o;
    // What the program's import log names the file by.
    o.insert(QStringLiteral("sha256"), HuellaSha256(datos));
    o.insert(QStringLiteral("valido"), a.valido);
    o.insert(QStringLiteral("error"), a.valido ? QJsonValue(QJsonValue::Null) : QJsonValue(a.error.texto()));

    if (a.vistaPrevia) {
        o.insert(QStringLiteral("vista_previa"),
                 QJsonObject{{QStringLiteral("numero_cliente"), a.vistaPrevia->numeroCliente},
                             {QStringLiteral("fecha"), a.vistaPrevia->fecha},
                             {QStringLiteral("hora"), a.vistaPrevia->hora}});
    } else {
        o.insert(QStringLiteral("vista_previa"), QJsonValue::Null);
    }

    if (a.cabecera) {
        const CabeceraInspeccion& c = *a.cabecera;
        QJsonArray bandas;
        for (const BandaHoraria& b : c.bandas)
            bandas.append(jsonBanda(b));
        o.insert(QStringLiteral("cabecera"),
                 QJsonObject{{QStringLiteral("numero_cliente"), c.numeroCliente},
                             {QStringLiteral("max_db"), c.maxDb},
                             {QStringLiteral("db_atenuador"), c.dbAtenuador},
                             {QStringLiteral("excesos"), c.excesos},
                             {QStringLiteral("calibracion"), c.calibracion},
                             {QStringLiteral("seg_penalizar"), c.segPenalizar},
                             {QStringLiteral("nivel_consola"), c.nivelConsola},
                             {QStringLiteral("nivel_ruido"), c.nivelRuido},
                             {QStringLiteral("activacion_bandas"), c.activacionBandas},
                             {QStringLiteral("bandas"), bandas}});
    } else {
        o.insert(QStringLiteral("cabecera"), QJsonValue::Null);
    }

    QJsonArray registros;
    for (const RegistroInfraccion& g : a.registros) {
        registros.append(QJsonObject{{QStringLiteral("fecha"), g.fecha},
                                     {QStringLiteral("hora"), g.hora},
                                     {QStringLiteral("bateria"), g.bateria},
                                     {QStringLiteral("red"), g.red},
                                     {QStringLiteral("estatus"), g.estatus},
                                     {QStringLiteral("nivel_db"), g.nivelDb},
                                     {QStringLiteral("compresion"), g.compresion},
                                     {QStringLiteral("contador"), g.contador}});
    }
    o.insert(QStringLiteral("registros"), registros);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption ayuda(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({json, ayuda, version});
    const QString uso = QStringLiteral("Uso: kvdinfo [--json] [--] ARCHIVO\n");
    if (!parser.parse(QCoreApplication::arguments())) {
        const QStringList desconocidas = parser.unknownOptionNames();
        escribir(stderr,
                 (desconocidas.isEmpty()
                      ? QStringLiteral("kvdinfo: falta el valor de una opción\n")
                      : QStringLiteral("kvdinfo: opción desconocida \"%1\"\n").arg(desconocidas.first())) +
                     uso);
        return 2;
    }
    if (parser.isSet(ayuda)) {
        escribir(
            stdout,
            uso + QStringLiteral("Muestra qué contiene un archivo de datos de inspección (*.kvd) y si se "
                                 "puede importar.\n\n"
                                 "Opciones:\n"
                                 "  --json          una sola salida en formato JSON\n"
                                 "  -h, --help      muestra esta ayuda y termina\n"
                                 "  -v, --version   muestra la versión y termina\n"
                                 "  --              termina las opciones (nombres que empiezan por \"-\")\n\n"
                                 "Estado de salida: 0 archivo válido, 1 no válido, 2 archivo ilegible o uso "
                                 "incorrecto.\n"));
        return 0;
    }
    if (parser.isSet(version)) {
        escribir(stdout, QStringLiteral("kvdinfo %1\n").arg(QLatin1String(VELMORA_VERSION)));
        return 0;
    }
    const QStringList archivos = parser.positionalArguments();
    if (archivos.size() != 1) {
        escribir(stderr, uso);
        return 2;
    }
    const QString ruta = archivos.first();

    QString error;
    const auto datos = leerArchivoInspeccion(ruta, &error);
    if (!datos) {
        escribir(stderr, error + u'\n');
        return 2;
    }
    const ArchivoDecodificado archivo = decodificarArchivo(*datos);
    if (parser.isSet(json)) {
        const QByteArray salida = comoJson(*datos, archivo);
        std::fwrite(salida.constData(), 1, static_cast<size_t>(salida.size()), stdout);
    } else {
        escribir(stdout, comoTexto(ruta, *datos, archivo));
    }
    std::fflush(stdout);
    return archivo.valido ? 0 : 1;
}

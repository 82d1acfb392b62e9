#include "core/output/LibroExcel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

namespace {

// Client and premises options in the order of their lines: option, label, client field(s).
// Every label but "Email: " ends in two blanks.
struct Opcion {
    bool OpcionesLibro::*marcada;
    const char* etiqueta;
    QString Cliente::*campo;
    QString Cliente::*campo2; // joined with " / ", null when none
};
const Opcion kOpciones[] = {
    {&OpcionesLibro::numero, "Numero de Cliente:  ", &Cliente::numero, nullptr},
    {&OpcionesLibro::nombre, "Nombre y Apellido:  ", &Cliente::nombre, nullptr},
    {&OpcionesLibro::direccion, "Direccion:  ", &Cliente::direccion, nullptr},
    {&OpcionesLibro::localidad, "Localidad:  ", &Cliente::localidad, nullptr},
    {&OpcionesLibro::codigoPostal, "Codigo Postal:  ", &Cliente::codigoPostal, nullptr},
    {&OpcionesLibro::partido, "Partido:  ", &Cliente::partido, nullptr},
    {&OpcionesLibro::provincia, "Provincia:  ", &Cliente::provincia, nullptr},
    {&OpcionesLibro::telefono, "Telefono:  ", &Cliente::telefono, nullptr},
    {&OpcionesLibro::telefonoMovil, "Telefono Movil:  ", &Cliente::telefonoMovil, nullptr},
    {&OpcionesLibro::email, "Email: ", &Cliente::email, nullptr},
    {&OpcionesLibro::fechaAlta, "Fecha de Alta:  ", &Cliente::fechaAlta, nullptr},
    {&OpcionesLibro::nombreLocal, "Nombre del Local:  ", &Cliente::nombreLocal, nullptr},
    {&OpcionesLibro::direccionLocal, "Direccion del Local:  ", &Cliente::direccionLocal, nullptr},
    {&OpcionesLibro::localidadLocal, "Localidad del Local:  ", &Cliente::localidadLocal, nullptr},
    {&OpcionesLibro::partidoLocal, "Partido del Local:  ", &Cliente::partidoLocal, nullptr},
    {&OpcionesLibro::provinciaLocal, "Provincia del Local:  ", &Cliente::provinciaLocal, nullptr},
    {&OpcionesLibro::telefonoLocal, "Telefono del Local:  ", &Cliente::telefonoLocal, nullptr},
    {&OpcionesLibro::emailLocal, "Email del Local:  ", &Cliente::emailLocal, nullptr},
    {&OpcionesLibro::ultimaInspeccion, "Ultima Inspeccion:  ", &Cliente::ultimaInspeccionFecha,
     &Cliente::ultimaInspeccionHora},
    {&OpcionesLibro::anteriorInspeccion, "Anterior Inspeccion:  ", &Cliente::anteriorInspeccionFecha,
     &Cliente::anteriorInspeccionHora},
    {&OpcionesLibro::notas, "Notas:  ", &Cliente::notas, nullptr},
};
constexpr int kOpcionesCliente = 11; // an empty line follows the first eleven

constexpr const char* kCabeceras[16] = {
    "N° de Infraccion",
    "Fecha de Infraccion",
    "Hora de Infraccion",
    "Nivel en dB",
    "Estatus de Micrófono",
    "Nivel de Bateria",
    "Conectado a la Red de 220V",
    "% de Compresion",
    "Inspector",
    "Nivel Máximo Permitido en dB",
    "Umbral para inicio de Compresión en dB",
    "Penalizaciones Máximas Permitidas",
    "Calibración contrastada en dB +/-",
    "Segundos a transcurrir para Penalizar",
    "Nivel mínimo de Entrada de Consola",
    "Nivel Máximo de Ruido Ambiente",
};
constexpr double kAnchos[16] = {6, 12, 12, 6, 12, 8, 6, 6, 18, 6, 6, 6, 6, 6, 6, 6};
constexpr int kColumnas = 16;                    // A..P
constexpr int kColEstatus = 5;                   // grid column "Estatus"
constexpr int kColCI = 17;                       // grid column "CI"
constexpr lxw_row_t kUltimaFilaCentrada = 25000; // sheet rows after it are not centred

enum Relleno { SinRelleno, Naranja, Amarillo, RojoNegrita, Negro, kRellenos };

// Row treatment chosen by the exact status text; `columnaA` tells what replaces column A.
struct Tratamiento {
    Relleno relleno = SinRelleno;
    enum { Igual, CI, Bloq } columnaA = Igual;
};

Tratamiento tratamientoDe(const QString& estatus) {
    if (estatus == QLatin1String("D. JOCKEY"))
        return {Naranja, Tratamiento::CI};
    if (estatus == QLatin1String("L. SHOW"))
        return {Amarillo, Tratamiento::CI};
    if (estatus == QLatin1String("ERR A28") || estatus == QLatin1String("BAT. DESC.") ||
        estatus == QLatin1String("EXCESO INF.") || estatus == QLatin1String("REINICIO EQ."))
        return {RojoNegrita, Tratamiento::Bloq};
    if (estatus.isEmpty())
        return {Negro, Tratamiento::Igual};
    return {};
}

// By reference: a workbook reads over a million cells.
const QString& celda(const QStringList& fila, int col) {
    static const QString vacia;
    return col < fila.size() ? fila.at(col) : vacia;
}

// Hours and minutes below 10 get a leading "0" in front of the unchanged text; a text that
// is not a number goes as it is.
QString dosCifras(const QString& texto) {
    bool ok = false;
    const double valor = texto.trimmed().toDouble(&ok);
    if (ok && valor < 10)
        return QLatin1Char('0') + texto;
    return texto;
}

QString direccion(lxw_row_t fila, lxw_col_t col) {
    return QString(QChar(u'A' + col)) + QString::number(fila + 1);
}

QString descripcion(lxw_error e) {
    switch (e) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("No hay memoria suficiente para generar el libro.");
    case LXW_ERROR_CREATING_XLSX_FILE:
        return QStringLiteral("No se pudo crear el archivo del libro.");
    case LXW_ERROR_CREATING_TMPFILE:
        return QStringLiteral("No se pudo crear un archivo temporal para generar el libro.");
    case LXW_ERROR_READING_TMPFILE:
        return QStringLiteral("No se pudo leer el archivo temporal del libro.");
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("No se pudo escribir el archivo del libro (¿disco lleno?).");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("El texto supera los 32767 caracteres que admite una celda.");
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        return QStringLiteral("Las infracciones no caben en una hoja (1048576 filas como máximo).");
    default:
        return QStringLiteral("Error de la biblioteca de libros: %1.")
            .arg(QString::fromUtf8(lxw_strerror(e)));
    }
}

// Writes cells in sheet order (constant-memory mode needs rows in order, cells left to right)
// and keeps the first failure.
class Hoja {
public:
    explicit Hoja(lxw_worksheet* hoja) : hoja_(hoja) {}

    bool ok() const { return error_ == LXW_NO_ERROR; }
    QString error() const {
        return QStringLiteral("%1 (celda %2)").arg(descripcion(error_), direccion(filaError_, colError_));
    }

    void texto(lxw_row_t fila, lxw_col_t col, const QString& t, lxw_format* formato) {
        if (!ok())
            return;
        lxw_error e;
        if (t.isEmpty())
            e = worksheet_write_blank(hoja_, fila, col, formato);
        else
            e = worksheet_write_string(hoja_, fila, col, utf8(t), formato);
        anotar(e, fila, col);
    }
    void blanco(lxw_row_t fila, lxw_col_t col, lxw_format* formato) {
        if (ok())
            anotar(worksheet_write_blank(hoja_, fila, col, formato), fila, col);
    }
    void combinar(lxw_row_t fila, lxw_col_t ultimaCol, const QString& t, lxw_format* formato) {
        if (!ok())
            return;
        anotar(worksheet_merge_range(hoja_, fila, 0, fila, ultimaCol, utf8(t), formato), fila, 0);
    }
    void fila(lxw_row_t fila, double alto, bool oculta) {
        if (!ok())
            return;
        lxw_row_col_options opciones{};
        opciones.hidden = oculta ? 1 : 0;
        anotar(worksheet_set_row_opt(hoja_, fila, alto, nullptr, &opciones), fila, 0);
    }

private:
    // The text in UTF-8, in a buffer reused between cells: no cell costs an allocation, accented
    // texts included. Encoded as QString::toUtf8 does, a stray surrogate included ("?").
    const char* utf8(const QString& t) {
        const qsizetype n = t.size();
        const size_t espacio = static_cast<size_t>(n) * 3 + 1;
        if (buffer_.size() < espacio)
            buffer_.resize(espacio);
        char* o = buffer_.data();
        const QChar* d = t.constData();
        const QChar* const fin = d + n;
        while (d != fin) {
            char32_t u = (d++)->unicode();
            if (u < 0x80) {
                *o++ = static_cast<char>(u);
                continue;
            }
            if (u < 0x800) {
                *o++ = static_cast<char>(0xC0 | (u >> 6));
            } else if (!QChar::isSurrogate(u)) {
                *o++ = static_cast<char>(0xE0 | (u >> 12));
                *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            } else if (QChar::isHighSurrogate(u) && d != fin && d->isLowSurrogate()) {
                u = QChar::surrogateToUcs4(static_cast<char16_t>(u), (d++)->unicode());
                *o++ = static_cast<char>(0xF0 | (u >> 18));
                *o++ = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
                *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            } else {
                *o++ = '?';
                continue;
            }
            *o++ = static_cast<char>(0x80 | (u & 0x3F));
        }
        *o = '\0';
        return buffer_.data();
    }

    void anotar(lxw_error e, lxw_row_t fila, lxw_col_t col) {
        if (e != LXW_NO_ERROR && ok()) {
            error_ = e;
            filaError_ = fila;
            colError_ = col;
        }
    }

    lxw_worksheet* hoja_;
    lxw_error error_ = LXW_NO_ERROR;
    lxw_row_t filaError_ = 0;
    lxw_col_t colError_ = 0;
    std::vector<char> buffer_;
};

struct Formatos {
    lxw_format* titulo1;
    lxw_format* titulo2;
    lxw_format* cabecera;
    lxw_format* fechaColumna;
    // Data cells: [fill][column B][centred]
    lxw_format* datos[kRellenos][2][2];
};

Formatos crearFormatos(lxw_workbook* libro) {
    Formatos f{};
    f.titulo1 = workbook_add_format(libro);
    format_set_bold(f.titulo1);
    format_set_font_size(f.titulo1, 12);
    f.titulo2 = workbook_add_format(libro);
    format_set_bold(f.titulo2);
    format_set_font_size(f.titulo2, 11);

    f.cabecera = workbook_add_format(libro);
    format_set_bold(f.cabecera);
    format_set_text_wrap(f.cabecera);
    format_set_rotation(f.cabecera, 90);
    format_set_align(f.cabecera, LXW_ALIGN_CENTER);
    format_set_align(f.cabecera, LXW_ALIGN_VERTICAL_CENTER);
    format_set_border(f.cabecera, LXW_BORDER_THICK);

    f.fechaColumna = workbook_add_format(libro);
    format_set_num_format(f.fechaColumna, "mm/dd/yyyy");

    const lxw_color_t colores[kRellenos] = {0, 0xFF8000, 0xFFFF00, 0xFF0000, LXW_COLOR_BLACK};
    for (int r = 0; r < kRellenos; ++r)
        for (int b = 0; b < 2; ++b)
            for (int c = 0; c < 2; ++c) {
                lxw_format* x = workbook_add_format(libro);
                format_set_border(x, LXW_BORDER_THIN);
                if (r != SinRelleno)
                    format_set_bg_color(x, colores[r]);
                if (r == RojoNegrita)
                    format_set_bold(x);
                // Records with an empty status keep their data readable on the black fill.
                if (r == Negro)
                    format_set_font_color(x, LXW_COLOR_WHITE);
                if (b)
                    format_set_num_format(x, "mm/dd/yyyy");
                if (c)
                    format_set_align(x, LXW_ALIGN_CENTER);
                f.datos[r][b][c] = x;
            }
    return f;
}

// Fills the worksheet in sheet order; a failure stays in the sheet writer.
// Where the exported rows came from: one line per import, and the rows older than the log.
void llenarProcedencia(lxw_workbook* libro, lxw_worksheet* ws, const EntradaLibro& e, Hoja& hoja) {
    lxw_format* negrita = workbook_add_format(libro);
    format_set_bold(negrita);
    hoja.texto(0, 0, QStringLiteral("Procedencia de las infracciones exportadas"), negrita);
    if (e.sello && e.sello->emitido())
        hoja.texto(1, 0, LineaVerificacion(*e.sello), nullptr);
    static const char* const kTitulos[] = {
        "Importado el", "Usuario",   "Equipo",    "Archivo",  "SHA-256",
        "Cliente",      "Registros", "Guardados", "Omitidos", "Cambios de configuración"};
    for (lxw_col_t c = 0; c < std::size(kTitulos); ++c)
        hoja.texto(2, c, QString::fromUtf8(kTitulos[c]), negrita);
    lxw_row_t fila = 3;
    for (const ImportacionRegistrada& i : e.importaciones) {
        const QString valores[] = {MomentoTexto(i.momento),
                                   i.usuario,
                                   i.equipo,
                                   i.nombreArchivo,
                                   i.sha256,
                                   i.numeroCliente,
                                   QString::number(i.registros),
                                   QString::number(i.guardados),
                                   QString::number(i.omitidos),
                                   QString(i.cambios).replace(QLatin1Char('\n'), QStringLiteral("; "))};
        for (lxw_col_t c = 0; c < std::size(valores); ++c)
            hoja.texto(fila, c, valores[c], nullptr);
        ++fila;
    }
    if (e.anteriores > 0)
        hoja.texto(fila + 1, 0,
                   e.anteriores == 1
                       ? QStringLiteral("1 fila exportada es anterior al registro de importaciones.")
                       : QStringLiteral("%1 filas exportadas son anteriores al registro de importaciones.")
                             .arg(NumeroConPuntos(e.anteriores)),
                   nullptr);
    else if (e.importaciones.empty())
        hoja.texto(fila, 0, QStringLiteral("No se exportó ninguna infracción."), nullptr);
    const double anchos[] = {20, 16, 16, 20, 66, 10, 10, 10, 10, 60};
    for (lxw_col_t c = 0; c < std::size(anchos); ++c)
        worksheet_set_column(ws, c, c, anchos[c], nullptr);
}

// Often enough for a progress bar, rare enough to cost nothing.
constexpr qsizetype kFilasEntreAvisos = 4096;
constexpr qsizetype kFilasAdelante = 4;

// False when the export was cancelled.
bool llenarHoja(lxw_workbook* libro, lxw_worksheet* ws, const EntradaLibro& e, Hoja& hoja) {
    const Formatos f = crearFormatos(libro);

    // Title rows, merged A:O.
    hoja.combinar(0, 14, e.titulo + QStringLiteral(" - DETALLE DE INFRACCIONES"), f.titulo1);
    hoja.combinar(1, 14, QStringLiteral("Inspector responsable:  ") + e.inspector, f.titulo2);

    // Client and premises lines from sheet row 4 (index 3), each merged A:G.
    lxw_row_t fila = 3;
    const int nOpciones = static_cast<int>(std::size(kOpciones));
    for (int i = 0; i < nOpciones; ++i) {
        const Opcion& o = kOpciones[i];
        if (e.opciones.*o.marcada) {
            QString valor = e.cliente.*o.campo;
            if (o.campo2)
                valor += QStringLiteral(" / ") + e.cliente.*o.campo2;
            hoja.combinar(fila, 6, QString::fromUtf8(o.etiqueta) + valor, nullptr);
            ++fila;
        }
        if (i + 1 == kOpcionesCliente || i + 1 == nOpciones)
            ++fila;
    }

    // Time bands A, B, C: three lines and an empty one each.
    for (int banda = 0; banda < 3; ++banda) {
        const BandaHoraria& b = e.bandas.bandas[static_cast<size_t>(banda)];
        const QString letra(QChar(u'A' + banda));
        const QString hIni = dosCifras(b.horaInicio);
        const QString mIni = dosCifras(b.minutosInicio);
        const QString hFin = dosCifras(b.horaFin);
        const QString mFin = dosCifras(b.minutosFin);
        hoja.combinar(fila++, 6, QStringLiteral("Activacion Banda Horaria %1:  ").arg(letra) + b.activacion,
                      nullptr);
        hoja.combinar(fila++, 6,
                      QStringLiteral("Dia y Hora Inicio Banda Horaria %1:  ").arg(letra) + b.diaInicio +
                          QStringLiteral("   ") + hIni + QLatin1Char(':') + mIni,
                      nullptr);
        hoja.combinar(fila++, 6,
                      QStringLiteral("Dia y Hora Fin Banda Horaria %1:  ").arg(letra) + b.diaFin +
                          QStringLiteral("   ") + hFin + QLatin1Char(':') + mFin,
                      nullptr);
        ++fila;
    }

    // Table header, row H.
    const lxw_row_t h = fila;
    hoja.fila(h, 119, false);
    for (lxw_col_t c = 0; c < kColumnas; ++c)
        hoja.texto(h, c, QString::fromUtf8(kCabeceras[c]), f.cabecera);

    // One sheet row per grid row, hidden rows kept (empty, black, hidden).
    lxw_row_t r = h;
    const qsizetype total = static_cast<qsizetype>(e.infracciones.size());
    qsizetype hechas = 0;
    for (const FilaInfraccionLibro& fi : e.infracciones) {
        if (!hoja.ok())
            return true;
        if (e.avance && hechas % kFilasEntreAvisos == 0 && hechas > 0 && !e.avance(hechas, total))
            return false;
        // The rows' texts lie scattered over the heap: the texts of a row a few ahead are asked
        // for now, so the memory fetches overlap the writing of this one.
        if (hechas + kFilasAdelante < total) {
            const QStringList& siguiente =
                e.infracciones[static_cast<size_t>(hechas + kFilasAdelante)].celdas;
            for (const QString& t : siguiente)
                __builtin_prefetch(t.constData());
            // A row's 18 texts span seven cache lines: all of them, or the loop above waits on each.
            if (hechas + 2 * kFilasAdelante < total) {
                const QStringList& despues =
                    e.infracciones[static_cast<size_t>(hechas + 2 * kFilasAdelante)].celdas;
                const char* p = reinterpret_cast<const char*>(despues.constData());
                const char* const fin = reinterpret_cast<const char*>(despues.constData() + despues.size());
                for (; p < fin; p += 64)
                    __builtin_prefetch(p);
            }
        }
        ++hechas;
        ++r;
        const int centrado = r + 1 <= kUltimaFilaCentrada ? 1 : 0;
        if (fi.oculta) {
            hoja.fila(r, LXW_DEF_ROW_HEIGHT, true);
            for (lxw_col_t c = 0; c < kColumnas; ++c)
                hoja.blanco(r, c, f.datos[Negro][c == 1][centrado]);
            continue;
        }
        const Tratamiento t = tratamientoDe(celda(fi.celdas, kColEstatus));
        for (lxw_col_t c = 0; c < kColumnas; ++c) {
            lxw_format* formato = f.datos[t.relleno][c == 1][centrado];
            if (c == 0 && t.columnaA == Tratamiento::CI)
                hoja.texto(r, c, celda(fi.celdas, kColCI), formato);
            else if (c == 0 && t.columnaA == Tratamiento::Bloq)
                hoja.texto(r, c, QStringLiteral("BLOQ."), formato);
            else
                hoja.texto(r, c, celda(fi.celdas, c + 1), formato);
        }
    }
    if (!hoja.ok())
        return true;
    if (e.avance && !e.avance(total, total))
        return false;

    for (lxw_col_t c = 0; c < kColumnas; ++c)
        worksheet_set_column(ws, c, c, kAnchos[c], c == 1 ? f.fechaColumna : nullptr);

    // Page setup: landscape, margins given in centimetres, footers.
    constexpr double cm = 1.0 / 2.54;
    worksheet_set_landscape(ws);
    // The 16 columns fill a landscape page; a reader with wider fonts would spill the last
    // ones onto pages of their own.
    worksheet_fit_to_pages(ws, 1, 0);
    worksheet_set_margins(ws, 1 * cm, 1 * cm, 2.5 * cm, 1 * cm);
    const QDateTime ahora = e.momento.isValid() ? e.momento : QDateTime::currentDateTime();
    const QString pie =
        QStringLiteral("&LInforme realizado el %1 a las %2&RPágina &P de &N")
            .arg(ahora.toString(QStringLiteral("dd/MM/yyyy")), ahora.toString(QStringLiteral("HH:mm:ss")));
    const QByteArray pieUtf8 = pie.toUtf8();
    // The footer sits inside the 1 cm bottom margin; with the default 0.3" it does not fit
    // there and spreadsheet programs that keep footers inside the margin clip it.
    lxw_header_footer_options pieOpciones{};
    pieOpciones.margin = 0.12;
    worksheet_set_footer_opt(ws, pieUtf8.constData(), &pieOpciones);
    return true;
}

// Permissions a new file would get (as QSaveFile does), or those of the file it replaces.
QFile::Permissions permisosDestino(const QFileInfo& destino) {
    if (destino.exists())
        return destino.permissions();
    const mode_t mascara = ::umask(0);
    ::umask(mascara);
    QFile::Permissions p;
    const mode_t modo = 0666 & ~mascara;
    if (modo & S_IRUSR)
        p |= QFile::ReadOwner | QFile::ReadUser;
    if (modo & S_IWUSR)
        p |= QFile::WriteOwner | QFile::WriteUser;
    if (modo & S_IRGRP)
        p |= QFile::ReadGroup;
    if (modo & S_IWGRP)
        p |= QFile::WriteGroup;
    if (modo & S_IROTH)
        p |= QFile::ReadOther;
    if (modo & S_IWOTH)
        p |= QFile::WriteOther;
    return p;
}

ResultadoLibro fallo(const QString& texto) {
    return {false, texto};
}

} // namespace

// The code, the register and the log's head in the document's properties, where the check
// reads them back.
void SellarPropiedadesLibro(lxw_workbook* libro, const SelloVerificacion& sello) {
    QByteArray asunto = LineaVerificacion(sello).toUtf8();
    QByteArray codigo = sello.codigo.toUtf8();
    lxw_doc_properties propiedades{};
    propiedades.subject = asunto.data();
    propiedades.keywords = codigo.data();
    workbook_set_properties(libro, &propiedades);
    const std::pair<const char*, QString> valores[] = {
        {"Código de verificación", sello.codigo},
        {"Registro", sello.identidad},
        {"Asiento de la cadena", QString::number(sello.secuencia)},
        {"Hash de la cadena", sello.hash}};
    for (const auto& [nombre, valor] : valores)
        workbook_set_custom_property_string(libro, nombre, valor.toUtf8().constData());
}

OpcionesLibro OpcionesLibro::todas() {
    OpcionesLibro o;
    for (const Opcion& opcion : kOpciones)
        o.*opcion.marcada = true;
    return o;
}

ResultadoLibro CrearLibroExcel(const EntradaLibro& entrada, const QString& archivo) {
    if (archivo.trimmed().isEmpty())
        return fallo(QStringLiteral("No se indicó el nombre del archivo."));
    const QFileInfo destino(archivo);
    const QString nombre = QDir::toNativeSeparators(destino.absoluteFilePath());
    if (destino.isDir())
        return fallo(QStringLiteral("No se puede guardar en \"%1\": es una carpeta.").arg(nombre));
    const QDir carpeta = destino.absoluteDir();
    if (!carpeta.exists())
        return fallo(QStringLiteral("La carpeta \"%1\" no existe.")
                         .arg(QDir::toNativeSeparators(carpeta.absolutePath())));
    if (destino.exists() && !destino.isWritable())
        return fallo(
            QStringLiteral("No se puede reemplazar \"%1\": el archivo está protegido contra escritura.")
                .arg(nombre));

    // The workbook is written beside the target and moved into place once complete.
    QTemporaryFile temporal(
        carpeta.filePath(QStringLiteral(".") + destino.fileName() + QStringLiteral(".XXXXXX")));
    if (!temporal.open())
        return fallo(QStringLiteral("No se pudo crear un archivo en la carpeta \"%1\": %2")
                         .arg(QDir::toNativeSeparators(carpeta.absolutePath()), temporal.errorString()));
    temporal.close();
    const QByteArray rutaTemporal = QFile::encodeName(temporal.fileName());

    lxw_workbook_options opciones{};
    opciones.constant_memory = LXW_TRUE;
    lxw_workbook* libro = workbook_new_opt(rutaTemporal.constData(), &opciones);
    if (!libro)
        return fallo(descripcion(LXW_ERROR_MEMORY_MALLOC_FAILED));
    if (entrada.sello && entrada.sello->emitido())
        SellarPropiedadesLibro(libro, *entrada.sello);
    lxw_worksheet* ws = workbook_add_worksheet(libro, "Datos_Inspeccion");
    if (!ws) {
        workbook_close(libro);
        return fallo(descripcion(LXW_ERROR_MEMORY_MALLOC_FAILED));
    }

    Hoja hoja(ws);
    if (!llenarHoja(libro, ws, entrada, hoja)) {
        // Closed as after a failure (the library has no other way to let go of its scratch
        // file); what it wrote goes with `temporal`.
        workbook_close(libro);
        ResultadoLibro r = fallo(QStringLiteral("Exportación cancelada: no se guardó ningún archivo."));
        r.cancelado = true;
        return r;
    }
    if (hoja.ok()) {
        // Added after the first sheet is complete: constant-memory mode writes sheets in order.
        lxw_worksheet* procedencia = workbook_add_worksheet(libro, "Importaciones");
        if (!procedencia) {
            workbook_close(libro);
            return fallo(descripcion(LXW_ERROR_MEMORY_MALLOC_FAILED));
        }
        Hoja hojaProcedencia(procedencia);
        llenarProcedencia(libro, procedencia, entrada, hojaProcedencia);
        if (!hojaProcedencia.ok()) {
            workbook_close(libro);
            return fallo(hojaProcedencia.error());
        }
    }
    // Closing also frees the workbook; its file is discarded when the sheet failed.
    const lxw_error cierre = workbook_close(libro);
    if (!hoja.ok())
        return fallo(hoja.error());
    if (cierre != LXW_NO_ERROR)
        return fallo(QStringLiteral("No se pudo guardar \"%1\": %2").arg(nombre, descripcion(cierre)));

    QFile::setPermissions(temporal.fileName(), permisosDestino(destino));
    const QByteArray rutaDestino = QFile::encodeName(destino.absoluteFilePath());
    if (std::rename(rutaTemporal.constData(), rutaDestino.constData()) != 0)
        return fallo(QStringLiteral("No se pudo guardar \"%1\": %2")
                         .arg(nombre, QString::fromLocal8Bit(std::strerror(errno))));
    temporal.setAutoRemove(false); // it is the target now
    return {true, QString()};
}

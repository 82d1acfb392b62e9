#include "core/resumen/SalidasResumen.h"

#include "core/output/InformeInfracciones.h"
#include "core/output/LibroExcel.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString explicacion(const DocumentoResumen& d) {
    return QStringLiteral("Período: %1. Comparado con: %2.")
        .arg(TextoPeriodo(d.periodo), TextoPeriodo(d.anterior));
}

// What frames the table, for the workbook's second sheet.
std::vector<std::pair<QString, QString>> datosDocumento(const DocumentoResumen& d) {
    std::vector<std::pair<QString, QString>> r = {
        {QStringLiteral("Municipio"), d.municipio},
        {QStringLiteral("Período"), TextoPeriodo(d.periodo)},
        {QStringLiteral("Período anterior"), TextoPeriodo(d.anterior)},
        {QStringLiteral("Días sin inspección al"), d.hoy.toString(QStringLiteral("dd/MM/yyyy"))},
        {QStringLiteral("Clientes"), QString::number(d.filas.size())},
        {QStringLiteral("Generado"), d.generado.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))},
        {QStringLiteral("Usuario"), d.usuario}};
    if (d.sello.emitido()) {
        r.emplace_back(QStringLiteral("Código de verificación"), d.sello.codigo);
        r.emplace_back(QStringLiteral("Registro"), d.sello.identidad);
        r.emplace_back(QStringLiteral("Asiento de la cadena"), QString::number(d.sello.secuencia));
        r.emplace_back(QStringLiteral("Hash de la cadena"), d.sello.hash);
    }
    return r;
}

} // namespace

bool GuardarLibroResumen(const DocumentoResumen& d, const QString& archivo, QString* error) {
    const auto fallo = [&](const QString& t) {
        if (error)
            *error = t;
        return false;
    };
    const QFileInfo destino(archivo);
    const QString nombre = QDir::toNativeSeparators(destino.absoluteFilePath());
    if (archivo.trimmed().isEmpty() || destino.isDir())
        return fallo(QStringLiteral("No se puede guardar el libro en \"%1\".").arg(nombre));
    QTemporaryFile temporal(
        destino.absoluteDir().filePath(QStringLiteral(".") + destino.fileName() + QStringLiteral(".XXXXXX")));
    if (!temporal.open())
        return fallo(QStringLiteral("No se pudo crear un archivo en la carpeta \"%1\": %2")
                         .arg(QDir::toNativeSeparators(destino.absolutePath()), temporal.errorString()));
    temporal.close();
    const QByteArray rutaTemporal = QFile::encodeName(temporal.fileName());
    lxw_workbook_options opciones{};
    opciones.constant_memory = LXW_TRUE; // rows are written in order; strings go inline
    lxw_workbook* libro = workbook_new_opt(rutaTemporal.constData(), &opciones);
    if (!libro)
        return fallo(QStringLiteral("No hay memoria suficiente para generar el libro."));
    if (d.sello.emitido())
        SellarPropiedadesLibro(libro, d.sello);
    lxw_worksheet* hoja = workbook_add_worksheet(libro, "Resumen");
    lxw_format* negrita = workbook_add_format(libro);
    format_set_bold(negrita);
    lxw_error e = LXW_NO_ERROR;
    const auto anotar = [&e](lxw_error r) {
        if (e == LXW_NO_ERROR)
            e = r;
    };
    const auto texto = [&](lxw_worksheet* ws, lxw_row_t f, lxw_col_t c, const QString& t, lxw_format* fmt) {
        anotar(worksheet_write_string(ws, f, c, t.toUtf8().constData(), fmt));
    };
    for (int c = 0; c < ColResumen::Cantidad; ++c) {
        texto(hoja, 0, static_cast<lxw_col_t>(c), TituloColumnaResumen(c), negrita);
        worksheet_set_column(hoja, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             c == ColResumen::Nombre || c == ColResumen::Local ? 28 : 13, nullptr);
    }
    worksheet_freeze_panes(hoja, 1, 1);
    lxw_row_t fila = 1;
    for (const FilaResumen& f : d.filas) {
        for (int c = 0; c < ColResumen::Cantidad; ++c) {
            const QVariant v = ValorResumen(f, c, d.hoy);
            if (v.isNull())
                continue;
            if (ColumnaNumericaResumen(c))
                anotar(worksheet_write_number(hoja, fila, static_cast<lxw_col_t>(c), v.toDouble(), nullptr));
            else
                texto(hoja, fila, static_cast<lxw_col_t>(c), v.toString(), nullptr);
        }
        ++fila;
    }
    // Added once the table is complete: constant-memory mode writes the sheets one after another.
    lxw_worksheet* datos = workbook_add_worksheet(libro, "Datos");
    lxw_row_t r = 0;
    for (const auto& [clave, valor] : datosDocumento(d)) {
        texto(datos, r, 0, clave, negrita);
        texto(datos, r++, 1, valor, nullptr);
    }
    worksheet_set_column(datos, 0, 1, 30, nullptr);
    const lxw_error cierre = workbook_close(libro);
    if (e != LXW_NO_ERROR || cierre != LXW_NO_ERROR)
        return fallo(QStringLiteral("No se pudo guardar \"%1\": %2")
                         .arg(nombre, QString::fromUtf8(lxw_strerror(e != LXW_NO_ERROR ? e : cierre))));
    QFile::setPermissions(temporal.fileName(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(rutaTemporal.constData(), QFile::encodeName(destino.absoluteFilePath()).constData()) != 0)
        return fallo(QStringLiteral("No se pudo guardar \"%1\": %2")
                         .arg(nombre, QString::fromLocal8Bit(std::strerror(errno))));
    temporal.setAutoRemove(false);
    return true;
}

bool ImprimirInformeResumen(const DocumentoResumen& d, QPagedPaintDevice* dispositivo) {
    QPainter p;
    if (!p.begin(dispositivo))
        return false;
    // Laid out in points on the printable area.
    const QRectF area = dispositivo->pageLayout().paintRect(QPageLayout::Point);
    const double escala = dispositivo->logicalDpiX() / 72.0;
    p.scale(escala, escala);
    const double ancho = area.width();
    const double alto = area.height();
    QFont normal(QStringLiteral("Arial"));
    normal.setStyleHint(QFont::SansSerif);
    normal.setPixelSize(7); // points: the painter is scaled to them
    QFont negrita = normal;
    negrita.setBold(true);
    QFont titulo = negrita;
    titulo.setPixelSize(12);
    // Widths in parts: the names get more room.
    std::array<double, ColResumen::Cantidad> partes{};
    partes.fill(1.0);
    partes[ColResumen::Nombre] = partes[ColResumen::Local] = 3.0;
    partes[ColResumen::UltimaInspeccion] = partes[ColResumen::AnteriorInspeccion] = 1.5;
    // The longest words of their headings: "REINICIO", "Manipulación", "inspección".
    partes[ColResumen::Local] = 2.4;
    for (int c = ColResumen::PrimerEstatus; c < ColResumen::Manipulacion; ++c)
        partes[static_cast<std::size_t>(c)] = 1.15;
    partes[ColResumen::Manipulacion] = 1.7;
    partes[ColResumen::DiasSinInspeccion] = 1.4;
    double suma = 0;
    for (const double x : partes)
        suma += x;
    const double altoFila = 11;
    const double altoCabecera = 22;
    const auto cabecera = [&](double y) {
        p.setFont(negrita);
        double x = 0;
        for (int c = 0; c < ColResumen::Cantidad; ++c) {
            const double w = ancho * partes[static_cast<std::size_t>(c)] / suma;
            p.drawText(QRectF(x + 1, y, w - 2, altoCabecera), Qt::AlignCenter | Qt::TextWordWrap,
                       TituloColumnaResumen(c));
            x += w;
        }
        p.drawLine(QPointF(0, y + altoCabecera), QPointF(ancho, y + altoCabecera));
        return y + altoCabecera + 1;
    };
    // The verification stamp sits above the footer of every page.
    const double altoSello = d.sello.emitido() ? 46 : 0;
    const int porPagina = std::max(1, static_cast<int>((alto - 80 - altoSello - altoCabecera) / altoFila));
    const int paginas = std::max(1, static_cast<int>((d.filas.size() + porPagina - 1) / porPagina));
    std::size_t i = 0;
    for (int pagina = 0; pagina < paginas; ++pagina) {
        if (pagina > 0 && !dispositivo->newPage())
            return false;
        double y = 0;
        p.setFont(titulo);
        p.drawText(QRectF(0, y, ancho, 16), Qt::AlignLeft, QStringLiteral("Resumen de la Oficina"));
        p.drawText(QRectF(0, y, ancho, 16), Qt::AlignRight, d.municipio);
        y += 18;
        p.setFont(normal);
        p.drawText(QRectF(0, y, ancho, 12), Qt::AlignLeft, explicacion(d));
        y += 16;
        y = cabecera(y);
        p.setFont(normal);
        for (int k = 0; k < porPagina && i < d.filas.size(); ++k, ++i) {
            double x = 0;
            for (int c = 0; c < ColResumen::Cantidad; ++c) {
                const double w = ancho * partes[static_cast<std::size_t>(c)] / suma;
                const QString t = TextoResumen(d.filas[i], c, d.hoy);
                // Dates and the change centred: clear of the numbers right-aligned beside them.
                const bool centrada = c == ColResumen::UltimaInspeccion ||
                                      c == ColResumen::AnteriorInspeccion || c == ColResumen::Cambio;
                const Qt::Alignment a = centrada                    ? Qt::AlignHCenter
                                        : ColumnaNumericaResumen(c) ? Qt::AlignRight
                                                                    : Qt::AlignLeft;
                p.drawText(QRectF(x + 2, y, w - 4, altoFila), a | Qt::AlignVCenter,
                           QFontMetricsF(normal).elidedText(t, Qt::ElideRight, w - 4));
                x += w;
            }
            y += altoFila;
        }
        if (d.sello.emitido())
            DibujarSelloVerificacion(p, QRectF(0, alto - 14 - altoSello, ancho, altoSello - 4), d.sello, 1.0);
        p.setFont(normal);
        p.drawText(QRectF(0, alto - 12, ancho, 12), Qt::AlignLeft,
                   QStringLiteral("%1 %2").arg(FechaLargaInforme(d.generado.date()),
                                               HoraLargaInforme(d.generado.time())));
        p.drawText(QRectF(0, alto - 12, ancho, 12), Qt::AlignRight,
                   QStringLiteral("Página %1 de %2").arg(pagina + 1).arg(paginas));
    }
    return p.end();
}

bool GuardarPdfResumen(const DocumentoResumen& d, const QString& archivo, QString* error) {
    QSaveFile salida(archivo);
    if (!salida.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("No se pudo crear \"%1\": %2")
                         .arg(QDir::toNativeSeparators(archivo), salida.errorString());
        return false;
    }
    {
        QPdfWriter pdf(&salida);
        pdf.setCreator(QStringLiteral("Velmora KV-270"));
        // The title keeps the code where the check reads it back.
        const QString titulo = QStringLiteral("Resumen de la Oficina");
        pdf.setTitle(d.sello.emitido() ? TituloConCodigo(titulo, d.sello.codigo) : titulo);
        pdf.setPageLayout(InformeInfracciones::disenoPagina());
        if (!ImprimirInformeResumen(d, &pdf)) {
            salida.cancelWriting();
            if (error)
                *error = QStringLiteral("No se pudo generar el informe.");
            return false;
        }
    }
    if (!salida.commit()) {
        if (error)
            *error = QStringLiteral("No se pudo guardar \"%1\": %2")
                         .arg(QDir::toNativeSeparators(archivo), salida.errorString());
        return false;
    }
    return true;
}

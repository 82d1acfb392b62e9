#include "core/output/DocumentoPdf.h"

#include <QList>

#include <algorithm>

QByteArrayView DocumentoPdf::cuerpo(int numero) const {
    for (const auto& [desde, hasta, n] : objetos)
        if (n == numero)
            return QByteArrayView(*datos).sliced(desde, hasta - desde);
    return {};
}

int ReferenciaPdf(QByteArrayView texto, QByteArrayView clave) {
    const qsizetype i = texto.indexOf(clave);
    if (i < 0)
        return 0;
    qsizetype k = i + clave.size();
    while (k < texto.size() && texto[k] == ' ')
        ++k;
    int n = 0;
    const qsizetype digitos = k;
    while (k < texto.size() && texto[k] >= '0' && texto[k] <= '9' && n < 100000000)
        n = n * 10 + (texto[k++] - '0');
    return k > digitos && texto.sliced(k).startsWith(" 0 R") ? n : 0;
}

std::optional<DocumentoPdf> LeerDocumentoPdf(const QByteArray& d) {
    DocumentoPdf doc;
    doc.datos = &d;
    const qsizetype sx = d.lastIndexOf("startxref");
    if (sx < 0)
        return {};
    bool ok = false;
    const qsizetype xref = d.mid(sx + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!ok || xref <= 0 || xref >= sx || !QByteArrayView(d).sliced(xref).startsWith("xref"))
        return {};
    doc.xref = xref;
    const qsizetype finTabla = d.indexOf("trailer", xref);
    if (finTabla < 0 || finTabla > sx)
        return {};
    const QList<QByteArray> lineas = d.sliced(xref, finTabla - xref).split('\n');
    // "xref", "0 N", then N entries: one subsection only.
    const QList<QByteArray> seccion = lineas.value(1).simplified().split(' ');
    if (seccion.size() != 2 || seccion[0] != "0")
        return {};
    doc.tamano = seccion[1].toInt(&ok);
    if (!ok || doc.tamano < 4 || lineas.size() < doc.tamano + 2)
        return {};
    for (int n = 1; n < doc.tamano; ++n) {
        const QList<QByteArray> e = lineas[n + 2].simplified().split(' ');
        if (e.size() != 3 || e[2] != "n")
            return {}; // every number in use, as that writer leaves them
        const qsizetype inicio = e[0].toLongLong(&ok);
        if (!ok || inicio <= 0 || inicio >= xref)
            return {};
        doc.objetos.emplace_back(inicio, 0, n);
    }
    std::ranges::sort(doc.objetos);
    for (size_t i = 0; i < doc.objetos.size(); ++i) {
        auto& [inicio, fin, n] = doc.objetos[i];
        fin = i + 1 < doc.objetos.size() ? std::get<0>(doc.objetos[i + 1]) : xref;
        if (!QByteArrayView(d).sliced(inicio).startsWith(QByteArray::number(n) + " 0 obj"))
            return {};
    }
    doc.inicio = std::get<0>(doc.objetos.front());
    const QByteArrayView trailer = QByteArrayView(d).sliced(finTabla, sx - finTabla);
    if (trailer.contains("/Encrypt") || trailer.contains("/Prev"))
        return {};
    doc.raiz = ReferenciaPdf(trailer, "/Root");
    doc.info = ReferenciaPdf(trailer, "/Info");
    doc.arbol = ReferenciaPdf(doc.cuerpo(doc.raiz), "/Pages");
    const QByteArrayView arbol = doc.cuerpo(doc.arbol);
    const qsizetype kids = arbol.indexOf("/Kids");
    const qsizetype abre = kids < 0 ? -1 : arbol.indexOf('[', kids);
    const qsizetype cierra = abre < 0 ? -1 : arbol.indexOf(']', abre);
    if (doc.raiz == 0 || doc.info == 0 || doc.arbol == 0 || cierra < 0)
        return {};
    for (const QByteArray& r :
         arbol.sliced(abre + 1, cierra - abre - 1).toByteArray().simplified().split('R')) {
        const QList<QByteArray> t = r.simplified().split(' ');
        if (t.size() == 2 && t[1] == "0")
            doc.hojas.push_back(t[0].toInt());
        else if (!r.simplified().isEmpty())
            return {};
    }
    const qsizetype cuenta = arbol.indexOf("/Count");
    if (cuenta < 0 || doc.hojas.empty() ||
        arbol.sliced(cuenta + 6).toByteArray().simplified().split(' ').value(0).toLongLong() !=
            qsizetype(doc.hojas.size()))
        return {};
    return doc;
}

QByteArray ReescribirPdf(const DocumentoPdf& doc, const std::vector<std::pair<int, QByteArray>>& reemplazos,
                         const QByteArray& id) {
    const QByteArray& d = *doc.datos;
    QByteArray salida;
    salida.reserve(d.size() + 4096);
    salida += d.first(doc.inicio);
    std::vector<qsizetype> posiciones(static_cast<size_t>(doc.tamano), 0);
    for (const auto& [inicio, fin, n] : doc.objetos) {
        posiciones[static_cast<size_t>(n)] = salida.size();
        const auto r = std::ranges::find(reemplazos, n, &std::pair<int, QByteArray>::first);
        if (r != reemplazos.end())
            salida += r->second;
        else
            salida += QByteArrayView(d).sliced(inicio, fin - inicio);
    }
    const qsizetype xref = salida.size();
    salida += "xref\n0 " + QByteArray::number(doc.tamano) + "\n0000000000 65535 f \n";
    for (int n = 1; n < doc.tamano; ++n)
        salida +=
            QByteArray::number(posiciones[static_cast<size_t>(n)]).rightJustified(10, '0') + " 00000 n \n";
    salida += "trailer\n<<\n/Size " + QByteArray::number(doc.tamano) + "\n/Info " +
              QByteArray::number(doc.info) + " 0 R\n/Root " + QByteArray::number(doc.raiz) + " 0 R\n/ID [<" +
              id.toHex() + "> <" + id.toHex() + ">]\n>>\nstartxref\n" + QByteArray::number(xref) +
              "\n%%EOF\n";
    return salida;
}

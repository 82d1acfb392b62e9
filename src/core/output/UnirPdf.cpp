#include "core/output/UnirPdf.h"

#include <QByteArrayView>
#include <QList>

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

namespace {

// A PDF document as QPdfWriter writes it: its objects where they lie, and its page tree.
struct DocumentoPdf {
    const QByteArray* datos = nullptr;
    qsizetype inicio = 0;                                       // of the first object
    std::vector<std::tuple<qsizetype, qsizetype, int>> objetos; // start, end, number; file order
    int tamano = 0;                                             // the cross-reference table's size
    int raiz = 0, info = 0, arbol = 0;                          // catalog, information, page tree
    std::vector<int> hojas;                                     // the pages, in order
};

bool esDelimitador(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '[' || c == ']' || c == '<' || c == '>' ||
           c == '/' || c == '(' || c == ')';
}

// The number of the object a key points to ("/Root 2 0 R"), 0 when there is none.
int referencia(QByteArrayView texto, QByteArrayView clave) {
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

std::optional<DocumentoPdf> leerPdf(const QByteArray& d) {
    DocumentoPdf doc;
    doc.datos = &d;
    const qsizetype sx = d.lastIndexOf("startxref");
    if (sx < 0)
        return {};
    bool ok = false;
    const qsizetype xref = d.mid(sx + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!ok || xref <= 0 || xref >= sx || !QByteArrayView(d).sliced(xref).startsWith("xref"))
        return {};
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
    if (trailer.contains("/Encrypt") || trailer.contains("/Prev") || trailer.contains("/ID"))
        return {};
    doc.raiz = referencia(trailer, "/Root");
    doc.info = referencia(trailer, "/Info");
    const auto cuerpo = [&](int n) -> QByteArrayView {
        for (const auto& [inicio, fin, m] : doc.objetos)
            if (m == n)
                return QByteArrayView(d).sliced(inicio, fin - inicio);
        return {};
    };
    doc.arbol = referencia(cuerpo(doc.raiz), "/Pages");
    const QByteArrayView arbol = cuerpo(doc.arbol);
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

} // namespace

QByteArray UnirPdf(const QByteArray& primero, const QByteArray& segundo) {
    const std::optional<DocumentoPdf> a = leerPdf(primero);
    const std::optional<DocumentoPdf> b = leerPdf(segundo);
    if (!a || !b)
        return {};
    // The second's objects are numbered on from the first's, leaving out its catalog,
    // information and page tree: its pages hang from the first's tree.
    std::map<int, int> numeros{{b->arbol, a->arbol}};
    int siguiente = a->tamano;
    for (const auto& [inicio, fin, n] : b->objetos)
        if (n != b->raiz && n != b->info && n != b->arbol)
            numeros[n] = siguiente++;
    QByteArray salida;
    salida.reserve(primero.size() + segundo.size() + 64 * qsizetype(b->hojas.size()));
    salida += primero.first(a->inicio);
    std::vector<qsizetype> posiciones(static_cast<size_t>(siguiente), 0);
    for (const auto& [inicio, fin, n] : a->objetos) {
        posiciones[static_cast<size_t>(n)] = salida.size();
        QByteArray objeto = primero.sliced(inicio, fin - inicio);
        if (n == a->arbol) {
            QByteArray hojas;
            for (const int h : b->hojas) {
                const auto m = numeros.find(h);
                if (m == numeros.end() || h == b->arbol)
                    return {};
                hojas += QByteArray::number(m->second) + " 0 R\n";
            }
            const qsizetype kids = objeto.indexOf("/Kids");
            objeto.insert(objeto.indexOf(']', kids), hojas);
            const qsizetype c = objeto.indexOf("/Count");
            qsizetype f = c + 6;
            while (f < objeto.size() && (objeto[f] == ' ' || (objeto[f] >= '0' && objeto[f] <= '9')))
                ++f;
            objeto.replace(c, f - c,
                           "/Count " + QByteArray::number(qsizetype(a->hojas.size() + b->hojas.size())) +
                               "\n");
        }
        salida += objeto;
    }
    for (const auto& [inicio, fin, n] : b->objetos) {
        const auto nuevo = numeros.find(n);
        if (n == b->arbol || nuevo == numeros.end())
            continue;
        const QByteArrayView objeto = QByteArrayView(segundo).sliced(inicio, fin - inicio);
        // References are rewritten in the dictionary only; a stream's bytes go as they are.
        qsizetype finDiccionario = objeto.indexOf(">>\nstream\n");
        finDiccionario = finDiccionario < 0 ? objeto.size() : finDiccionario + 2;
        const QByteArrayView diccionario = objeto.first(finDiccionario);
        const QByteArray cabecera = QByteArray::number(n) + " 0 obj";
        QByteArray texto = QByteArray::number(nuevo->second) + " 0 obj";
        qsizetype k = cabecera.size();
        for (qsizetype r = diccionario.indexOf(" 0 R", k); r >= 0; r = diccionario.indexOf(" 0 R", k)) {
            qsizetype d = r;
            while (d > k && diccionario[d - 1] >= '0' && diccionario[d - 1] <= '9')
                --d;
            const bool aislado = d < r && d > 0 && esDelimitador(diccionario[d - 1]) &&
                                 (r + 4 == diccionario.size() || esDelimitador(diccionario[r + 4]));
            if (!aislado) {
                texto += diccionario.sliced(k, r + 4 - k);
                k = r + 4;
                continue;
            }
            const auto m = numeros.find(diccionario.sliced(d, r - d).toInt());
            if (m == numeros.end())
                return {}; // points at the catalog or the information: not a page's
            texto += diccionario.sliced(k, d - k);
            texto += QByteArray::number(m->second) + " 0 R";
            k = r + 4;
        }
        texto += diccionario.sliced(k);
        // A font subset's tag comes from its descriptor's number; one of its own keeps the two
        // documents' subsets apart.
        const qsizetype etiqueta = texto.indexOf("/FontName /Q");
        if (etiqueta >= 0 && texto.size() > etiqueta + 18 && texto[etiqueta + 17] == '+') {
            int t = nuevo->second;
            for (int i = 0; i < 5; ++i, t /= 26)
                texto[etiqueta + 12 + i] = char('A' + t % 26);
        }
        posiciones[static_cast<size_t>(nuevo->second)] = salida.size();
        salida += texto;
        salida += objeto.sliced(finDiccionario);
    }
    const qsizetype xref = salida.size();
    salida += "xref\n0 " + QByteArray::number(siguiente) + "\n0000000000 65535 f \n";
    for (int n = 1; n < siguiente; ++n)
        salida +=
            QByteArray::number(posiciones[static_cast<size_t>(n)]).rightJustified(10, '0') + " 00000 n \n";
    salida += "trailer\n<<\n/Size " + QByteArray::number(siguiente) + "\n/Info " +
              QByteArray::number(a->info) + " 0 R\n/Root " + QByteArray::number(a->raiz) +
              " 0 R\n>>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return salida;
}

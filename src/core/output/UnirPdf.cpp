#include "core/output/UnirPdf.h"

#include "core/output/DocumentoPdf.h"

#include <QByteArrayView>
#include <QList>

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

namespace {

bool esDelimitador(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '[' || c == ']' || c == '<' || c == '>' ||
           c == '/' || c == '(' || c == ')';
}

} // namespace

QByteArray UnirPdf(const QByteArray& primero, const QByteArray& segundo) {
    const std::optional<DocumentoPdf> a = LeerDocumentoPdf(primero);
    const std::optional<DocumentoPdf> b = LeerDocumentoPdf(segundo);
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

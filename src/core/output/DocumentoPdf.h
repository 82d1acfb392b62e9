#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <tuple>
#include <vector>

// A PDF document as QPdfWriter writes it (one cross-reference table, every number in use, one
// flat page tree): its objects where they lie, and its page tree.
struct DocumentoPdf {
    const QByteArray* datos = nullptr;
    qsizetype inicio = 0;                                       // of the first object
    qsizetype xref = 0;                                         // of the cross-reference table
    std::vector<std::tuple<qsizetype, qsizetype, int>> objetos; // start, end, number; file order
    int tamano = 0;                                             // the cross-reference table's size
    int raiz = 0, info = 0, arbol = 0;                          // catalog, information, page tree
    std::vector<int> hojas;                                     // the pages, in order

    // The object's whole text ("n 0 obj ... endobj"), empty when there is none.
    QByteArrayView cuerpo(int numero) const;
};

// Empty when the bytes are laid out otherwise (or encrypted, or already updated).
std::optional<DocumentoPdf> LeerDocumentoPdf(const QByteArray& datos);

// The number of the object a key points to ("/Root 2 0 R"), 0 when there is none.
int ReferenciaPdf(QByteArrayView texto, QByteArrayView clave);

// The body (from "n 0 obj" to its end) as the rewrite gives it, or nothing to keep it as it is.
// Writes the objects again in order with a new table and a trailer that carries `id`.
QByteArray ReescribirPdf(const DocumentoPdf& documento,
                         const std::vector<std::pair<int, QByteArray>>& reemplazos, const QByteArray& id);

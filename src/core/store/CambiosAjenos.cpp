#include "core/store/CambiosAjenos.h"

#include <QList>
#include <QStringView>

#include <algorithm>

namespace {

template <typename T> void ordenarSinRepetir(std::vector<T>& v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

} // namespace

bool CambiosAjenos::infraccionesDe(const QString& numeroCliente) const {
    return todasLasInfracciones ||
           std::binary_search(numerosConInfracciones.begin(), numerosConInfracciones.end(), numeroCliente);
}

void CambiosAjenos::sumar(const QString& aviso) {
    const qsizetype dosPuntos = aviso.indexOf(QLatin1Char(':'));
    const QString tabla = aviso.left(dosPuntos < 0 ? aviso.size() : dosPuntos);
    const QString lista = dosPuntos < 0 ? QStringLiteral("*") : aviso.mid(dosPuntos + 1);
    if (tabla.compare(QLatin1String("Clientes"), Qt::CaseInsensitive) == 0) {
        if (lista == QLatin1String("*")) {
            todosLosClientes = true;
            return;
        }
        for (const QStringView parte : QStringView(lista).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            const qint64 id = parte.toLongLong(&ok);
            if (!ok) {
                todosLosClientes = true;
                return;
            }
            clientes.push_back(id);
        }
        ordenarSinRepetir(clientes);
    } else if (tabla.compare(QLatin1String("Infracciones"), Qt::CaseInsensitive) == 0) {
        if (lista == QLatin1String("*")) {
            todasLasInfracciones = true;
            return;
        }
        for (const QStringView numero : QStringView(lista).split(QLatin1Char('\n')))
            numerosConInfracciones.push_back(numero.toString());
        ordenarSinRepetir(numerosConInfracciones);
    } else {
        // Whatever this desk cannot place is read again whole.
        todosLosClientes = true;
        todasLasInfracciones = true;
    }
}

CambiosAjenos CambiosAjenos::todo() {
    CambiosAjenos c;
    c.todosLosClientes = true;
    c.todasLasInfracciones = true;
    return c;
}

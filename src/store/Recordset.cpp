#include "store/Recordset.h"

#include "store/BaseDatos.h"

void Recordset::abrir(Database& db, const Consulta& consulta) {
    cerrar();
    db_ = &db;
    consulta_ = consulta;
    try {
        requery();
    } catch (...) {
        cerrar();
        throw;
    }
}

void Recordset::requery() {
    if (!db_)
        throw ErrorBD(QStringLiteral("El conjunto de registros no está abierto."));
    Statement st(*db_, consulta_.sql);
    st.enlazarTodos(consulta_.parametros);
    const int n = st.columnas();
    QStringList campos;
    for (int i = 0; i < n; ++i)
        campos << st.nombreColumna(i);
    std::vector<QStringList> filas;
    while (st.paso()) {
        QStringList fila;
        fila.reserve(n);
        for (int i = 0; i < n; ++i)
            fila << st.texto(i);
        filas.push_back(std::move(fila));
    }
    campos_ = std::move(campos);
    filas_ = std::move(filas);
}

void Recordset::cerrar() {
    db_ = nullptr;
    campos_.clear();
    filas_.clear();
    filas_.shrink_to_fit();
}
